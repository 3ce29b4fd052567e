#pragma once
// What the window tests share: a program folder of its own, scripted dialogs that
// record every question, the parent window started as the program starts it, and
// a user's clicks and keys.

#include <QString>
#include <QStringList>
#include <QTest>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "windows/shell/main_form.h"
#include "support/temp_dir.h"
#include "windows/ui/dialogs.h"

namespace brannoc {
class Pelorin;
namespace ui {
class Chooser;
class Grid;
}
}  // namespace brannoc

namespace brannoc::test {

struct Asked {
  QString text;
  QString title;
  ui::Buttons buttons;
  ui::Icon icon;
  QString check = {};       // the check box's caption, for a box with one
  bool checkedOnEntry = false;
};

struct Listed {
  QString title;
  QString prompt;
  std::vector<ui::ListEntry> entries;
};

class ScriptedDialogs : public ui::Dialogs {
 public:
  ui::Answer Ask(QWidget* parent, const QString& text, const QString& title, ui::Buttons buttons,
                 ui::Icon icon) override;
  ui::Answer AskWithCheck(QWidget* parent, const QString& text, const QString& title, ui::Buttons buttons,
                          ui::Icon icon, const QString& checkText, bool& checked) override;
  // Answered from `answers` as Ask is; the option and the check from `options`
  // and `checks`. `tables` keeps each question as it was put.
  ui::Answer AskWithTable(QWidget* parent, ui::TableQuestion& question) override;
  std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override;
  std::optional<QString> SaveFileName(QWidget* parent, const QString& filter) override;
  // Picking an entry that cannot be chosen fails the test, as the real list
  // does not allow it.
  std::optional<int> ChooseFromList(QWidget* parent, const QString& title, const QString& prompt,
                                    const std::vector<ui::ListEntry>& entries) override;

  std::vector<Asked> asked;
  std::deque<ui::Answer> answers;             // an empty queue answers Cancel / No
  std::deque<bool> checks;                    // how the user leaves a check box; empty leaves it as it starts
  std::deque<std::optional<QString>> files;   // an empty queue cancels the dialog
  std::vector<QString> filters;
  std::vector<Listed> lists;
  std::vector<ui::TableQuestion> tables;
  std::deque<int> options;                    // the option the user takes; empty leaves it as it starts
  std::deque<std::optional<int>> picks;       // an empty queue cancels the list
};

// The program as it starts, in a folder of its own.
class ProgramUnderTest {
 public:
  // `withNames`: a "ChNameSet.fix" holding the built-in names beside the program.
  // `startFile`: the file named on the command line, if any.
  explicit ProgramUnderTest(bool withNames = true, const QString& startFile = QString());
  ~ProgramUnderTest();

  Pelorin* FixtureEditor() const;
  QString File(const std::string& name) const { return QString::fromStdString((dir / name).string()); }

  TempDir dir;
  ScriptedDialogs dialogs;
  AppState app;
  std::unique_ptr<MainForm> form;
  int quits = 0;
};

// A user's actions.
void ClickCell(ui::Grid* grid, int row, int col);
void PressOn(QWidget* widget, Qt::Key key);
void TypeInto(QWidget* widget, const QString& text);
// The widget that has the keyboard focus.
QWidget* Focused();

// What a user reads: the cells of a grid row, the entries of a chooser.
QStringList Row(ui::Grid* grid, int r);
QStringList Entries(ui::Chooser* chooser);

}  // namespace brannoc::test
