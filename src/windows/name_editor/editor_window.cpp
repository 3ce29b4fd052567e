#include "windows/name_editor/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "data/core/codepage.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/layout.h"
#include "windows/ui/twips.h"

namespace brannoc {
using ui::Place;

namespace {

const QString kCaption = QStringLiteral("Edit Channel Name Rev1.05");
const QString kCR = QString(QChar(13));

constexpr int kIdCol = 0;
constexpr int kNameCol = 1;
constexpr int kGridRows = static_cast<int>(kNameSlots) + 1;  // the header row and 253 changed
// Rows 1..4 (Pan, Tilt, Dimmer, Colour) are not edited here.
constexpr int kFirstEditableRow = 5;

int SlotOfRow(int row) { return row - 1; }

// A name as the table shows it: without the spaces at its end; NUL characters
// show as nothing.
QString ShownName(const FixedText<kNameWidth>& name) {
  QString text = QString::fromStdString(name.BoxText());
  while (text.endsWith(QLatin1Char(' '))) text.chop(1);
  return text;
}

// A typed text as the file can hold it: a character the code page lacks becomes '?'.
QString InCodePage(const QString& text) {
  return QString::fromStdString(Cp1252ToUtf8(Utf8ToCp1252(text.toStdString())));
}

}  // namespace

EditChName::EditChName(AppState& app, Shell& shell, QWidget* parent) : QWidget(parent), app_(app), shell_(shell) {
  setWindowTitle(kCaption);
  setObjectName(QStringLiteral("EditChName"));
  BuildMenus();
  BuildControls();
  ConnectHandlers();
  app_.Names.Watch(this);
}

EditChName::~EditChName() { app_.Names.Unwatch(this); }

void EditChName::BuildMenus() {
  MenuBar = new QMenuBar(this);
  MenuBar->setNativeMenuBar(false);
  QMenu* windows = MenuBar->addMenu(QStringLiteral("&Windows"));
  eSu = windows->addAction(QStringLiteral("Show &P"));
  eSM = windows->addAction(QStringLiteral("Show &F"));
  windows->addSeparator();
  eExit = windows->addAction(QStringLiteral("&Exit"));
}

void EditChName::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(MenuBar);
  auto* client = new QWidget(this);
  client->setFixedSize(ui::TwipsSize(6750, 7680));
  layout->addWidget(client);

  ChMSFlexGrid = Place(new ui::Grid(2, /*fixedFirstColumn=*/true, client), 120, 120, 4935, 7440);
  ChMSFlexGrid->setAccessibleName(QStringLiteral("Channel names"));  // it has no label of its own
  ChMSFlexGrid->SetRows(kGridRows);
  ChTextEdit = new ui::TextBox(client);
  ChTextEdit->SetMaxLength(static_cast<int>(kNameWidth));
  ChTextEdit->AttachToGrid(ChMSFlexGrid);

  // The buttons stand in a column right of the table, from the top.
  constexpr int kButtonLeft = 5295;
  constexpr int kButtonWidth = 1215;
  constexpr int kButtonHeight = 375;
  constexpr int kButtonStep = 480;
  int top = 120;
  auto button = [&](const QString& text) {
    auto* b = Place(new QPushButton(text, client), kButtonLeft, top, kButtonWidth, kButtonHeight);
    top += kButtonStep;
    return b;
  };
  ChSave = button(QStringLiteral("Save"));
  ChSave->setToolTip(QString::fromStdString(ChannelNameSetPath(app_.NameSetFolder).string()));
  Command1 = button(QStringLiteral("Exit"));
  Init = button(QStringLiteral("Init"));
  Command2 = button(QStringLiteral("Change"));
}

void EditChName::ConnectHandlers() {
  ChMSFlexGrid->Click = [this] { ChMSFlexGrid_Click(); };
  ChMSFlexGrid->LeaveCell = [this] { ChMSFlexGrid_LeaveCell(); };
  ChTextEdit->LostFocus = [this] { ChTextEdit_LostFocus(); };
  connect(ChSave, &QPushButton::clicked, this, &EditChName::ChSave_Click);
  connect(Command1, &QPushButton::clicked, this, &EditChName::Command1_Click);
  connect(Init, &QPushButton::clicked, this, &EditChName::Init_Click);
  connect(Command2, &QPushButton::clicked, this, &EditChName::Command2_Click);
  connect(eSu, &QAction::triggered, this, &EditChName::eSu_Click);
  connect(eSM, &QAction::triggered, this, &EditChName::eSM_Click);
  connect(eExit, &QAction::triggered, this, &EditChName::eExit_Click);
}

void EditChName::Form_Load() {
  const int w = (ui::ToTwips(ChMSFlexGrid->width()) - 100) / 2;
  ChMSFlexGrid->SetColWidthTwips(kIdCol, w - 230);
  ChMSFlexGrid->SetColWidthTwips(kNameCol, w);
  ChMSFlexGrid->SetHeaderHeightTwips(500);
  ChMSFlexGrid->SetTextMatrix(0, kIdCol, QStringLiteral("Channel ID"));
  ChMSFlexGrid->SetTextMatrix(0, kNameCol, QStringLiteral("Channel Name"));
  for (int r = 1; r < kGridRows; ++r) ChMSFlexGrid->SetTextMatrix(r, kIdCol, QStringLiteral(" ") + QString::number(r));

  ChTextEdit->HideEditor();
  ChTextEdit->SetInitialText(QString());
  closing_ = false;  // a window opened again

  // The program's set, or the built-in names when its file was too short to read here.
  NameSet = app_.Names.SetForNameEditor();
  edited_.reset();
  for (int s = 0; s < static_cast<int>(kNameSlots); ++s) ShowName(s);
}

void EditChName::ShowName(int slot) {
  ChMSFlexGrid->SetTextMatrix(slot + 1, kNameCol, ShownName(NameSet.Entries[static_cast<std::size_t>(slot)].Name));
}

void EditChName::ChMSFlexGrid_Click() {
  const int r = ChMSFlexGrid->Row();
  const int col = ChMSFlexGrid->Col();
  if (col != kNameCol || r < kFirstEditableRow) return;
  const QString text = ChMSFlexGrid->TextMatrix(r, col);
  ChTextEdit->SetText(text == QString(static_cast<int>(kNameWidth), QLatin1Char(' ')) ? QString() : text);
  ChTextEdit->setCursorPosition(static_cast<int>(ChTextEdit->Text().size()));
  ChTextEdit->PlaceOver(ChMSFlexGrid->CellRectInParent(r, col));
  ChTextEdit->ShowAndFocus();
}

void EditChName::CommitEdit(const QString& text) {
  const int r = ChMSFlexGrid->Row();
  if (r < kFirstEditableRow || r >= kGridRows) return;
  const QString cell = InCodePage(text);
  ChMSFlexGrid->SetTextMatrix(r, kNameCol, cell);
  const int slot = SlotOfRow(r);
  const FixedText<kNameWidth> before = NameSet.Entries[static_cast<std::size_t>(slot)].Name;
  SetEntryName(NameSet, slot, cell.toStdString());
  // Only a changed name counts as the user's: a cell merely opened and left does
  // not hold on to its slot when "Save" looks for names added elsewhere.
  if (NameSet.Entries[static_cast<std::size_t>(slot)].Name != before) edited_.set(static_cast<std::size_t>(slot));
}

void EditChName::ChMSFlexGrid_LeaveCell() {
  if (closing_ || endingEdit_ || !ChTextEdit->isVisible()) return;
  endingEdit_ = true;  // hiding the box takes its focus: that is no second end
  CommitEdit(ChTextEdit->Text());
  ChTextEdit->SetText(QString());
  ChTextEdit->HideEditor();
  endingEdit_ = false;
}

void EditChName::ChTextEdit_LostFocus() {
  if (closing_ || endingEdit_ || !ChTextEdit->isVisible()) return;
  endingEdit_ = true;
  const QString text = ChTextEdit->Text();
  // An emptied name is stored as 12 spaces: the cell looks empty.
  CommitEdit(text.isEmpty() ? QString(static_cast<int>(kNameWidth), QLatin1Char(' ')) : text);
  ChTextEdit->HideEditor();
  endingEdit_ = false;
}

void EditChName::ChSave_Click() {
  ChannelNameSet toSave = NameSet;
  if (const auto error = app_.Names.Replace(toSave)) {
    app_.Dialogs->Ask(this,
                      QString::fromStdString(app_.Names.File().string()) + QStringLiteral(" could not be saved.") + kCR +
                          QString::fromStdString(error->message),
                      kCaption, ui::Buttons::Ok, ui::Icon::Warning);
    return;
  }
  NameSet = toSave;
  edited_.reset();
}

void EditChName::NameSetChanged(const ChannelNameSet&, const std::vector<int>& changed) {
  for (int s : changed) {
    if (HoldsUnsavedName(s)) continue;
    NameSet.Entries[static_cast<std::size_t>(s)] = app_.Names.Set().Entries[static_cast<std::size_t>(s)];
    edited_.reset(static_cast<std::size_t>(s));
    ShowName(s);
    // An open box over the row, still empty, shows the name, so that ending the
    // edit keeps it.
    if (ChTextEdit->isVisible() && ChMSFlexGrid->Row() == s + 1) {
      ChTextEdit->SetText(ChMSFlexGrid->TextMatrix(s + 1, kNameCol));
    }
  }
}

bool EditChName::HoldsUnsavedName(int slot) const {
  if (!isVisible()) return false;  // closed: its edits went with it
  const auto s = static_cast<std::size_t>(slot);
  if (edited_.test(s) && !NameSet.Entries[s].Name.IsBlank()) return true;
  // A name being typed into the row's box.
  return ChTextEdit->isVisible() && ChMSFlexGrid->Row() == slot + 1 && !ChTextEdit->Text().isEmpty();
}

void EditChName::Command1_Click() { shell_.CloseEditor(Editor::ChannelNames); }

void EditChName::Init_Click() {
  RestoreDefaultNames(NameSet);
  edited_.set();
  for (int s = 0; s < static_cast<int>(kNameSlots); ++s) ShowName(s);
}

void EditChName::Command2_Click() {
  RestoreCoreCodes(NameSet);
  for (int s = 0; s < kCoreCodeCount; ++s) edited_.set(static_cast<std::size_t>(s));
}

void EditChName::eSM_Click() {
  // Closing destroys this window: keep only what is needed after it.
  Shell& shell = shell_;
  shell.CloseEditor(Editor::ChannelNames);
  shell.ShowAtTopLeft(Editor::Fixture);
}

void EditChName::eSu_Click() {
  Shell& shell = shell_;
  shell.CloseEditor(Editor::ChannelNames);
  shell.ShowAtTopLeft(Editor::Palette);
}

void EditChName::eExit_Click() { shell_.EndProgram(); }

void EditChName::closeEvent(QCloseEvent* event) {
  // The window and its copy of the set go without a question; an open edit is
  // dropped with them. The shell then shows the fixture editor.
  closing_ = true;
  QWidget::closeEvent(event);
}

}  // namespace brannoc
