#include "windows/fixture_editor/editor_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/core/number.h"
#include "data/fixture/file.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/layout.h"
#include "windows/ui/save_as.h"
#include "windows/ui/twips.h"

namespace brannoc {
using ui::Label;
using ui::Place;

namespace {

const QString kFixtureFilter = QStringLiteral("Fixture Setup File(*.tff)|*.tff");
const QString kCR = QString(QChar(13));

}  // namespace

Pelorin::Pelorin(AppState& app, Shell& shell, QWidget* parent) : QWidget(parent), app_(app), shell_(shell) {
  // "[*]" shows as "*" while the fixture has unsaved changes.
  setWindowTitle(QStringLiteral("Brannoc-512 library Edit Rev1.05[*]"));
  setObjectName(QStringLiteral("Pelorin"));
  BuildMenus();
  BuildControls();
  ConnectHandlers();
  app_.Names.Watch(this);
}

Pelorin::~Pelorin() { app_.Names.Unwatch(this); }

void Pelorin::BuildMenus() {
  MenuBar = new QMenuBar(this);
  MenuBar->setNativeMenuBar(false);
  auto add = [this](QMenu* menu, const QString& text, const QList<QKeySequence>& keys,
                    void (Pelorin::*handler)()) {
    QAction* action = menu->addAction(text);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);
    return action;
  };
  QMenu* file = MenuBar->addMenu(QStringLiteral("&File"));
  NewFixture = add(file, QStringLiteral("&New Fixture"), {Qt::CTRL | Qt::Key_N}, &Pelorin::NewFixture_Click);
  OpenFixture = add(file, QStringLiteral("&Open Fixture"), {Qt::CTRL | Qt::Key_O}, &Pelorin::OpenFixture_Click);
  ImportFixture = add(file, QStringLiteral("&Import Fixture..."), {}, &Pelorin::ImportFixture_Click);
  FixtureLibraryMenu = add(file, QStringLiteral("Fixture Library..."), {}, &Pelorin::FixtureLibrary_Click);
  SaveFixture = add(file, QStringLiteral("&Save Fixture"), {Qt::CTRL | Qt::Key_S}, &Pelorin::SaveFixture_Click);
  PrintSheet = add(file, QStringLiteral("Print Channel Sheet..."), {}, &Pelorin::PrintSheet_Click);
  file->addSeparator();
  MnuReturn = add(file, QStringLiteral("&Palette Edit"), {Qt::CTRL | Qt::Key_P}, &Pelorin::MnuReturn_Click);
  file->addSeparator();
  ExitMune = add(file, QStringLiteral("&Exit"), {Qt::CTRL | Qt::Key_E}, &Pelorin::ExitMune_Click);

  QMenu* edit = MenuBar->addMenu(QStringLiteral("&Edit"));
  edit->setObjectName(QStringLiteral("mnuEdit"));
  UndoEdit = add(edit, QStringLiteral("&Undo"), {Qt::CTRL | Qt::Key_Z}, &Pelorin::UndoEdit_Click);
  RedoEdit = add(edit, QStringLiteral("&Redo"), {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
                 &Pelorin::RedoEdit_Click);
  UndoEdit->setEnabled(false);
  RedoEdit->setEnabled(false);

  QMenu* led = MenuBar->addMenu(QStringLiteral("&LED Fixture"));
  led->setObjectName(QStringLiteral("mnuLF"));
  mnuLFE = led->addAction(QStringLiteral("Led Fixture &Edit"));
  connect(mnuLFE, &QAction::triggered, this, &Pelorin::mnuLFE_Click);
}

void Pelorin::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(MenuBar);
  auto* client = new QWidget(this);
  client->setFixedSize(ui::TwipsSize(13620, 8700));
  layout->addWidget(client);

  Fixtue_Setup = Place(new QGroupBox(QStringLiteral("Fixture Setup"), client), 120, 0, 6735, 8655);
  Text1 = Place(new ui::TextBox(Fixtue_Setup), 2160, 300, 2175, 315);
  Label(QStringLiteral("Fixture Name:"), Fixtue_Setup, 240, 360, Text1);
  Text1->SetMaxLength(11);
  Combo1 = Place(new ui::Chooser(false, Fixtue_Setup), 2160, 720, 1095, 315);
  Label(QStringLiteral("Number of Channels:"), Fixtue_Setup, 240, 780, Combo1);
  Text4 = Place(new ui::TextBox(Fixtue_Setup), 2160, 1140, 735, 315);
  Label(QStringLiteral("Max Pan Degree:"), Fixtue_Setup, 240, 1200, Text4);
  Text4->SetMaxLength(3);
  Text2 = Place(new ui::TextBox(Fixtue_Setup), 2160, 1560, 735, 315);
  Label(QStringLiteral("Max Tilt Degree:"), Fixtue_Setup, 240, 1620, Text2);
  Text2->SetMaxLength(3);
  // The channel table, and under it the Check list.
  MSFlexGrid1 = Place(new ui::Grid(5, false, Fixtue_Setup), 120, 2280, 6495, 4335);
  BuildCheckList(Fixtue_Setup, 6675, 1860);
  Label(QStringLiteral("Channel Infomation:"), Fixtue_Setup, 240, 2040, MSFlexGrid1);
  Combo10 = new ui::Chooser(true, Fixtue_Setup);
  Combo13 = new ui::Chooser(false, Fixtue_Setup);
  Combo2 = new ui::Chooser(false, Fixtue_Setup);
  Text5 = new ui::TextBox(Fixtue_Setup);
  Combo10->AttachToGrid(MSFlexGrid1);
  Combo13->AttachToGrid(MSFlexGrid1);
  Combo2->AttachToGrid(MSFlexGrid1);
  Text5->AttachToGrid(MSFlexGrid1);

  ChannelTraits = Place(new QGroupBox(QStringLiteral("Channel Traits"), client), 7080, 60, 6375, 8535);
  Combo9 = Place(new ui::Chooser(false, ChannelTraits), 1080, 300, 3615, 315);
  Label(QStringLiteral("Channel:"), ChannelTraits, 240, 360, Combo9);
  MSFlexGrid2 = Place(new ui::Grid(4, false, ChannelTraits), 120, 840, 4695, 6855);
  MSFlexGrid2->setAccessibleName(QStringLiteral("Channel Traits"));  // it has no label of its own
  Command1 = Place(new QPushButton(QStringLiteral("Add"), ChannelTraits), 4980, 840, 1215, 375);
  Command2 = Place(new QPushButton(QStringLiteral("Insert"), ChannelTraits), 4980, 1320, 1215, 375);
  Command3 = Place(new QPushButton(QStringLiteral("Delete"), ChannelTraits), 4980, 1800, 1215, 375);
  Combo11 = Place(new ui::Chooser(false, ChannelTraits), 4980, 2820, 1215, 315);
  Label(QStringLiteral("From:"), ChannelTraits, 4980, 2580, Combo11);
  Combo12 = Place(new ui::Chooser(false, ChannelTraits), 4980, 3540, 1215, 315);
  Label(QStringLiteral("To:"), ChannelTraits, 4980, 3300, Combo12);
  Command4 = Place(new QPushButton(QStringLiteral("Copy"), ChannelTraits), 4980, 4020, 1215, 375);
  Text3 = new ui::TextBox(ChannelTraits);
  Text3->AttachToGrid(MSFlexGrid2);
  StepTotal = Place(new QLabel(ChannelTraits), 240, 7860, 4575, 285);

  Text1->SetInitialText(QStringLiteral("New Fixture"));
  Combo1->setPlaceholderText(QStringLiteral("16"));
  Text4->SetInitialText(QStringLiteral("000"));
  Text2->SetInitialText(QStringLiteral("000"));

  Fixtue_Setup->installEventFilter(this);
  ChannelTraits->installEventFilter(this);
  // Undo and redo keys typed into a box reach the window unless the box has
  // typing of its own to take back.
  for (QWidget* box : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text4), static_cast<QWidget*>(Text2),
                       static_cast<QWidget*>(Text5), static_cast<QWidget*>(Text3), static_cast<QWidget*>(Combo10),
                       static_cast<QWidget*>(Combo10->lineEdit())}) {
    box->installEventFilter(this);
  }
}

void Pelorin::ConnectHandlers() {
  Text1->Edited = [this] {
    Text1_Change();
    RecordChange(kNameTyping);
  };
  Text4->Changed = [this] { Text4_Change(); };
  Text2->Changed = [this] { Text2_Change(); };
  // Edited follows Changed: the degree is in the record by then.
  Text4->Edited = [this] { RecordChange(kPanTyping); };
  Text2->Edited = [this] { RecordChange(kTiltTyping); };
  for (ui::TextBox* box : {Text4, Text2}) {
    box->GotFocus = [box] { box->setCursorPosition(static_cast<int>(box->text().size())); };
  }
  // Leaving a header box ends its step; its own undo ends with it.
  for (ui::TextBox* box : {Text1, Text4, Text2}) {
    box->LostFocus = [this, box] {
      box->ForgetUndo();
      RecordChange();
    };
  }
  Combo1->Click = [this] { Combo1_Click(); };
  Combo9->Click = [this] { Combo9_Click(); };
  Combo10->Click = [this] { Combo10_Click(); };
  // Typed characters are discarded in every chooser but the name chooser.
  for (ui::Chooser* chooser : {Combo1, Combo13, Combo2, Combo9, Combo11, Combo12}) {
    chooser->KeyPress = [](int& keyAscii) { keyAscii = 0; };
  }
  Combo10->KeyPress = [this](int& keyAscii) { Combo10_KeyPress(keyAscii); };
  Combo10->AfterKeyPress = [this] { Combo10_AfterKeyPress(); };
  Combo10->LostFocus = [this] { Combo10_LostFocus(); };
  Combo13->LostFocus = [this] { Combo13_LostFocus(); };
  Combo2->LostFocus = [this] { Combo2_LostFocus(); };
  Text5->LostFocus = [this] { Text5_LostFocus(); };
  Text3->LostFocus = [this] { Text3_LostFocus(); };

  MSFlexGrid1->Click = [this] { MSFlexGrid1_Click(); };
  MSFlexGrid1->KeyUp = [this](int) { MSFlexGrid1_KeyUp(); };
  MSFlexGrid1->MouseDown = [this] { MSFlexGrid1_MouseDown(); };
  MSFlexGrid1->GotFocus = [this] { MSFlexGrid1_GotFocus(); };
  MSFlexGrid1->LeaveCell = [this] { MSFlexGrid1_LeaveCell(); };
  MSFlexGrid2->Click = [this] { MSFlexGrid2_Click(); };
  MSFlexGrid2->KeyUp = [this](int) { MSFlexGrid2_KeyUp(); };
  MSFlexGrid2->MouseDown = [this] { MSFlexGrid2_MouseDown(); };
  MSFlexGrid2->GotFocus = [this] { MSFlexGrid2_GotFocus(); };
  MSFlexGrid2->LeaveCell = [this] { MSFlexGrid2_LeaveCell(); };

  connect(Command1, &QPushButton::clicked, this, &Pelorin::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Pelorin::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Pelorin::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Pelorin::Command4_Click);
}

void Pelorin::Form_Load() {
  QWidget* window = parentWidget() ? parentWidget() : this;
  LoadWidth = window->width();
  LoadHeight = window->height();

  const int w = (ui::ToTwips(MSFlexGrid1->width()) - 100) / 5;
  const int widths1[] = {w - 530, w - 50, w + 400, w - 100, w - 200};
  const char* headers1[] = {"Channel", "Channel Name", "Type", "Ch16bit", "Value"};
  for (int c = 0; c < 5; ++c) {
    MSFlexGrid1->SetColWidthTwips(c, widths1[c]);
    MSFlexGrid1->SetTextMatrix(0, c, QString::fromLatin1(headers1[c]));
  }
  MSFlexGrid1->SetHeaderHeightTwips(500);

  const int v = ui::ToTwips(MSFlexGrid2->width()) / 4;
  const int widths2[] = {v - 150, v + 250, v - 200, v - 250};
  const char* headers2[] = {"Step", "Step Name", "From Dmx", "To Dmx"};
  for (int c = 0; c < 4; ++c) {
    MSFlexGrid2->SetColWidthTwips(c, widths2[c]);
    MSFlexGrid2->SetTextMatrix(0, c, QString::fromLatin1(headers2[c]));
  }
  MSFlexGrid2->SetHeaderHeightTwips(500);
  MSFlexGrid2->SetRows(2);
  MSFlexGrid2->SetTextMatrix(1, 0, QStringLiteral("No Steps"));

  // A window opened again starts from its lists and cell editors as built.
  Combo1->Clear();
  Combo13->Clear();
  Text5->SetInitialText(QString());
  Text3->SetInitialText(QString());
  for (int n = 1; n <= kMaxChannels; ++n) Combo1->AddItem(QString::number(n));
  for (int t = 0; t < kChannelTypeCount; ++t) {
    Combo13->AddItem(QString::fromLatin1(ChannelTypeName(t).data(), static_cast<int>(ChannelTypeName(t).size())));
  }

  UserEditing = true;
  Combo10->HideEditor();
  Combo13->HideEditor();
  Combo2->HideEditor();
  Text3->HideEditor();
  Text5->HideEditor();
  DropTypedName();

  // The names of the program's one set (none when the start found no usable file).
  FillNameChooser();

  if (app_.FixtureEditorOpenedBefore) {
    UserEditing = false;
    ShowFixtureHeader();
    FillChannelTable();
    Combo9->SetListIndex(0);
    UserEditing = true;
  } else {
    ResetFixture(8);
    // The name box and the record start out agreeing.
    Fixture().FixtureName = FixedText<11>::FromUtf8(Text1->Text().toStdString());
    StartAfresh();
  }
  app_.FixtureEditorOpenedBefore = true;
  AutoAdvance = false;
  UpdateStepTotal();
  ShowEditState();
}

void Pelorin::ShowFixtureHeader() {
  FixtureRecord& fixture = Fixture();
  Combo2->Clear();
  for (int n = 1; n <= fixture.ChannelCount; ++n) Combo2->AddItem(QString::number(n));
  Text1->SetText(QString::fromStdString(fixture.FixtureName.BoxTextTrimmed()));
  ShownChannelCount = Combo11->ListCount();
  Combo1->SetListIndex(fixture.ChannelCount - 1);
  // The boxes show the record's degrees through their own rule.
  Text4->SetText(QString::number(fixture.MaxPanDegree > 720 ? 0 : fixture.MaxPanDegree));
  Text2->SetText(QString::number(fixture.MaxTiltDegree > 720 ? 0 : fixture.MaxTiltDegree));
  Text4_Change();
  Text2_Change();
}

QString Pelorin::ChannelLabel(int c) const { return QStringLiteral("Chan ") + QString::number(c); }

void Pelorin::ResetFixture(int count) {
  // A name typed for the fixture being replaced does not carry over to the new one.
  DropTypedName();
  ResetInProgress = true;
  Combo1->SetListIndex(count - 1);
  Fixture().ChannelCount = static_cast<std::uint8_t>(count);
  Text2->SetText(QStringLiteral("0"));
  Combo9->Clear();
  Combo11->Clear();
  Combo12->Clear();
  Combo2->Clear();
  MSFlexGrid1->SetRows(count + 1);
  for (int e = 1; e <= count; ++e) {
    Combo9->AddItem(ChannelLabel(e) + QStringLiteral("-"));
    Combo2->AddItem(QString::number(e));
    Combo11->AddItem(ChannelLabel(e));
    Combo12->AddItem(ChannelLabel(e));
    const QString cells[] = {ChannelLabel(e), QString(), QStringLiteral("LTP"), QStringLiteral("0"),
                             QStringLiteral("0")};
    for (int c = 0; c < 5; ++c) MSFlexGrid1->SetTextMatrix(e, c, cells[c]);
  }
  Combo9->SetListIndex(0);
  Combo2->SetListIndex(0);
  MSFlexGrid2->SetRows(2);
  MSFlexGrid2->SetTextMatrix(1, 0, QStringLiteral("No Steps"));
  for (int c = 1; c < 4; ++c) MSFlexGrid2->SetTextMatrix(1, c, QString());
  brannoc::ResetFixture(Fixture(), count);
  ResetInProgress = false;
  UpdateStepTotal();
  app_.ShowFixtureAfresh();
}

void Pelorin::Text1_Change() { Fixture().FixtureName = FixedText<11>::FromUtf8(Text1->Text().toStdString()); }

void Pelorin::Text4_Change() { DegreeBoxChanged(Text4, Fixture().MaxPanDegree); }
void Pelorin::Text2_Change() { DegreeBoxChanged(Text2, Fixture().MaxTiltDegree); }

void Pelorin::DegreeBoxChanged(ui::TextBox* box, std::int16_t& degree) {
  std::int64_t x = ReadBoxNumber(box->Text().toStdString());
  if (x > 720) x = 0;
  x = std::max<std::int64_t>(x, -32768);
  degree = static_cast<std::int16_t>(x);
  const QString shown = QString::number(x);
  if (box->Text() != shown) box->SetText(shown);  // runs this rule once more, unchanged
  box->setCursorPosition(static_cast<int>(shown.size()));
}

void Pelorin::NewFixture_Click() {
  CommitOpenEditor();
  const ui::Answer answer = app_.Dialogs->Ask(this, QStringLiteral("Any current settings will be lost,continue"),
                                              QStringLiteral("Pelorin Fixture"), ui::Buttons::OkCancel,
                                              ui::Icon::None);
  if (answer != ui::Answer::Ok) return;
  ResetFixture(8);
  StartAfresh();
}

void Pelorin::SaveFixture_Click() { SaveFixtureAs(); }

bool Pelorin::SaveFixtureAs() {
  CommitOpenEditor();
  Text1->setFocus(Qt::OtherFocusReason);
  FixtureRecord& fixture = Fixture();
  fixture.FixtureName = FixedText<11>::FromUtf8(Text1->Text().toStdString());
  fixture.ChannelCount = static_cast<std::uint8_t>(Combo1->ListIndex() + 1);
  RebuildFunctionMap(fixture);

  if (!MaySaveWithErrors()) return false;
  const auto name = ui::AskSavePath(*app_.Dialogs, this, kFixtureFilter, QStringLiteral(".tff"));
  if (!name) return false;
  const auto error = SaveFixtureFile(fixture, std::filesystem::path(name->toStdString()));
  ShowTypesAfterSave();
  RecordChange();  // the types the save re-derived
  if (error) {
    ui::ReportSaveFailure(*app_.Dialogs, this, *name, error->message);
  } else {
    FixturePath = *name;
    app_.History.MarkUnmodified(fixture);
    ShowEditState();
  }
  Text1->setFocus(Qt::OtherFocusReason);
  return !error;
}

void Pelorin::ShowTypesAfterSave() {
  // The save re-derives the types of unpaired low-byte channels.
  const FixtureRecord& fixture = Fixture();
  for (int r = 1; r < MSFlexGrid1->Rows() && r <= kMaxChannels; ++r) {
    const ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(r - 1)];
    const auto type = ChannelTypeName(channel.Type);
    MSFlexGrid1->SetTextMatrix(r, 2, QString::fromLatin1(type.data(), static_cast<int>(type.size())));
    MSFlexGrid1->SetTextMatrix(r, 3, QString::number(channel.Partner));
  }
}

void Pelorin::OpenFixture_Click() {
  CommitOpenEditor();
  Text5->HideEditor();
  Combo13->HideEditor();
  Combo10->HideEditor();
  Combo2->HideEditor();
  const auto chosen = app_.Dialogs->OpenFileName(this, kFixtureFilter);
  if (!chosen) return;
  OpenFixtureFile(*chosen);
}

bool Pelorin::OpenFixtureFile(const QString& path) {
  const FixtureReadResult read = ReadFixtureFile(std::filesystem::path(path.toStdString()));
  if (!read.record) {
    app_.Dialogs->Ask(this,
                      path + QStringLiteral(" could not be opened.") + kCR + QString::fromStdString(read.error),
                      QStringLiteral("Brannoc-512 Open"), ui::Buttons::Ok, ui::Icon::Warning);
    Text1->setFocus(Qt::OtherFocusReason);
    return false;
  }
  ShowFixture(*read.record);
  FixturePath = path;
  app_.History.MarkUnmodified(Fixture());
  ShowEditState();
  Text1->setFocus(Qt::OtherFocusReason);
  return true;
}

void Pelorin::ShowFixture(const FixtureRecord& record) {
  ShowRecord(record);
  app_.History.Clear(Fixture());
  ShowEditState();
}

void Pelorin::StartAfresh() {
  app_.History.Clear(Fixture());
  app_.History.MarkUnmodified(Fixture());
  ShowEditState();
}

void Pelorin::ShowRecord(const FixtureRecord& record, int stepsChannel) {
  DropTypedName();  // it was typed for the fixture being replaced
  *app_.Fixture = record;
  UserEditing = false;
  ShowFixtureHeader();
  FillChannelTable();
  Combo9->SetListIndex(stepsChannel);
  UserEditing = true;
  UpdateStepTotal();
  app_.ShowFixtureAfresh();
}

void Pelorin::MnuReturn_Click() {
  CommitOpenEditor();
  app_.PaletteChannelCount = Fixture().ChannelCount;
  // Closing destroys this window: keep only what is needed after it.
  AppState& app = app_;
  Shell& shell = shell_;
  shell.CloseEditor(Editor::Fixture);
  app.ShowFixtureAfresh();  // a palette editor opened before was set up for another count
  shell.ShowAtTopLeft(Editor::Palette);
}

void Pelorin::mnuLFE_Click() { shell_.ShowAtTopLeft(Editor::LedFixture); }

void Pelorin::ExitMune_Click() { shell_.EndProgram(); }

void Pelorin::UndoEdit_Click() {
  // The box being typed in takes back its own typing first.
  if (QLineEdit* box = BoxOf(QApplication::focusWidget()); HasOwnUndo(box, false)) {
    box->undo();
    // As after a key typed there: the name typed is what the chooser now shows.
    if (box == Combo10->lineEdit()) Combo10_AfterKeyPress();
    return;
  }
  CommitOpenEditor();  // what an open cell editor holds is the latest step
  if (const FixtureRecord* earlier = app_.History.Undo()) {
    const int channel = StepsChannelAfter(Fixture(), *earlier);
    ShowRecord(*earlier, channel);
  }
  ShowEditState();
}

void Pelorin::RedoEdit_Click() {
  if (QLineEdit* box = BoxOf(QApplication::focusWidget()); HasOwnUndo(box, true)) {
    box->redo();
    if (box == Combo10->lineEdit()) Combo10_AfterKeyPress();
    return;
  }
  CommitOpenEditor();  // a change committed here drops what could be redone
  if (const FixtureRecord* later = app_.History.Redo()) {
    const int channel = StepsChannelAfter(Fixture(), *later);
    ShowRecord(*later, channel);
  }
  ShowEditState();
}

void Pelorin::ShowEditState() {
  setWindowModified(app_.History.Modified(Fixture()));
  UndoEdit->setEnabled(app_.History.CanUndo());
  RedoEdit->setEnabled(app_.History.CanRedo());
  ShowProblems();
}

QLineEdit* Pelorin::BoxOf(QObject* widget) const {
  if (!widget) return nullptr;
  if (widget == Combo10 || widget == Combo10->lineEdit()) return Combo10->lineEdit();
  for (ui::TextBox* box : {Text1, Text4, Text2, Text5, Text3}) {
    if (widget == box) return box;
  }
  return nullptr;
}

bool Pelorin::HasOwnUndo(const QLineEdit* box, bool redo) const {
  if (!box || !box->isVisible() || box->isReadOnly()) return false;
  // A header box's typing is in the history key by key: the history takes it
  // back and brings it back, whatever the box's own rule has rewritten since.
  if (box == Text1 || box == Text4 || box == Text2) return false;
  // A cell editor's typing is always the latest, not yet committed.
  return redo ? box->isRedoAvailable() : box->isUndoAvailable();
}

int Pelorin::StepsChannelAfter(const FixtureRecord& now, const FixtureRecord& shown) const {
  for (int c = 0; c < shown.ChannelCount && c < kMaxChannels; ++c) {
    const auto at = static_cast<std::size_t>(c);
    if (now.StepCounts[at] != shown.StepCounts[at] || now.Steps[at] != shown.Steps[at]) return c;
  }
  const int before = Combo9->ListIndex();
  return before >= 0 && before < shown.ChannelCount ? before : 0;
}

bool Pelorin::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
    const bool undo = UndoEdit->shortcuts().contains(key);
    const bool redo = RedoEdit->shortcuts().contains(key);
    // Taking the key from the box lets "&Undo" or "&Redo" have it.
    if (undo || redo) return !HasOwnUndo(BoxOf(watched), redo);
  }
  if (event->type() == QEvent::MouseButtonPress && (watched == Fixtue_Setup || watched == ChannelTraits)) {
    // A press on a frame's empty area takes the focus from an open cell editor,
    // and ends there: it is no press on the window's background.
    Text1->setFocus(Qt::MouseFocusReason);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Pelorin::mousePressEvent(QMouseEvent* event) {
  QWidget* window = parentWidget() ? parentWidget() : this;
  if (LoadWidth > 0 && LoadHeight > 0) window->resize(LoadWidth, LoadHeight);
  QWidget::mousePressEvent(event);
}

void Pelorin::closeEvent(QCloseEvent* event) {
  // Ending the program asks nothing; any other close settles an open editor.
  if (!app_.Ending) CommitOpenEditor();
  QWidget::closeEvent(event);
}

}  // namespace brannoc
