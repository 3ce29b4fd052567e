#include "support/gui.h"

#include <QApplication>
#include <QMdiArea>
#include <gtest/gtest.h>

#include "data/names/name_set.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc::test {

ui::Answer ScriptedDialogs::Ask(QWidget*, const QString& text, const QString& title, ui::Buttons buttons,
                                ui::Icon icon) {
  asked.push_back({text, title, buttons, icon});
  if (answers.empty()) return buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Cancel;
  const ui::Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

ui::Answer ScriptedDialogs::AskWithCheck(QWidget* parent, const QString& text, const QString& title,
                                         ui::Buttons buttons, ui::Icon icon, const QString& checkText, bool& checked) {
  const ui::Answer answer = Ask(parent, text, title, buttons, icon);
  asked.back().check = checkText;
  asked.back().checkedOnEntry = checked;
  if (!checks.empty()) {
    checked = checks.front();
    checks.pop_front();
  }
  return answer;
}

ui::Answer ScriptedDialogs::AskWithTable(QWidget*, ui::TableQuestion& question) {
  tables.push_back(question);
  if (!options.empty()) {
    if (options.front() < 0 || options.front() >= static_cast<int>(question.options.size())) {
      ADD_FAILURE() << "option " << options.front() << " is not offered";
    } else {
      question.option = options.front();
    }
    options.pop_front();
  }
  if (!checks.empty()) {
    question.checked = checks.front();
    checks.pop_front();
  }
  if (answers.empty()) return ui::Answer::Cancel;
  const ui::Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<QString> ScriptedDialogs::OpenFileName(QWidget*, const QString& filter) {
  filters.push_back(filter);
  if (files.empty() || !files.front()) {
    if (!files.empty()) files.pop_front();
    return std::nullopt;
  }
  // Taken out as a text, not as an optional: g++ 12 takes a moved optional's
  // text for uninitialized (-Wmaybe-uninitialized) in an optimised build.
  const QString file = *files.front();
  files.pop_front();
  return file;
}

std::optional<QString> ScriptedDialogs::SaveFileName(QWidget* parent, const QString& filter) {
  return OpenFileName(parent, filter);
}

std::optional<int> ScriptedDialogs::ChooseFromList(QWidget*, const QString& title, const QString& prompt,
                                                   const std::vector<ui::ListEntry>& entries) {
  lists.push_back({title, prompt, entries});
  if (picks.empty()) return std::nullopt;
  const std::optional<int> pick = picks.front();
  picks.pop_front();
  if (pick && (*pick < 0 || *pick >= static_cast<int>(entries.size()) || !entries[*pick].whyNot.isEmpty())) {
    ADD_FAILURE() << "entry " << *pick << " cannot be chosen";
    return std::nullopt;
  }
  return pick;
}

ProgramUnderTest::ProgramUnderTest(bool withNames, const QString& startFile) {
  if (withNames) {
    ChannelNameSet set;
    RestoreDefaultNames(set);
    SaveChannelNameSet(set, ChannelNameSetPath(dir.path()));
  }
  app.NameSetFolder = dir.path();
  app.Dialogs = &dialogs;
  form = std::make_unique<MainForm>(app);
  form->Quit = [this] { ++quits; };
  form->show();
  form->activateWindow();
  if (!QTest::qWaitForWindowActive(form.get())) ADD_FAILURE() << "the parent window never became active";
  form->Start(startFile);
  QApplication::processEvents();
}

ProgramUnderTest::~ProgramUnderTest() {
  form.reset();
  QApplication::processEvents();
}

Pelorin* ProgramUnderTest::FixtureEditor() const { return form->EditorWidget<Pelorin>(Editor::Fixture); }

void ClickCell(ui::Grid* grid, int row, int col) {
  const QRect cell = grid->visualRect(grid->model()->index(row - 1, col));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  QApplication::processEvents();
}

void PressOn(QWidget* widget, Qt::Key key) {
  QTest::keyClick(widget, key);
  QApplication::processEvents();
}

void TypeInto(QWidget* widget, const QString& text) {
  QTest::keyClicks(widget, text);
  QApplication::processEvents();
}

QWidget* Focused() { return QApplication::focusWidget(); }

QStringList Row(ui::Grid* grid, int r) {
  QStringList cells;
  for (int c = 0; c < grid->columnCount(); ++c) cells << grid->TextMatrix(r, c);
  return cells;
}

QStringList Entries(ui::Chooser* chooser) {
  QStringList entries;
  for (int i = 0; i < chooser->ListCount(); ++i) entries << chooser->List(i);
  return entries;
}

}  // namespace brannoc::test
