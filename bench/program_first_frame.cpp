// The editor as it starts, telling the time of its first complete frame: the
// parent window and the fixture editor with both its grids. "ChNameSet.fix" is
// the one beside this program, as for the editor run from its build folder.

#include <QApplication>
#include <QMdiSubWindow>

#include "first_frame.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/shell/program.h"
#include "windows/ui/grid.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  brannoc::Program program(QCoreApplication::applicationDirPath().toStdString(), QString());
  brannoc::MainForm& form = program.Form();
  auto* editor = form.EditorWidget<brannoc::Pelorin>(brannoc::Editor::Fixture);
  if (!editor) return 1;
  brannoc::bench::FirstFrameProbe probe({&form, editor, editor->MSFlexGrid1->viewport(),
                                         editor->MSFlexGrid2->viewport()});
  return QApplication::exec();
}
