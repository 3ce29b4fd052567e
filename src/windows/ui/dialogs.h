#pragma once
// Every question the program asks and every file it lets the user pick goes
// through this interface: real message boxes and file dialogs in the program, a
// scripted stand-in in the tests.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QWidget;

namespace brannoc::ui {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Warning };
enum class Answer { Ok, Cancel, Yes, No };

// One entry of a list to choose from. An entry with a reason is shown with it
// but cannot be chosen.
struct ListEntry {
  QString text;
  QString whyNot;
};

// A modal box of a few lines above a read-only table, with a choice between
// `options` (radio buttons; none when empty), a check box captioned `checkText`
// (none when empty) and OK/Cancel. `option` and `checked` are how the box
// starts, and afterwards how the user left it.
struct TableQuestion {
  QString title;
  QStringList lines;
  QStringList headers;
  std::vector<QStringList> rows;
  std::vector<QString> options;
  int option = 0;
  QString checkText;
  bool checked = false;
  // The option the check box belongs to: it can be changed only while that
  // option is chosen. -1: always.
  int checkWithOption = -1;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box; the text may hold a carriage return (character 13).
  virtual Answer Ask(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                     Icon icon) = 0;
  // The same with a check box under the text, captioned `checkText`: `checked`
  // is how the box starts, and afterwards how the user left it.
  virtual Answer AskWithCheck(QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon,
                              const QString& checkText, bool& checked) = 0;
  // The box of a table question: Ok or Cancel.
  virtual Answer AskWithTable(QWidget* parent, TableQuestion& question) = 0;
  // `filter` in the form "Description(*.ext)|*.ext". Nothing on cancel.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& filter) = 0;
  // A modal list under `prompt`: the index of the entry chosen, nothing on cancel.
  virtual std::optional<int> ChooseFromList(QWidget* parent, const QString& title, const QString& prompt,
                                            const std::vector<ListEntry>& entries) = 0;
};

// The real dialogs of the platform.
class QtDialogs : public Dialogs {
 public:
  Answer Ask(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
             Icon icon) override;
  Answer AskWithCheck(QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon,
                      const QString& checkText, bool& checked) override;
  Answer AskWithTable(QWidget* parent, TableQuestion& question) override;
  std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override;
  std::optional<QString> SaveFileName(QWidget* parent, const QString& filter) override;
  std::optional<int> ChooseFromList(QWidget* parent, const QString& title, const QString& prompt,
                                    const std::vector<ListEntry>& entries) override;
};

// "Fixture Setup File(*.tff)|*.tff" -> "Fixture Setup File(*.tff)".
QString QtFilter(const QString& filter);

}  // namespace brannoc::ui
