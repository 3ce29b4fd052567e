// The channel grid of the fixture editor: its rows, the count change, the four
// cell editors and the keyboard walk.

#include <QLineEdit>

#include "data/core/number.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {

constexpr int kNameCol = 1;
constexpr int kTypeCol = 2;
constexpr int kPartnerCol = 3;
constexpr int kValueCol = 4;

QString TypeText(int type) {
  const auto name = ChannelTypeName(type);
  return QString::fromLatin1(name.data(), static_cast<int>(name.size()));
}

// The value box's number, or nothing for a negative one (the byte cannot hold it).
std::optional<std::uint8_t> ValueFromBox(const QString& text) {
  const std::int64_t v = ApplyByteRule(ReadBoxNumber(text.toStdString()));
  if (v < 0) return std::nullopt;
  return static_cast<std::uint8_t>(v);
}

}  // namespace

void Pelorin::FillChannelTable() {
  const FixtureRecord& fixture = Fixture();
  MSFlexGrid1->SetRows(fixture.ChannelCount + 1);
  for (int c = 1; c <= fixture.ChannelCount; ++c) {
    const ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(c - 1)];
    const QString name = QString::fromStdString(channel.Name.BoxText());
    MSFlexGrid1->SetTextMatrix(c, 0, ChannelLabel(c));
    MSFlexGrid1->SetTextMatrix(c, kNameCol, name);
    const QString entry = ChannelLabel(c) + QStringLiteral(" - ") + name;
    if (Combo9->ListCount() == c - 1) {
      Combo9->AddItem(entry);
    } else {
      Combo9->SetList(c - 1, entry);
    }
    MSFlexGrid1->SetTextMatrix(c, kTypeCol, TypeText(channel.Type));
    MSFlexGrid1->SetTextMatrix(c, kValueCol, QString::number(channel.Value));
    MSFlexGrid1->SetTextMatrix(c, kPartnerCol, QString::number(channel.Partner));
  }
}

void Pelorin::Combo1_Click() {
  if (ResetInProgress) return;
  FixtureRecord& fixture = Fixture();
  int o = 0;
  int n = 0;
  if (UserEditing) {
    o = fixture.ChannelCount;
    n = Combo1->ListIndex() + 1;
    fixture.ChannelCount = static_cast<std::uint8_t>(n);
  } else {
    o = ShownChannelCount;
    n = fixture.ChannelCount;
  }
  if (n == o) return;

  MSFlexGrid1->SetRows(n + 1);
  if (n < o) {
    for (ui::Chooser* list : {Combo9, Combo11, Combo12}) {
      if (list->ListIndex() >= n) list->SetListIndex(0);
    }
    for (int c = o; c >= n + 1; --c) {
      // Channels the user removes start empty when they come back; the channels
      // of a fixture being shown are the file's own.
      if (UserEditing) {
        ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(c - 1)];
        channel.NameCode = 0;
        channel.Name = FixedText<12>::Blank();
        channel.Type = LTP;
        channel.Value = 0;
      }
      Combo9->RemoveItem(c - 1);
      Combo11->RemoveItem(c - 1);
      Combo12->RemoveItem(c - 1);
    }
    if (UserEditing) {
      while (Combo2->ListCount() > n) Combo2->RemoveItem(Combo2->ListCount() - 1);
    }
    // A name typed into a channel that is gone has nowhere to go.
    if (NameTyped && TypedRow > n) DropTypedName();
  } else {
    for (int c = o + 1; c <= n; ++c) {
      if (UserEditing) {
        ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(c - 1)];
        channel.NameCode = 0;
        channel.Name = FixedText<12>::Blank();
        channel.Type = LTP;
        channel.Partner = 0;
        channel.Value = 0;
        MSFlexGrid1->SetTextMatrix(c, 0, ChannelLabel(c));
        MSFlexGrid1->SetTextMatrix(c, kTypeCol, QStringLiteral("LTP"));
        MSFlexGrid1->SetTextMatrix(c, kPartnerCol, QStringLiteral("0"));
        MSFlexGrid1->SetTextMatrix(c, kValueCol, QStringLiteral("0"));
        Combo9->AddItem(ChannelLabel(c) + QStringLiteral("-"));
        Combo2->AddItem(QString::number(c));
      }
      Combo11->AddItem(ChannelLabel(c));
      Combo12->AddItem(ChannelLabel(c));
    }
  }
  UpdateStepTotal();
  if (UserEditing) RecordChange();
}

void Pelorin::MSFlexGrid1_Click() {
  const int r = MSFlexGrid1->Row();
  const int col = MSFlexGrid1->Col();
  const QRect cell = MSFlexGrid1->CellRectInParent(r, col);
  const ChannelRecord& channel = Fixture().Channels[static_cast<std::size_t>(std::clamp(r, 1, kMaxChannels) - 1)];
  switch (col) {
    case kNameCol: {
      CheckChannelName();
      RecordChange();  // a name added or refused there
      const int match = FindNameEntry(MSFlexGrid1->TextMatrix(r, col));
      Combo10->SetListIndex(-1);
      if (match >= 0) {
        Combo10->SetListIndex(match);  // runs Combo10_Click
      } else {
        // A name the vocabulary lacks stays in view, so that leaving the
        // chooser without typing keeps it.
        QString shown = MSFlexGrid1->TextMatrix(r, col);
        while (shown.endsWith(QLatin1Char(' '))) shown.chop(1);
        Combo10->SetText(shown);
      }
      Combo10->lineEdit()->setCursorPosition(1);
      Combo10->PlaceOver(cell);
      Combo10->ShowAndFocus();
      break;
    }
    case kTypeCol:
      Combo13->SetListIndex(-1);
      Combo13->SetListIndex(channel.Type);
      Combo13->PlaceOver(cell);
      Combo13->ShowAndFocus();
      break;
    case kPartnerCol:
      if (channel.Type >= InstantLTP16H && channel.Type <= FadeableLTP16L) {
        // A channel is never its own partner: its number is left out, and the
        // other entries keep standing for their channels.
        for (int p = 0; p < Combo2->ListCount(); ++p) Combo2->SetEntryOffered(p, p != r - 1);
        Combo2->SetListIndex(-1);
        Combo2->SetListIndex(channel.Partner - 1);  // nothing for its own number
        Combo2->PlaceOver(cell);
        Combo2->ShowAndFocus();
      }
      break;
    case kValueCol: {
      Text5->SetMaxLength(3);
      const QString text = MSFlexGrid1->TextMatrix(r, col);
      Text5->SetText(text == QStringLiteral("0") ? QString() : text);
      Text5->setCursorPosition(static_cast<int>(Text5->Text().size()));
      Text5->PlaceOver(cell);
      Text5->ShowAndFocus();
      break;
    }
    default:
      break;
  }
  AutoAdvance = true;
}

void Pelorin::MSFlexGrid1_KeyUp() { MSFlexGrid1_Click(); }

void Pelorin::MSFlexGrid1_MouseDown() { AutoAdvance = false; }

void Pelorin::MSFlexGrid1_GotFocus() {
  if (!AutoAdvance) return;
  MSFlexGrid1->MoveToNextCell(kNameCol, kValueCol);
  MSFlexGrid1_Click();
}

void Pelorin::CommitName(int row, const QString& text) {
  MSFlexGrid1->SetTextMatrix(row, kNameCol, text);
  // A name only looked at keeps its code, even one the vocabulary lacks.
  if (!NameTyped && row >= 1 && row <= kMaxChannels &&
      FixedText<12>::FromUtf8(text.toStdString()) == Fixture().Channels[static_cast<std::size_t>(row - 1)].Name) {
    ShowNameInChannelList(row);
    return;
  }
  const bool refused = CheckChannelName() == NameCheck::Refused && TypedRow == row;
  if (refused || row < 1 || row > kMaxChannels) return;  // the refusal emptied cell, channel and list entry
  ChannelRecord& channel = Fixture().Channels[static_cast<std::size_t>(row - 1)];
  // The cell and the channel agree after every commit: a name of the set takes
  // its entry and code; any other text is kept without a code.
  const int entry = Combo10->ListIndex() >= 0 ? Combo10->ListIndex() : FindNameEntry(text);
  if (entry >= 0) {
    const QString name = Combo10->List(entry);
    channel.Name = FixedText<12>::FromUtf8(name.toStdString());
    channel.NameCode = static_cast<std::uint8_t>(Combo10->ItemData(entry) & 0xFF);
    MSFlexGrid1->SetTextMatrix(row, kNameCol, name);
  } else {
    channel.Name = FixedText<12>::FromUtf8(text.toStdString());
    channel.NameCode = 0;
  }
  ShowNameInChannelList(row);
}

void Pelorin::ShowNameInChannelList(int row) {
  if (row < 1 || row > kMaxChannels) return;
  const ChannelRecord& channel = Fixture().Channels[static_cast<std::size_t>(row - 1)];
  Combo9->SetList(row - 1, ChannelLabel(row) + QStringLiteral(" - ") + QString::fromStdString(channel.Name.BoxText()));
}

void Pelorin::DropTypedName() {
  NameTyped = false;
  TypedName.clear();
}

void Pelorin::CommitType(int row) {
  if (Combo13->ListIndex() < 0 || row < 1 || row > kMaxChannels) return;  // nothing chosen: keep
  ChannelRecord& channel = Fixture().Channels[static_cast<std::size_t>(row - 1)];
  MSFlexGrid1->SetTextMatrix(row, kTypeCol, Combo13->Text());
  channel.Type = static_cast<std::uint8_t>(Combo13->ListIndex());
  if (channel.Type <= InstantLTP) {
    channel.Partner = 0;
    MSFlexGrid1->SetCurrentCell(row, kPartnerCol);
    MSFlexGrid1->SetTextMatrix(row, kPartnerCol, QStringLiteral("0"));
  }
}

void Pelorin::MSFlexGrid1_LeaveCell() {
  const int r = MSFlexGrid1->Row();
  const int col = MSFlexGrid1->Col();
  if (r < 1 || r > kMaxChannels) return;
  ChannelRecord& channel = Fixture().Channels[static_cast<std::size_t>(r - 1)];
  switch (col) {
    case kNameCol:
      if (!Combo10->isVisible()) return;
      CommitName(r, Combo10->Text());
      Combo10->HideEditor();
      Combo10->SetText(QString());
      break;
    case kTypeCol:
      if (!Combo13->isVisible()) return;
      Combo13->HideEditor();
      CommitType(r);
      Combo13->SetListIndex(-1);
      break;
    case kPartnerCol:
      if (!Combo2->isVisible()) return;
      if (Combo2->ListIndex() >= 0) {
        MSFlexGrid1->SetTextMatrix(r, kPartnerCol, Combo2->Text());
        channel.Partner = static_cast<std::uint8_t>(Combo2->ListIndex() + 1);
      }
      Combo2->HideEditor();
      Combo2->SetListIndex(-1);
      break;
    case kValueCol:
      if (!Text5->isVisible()) return;
      if (const auto v = ValueFromBox(Text5->Text())) {
        MSFlexGrid1->SetTextMatrix(r, kValueCol, QString::number(*v));
        channel.Value = *v;
      }
      Text5->SetText(QString());  // the box stays until it loses the focus
      break;
    default:
      break;
  }
  RecordChange();
}

void Pelorin::Combo10_Click() {
  // A pick settles the chooser on that entry: what was typed before it is gone.
  DropTypedName();
  if (MSFlexGrid1->Col() != kNameCol) return;
  const int r = MSFlexGrid1->Row();
  Combo9->SetList(r - 1, ChannelLabel(r) + QStringLiteral(" - ") + Combo10->Text());
  Combo9->SetListIndex(r - 1);
}

void Pelorin::Combo10_KeyPress(int& keyAscii) {
  if (Combo10->Text().size() < 13) {
    if (keyAscii < 32 || keyAscii > 122) return;  // the key goes on; backspace is read after it
    NameTyped = true;
    TypedRow = MSFlexGrid1->Row();
    TypedCol = MSFlexGrid1->Col();
  } else if (keyAscii > 47) {
    keyAscii = 0;
  }
}

void Pelorin::Combo10_AfterKeyPress() {
  // The name as the chooser shows it after the key, wherever the caret was.
  if (NameTyped) TypedName = Combo10->Text();
}

void Pelorin::Combo10_LostFocus() {
  if (!Combo10->isVisible()) return;
  Combo10->HideEditor();
  const QString text = Combo10->Text();
  if (text.size() > 1 && MSFlexGrid1->Col() == kNameCol) {
    CommitName(MSFlexGrid1->Row(), text);
  } else {
    DropTypedName();  // closed without a commit: what was typed goes with it
  }
  Combo10->SetText(QString());
  RecordChange();
}

void Pelorin::Combo13_LostFocus() {
  if (!Combo13->isVisible()) return;
  Combo13->HideEditor();
  if (Combo13->Text().size() > 1 && MSFlexGrid1->Col() == kTypeCol) CommitType(MSFlexGrid1->Row());
  Combo13->SetListIndex(-1);
  RecordChange();
}

void Pelorin::Combo2_LostFocus() {
  if (!Combo2->isVisible()) return;
  Combo2->HideEditor();
  const int r = MSFlexGrid1->Row();
  if (!Combo2->Text().isEmpty() && MSFlexGrid1->Col() == kPartnerCol && r >= 1 && r <= kMaxChannels) {
    MSFlexGrid1->SetTextMatrix(r, kPartnerCol, Combo2->Text());
    Fixture().Channels[static_cast<std::size_t>(r - 1)].Partner = static_cast<std::uint8_t>(Combo2->ListIndex() + 1);
  }
  Combo2->SetListIndex(-1);
  RecordChange();
}

void Pelorin::Text5_LostFocus() {
  Text5->HideEditor();
  const int r = MSFlexGrid1->Row();
  if (!Text5->Text().isEmpty() && r >= 1 && r <= kMaxChannels) {
    if (const auto v = ValueFromBox(Text5->Text())) {
      MSFlexGrid1->SetTextMatrix(r, kValueCol, QString::number(*v));
      Fixture().Channels[static_cast<std::size_t>(r - 1)].Value = *v;
    }
  }
  Text5->SetText(QString());
  RecordChange();
}

void Pelorin::CommitOpenEditor() {
  // Whichever editor is open commits as if the grid left its cell.
  if (Combo10->isVisible() || Combo13->isVisible() || Combo2->isVisible()) MSFlexGrid1_LeaveCell();
  if (Text5->isVisible()) Text5_LostFocus();
  if (Text3->isVisible()) Text3_LostFocus();
}

}  // namespace brannoc
