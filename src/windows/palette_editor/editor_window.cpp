#include "windows/palette_editor/editor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QSignalBlocker>
#include <QTabBar>
#include <algorithm>
#include <vector>

#include "data/palette_fill/generate.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/dialogs.h"
#include "windows/ui/layout.h"
#include "windows/ui/twips.h"

namespace brannoc {
using ui::Label;
using ui::Place;

namespace {

constexpr int kClientWidth = 13755;
constexpr int kClientHeight = 8490;
constexpr int kTopValue = 255;  // the value shown with a bar at its top
constexpr int kBarsPerRow = 20;
constexpr int kBoxesPerRow = 8;

const QString kSaveQuestion = QStringLiteral("Do you wish to save changes?");
const QString kSaveTitle = QStringLiteral("Save Select");
const QString kTabPrefix = QStringLiteral("Palette");

// A frame whose caption sits in its top border line, so that the controls at
// the top of the frame stay clear of the caption.
const QString kFrameStyle = QStringLiteral(
    "QGroupBox { border: 1px solid palette(mid); margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 2px; }");

// A name as a button or check box shows it: an "&" in the name is a character,
// not the mark of a shortcut key.
QString Caption(const std::string& utf8) {
  QString text = QString::fromStdString(utf8);
  text.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return text;
}

// A name in a box: without its padding, so that the box takes what is typed after it.
QString BoxText(const PaletteText& name) { return QString::fromStdString(name.BoxTextTrimmed()); }

// Holds back the member boxes' tick handler while it lives.
class HeldBackTicks {
 public:
  explicit HeldBackTicks(const std::array<QCheckBox*, kPaletteChannels>& boxes) {
    blockers_.reserve(boxes.size());
    for (QCheckBox* box : boxes) blockers_.emplace_back(box);
  }

 private:
  std::vector<QSignalBlocker> blockers_;
};

}  // namespace

ULink::ULink(AppState& app, Shell& /*shell*/, QWidget* parent) : QWidget(parent), app_(app) {
  setWindowTitle(QStringLiteral("Palette Edit Rev1.05"));
  setObjectName(QStringLiteral("ULink"));
  setFixedSize(ui::TwipsSize(kClientWidth, kClientHeight));
  // The bars start at their tops, and the values they mirror with them.
  EditValues.fill(kTopValue);
  BuildControls();
  ConnectHandlers();
}

void ULink::BuildControls() {
  // The tab strip covers the window: its tabs along the top, its pane below,
  // and the two frames lie on the pane.
  TabStrip1 = new QTabBar(this);
  TabStrip1->setExpanding(false);
  TabStrip1->setDrawBase(false);
  for (int n = 1; n <= kPaletteCount; ++n) {
    const QString caption = kTabPrefix + QString::number(n);
    TabStrip1->addTab(caption);
    TabStrip1->setTabData(n - 1, caption);  // each tab's key is its caption
  }
  const int tabHeight = TabStrip1->sizeHint().height();
  TabStrip1->setGeometry(0, 0, width(), tabHeight);
  TabPane = new QFrame(this);
  TabPane->setFrameShape(QFrame::StyledPanel);
  TabPane->setGeometry(0, tabHeight - 1, width(), height() - tabHeight + 1);
  TabStrip1->raise();

  PaletteFrame = Place(new QGroupBox(QStringLiteral("Palette1 Edit"), this), 120, 480, 13455, 1935);
  PaletteFrame->setStyleSheet(kFrameStyle);
  Command3 = Place(new QPushButton(PaletteFrame), 120, 360, 1215, 375);
  Command3->setToolTip(QStringLiteral("Click To Change Setting"));
  // Wide enough for the longest of its captions in the face in use.
  int captionWidth = Command3->width();
  for (const char* caption : {"Save Setting", "Updata Setting", "Update Setting"}) {
    Command3->setText(QString::fromLatin1(caption));
    captionWidth = std::max(captionWidth, Command3->sizeHint().width());
  }
  Command3->resize(captionWidth, Command3->height());
  Text2 = Place(new ui::TextBox(PaletteFrame), 240, 1200, 975, 285);
  Command5 = Place(new QPushButton(QStringLiteral("Fill Palettes"), PaletteFrame), 120, 1560, 1215, 315);
  Command5->setToolTip(QStringLiteral("Fill the palettes without a name from the fixture's channels"));
  Command5->resize(std::max(Command5->width(), Command5->sizeHint().width()), Command5->height());
  PaletteNameLabel = Label(QStringLiteral("Name:"), PaletteFrame, 360, 960, Text2);
  for (int column = 0; column < kBoxesPerRow; ++column) {
    ColumnHeadings[static_cast<std::size_t>(column)] =
        Label(QStringLiteral("Ch") + QString::number(column + 1), PaletteFrame, 1920 + 1440 * column, 240);
  }
  for (int row = 0; row < 5; ++row) {
    auto* heading = Place(new QLabel(QString::number(row + 1), PaletteFrame), 1680, 480 + 240 * row, 225, 225);
    heading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RowHeadings[static_cast<std::size_t>(row)] = heading;
  }
  for (int i = 0; i < kPaletteChannels; ++i) {
    const int row = i / kBoxesPerRow;
    const int column = i % kBoxesPerRow;
    Check1[static_cast<std::size_t>(i)] =
        Place(new QCheckBox(PaletteFrame), 1920 + 1440 * column, 480 + 240 * row, 1395, 225);
  }

  // Under the member boxes: how much of the file's palette block the palettes need.
  BlockTotal = Place(new QLabel(PaletteFrame), 1920, 1680, 5715, 225);

  PresetFrame = Place(new QGroupBox(QStringLiteral("Edit Preset"), this), 120, 2520, 13455, 5775);
  PresetFrame->setStyleSheet(kFrameStyle);
  ClickToEditLabel = Label(QStringLiteral("Click To Edit:"), PresetFrame, 240, 240);
  for (int k = 0; k < kPresetCount; ++k) {
    Command2[static_cast<std::size_t>(k)] = Place(new QPushButton(PresetFrame), 120, 480 + 360 * k, 1095, 375);
  }
  buttonFace_ = Command2[0]->palette().color(QPalette::Button);
  Text3 = Place(new ui::TextBox(PresetFrame), 240, 4440, 855, 285);
  PresetNameLabel = Label(QStringLiteral("Name:"), PresetFrame, 360, 4200, Text3);
  Command1 = Place(new QPushButton(QStringLiteral("Save "), PresetFrame), 120, 4800, 1095, 375);
  Command4 = Place(new QPushButton(QStringLiteral("Cancel"), PresetFrame), 120, 5280, 1095, 375);
  for (int i = 0; i < kPaletteChannels; ++i) {
    const bool upper = i < kBarsPerRow;
    const int left = 1440 + 600 * (i % kBarsPerRow);
    auto* bar = Place(new QScrollBar(Qt::Vertical, PresetFrame), left, upper ? 480 : 3240, 375, 1935);
    bar->setRange(0, kTopValue);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(0);
    VScroll1[static_cast<std::size_t>(i)] = bar;
    auto* box = Place(new ui::TextBox(PresetFrame), left, upper ? 2520 : 5280, 495, 330);
    box->setReadOnly(true);  // shows the bar's value; nothing typed here would be kept
    box->SetInitialText(QString::number(kTopValue));
    Text1[static_cast<std::size_t>(i)] = box;
    ChannelLabels[static_cast<std::size_t>(i)] =
        Label(QStringLiteral("Ch") + QString::number(i + 1), PresetFrame, left, upper ? 240 : 3000, box);
    bar->setAccessibleName(box->accessibleName());
  }
}

void ULink::ConnectHandlers() {
  connect(TabStrip1, &QTabBar::currentChanged, this, [this](int) { TabStrip1_Click(); });
  connect(Command3, &QPushButton::clicked, this, &ULink::Command3_Click);
  connect(Command1, &QPushButton::clicked, this, &ULink::Command1_Click);
  connect(Command4, &QPushButton::clicked, this, &ULink::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &ULink::Command5_Click);
  for (int k = 0; k < kPresetCount; ++k) {
    connect(Command2[static_cast<std::size_t>(k)], &QPushButton::clicked, this, [this, k] { Command2_Click(k); });
  }
  for (int i = 0; i < kPaletteChannels; ++i) {
    const auto at = static_cast<std::size_t>(i);
    connect(Check1[at], &QCheckBox::toggled, this, [this, i](bool) { Check1_Click(i); });
    connect(VScroll1[at], &QScrollBar::valueChanged, this, [this, i](int) { VScroll1_Change(i); });
    connect(VScroll1[at], &QScrollBar::sliderMoved, this, [this, i](int) { VScroll1_Scroll(i); });
  }
}

int ULink::ChannelBound() const { return std::min<int>(app_.PaletteChannelCount, kPaletteChannels); }

void ULink::UpdateCounts() {
  UpdatePaletteCounts(Palettes(), app_.PaletteChannelCount);
  UpdateBlockTotal();
}

void ULink::UpdateBlockTotal() {
  // Counted as the save counts: with the fixture's own channel count.
  const std::size_t bytes = PaletteBlockBytes(Palettes(), app_.Fixture->ChannelCount);
  BlockTotal->setText(QStringLiteral("Palette block: %1 of %2 bytes").arg(bytes).arg(kPaletteBlockSize));
  BlockTotal->setStyleSheet(bytes > kPaletteBlockSize ? QStringLiteral("color: #c00000; font-weight: bold;")
                                                      : QString());
}

void ULink::Form_Load() {
  // Back to how the window is drawn (a window opened again, or shown afresh).
  TabStrip1->setEnabled(true);
  Command3->setEnabled(true);
  Command3->setText(QStringLiteral("Update Setting"));
  Command5->setEnabled(true);
  for (QScrollBar* bar : VScroll1) bar->setValue(0);
  CurrentPalette = 0;
  SettingMode = false;
  {
    const QSignalBlocker quiet(TabStrip1);
    TabStrip1->setCurrentIndex(0);
  }
  PaletteFrame->setTitle(QStringLiteral("Palette1 Edit"));

  const int bound = ChannelBound();
  ShowMemberCaptions();
  for (int i = 0; i < kPaletteChannels; ++i) {
    QCheckBox* box = Check1[static_cast<std::size_t>(i)];
    if (i < bound) {
      box->setEnabled(false);
      box->show();  // a window set up again may have hidden it for a smaller count
    } else {
      box->setChecked(false);  // a hidden box is never ticked
      box->hide();
    }
  }

  Text2->setEnabled(false);
  EnablePresetButtons(true);
  ShowPalette();
  UpdateBlockTotal();
}

void ULink::ShowFixtureAgain() { Form_Load(); }

void ULink::ShowMemberCaptions() {
  const FixtureRecord& fixture = *app_.Fixture;
  const int bound = ChannelBound();
  for (int i = 0; i < bound && i < kPaletteChannels; ++i) {
    Check1[static_cast<std::size_t>(i)]->setText(Caption(fixture.Channels[static_cast<std::size_t>(i)].Name.BoxText()));
  }
}

void ULink::ShowPalette() {
  const PaletteData& palettes = Palettes();
  const auto p = static_cast<std::size_t>(CurrentPalette);
  ShowPresetEditControls(false);

  const int bound = ChannelBound();
  for (int i = 0; i < kPaletteChannels; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (i < bound) {
      const bool member = palettes.PaletteMember[p][at] == 1;
      Check1[at]->setChecked(member);
      VScroll1[at]->setVisible(member);
      Text1[at]->setVisible(member);
    } else {
      VScroll1[at]->hide();
      Text1[at]->hide();
    }
  }

  for (int k = 0; k < kPresetCount; ++k) {
    const auto at = static_cast<std::size_t>(k);
    Command2[at]->setText(Caption(palettes.PresetName[p][at].BoxText()));
  }

  const PaletteText& name = palettes.PaletteName[p];
  Text2->SetText(name.IsBlank() ? QString() : BoxText(name));
}

void ULink::ShowPresetEditControls(bool shown) {
  Text3->setVisible(shown);
  PresetNameLabel->setVisible(shown);
  Command1->setVisible(shown);
  Command4->setVisible(shown);
}

void ULink::EnablePresetButtons(bool enabled) {
  for (QPushButton* button : Command2) {
    button->setEnabled(enabled);
    QPalette colours = button->palette();
    colours.setColor(QPalette::Button, enabled ? PresetBlue() : buttonFace_);
    button->setPalette(colours);
  }
}

void ULink::ShowTickedValueControls() {
  for (int i = 0; i < kPaletteChannels; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const bool ticked = Check1[at]->isChecked();
    VScroll1[at]->setVisible(ticked);
    Text1[at]->setVisible(ticked);
  }
}

void ULink::Check1_Click(int) { ShowTickedValueControls(); }

void ULink::StoreSetting() {
  PaletteData& palettes = Palettes();
  const auto p = static_cast<std::size_t>(CurrentPalette);
  palettes.PaletteName[p] = PaletteText::FromUtf8(Text2->Text().toStdString());
  // Only the channels the window shows a box for: the members of the others
  // stay as stored.
  for (int i = 0; i < ChannelBound(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    palettes.PaletteMember[p][at] = Check1[at]->isChecked() ? 1 : 0;
  }
}

void ULink::Command3_Click() {
  const int bound = ChannelBound();
  if (!SettingMode) {
    SettingMode = true;
    Command3->setText(QStringLiteral("Save Setting"));
    Command5->setEnabled(false);
    for (int i = 0; i < bound; ++i) Check1[static_cast<std::size_t>(i)]->setEnabled(true);
    Text2->setEnabled(true);
    EnablePresetButtons(false);
    Text2->setFocus(Qt::OtherFocusReason);
    return;
  }

  StoreSetting();
  for (int i = 0; i < bound; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (Check1[at]->isChecked()) VScroll1[at]->show();
  }
  UpdateCounts();
  app_.RecordFixtureChange(0);
  SettingMode = false;
  Command3->setText(QStringLiteral("Updata Setting"));
  Command5->setEnabled(true);
  for (int i = 0; i < bound; ++i) Check1[static_cast<std::size_t>(i)]->setEnabled(false);
  Text2->setEnabled(false);
  EnablePresetButtons(true);
}

void ULink::Command2_Click(int k) {
  if (k < 0 || k >= kPresetCount) return;
  TabStrip1->setEnabled(false);
  CurrentPreset = k;
  Command3->setEnabled(false);
  Command5->setEnabled(false);
  ShowPresetEditControls(true);
  EnablePresetButtons(false);

  const PaletteData& palettes = Palettes();
  const auto p = static_cast<std::size_t>(CurrentPalette);
  const auto preset = static_cast<std::size_t>(k);
  Text3->SetText(BoxText(palettes.PresetName[p][preset]));
  for (int i = 0; i < kPaletteChannels; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const std::uint8_t value = palettes.PresetValue[p][at][preset];
    EditValues[at] = value;
    VScroll1[at]->setValue(kTopValue - value);
    Text1[at]->SetText(QString::number(value));
  }
  if (Text3->Text() == QStringLiteral("      ")) Text3->clear();
  Text3->setFocus(Qt::OtherFocusReason);
}

void ULink::ShowValue(int i, int position) {
  if (i < 0 || i >= kPaletteChannels) return;
  const int value = std::clamp(kTopValue - position, 0, kTopValue);
  const auto at = static_cast<std::size_t>(i);
  Text1[at]->SetText(QString::number(value));
  EditValues[at] = static_cast<std::uint8_t>(value);
}

void ULink::VScroll1_Change(int i) {
  if (i < 0 || i >= kPaletteChannels) return;
  ShowValue(i, VScroll1[static_cast<std::size_t>(i)]->value());
}

void ULink::VScroll1_Scroll(int i) {
  if (i < 0 || i >= kPaletteChannels) return;
  // While the bar is dragged its position runs ahead of its settled value.
  ShowValue(i, VScroll1[static_cast<std::size_t>(i)]->sliderPosition());
}

void ULink::Command1_Click() {
  TabStrip1->setEnabled(true);
  Command3->setEnabled(true);
  Command5->setEnabled(true);
  ShowPresetEditControls(false);
  EnablePresetButtons(true);

  PaletteData& palettes = Palettes();
  const auto p = static_cast<std::size_t>(CurrentPalette);
  const auto preset = static_cast<std::size_t>(CurrentPreset);
  const PaletteText name = PaletteText::FromUtf8(Text3->Text().toStdString());
  Command2[preset]->setText(Caption(name.BoxText()));
  palettes.PresetName[p][preset] = name;
  for (int i = 0; i < kPaletteChannels; ++i) {
    const auto at = static_cast<std::size_t>(i);
    palettes.PresetValue[p][at][preset] = EditValues[at];
  }
  UpdateCounts();
  app_.RecordFixtureChange(0);
}

void ULink::Command4_Click() {
  EnablePresetButtons(true);
  TabStrip1->setEnabled(true);
  Command3->setEnabled(true);
  Command5->setEnabled(true);
  ShowPresetEditControls(false);
}

void ULink::TabStrip1_Click() {
  // The tab strip has already moved to the clicked tab when this runs.
  const int bound = ChannelBound();
  if (SettingMode) {
    const ui::Answer answer = app_.Dialogs ? app_.Dialogs->Ask(this, kSaveQuestion, kSaveTitle,
                                                               ui::Buttons::OkCancel, ui::Icon::None)
                                           : ui::Answer::Cancel;
    if (answer == ui::Answer::Ok) {
      StoreSetting();
      UpdateCounts();
      app_.RecordFixtureChange(0);
    }
    SettingMode = false;
    Command3->setText(QStringLiteral("Updata Setting"));
    Command5->setEnabled(true);
    Text2->setEnabled(false);
    for (int i = 0; i < kPaletteChannels; ++i) {
      QCheckBox* box = Check1[static_cast<std::size_t>(i)];
      if (i < bound) {
        box->setEnabled(false);
      } else {
        box->hide();
      }
    }
    // Unlike "Save Setting", leaving setting mode this way keeps the preset
    // buttons disabled until the next "Save Setting".
    EnablePresetButtons(false);
  }

  // Unticking every box hides every scroll bar and value box, and ShowPalette
  // then shows those of the new palette's members. The value controls follow
  // the ticks once, in ShowPalette: a control shown before and after the change
  // is not hidden and shown again on the way, and so not painted again.
  const HeldBackTicks held(Check1);
  for (QCheckBox* box : Check1) box->setChecked(false);

  const int index = TabStrip1->currentIndex();
  bool isNumber = false;
  int n = TabStrip1->tabText(index).mid(kTabPrefix.size()).toInt(&isNumber);
  if (!isNumber || n < 1 || n > kPaletteCount) n = std::clamp(index, 0, kPaletteCount - 1) + 1;
  CurrentPalette = n - 1;
  PaletteFrame->setTitle(kTabPrefix + QString::number(n) + QStringLiteral(" Edit"));
  ShowPalette();
}

void ULink::GoToPalette(int p) {
  if (p < 0 || p >= kPaletteCount) return;
  {
    const QSignalBlocker quiet(TabStrip1);
    TabStrip1->setCurrentIndex(p);
  }
  const HeldBackTicks held(Check1);
  for (QCheckBox* box : Check1) box->setChecked(false);
  CurrentPalette = p;
  PaletteFrame->setTitle(kTabPrefix + QString::number(p + 1) + QStringLiteral(" Edit"));
  ShowPalette();
}

void ULink::Command5_Click() {
  // Only while browsing: setting mode and preset editing have edits of their own open.
  if (SettingMode || !TabStrip1->isEnabled()) return;
  const QString title = QStringLiteral("Fill Palettes");
  if (FreePaletteCount(Palettes()) == 0) {
    if (app_.Dialogs) {
      app_.Dialogs->Ask(this,
                        QStringLiteral("No palette is free: every palette has a name or named presets, and Fill "
                                       "Palettes changes none of them."),
                        title, ui::Buttons::Ok, ui::Icon::None);
    }
    return;
  }
  const PaletteFill fill = FillPalettes(*app_.Fixture);
  if (!fill.Made.empty()) {
    UpdateCounts();
    app_.RecordFixtureChange(0);
    GoToPalette(fill.Slots.front());
  }
  if ((fill.Made.empty() || fill.LeftAnythingOut()) && app_.Dialogs) {
    QStringList lines;
    for (const std::string& line : fill.ReportLines()) lines << QString::fromStdString(line);
    if (lines.isEmpty()) lines << QStringLiteral("The channels give no palettes.");
    app_.Dialogs->Ask(this, lines.join(QChar(13)), title, ui::Buttons::Ok, ui::Icon::None);
  }
}

void ULink::closeEvent(QCloseEvent* event) {
  // Nothing uncommitted is kept, and nothing is asked. The shell then shows the
  // fixture editor.
  QWidget::closeEvent(event);
}

}  // namespace brannoc
