#pragma once
// The parent window: a multiple-document frame with the "&Show Forms" menu. It
// owns no data; it shows the editor windows, each at most once, and carries out
// the moves between them:
//   "&FixtureEdit", "&LedFixtureEdit", "&EditChName"  show that editor at the top-left
//   "&Exit" here or in an editor, closing this window  end the program, after asking
//                                                     about unsaved changes
//   the fixture editor's "&Palette Edit"              it hands over its channel count,
//                                                     closes, and the palette editor shows
//   the fixture editor's "Led Fixture &Edit"          the LED fixture editor shows too
//   the name editor's "Show &F" / "Show &P"           it closes, then that editor shows
//   closing the name editor or the palette editor     the fixture editor shows
// The windows ask for their own moves through the Shell interface; what closing
// a window leads to is decided here.

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <map>

#include "windows/app/app_state.h"

class QAction;
class QMdiArea;

namespace brannoc {

class MainForm : public QMainWindow, public Shell {
  Q_OBJECT

 public:
  explicit MainForm(AppState& app);
  ~MainForm() override;

  // Start-up after the window is shown: the channel name set read from its
  // folder, no channel count handed over yet, then
  // the fixture editor; a file named on the command line (as the desktop passes
  // one) then opens in it as "&Open Fixture" opens it.
  void Start(const QString& file = QString());

  void ShowAtTopLeft(Editor editor) override;
  void CloseEditor(Editor editor) override;
  bool ShowImportedLedFixture(const LedFixtureRecord& record) override;
  void EndProgram() override;

  // Shows the editor, creating it (and running its set-up) when it does not exist.
  QMdiSubWindow* ShowEditor(Editor editor);
  // The editor's window, or nothing when it is not open.
  QMdiSubWindow* Window(Editor editor) const;
  template <class W>
  W* EditorWidget(Editor editor) const {
    QMdiSubWindow* window = Window(editor);
    return window ? qobject_cast<W*>(window->widget()) : nullptr;
  }

  QMdiArea* Area = nullptr;
  QAction* numMF = nullptr;
  QAction* numLFE = nullptr;
  QAction* numChname = nullptr;
  QAction* numExit = nullptr;

  // How the program ends; tests replace it.
  std::function<void()> Quit;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Asks about the unsaved changes of the fixture, then of the LED fixture, and
  // saves what the user wants saved. False: the program is to keep running.
  bool MayEnd();
  // One question about an editor's unsaved changes, and on Yes its save
  // (through the editor, shown first). False: the program is to keep running.
  bool SaveBeforeEnding(Editor editor, const QString& what, const QString& name);
  // Closes every editor window without a question.
  void CloseAllEditors();

  QMdiSubWindow* Create(Editor editor);
  // Opens the window W of `editor`, building it in a frame of its own the first
  // time (a closed window is hidden, not destroyed), and runs its set-up, which
  // shows it as a window just built would show.
  template <class W>
  QMdiSubWindow* Add(Editor editor);
  // An editor's window has closed.
  void Closed(Editor editor);

  AppState& app_;
  // The open windows.
  std::map<Editor, QPointer<QMdiSubWindow>> windows_;
  // Every window built, open or hidden.
  std::map<Editor, QPointer<QMdiSubWindow>> built_;
};

}  // namespace brannoc
