#include "windows/shell/main_form.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <algorithm>
#include <type_traits>

#include "windows/name_editor/editor_window.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/led_editor/editor_window.h"
#include "windows/palette_editor/editor_window.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

namespace brannoc {
namespace {

// The size a frame was made with, which it takes again each time it opens.
constexpr char kBuiltSize[] = "brannocBuiltSize";

// An editor's frame inside the parent window. Closing it hides it: the shell
// forgets it as an open window at once and shows it again, set up afresh, the
// next time the editor opens.
class EditorFrame : public QMdiSubWindow {
 public:
  explicit EditorFrame(std::function<void()> closed) : closed_(std::move(closed)) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && closed_) closed_();
  }

 private:
  std::function<void()> closed_;
};

}  // namespace

MainForm::MainForm(AppState& app) : app_(app) {
  setWindowTitle(QStringLiteral("Brannoc-512 Rev1.05"));
  Area = new QMdiArea(this);
  Area->setBackground(palette().brush(QPalette::Dark));
  setCentralWidget(Area);

  QMenu* forms = menuBar()->addMenu(QStringLiteral("&Show Forms"));
  forms->setObjectName(QStringLiteral("numsf"));
  numMF = forms->addAction(QStringLiteral("&FixtureEdit"));
  connect(numMF, &QAction::triggered, this, [this] { ShowAtTopLeft(Editor::Fixture); });
  numLFE = forms->addAction(QStringLiteral("&LedFixtureEdit"));
  connect(numLFE, &QAction::triggered, this, [this] { ShowAtTopLeft(Editor::LedFixture); });
  numChname = forms->addAction(QStringLiteral("&EditChName"));
  connect(numChname, &QAction::triggered, this, [this] { ShowAtTopLeft(Editor::ChannelNames); });
  forms->addSeparator()->setObjectName(QStringLiteral("numNull"));
  numExit = forms->addAction(QStringLiteral("&Exit"));
  connect(numExit, &QAction::triggered, this, [this] { EndProgram(); });

  resize(ui::Twips(14010), ui::Twips(9405) + menuBar()->sizeHint().height());
  Quit = [] { QCoreApplication::quit(); };
}

MainForm::~MainForm() {
  // None of the windows may make a move now. They go first, while the shell they
  // report to is whole.
  app_.Ending = true;
  app_.FixtureViews.clear();
  const auto built = built_;
  for (const auto& [editor, sub] : built) delete sub.data();
}

void MainForm::Start(const QString& file) {
  // The one name set of the run, read once from the folder chosen for it.
  app_.Names.Load(app_.NameSetFolder, app_.NameSetReadOnly);
  app_.PaletteChannelCount = 0;
  ShowEditor(Editor::Fixture);
  if (file.isEmpty()) return;
  if (auto* editor = EditorWidget<Pelorin>(Editor::Fixture)) editor->OpenFixtureFile(file);
}

QMdiSubWindow* MainForm::Window(Editor editor) const {
  const auto it = windows_.find(editor);
  return it == windows_.end() ? nullptr : it->second.data();
}

template <class W>
QMdiSubWindow* MainForm::Add(Editor editor) {
  W* widget = nullptr;
  QMdiSubWindow* sub = built_[editor];
  if (sub) {
    // Built before and hidden on close: back to the size it was made with.
    widget = qobject_cast<W*>(sub->widget());
    sub->setWindowState(Qt::WindowNoState);
    sub->resize(sub->property(kBuiltSize).toSize());
    // No focus and every list at its top, as built; the set-up does the rest.
    if (QWidget* focused = widget->focusWidget()) focused->clearFocus();
    for (QAbstractScrollArea* area : widget->template findChildren<QAbstractScrollArea*>()) {
      area->horizontalScrollBar()->setValue(0);
      area->verticalScrollBar()->setValue(0);
    }
    for (ui::Grid* grid : widget->template findChildren<ui::Grid*>()) grid->BackToFirstCell();
  } else {
    widget = new W(app_, *this);
    sub = new EditorFrame([this, editor] { Closed(editor); });
    sub->setWidget(widget);
    Area->addSubWindow(sub);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowTitle(widget->windowTitle());
    sub->setProperty(kBuiltSize, sub->size());
    built_[editor] = sub;
  }
  windows_[editor] = sub;
  if constexpr (std::is_base_of_v<FixtureView, W>) {
    if (std::find(app_.FixtureViews.begin(), app_.FixtureViews.end(), widget) == app_.FixtureViews.end()) {
      app_.FixtureViews.push_back(widget);
    }
  }
  widget->Form_Load();  // the window's set-up, before anything shows or moves it
  return sub;
}

QMdiSubWindow* MainForm::Create(Editor editor) {
  switch (editor) {
    case Editor::Fixture: return Add<Pelorin>(editor);
    case Editor::Palette: return Add<ULink>(editor);
    case Editor::ChannelNames: return Add<EditChName>(editor);
    case Editor::LedFixture: return Add<LedFixture>(editor);
  }
  return nullptr;
}

QMdiSubWindow* MainForm::ShowEditor(Editor editor) {
  QMdiSubWindow* sub = Window(editor);
  const bool reopened = !sub && built_[editor];
  if (!sub) sub = Create(editor);
  if (!sub) return nullptr;
  sub->show();
  sub->widget()->show();
  Area->setActiveSubWindow(sub);
  sub->raise();
  if (reopened && Area->activeSubWindow() == sub) {
    // The focus goes where a new frame gives it: to the first control that
    // takes it, not to the one that had it when the window closed.
    QWidget* first = sub->nextInFocusChain();
    while (first && first != sub && first->focusPolicy() == Qt::NoFocus) first = first->nextInFocusChain();
    if (first && sub->isAncestorOf(first)) first->setFocus();
  }
  return sub;
}

void MainForm::ShowAtTopLeft(Editor editor) {
  // The set-up of a new window runs before the move.
  if (QMdiSubWindow* sub = ShowEditor(editor)) sub->move(0, 0);
}

void MainForm::CloseEditor(Editor editor) {
  if (QMdiSubWindow* sub = Window(editor)) sub->close();
}

void MainForm::Closed(Editor editor) {
  windows_.erase(editor);
  if (auto* view = dynamic_cast<FixtureView*>(built_[editor] ? built_[editor]->widget() : nullptr)) {
    std::erase(app_.FixtureViews, view);
  }
  if (app_.Ending) return;
  // Leaving the channel name editor or the palette editor, by any of their
  // ways out, returns to the fixture editor.
  if (editor == Editor::ChannelNames || editor == Editor::Palette) ShowAtTopLeft(Editor::Fixture);
}

bool MainForm::ShowImportedLedFixture(const LedFixtureRecord& record) {
  auto* open = EditorWidget<LedFixture>(Editor::LedFixture);
  if (open) open->CommitOpenEditor();
  if (LedFixture::HasUnsavedChanges(app_, open)) {
    const QString name = LedFixture::FixtureName(app_, open).trimmed();
    const QString named = name.isEmpty() ? QStringLiteral("The LED fixture")
                                         : QStringLiteral("The LED fixture \"") + name + QStringLiteral("\"");
    const ui::Answer answer = app_.Dialogs->Ask(
        this, named + QStringLiteral(" has unsaved changes, which the imported fixture replaces. Continue?"),
        QStringLiteral("Pelorin Fixture"), ui::Buttons::OkCancel, ui::Icon::None);
    if (answer != ui::Answer::Ok) return false;
  }
  ShowAtTopLeft(Editor::LedFixture);
  auto* led = EditorWidget<LedFixture>(Editor::LedFixture);
  if (!led) return false;
  led->ShowRecord(record);
  return true;
}

void MainForm::EndProgram() {
  if (app_.Ending || !MayEnd()) return;
  CloseAllEditors();
  close();
  if (Quit) Quit();
}

void MainForm::closeEvent(QCloseEvent* event) {
  // Closing the parent window is one more way to end the program.
  if (!app_.Ending) {
    if (!MayEnd()) {
      event->ignore();
      return;
    }
    CloseAllEditors();
    if (Quit) Quit();
  }
  QMainWindow::closeEvent(event);
}

void MainForm::CloseAllEditors() {
  app_.Ending = true;
  const auto open = windows_;
  for (const auto& [editor, sub] : open) {
    if (sub) sub->close();
  }
}

bool MainForm::MayEnd() {
  // What an open cell editor holds is part of what is unsaved.
  if (auto* fixture = EditorWidget<Pelorin>(Editor::Fixture)) fixture->CommitOpenEditor();
  if (auto* led = EditorWidget<LedFixture>(Editor::LedFixture)) led->CommitOpenEditor();

  if (app_.History.Modified(*app_.Fixture) &&
      !SaveBeforeEnding(Editor::Fixture, QStringLiteral("The fixture"),
                        QString::fromStdString(app_.Fixture->FixtureName.BoxText()))) {
    return false;
  }
  const auto* led = EditorWidget<LedFixture>(Editor::LedFixture);
  if (LedFixture::HasUnsavedChanges(app_, led) &&
      !SaveBeforeEnding(Editor::LedFixture, QStringLiteral("The LED fixture"), LedFixture::FixtureName(app_, led))) {
    return false;
  }
  return true;
}

bool MainForm::SaveBeforeEnding(Editor editor, const QString& what, const QString& name) {
  const QString shown = name.trimmed();
  const QString named = shown.isEmpty() ? what : what + QStringLiteral(" \"") + shown + QStringLiteral("\"");
  const ui::Answer answer =
      app_.Dialogs->Ask(this, named + QStringLiteral(" has unsaved changes. Save them before the program ends?"),
                        QStringLiteral("Pelorin Fixture"), ui::Buttons::YesNoCancel, ui::Icon::None);
  if (answer == ui::Answer::No) return true;
  if (answer != ui::Answer::Yes) return false;

  // Saved the usual way, in its editor, which the user sees first.
  const bool wasOpen = Window(editor) != nullptr;
  // An LED editor's set-up goes back to 8 channels and "New Fixture": the count
  // and the name the user left are what is to be saved.
  const int ledCount = app_.LedFixture->ChannelCount;
  if (wasOpen) {
    ShowEditor(editor);
  } else {
    ShowAtTopLeft(editor);
  }
  if (editor == Editor::Fixture) {
    auto* fixture = EditorWidget<Pelorin>(editor);
    return fixture && fixture->SaveFixtureAs();
  }
  auto* led = EditorWidget<LedFixture>(editor);
  if (led && !wasOpen) {
    led->Combo1->SetListIndex(ledCount - 1);  // as the user picks it
    // The name the question showed, which the set-up's "New Fixture" replaced.
    led->Text1->SetText(name);
  }
  return led && led->SaveLedFixture();
}

}  // namespace brannoc
