// The fixture editor's "Check" list: the problems of the fixture in memory,
// shown under the channel table and brought up to date after every recorded
// change; a double-click goes to what a problem points at.

#include <QLabel>
#include <QListWidget>
#include <QStyle>

#include "windows/fixture_editor/editor_window.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/layout.h"

namespace brannoc {
namespace {

QString Counted(std::size_t n, const char* one, const char* many) {
  return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

}  // namespace

void Pelorin::BuildCheckList(QWidget* parent, int top, int height) {
  CheckList = ui::Place(new QListWidget(parent), 120, top + 240, 6495, height - 240);
  CheckCaption = ui::Label(QStringLiteral("Check"), parent, 240, top, CheckList);
  CheckList->setAccessibleName(QStringLiteral("Check"));
  CheckList->setSelectionMode(QAbstractItemView::SingleSelection);
  CheckList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CheckList->setTextElideMode(Qt::ElideRight);
  // Icons the height of a line of text, so the list shows as many problems as it can.
  const int line = CheckList->fontMetrics().height();
  CheckList->setIconSize(QSize(line, line));
  connect(CheckList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { CheckList_DoubleClick(CheckList->row(item)); });
}

void Pelorin::ShowProblems() {
  std::vector<FixtureProblem> now = CheckFixture(Fixture(), &app_.Names.Set());
  if (CheckShown && now == Problems) return;  // typing that changes no problem costs no repaint
  CheckShown = true;
  Problems = std::move(now);
  const std::size_t errors = CountProblems(Problems, ProblemLevel::Error);
  const std::size_t warnings = Problems.size() - errors;
  CheckCaption->setText(Problems.empty() ? QStringLiteral("Check: no problems")
                                         : QStringLiteral("Check: ") + Counted(errors, "error", "errors") +
                                               QStringLiteral(", ") + Counted(warnings, "warning", "warnings"));
  CheckCaption->adjustSize();
  const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
  const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  CheckList->setUpdatesEnabled(false);
  CheckList->clear();
  for (const FixtureProblem& problem : Problems) {
    const bool error = problem.Level == ProblemLevel::Error;
    const QString text = QString::fromStdString(problem.Text);
    auto* item = new QListWidgetItem(error ? errorIcon : warningIcon, text, CheckList);
    item->setToolTip((error ? QStringLiteral("Error: ") : QStringLiteral("Warning: ")) + text);
  }
  CheckList->setUpdatesEnabled(true);
}

void Pelorin::CheckList_DoubleClick(int row) {
  if (row < 0 || row >= static_cast<int>(Problems.size())) return;
  const FixtureProblem problem = Problems[static_cast<std::size_t>(row)];
  CommitOpenEditor();
  AutoAdvance = false;
  switch (problem.Place) {
    case ProblemPlace::Header:
      if (problem.Field == ProblemField::FixtureName) Text1->setFocus(Qt::OtherFocusReason);
      if (problem.Field == ProblemField::MaxPan) Text4->setFocus(Qt::OtherFocusReason);
      if (problem.Field == ProblemField::MaxTilt) Text2->setFocus(Qt::OtherFocusReason);
      break;
    case ProblemPlace::Channel: {
      if (problem.Channel < 0 || problem.Channel + 1 >= MSFlexGrid1->Rows()) break;
      const int col = problem.Field == ProblemField::ChannelType ? 2 : problem.Field == ProblemField::Partner ? 3 : 1;
      MSFlexGrid1->SetCurrentCell(problem.Channel + 1, col);
      MSFlexGrid1->SetFocusQuietly();
      break;
    }
    case ProblemPlace::Step:
      // The steps of the channel open in "Channel Traits", the step chosen.
      if (problem.Channel < 0 || problem.Channel >= Combo9->ListCount()) break;
      if (Combo9->ListIndex() != problem.Channel) Combo9->SetListIndex(problem.Channel);
      if (problem.Step + 1 < MSFlexGrid2->Rows()) MSFlexGrid2->SetCurrentCell(problem.Step + 1, 2);
      MSFlexGrid2->SetFocusQuietly();
      break;
    case ProblemPlace::Palette:
    case ProblemPlace::Preset: break;  // the palettes have their own editor
  }
}

bool Pelorin::MaySaveWithErrors() {
  const std::size_t errors = CountProblems(CheckFixture(Fixture(), &app_.Names.Set()), ProblemLevel::Error);
  if (errors == 0) return true;
  return app_.Dialogs->Ask(this,
                           QStringLiteral("The fixture has ") + QString::number(errors) +
                               QStringLiteral(" problems the console may misread. Save anyway?"),
                           QStringLiteral("Pelorin Fixture"), ui::Buttons::YesNo,
                           ui::Icon::Warning) == ui::Answer::Yes;
}

}  // namespace brannoc
