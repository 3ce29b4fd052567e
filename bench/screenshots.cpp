// Takes the README's pictures of the four editors and of "Fixture Library..."
// from the running program, so
// they show the windows as they are now:
//
//   brannoc_screenshots FIXTURE NAMES_FOLDER OUT_FOLDER
//
// FIXTURE opens in the fixture editor (as on the command line), with
// "ChNameSet.fix" from NAMES_FOLDER. Run under a display server (xvfb-run), which
// scripts/screenshots.sh does; each picture is the parent window as the screen
// shows it, open menus included.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "windows/fixture_editor/editor_window.h"
#include "windows/library_dialog/library_dialog.h"
#include "windows/led_editor/editor_window.h"
#include "windows/palette_editor/editor_window.h"
#include "windows/shell/program.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace {

bool Take(QWidget& window, const QDir& out, const QString& name) {
  QTest::qWait(1000);  // every window laid out and painted
  const QRect frame = window.frameGeometry();
  QImage shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
  // Full colour: a 256-colour table loses the light grey of disabled labels.
  shot = shot.convertToFormat(QImage::Format_RGB888);
  const QString path = out.filePath(name);
  if (!shot.save(path)) {
    std::fprintf(stderr, "brannoc_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s: %d x %d\n", qPrintable(path), shot.width(), shot.height());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "Usage: brannoc_screenshots FIXTURE NAMES_FOLDER OUT_FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[3]));
  brannoc::Program program(QString::fromLocal8Bit(argv[2]).toStdString(), QString::fromLocal8Bit(argv[1]));
  brannoc::MainForm& form = program.Form();
  form.move(0, 0);
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form)) std::fprintf(stderr, "brannoc_screenshots: the window is not active\n");

  using brannoc::Editor;
  auto* fixture = form.EditorWidget<brannoc::Pelorin>(Editor::Fixture);
  if (!fixture) return 1;
  // The steps of channel 5, a change to undo, and the Edit menu open.
  fixture->Combo9->SetListIndex(4);
  fixture->Text2->setFocus();
  fixture->Text2->selectAll();
  QTest::keyClicks(fixture->Text2, "270");
  fixture->MSFlexGrid1->setFocus();
  QMenu* edit = fixture->MenuBar->findChild<QMenu*>(QStringLiteral("mnuEdit"));
  if (!edit) return 1;
  fixture->MenuBar->setActiveAction(edit->menuAction());
  bool ok = Take(form, out, QStringLiteral("fixture-editor.png"));
  edit->hide();
  QTest::qWait(100);

  // The palette editor with its first preset open.
  fixture->MnuReturn->trigger();
  if (auto* palette = form.EditorWidget<brannoc::ULink>(Editor::Palette)) {
    QTest::mouseClick(palette->Command2[0], Qt::LeftButton);
  }
  ok = Take(form, out, QStringLiteral("palette-editor.png")) && ok;
  form.CloseEditor(Editor::Palette);

  form.ShowAtTopLeft(Editor::ChannelNames);
  ok = Take(form, out, QStringLiteral("names-editor.png")) && ok;
  form.CloseEditor(Editor::ChannelNames);

  // The LED fixture editor with a named five-channel fixture.
  form.ShowAtTopLeft(Editor::LedFixture);
  if (auto* led = form.EditorWidget<brannoc::LedFixture>(Editor::LedFixture)) {
    led->Text1->setFocus();
    led->Text1->selectAll();
    QTest::keyClicks(led->Text1, "Par RGBAW");
    led->Combo1->SetListIndex(4);  // 5 channels
    const int names[] = {1, 2, 3, 4, 8};  // Red, Green, Blue, Amber, Dimmer
    for (int row = 1; row <= 5; ++row) {
      led->MSFlexGrid1->SetCurrentCell(row, 1);
      led->MSFlexGrid1_Click();
      led->Combo10->SetListIndex(names[row - 1] - 1);
      led->Combo10_LostFocus();
    }
    led->MSFlexGrid1->SetCurrentCell(1, 0);
    led->MSFlexGrid1->setFocus();
  }
  ok = Take(form, out, QStringLiteral("led-editor.png")) && ok;
  form.CloseEditor(Editor::LedFixture);

  // "Fixture Library..." over QLC+'s library, mid-search.
  const QString qlc = QStringLiteral("/usr/share/qlcplus/fixtures");
  if (QDir(qlc).exists()) {
    QTemporaryDir cache;
    fixture->LibraryPlacesSource = [&] {
      brannoc::LibraryPlaces places;
      places.DefaultFolders = {qlc.toStdString()};
      places.CacheFile = (cache.path() + QStringLiteral("/library.cache")).toStdString();
      return places;
    };
    QTimer::singleShot(0, [&] {
      auto* library = qobject_cast<brannoc::FixtureLibrary*>(QApplication::activeModalWidget());
      if (!library) {
        ok = false;
        return;
      }
      library->FinishIndexing();
      QTest::keyClicks(library->SearchBox, QStringLiteral("robe pointe"));
      ok = Take(*library, out, QStringLiteral("fixture-library.png")) && ok;
      library->reject();
    });
    fixture->FixtureLibraryMenu->trigger();
  }
  return ok ? 0 : 1;
}
