#include "windows/led_editor/editor_window.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "data/fixture/model.h"
#include "data/led/model.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/layout.h"
#include "windows/ui/save_as.h"
#include "windows/ui/twips.h"

namespace brannoc {
using ui::Label;
using ui::Place;

namespace {

constexpr int kChannelCol = 0;
constexpr int kNameCol = 1;
constexpr int kTypeCol = 2;
constexpr int kPartnerCol = 3;
constexpr int kGridColumns = 4;
constexpr int kDefaultChannelCount = 8;

const QString kLedFilter = QStringLiteral("LedFixture Setup File(*.tff)|*.tff");

QString Latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<int>(text.size())); }

QString TypeText(int type) { return Latin1(ChannelTypeName(type)); }

bool IsSixteenBit(int type) { return type >= InstantLTP16H && type <= FadeableLTP16L; }

}  // namespace

LedFixture::LedFixture(AppState& app, Shell& shell, QWidget* parent) : QWidget(parent), app_(app), shell_(shell) {
  setWindowTitle(QStringLiteral("LED Fixture Edit"));
  setObjectName(QStringLiteral("LedFixture"));
  BuildControls();
  ConnectHandlers();
}

void LedFixture::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* client = new QWidget(this);
  client->setFixedSize(ui::TwipsSize(7680, 6600));
  layout->addWidget(client);

  Frame1 = Place(new QGroupBox(QStringLiteral("Fixture Setup"), client), 120, 60, 7440, 6420);
  Text1 = Place(new ui::TextBox(Frame1), 2160, 300, 2175, 315);
  Label(QStringLiteral("Led Fixture Name:"), Frame1, 240, 360, Text1);
  Text1->SetMaxLength(11);
  Combo1 = Place(new ui::Chooser(false, Frame1), 2160, 720, 1095, 315);
  Label(QStringLiteral("Number of Channels:"), Frame1, 240, 780, Combo1);
  Text4 = Place(new ui::TextBox(Frame1), 2160, 1140, 735, 315);
  Label(QStringLiteral("PanMIRROR:"), Frame1, 240, 1200, Text4);
  Text4->SetMaxLength(3);
  Text2 = Place(new ui::TextBox(Frame1), 2160, 1560, 735, 315);
  Label(QStringLiteral("TiltMIRROR:"), Frame1, 240, 1620, Text2);
  Text2->SetMaxLength(3);
  // Room for the header row and all ten channels without scrolling.
  MSFlexGrid1 = Place(new ui::Grid(kGridColumns, false, Frame1), 120, 2280, 7200, 3405);
  Label(QStringLiteral("Channel Infomations:"), Frame1, 240, 2040, MSFlexGrid1);
  Combo10 = new ui::Chooser(false, Frame1);
  Combo13 = new ui::Chooser(false, Frame1);
  Combo2 = new ui::Chooser(false, Frame1);
  Combo10->AttachToGrid(MSFlexGrid1);
  Combo13->AttachToGrid(MSFlexGrid1);
  Combo2->AttachToGrid(MSFlexGrid1);
  Command1 = Place(new QPushButton(QStringLiteral("Save"), Frame1), 6105, 5880, 1215, 375);

  Text1->SetInitialText(QStringLiteral("New Fixture"));
  Text4->SetInitialText(QStringLiteral("000"));
  Text2->SetInitialText(QStringLiteral("000"));
}

void LedFixture::ConnectHandlers() {
  // Every value comes from a list: typed characters are discarded.
  for (ui::Chooser* chooser : {Combo1, Combo10, Combo13, Combo2}) {
    chooser->KeyPress = [](int& keyAscii) { keyAscii = 0; };
  }
  Combo1->Click = [this] { Combo1_Click(); };
  Combo10->LostFocus = [this] { Combo10_LostFocus(); };
  Combo13->LostFocus = [this] { Combo13_LostFocus(); };
  Combo2->LostFocus = [this] { Combo2_LostFocus(); };

  MSFlexGrid1->Click = [this] { MSFlexGrid1_Click(); };
  MSFlexGrid1->KeyUp = [this](int) { MSFlexGrid1_KeyUp(); };
  MSFlexGrid1->MouseDown = [this] { MSFlexGrid1_MouseDown(); };
  MSFlexGrid1->GotFocus = [this] { MSFlexGrid1_GotFocus(); };
  MSFlexGrid1->LeaveCell = [this] { MSFlexGrid1_LeaveCell(); };

  connect(Command1, &QPushButton::clicked, this, &LedFixture::Command1_Click);
}

void LedFixture::Form_Load() {
  // Opening the window is no edit: a fixture without unsaved changes has none
  // after it either, though the count goes back to 8.
  const bool unsaved = HasUnsavedChanges(app_, nullptr);
  // A window opened again starts from its boxes and lists as built.
  Text1->SetInitialText(QStringLiteral("New Fixture"));
  Text4->SetInitialText(QStringLiteral("000"));
  Text2->SetInitialText(QStringLiteral("000"));
  for (ui::Chooser* list : {Combo1, Combo10, Combo13, Combo2}) list->Clear();
  for (int n = 1; n <= kLedMaxChannels; ++n) Combo1->AddItem(QString::number(n));
  for (std::string_view name : kLedNames) Combo10->AddItem(Latin1(name));
  for (int t = 0; t < kChannelTypeCount; ++t) Combo13->AddItem(TypeText(t));
  Combo10->HideEditor();
  Combo13->HideEditor();
  Combo2->HideEditor();

  const int w = (ui::ToTwips(MSFlexGrid1->width()) - 100) / kGridColumns;
  const int widths[kGridColumns] = {w - 530, w - 50, w + 400, w - 200};
  const char* headers[kGridColumns] = {"Channel", "Channel Name", "Type", "Ch16bit"};
  for (int c = 0; c < kGridColumns; ++c) {
    MSFlexGrid1->SetColWidthTwips(c, widths[c]);
    MSFlexGrid1->SetTextMatrix(0, c, QString::fromLatin1(headers[c]));
  }
  MSFlexGrid1->SetHeaderHeightTwips(500);

  settingUp_ = true;
  Combo1->SetListIndex(kDefaultChannelCount - 1);  // runs Combo1_Click
  settingUp_ = false;
  AutoAdvance = false;
  if (!unsaved) {
    app_.LedSaved = Led();
    app_.LedSaved->FixtureName = FixedText<11>::FromUtf8(Text1->Text().toStdString());
  }
}

void LedFixture::ShowRecord(const LedFixtureRecord& record) {
  CommitOpenEditor();
  Combo10->HideEditor();
  Combo13->HideEditor();
  Combo2->HideEditor();
  Led() = record;
  Text1->SetText(QString::fromStdString(record.FixtureName.BoxTextTrimmed()));
  // The record's count is no choice of the user's: its partners stay.
  settingUp_ = true;
  Combo1->SetListIndex(std::clamp<int>(record.ChannelCount, 1, kLedMaxChannels) - 1);
  settingUp_ = false;
  RebuildLedGrid();
  AutoAdvance = false;
}

bool LedFixture::HasUnsavedChanges(const AppState& app, const LedFixture* window) {
  if (!app.LedSaved) return false;
  LedFixtureRecord now = *app.LedFixture;
  now.FixtureName =
      window ? FixedText<11>::FromUtf8(window->Text1->Text().toStdString()) : app.LedSaved->FixtureName;
  return !SameLedFile(now, *app.LedSaved);
}

QString LedFixture::FixtureName(const AppState& app, const LedFixture* window) {
  if (window) return window->Text1->Text();
  return app.LedSaved ? QString::fromStdString(app.LedSaved->FixtureName.BoxText()) : QString();
}

LedChannelRecord* LedFixture::ChannelOfRow(int row) {
  if (row < 1 || row > kLedMaxChannels || row > Led().ChannelCount) return nullptr;
  return &Led().Channels[static_cast<std::size_t>(row - 1)];
}

ui::Chooser* LedFixture::ChooserOf(int col) const {
  switch (col) {
    case kNameCol: return Combo10;
    case kTypeCol: return Combo13;
    case kPartnerCol: return Combo2;
    default: return nullptr;
  }
}

void LedFixture::RebuildLedGrid() {
  // The partner chooser is refilled below: an open chooser settles first.
  CommitOpenEditor();
  const LedFixtureRecord& led = Led();
  const int count = std::clamp<int>(led.ChannelCount, 1, kLedMaxChannels);
  MSFlexGrid1->SetRows(count + 1);
  Combo2->Clear();
  for (int n = 1; n <= count; ++n) Combo2->AddItem(QString::number(n));
  // The rows show what the record holds, which is what a save would write (a
  // partner beyond the count goes with the save).
  for (int r = 1; r <= count; ++r) {
    const LedChannelRecord& channel = led.Channels[static_cast<std::size_t>(r - 1)];
    const std::string_view listed = LedName(channel.NameIndex);
    const QString name = listed.empty() ? QString::fromStdString(channel.Name.BoxText()) : Latin1(listed);
    MSFlexGrid1->SetTextMatrix(r, kChannelCol, QStringLiteral("Chan ") + QString::number(r));
    MSFlexGrid1->SetTextMatrix(r, kNameCol, name);
    MSFlexGrid1->SetTextMatrix(r, kTypeCol, TypeText(channel.Type));
    MSFlexGrid1->SetTextMatrix(r, kPartnerCol, QString::number(channel.Partner));
  }
}

void LedFixture::Combo1_Click() {
  if (Combo1->ListIndex() < 0) return;
  LedFixtureRecord& led = Led();
  led.ChannelCount = static_cast<std::uint8_t>(Combo1->ListIndex() + 1);
  // A partner beyond the count the user chooses would be written as a channel
  // the file does not have: it goes, and the grid shows "0". The count the
  // window opens with is not the user's: the channels keep their partners until
  // a save at that count (SaveLedFixture).
  if (!settingUp_) ClearPartnersBeyondCount(led);
  RebuildLedGrid();
}

void LedFixture::MSFlexGrid1_Click() {
  const int r = MSFlexGrid1->Row();
  const int col = MSFlexGrid1->Col();
  const LedChannelRecord* channel = ChannelOfRow(r);
  if (!channel) return;
  ui::Chooser* chooser = nullptr;
  switch (col) {
    case kNameCol:
      chooser = Combo10;
      Combo10->SetListIndex(-1);
      Combo10->SetListIndex(channel->NameIndex - 1);  // nothing for 0 or an unknown index
      AutoAdvance = true;
      break;
    case kTypeCol:
      chooser = Combo13;
      Combo13->SetListIndex(-1);
      Combo13->SetListIndex(channel->Type);
      AutoAdvance = true;
      break;
    case kPartnerCol:
      if (!IsSixteenBit(channel->Type)) return;
      chooser = Combo2;
      // A channel is never its own partner: its number is left out, and the
      // other entries keep standing for their channels.
      for (int p = 0; p < Combo2->ListCount(); ++p) Combo2->SetEntryOffered(p, p != r - 1);
      Combo2->SetListIndex(-1);
      Combo2->SetListIndex(channel->Partner - 1);  // nothing for 0, its own number or beyond the count
      break;
    default:
      return;
  }
  chooser->PlaceOver(MSFlexGrid1->CellRectInParent(r, col));
  chooser->ShowAndFocus();
}

void LedFixture::MSFlexGrid1_KeyUp() { MSFlexGrid1_Click(); }

void LedFixture::MSFlexGrid1_MouseDown() { AutoAdvance = false; }

void LedFixture::MSFlexGrid1_GotFocus() {
  if (!AutoAdvance) return;
  // From "Type" or "Ch16bit" the walk goes on to the next row's name.
  MSFlexGrid1->MoveToNextCell(kNameCol, kTypeCol);
  MSFlexGrid1_Click();
}

void LedFixture::ApplyPick(int row, int col, int index) {
  LedChannelRecord* channel = ChannelOfRow(row);
  ui::Chooser* chooser = ChooserOf(col);
  if (!channel || !chooser || index < 0 || index >= chooser->ListCount()) return;
  MSFlexGrid1->SetTextMatrix(row, col, chooser->List(index));
  switch (col) {
    case kNameCol:
      channel->Name = FixedText<12>::FromUtf8(chooser->List(index).toStdString());
      channel->NameIndex = static_cast<std::uint8_t>(index + 1);
      break;
    case kTypeCol:
      channel->Type = static_cast<std::uint8_t>(index);
      if (!IsSixteenBit(channel->Type)) {
        channel->Partner = 0;
        MSFlexGrid1->SetTextMatrix(row, kPartnerCol, QStringLiteral("0"));
      }
      break;
    case kPartnerCol:
      channel->Partner = static_cast<std::uint8_t>(index + 1);
      break;
    default:
      break;
  }
}

void LedFixture::CommitChooser(ui::Chooser* chooser, int col) {
  if (!chooser->isVisible()) return;
  const int picked = chooser->ListIndex();
  // Emptied before it hides: the focus loss that hiding may cause finds nothing
  // left to commit, so one pick is committed once.
  chooser->SetListIndex(-1);
  if (picked >= 0 && MSFlexGrid1->Col() == col) ApplyPick(MSFlexGrid1->Row(), col, picked);
  chooser->HideEditor();
}

void LedFixture::MSFlexGrid1_LeaveCell() {
  // The grid still names the cell being left.
  if (ui::Chooser* chooser = ChooserOf(MSFlexGrid1->Col())) CommitChooser(chooser, MSFlexGrid1->Col());
}

void LedFixture::Combo10_LostFocus() {
  CommitChooser(Combo10, kNameCol);
}
void LedFixture::Combo13_LostFocus() {
  CommitChooser(Combo13, kTypeCol);
}
void LedFixture::Combo2_LostFocus() {
  CommitChooser(Combo2, kPartnerCol);
}

void LedFixture::CommitOpenEditor() {
  CommitChooser(Combo10, kNameCol);
  CommitChooser(Combo13, kTypeCol);
  CommitChooser(Combo2, kPartnerCol);
}

void LedFixture::Command1_Click() { SaveLedFixture(); }

bool LedFixture::SaveLedFixture() {
  CommitOpenEditor();
  LedFixtureRecord& led = Led();
  led.FixtureName = FixedText<11>::FromUtf8(Text1->Text().toStdString());
  RebuildLedFunctionMap(led);

  const auto name = ui::AskSavePath(*app_.Dialogs, this, kLedFilter, QStringLiteral(".tff"));
  if (!name) return false;  // cancelled, or the old file is to stay
  // No partner beyond the count reaches the file.
  ClearPartnersBeyondCount(led);
  // The old file stays until the new one is complete; the writer replaces it.
  const auto error = WriteLedFixtureFile(led, std::filesystem::path(name->toStdString()));
  ShowTypesAfterSave();
  if (error) {
    ui::ReportSaveFailure(*app_.Dialogs, this, *name, error->message);
    return false;
  }
  app_.LedSaved = led;
  return true;
}

void LedFixture::ShowTypesAfterSave() {
  // The save re-derives the types: a low-byte channel takes its flavour from the
  // high-byte channel pointing at it, an unpointed one becomes LTP.
  for (int r = 1; r < MSFlexGrid1->Rows(); ++r) {
    const LedChannelRecord* channel = ChannelOfRow(r);
    if (!channel) continue;
    MSFlexGrid1->SetTextMatrix(r, kTypeCol, TypeText(channel->Type));
    MSFlexGrid1->SetTextMatrix(r, kPartnerCol, QString::number(channel->Partner));
  }
}

void LedFixture::closeEvent(QCloseEvent* event) {
  // A pick still open goes into the record, which outlives the window.
  if (!app_.Ending) CommitOpenEditor();
  QWidget::closeEvent(event);
}

}  // namespace brannoc
