#pragma once
// A few lines of text above a read-only table: what a window shows before the
// user takes something (an import's channels, say). TablePane is the piece a
// window lays out itself; TableBox is the modal box around it that
// Dialogs::AskWithTable shows, with a choice between options, a check box and
// OK/Cancel.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QTableWidget;

namespace brannoc::ui {

struct TableQuestion;

class TablePane : public QWidget {
  Q_OBJECT

 public:
  explicit TablePane(QWidget* parent = nullptr);

  // The lines above, the column headers and the rows (one text per column).
  void Show(const QStringList& lines, const QStringList& headers, const std::vector<QStringList>& rows);
  // Only lines, no rows (nothing to show, or why not).
  void ShowLines(const QStringList& lines);
  // The width every column's text takes on one line.
  int ContentWidth() const { return contentWidth_; }

  QLabel* Lines = nullptr;
  QTableWidget* Table = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FitLastColumn();
  int contentWidth_ = 0;
};

class TableBox : public QDialog {
  Q_OBJECT

 public:
  // Shows `question`; Take() writes the user's option and check back into it.
  TableBox(const TableQuestion& question, QWidget* parent = nullptr);
  void Take(TableQuestion& question) const;

  TablePane* Pane = nullptr;
  QButtonGroup* Options = nullptr;  // one radio button per option, ids 0..n-1
  QCheckBox* Check = nullptr;       // nothing when the question has no check box
};

}  // namespace brannoc::ui
