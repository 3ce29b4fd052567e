// The "Channel Traits" panel of the fixture editor: the steps of one channel.

#include <QLabel>
#include <numeric>

#include "data/core/number.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {

constexpr int kStepNameCol = 1;
constexpr int kFromCol = 2;
constexpr int kToCol = 3;
const QString kNoSteps = QStringLiteral("No Steps");

QString StepLabel(int s) { return QStringLiteral("Step ") + QString::number(s); }

QString StepNameText(const ChannelStep& step) {
  return step.StepName.IsBlank() ? QString() : QString::fromStdString(step.StepName.BoxText());
}

}  // namespace

void Pelorin::FillStepGrid(int ch) {
  if (ch < 0 || ch >= kMaxChannels) return;
  const FixtureRecord& fixture = Fixture();
  const int n = fixture.StepCounts[static_cast<std::size_t>(ch)];
  if (n > 0) {
    MSFlexGrid2->SetRows(n + 1);
    for (int i = 0; i < n; ++i) {
      const ChannelStep& step = fixture.Steps[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)];
      MSFlexGrid2->SetTextMatrix(i + 1, 0, StepLabel(i + 1));
      MSFlexGrid2->SetTextMatrix(i + 1, kStepNameCol, StepNameText(step));
      MSFlexGrid2->SetTextMatrix(i + 1, kFromCol, QString::number(step.FromDmx));
      MSFlexGrid2->SetTextMatrix(i + 1, kToCol, QString::number(step.ToDmx));
    }
  } else {
    MSFlexGrid2->SetRows(2);
    MSFlexGrid2->SetTextMatrix(1, 0, kNoSteps);
    for (int c = 1; c <= kToCol; ++c) MSFlexGrid2->SetTextMatrix(1, c, QStringLiteral("0"));
  }
}

void Pelorin::Combo9_Click() {
  if (ResetInProgress) return;
  FillStepGrid(Combo9->ListIndex());
}

void Pelorin::Command1_Click() {
  const int ch = Combo9->ListIndex();
  if (ch < 0 || ch >= kMaxChannels) return;
  FixtureRecord& fixture = Fixture();
  auto& steps = fixture.Steps[static_cast<std::size_t>(ch)];
  auto& count = fixture.StepCounts[static_cast<std::size_t>(ch)];
  MSFlexGrid2->SetCurrentCell(1, 0);
  int row = 1;
  if (MSFlexGrid2->TextMatrix(1, 0) == kNoSteps) {
    MSFlexGrid2->SetTextMatrix(1, 0, StepLabel(1));
    count = 1;
    steps[0] = ChannelStep::Blank();
  } else if (MSFlexGrid2->Rows() >= 256) {
    return;
  } else {
    MSFlexGrid2->SetRows(MSFlexGrid2->Rows() + 1);
    row = MSFlexGrid2->Rows() - 1;
    MSFlexGrid2->SetCurrentCell(row, 0);
    MSFlexGrid2->SetTextMatrix(row, 0, StepLabel(row));
    ++count;
    steps[count - 1u] = ChannelStep::Blank();
  }
  const QString cells[] = {QString(), QStringLiteral("0"), QStringLiteral("0")};
  for (int c = kStepNameCol; c <= kToCol; ++c) {
    MSFlexGrid2->SetCurrentCell(row, c);
    MSFlexGrid2->SetTextMatrix(row, c, cells[c - 1]);
  }
  UpdateStepTotal();
  RecordChange();
}

void Pelorin::Command2_Click() {
  const int ch = Combo9->ListIndex();
  const int r = MSFlexGrid2->Row();
  if (ch < 0 || ch >= kMaxChannels || MSFlexGrid2->Col() != 0) return;
  MSFlexGrid2->SetCurrentCell(1, 0);
  if (MSFlexGrid2->TextMatrix(1, 0) == kNoSteps || MSFlexGrid2->Rows() >= 51) return;
  FixtureRecord& fixture = Fixture();
  auto& steps = fixture.Steps[static_cast<std::size_t>(ch)];
  auto& count = fixture.StepCounts[static_cast<std::size_t>(ch)];

  MSFlexGrid2->InsertRow(r);
  MSFlexGrid2->SetTextMatrix(r, 0, StepLabel(r));
  ++count;
  for (int i = count - 1; i >= r; --i) steps[static_cast<std::size_t>(i)] = steps[static_cast<std::size_t>(i - 1)];
  steps[static_cast<std::size_t>(r - 1)] = ChannelStep::Blank();
  MSFlexGrid2->SetTextMatrix(r, kStepNameCol, QString());
  MSFlexGrid2->SetTextMatrix(r, kFromCol, QStringLiteral("0"));
  MSFlexGrid2->SetTextMatrix(r, kToCol, QStringLiteral("0"));
  for (int i = r + 1; i < MSFlexGrid2->Rows(); ++i) MSFlexGrid2->SetTextMatrix(i, 0, StepLabel(i));
  MSFlexGrid2->SetCurrentCell(r + 1, 0);
  UpdateStepTotal();
  RecordChange();
  MSFlexGrid2->setFocus(Qt::OtherFocusReason);
}

void Pelorin::Command3_Click() {
  const int ch = Combo9->ListIndex();
  const int r = MSFlexGrid2->Row();
  if (ch < 0 || ch >= kMaxChannels || MSFlexGrid2->Col() != 0) return;
  FixtureRecord& fixture = Fixture();
  auto& steps = fixture.Steps[static_cast<std::size_t>(ch)];
  auto& count = fixture.StepCounts[static_cast<std::size_t>(ch)];
  if (MSFlexGrid2->Rows() > 2) {
    MSFlexGrid2->RemoveRow(r);
    --count;
    for (int i = r; i <= MSFlexGrid2->Rows() - 1; ++i) {
      MSFlexGrid2->SetTextMatrix(i, 0, StepLabel(i));
      steps[static_cast<std::size_t>(i - 1)] = steps[static_cast<std::size_t>(i)];
    }
    steps[count] = ChannelStep::Blank();
    MSFlexGrid2->SetCurrentCell(MSFlexGrid2->Rows() - 1, 0);
  } else {
    MSFlexGrid2->SetTextMatrix(1, 0, kNoSteps);
    for (int c = kStepNameCol; c <= kToCol; ++c) {
      MSFlexGrid2->SetCurrentCell(1, c);
      MSFlexGrid2->SetTextMatrix(1, c, QString());
    }
    count = 0;
  }
  UpdateStepTotal();
  RecordChange();
  MSFlexGrid2->setFocus(Qt::OtherFocusReason);
}

void Pelorin::Command4_Click() {
  const int s = Combo11->ListIndex();
  const int t = Combo12->ListIndex();
  if (s < 0 || t < 0 || s == t || s >= kMaxChannels || t >= kMaxChannels) return;
  const ui::Answer answer = app_.Dialogs->Ask(
      this, QStringLiteral("Any data on channel ") + QString::number(t + 1) + QStringLiteral("  will be lost,continue"),
      QStringLiteral("Pelorin Fixture"), ui::Buttons::OkCancel, ui::Icon::None);
  if (answer != ui::Answer::Ok) return;
  FixtureRecord& fixture = Fixture();
  fixture.StepCounts[static_cast<std::size_t>(t)] = fixture.StepCounts[static_cast<std::size_t>(s)];
  fixture.Steps[static_cast<std::size_t>(t)] = fixture.Steps[static_cast<std::size_t>(s)];
  Combo9->SetListIndex(t);
  FillStepGrid(Combo9->ListIndex());
  UpdateStepTotal();
  RecordChange();
}

void Pelorin::MSFlexGrid2_Click() {
  const int r = MSFlexGrid2->Row();
  const int col = MSFlexGrid2->Col();
  if (col == 0) return;
  // The placeholder of a channel without steps holds no step to edit.
  if (MSFlexGrid2->TextMatrix(1, 0) == kNoSteps) return;
  const QString text = MSFlexGrid2->TextMatrix(r, col);
  if (col == kStepNameCol) {
    // The name without its padding, so that the box takes what is typed after it.
    QString name = text;
    while (name.endsWith(QLatin1Char(' '))) name.chop(1);
    Text3->SetMaxLength(8);
    Text3->SetText(name);
  } else {
    Text3->SetMaxLength(3);
    Text3->SetText(text == QStringLiteral("0") ? QString() : text);
  }
  Text3->setCursorPosition(static_cast<int>(Text3->Text().size()));
  Text3->PlaceOver(MSFlexGrid2->CellRectInParent(r, col));
  AutoAdvance = true;
  Text3->ShowAndFocus();
}

void Pelorin::MSFlexGrid2_KeyUp() { MSFlexGrid2_Click(); }

void Pelorin::MSFlexGrid2_MouseDown() { AutoAdvance = false; }

void Pelorin::MSFlexGrid2_GotFocus() {
  if (!AutoAdvance) return;
  MSFlexGrid2->MoveToNextCell(kStepNameCol, kToCol);
  MSFlexGrid2_Click();
}

void Pelorin::CommitStep(int row, int col) {
  const int ch = Combo9->ListIndex();
  const int s = row - 1;
  if (ch < 0 || ch >= kMaxChannels || s < 0 || s >= kMaxStepsPerChannel) return;
  ChannelStep& step = Fixture().Steps[static_cast<std::size_t>(ch)][static_cast<std::size_t>(s)];
  const QString text = Text3->Text();
  if (col == kStepNameCol) {
    MSFlexGrid2->SetTextMatrix(row, col, text);
    step.StepName = FixedText<8>::FromUtf8(text.toStdString());
    return;
  }
  if (col != kFromCol && col != kToCol) return;
  const std::int64_t v = ApplyByteRule(ReadBoxNumber(text.toStdString()));
  if (v < 0) return;  // a byte cannot hold it: the step keeps its value
  (col == kFromCol ? step.FromDmx : step.ToDmx) = static_cast<std::uint8_t>(v);
  MSFlexGrid2->SetTextMatrix(row, col, QString::number(v));
}

void Pelorin::MSFlexGrid2_LeaveCell() {
  if (!Text3->isVisible()) return;
  CommitStep(MSFlexGrid2->Row(), MSFlexGrid2->Col());
  Text3->HideEditor();
  Text3->SetText(QString());
  RecordChange();
}

void Pelorin::Text3_LostFocus() {
  Text3->HideEditor();
  if (!Text3->Text().isEmpty()) CommitStep(MSFlexGrid2->Row(), MSFlexGrid2->Col());
  Text3->SetText(QString());
  RecordChange();
}

void Pelorin::UpdateStepTotal() {
  const auto& counts = Fixture().StepCounts;
  const int total = std::accumulate(counts.begin(), counts.end(), 0);
  StepTotal->setText(QStringLiteral("Steps: %1 of %2 in file").arg(total).arg(MAX_FILE_STEPS));
  StepTotal->setStyleSheet(total > MAX_FILE_STEPS ? QStringLiteral("color: #c00000; font-weight: bold;")
                                                  : QString());
}

}  // namespace brannoc
