#pragma once
// The parent window: a multiple-document frame with the "&Show Forms" menu. It
// owns no data; it shows the editor windows, each at most once, and carries out
// the moves between them that the windows ask for.

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <map>

#include "shell/app_state.h"

class QAction;
class QMdiArea;

namespace brannoc {

class MainForm : public QMainWindow, public Shell {
  Q_OBJECT

 public:
  explicit MainForm(AppState& app);
  ~MainForm() override;

  // Start-up after the window is shown: no channel count handed over yet, then
  // the fixture editor.
  void Start();

  void ShowAtTopLeft(Editor editor) override;
  void CloseEditor(Editor editor) override;
  void EndProgram() override;
  bool Ending() const override { return ending_; }

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

 private:
  QMdiSubWindow* Create(Editor editor);

  AppState& app_;
  std::map<Editor, QPointer<QMdiSubWindow>> windows_;
  bool ending_ = false;
};

}  // namespace brannoc
