// "&Import Fixture..." in the fixture editor: the questions on the way, the mode
// list, the report, the name question, the window showing the fixture as an open
// shows it, and every Cancel leaving the fixture in memory as it was.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QLabel>
#include <gtest/gtest.h>

#include "windows/name_editor/editor_window.h"
#include "data/names/name_set.h"
#include "data/import/qxf.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/palette_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::Entries;
using test::ProgramUnderTest;
using test::Row;
using ui::Answer;

// What the window shows of a fixture: header, channel table, lists, steps of
// the channel chosen.
QStringList Shown(Pelorin* w) {
  QStringList shown{w->Text1->Text(), w->Combo1->Text(), w->Text4->Text(), w->Text2->Text()};
  for (int r = 0; r < w->MSFlexGrid1->Rows(); ++r) shown << Row(w->MSFlexGrid1, r).join('|');
  for (ui::Chooser* list : {w->Combo9, w->Combo11, w->Combo12, w->Combo2}) shown << Entries(list).join('|');
  shown << QString::number(w->Combo9->ListIndex());
  for (int r = 0; r < w->MSFlexGrid2->Rows(); ++r) shown << Row(w->MSFlexGrid2, r).join('|');
  shown << w->StepTotal->text();
  return shown;
}

// Two modes: "Pixel" of 41 channels, which cannot be imported, and "Standard".
const std::string kHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Model>Beam 230 Sharp</Model>
 <Channel Name="Pan" Preset="PositionPan"/>
 <Channel Name="Pan fine" Preset="PositionPanFine"/>
 <Channel Name="Tilt" Preset="PositionTilt"/>
 <Channel Name="Colour Wheel"><Group Byte="0">Colour</Group>
  <Capability Min="0" Max="9">White</Capability>
  <Capability Min="10" Max="19">Red</Capability>
  <Capability Min="20" Max="255">Rainbow effect slow to fast</Capability>
 </Channel>
 <Channel Name="Frost" Default="12"><Group Byte="0">Beam</Group></Channel>
 <Channel Name="Lamp"><Group Byte="0">Maintenance</Group></Channel>
 <Physical><Focus Type="Head" PanMax="540" TiltMax="270"/></Physical>
 <Mode Name="Pixel">
)";
std::string Definition() {
  std::string text = kHead;
  for (int i = 0; i < 41; ++i) text += "  <Channel Number=\"" + std::to_string(i) + "\">Frost</Channel>\n";
  text += R"( </Mode>
 <Mode Name="Standard">
  <Channel Number="0">Pan</Channel>
  <Channel Number="1">Pan fine</Channel>
  <Channel Number="2">Tilt</Channel>
  <Channel Number="3">Colour Wheel</Channel>
  <Channel Number="4">Frost</Channel>
  <Channel Number="5">Lamp</Channel>
 </Mode>
</FixtureDefinition>
)";
  return text;
}

class ImportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string text = Definition();
    test::WriteAll(qxf, Bytes(text.begin(), text.end()));
    fixture.FixtureName = FixedText<11>::FromUtf8("Old Spot");
    w->Text1->SetText("Old Spot");
    before = fixture;
    shownBefore = Shown(w);
  }

  // The answers that lead the whole way in.
  void AnswerAll(Answer names) {
    program.dialogs.answers = {Answer::Ok, Answer::Ok, names};
    program.dialogs.files = {QString::fromStdString(qxf.string())};
    program.dialogs.picks = {1};
  }

  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  FixtureRecord& fixture = *program.app.Fixture;
  const fs::path qxf = program.dir / "Beam.qxf";
  FixtureRecord before;
  QStringList shownBefore;
};

TEST_F(ImportFixture, TheMenuEntryFollowsOpenFixture) {
  const QList<QAction*> actions = w->MenuBar->actions().first()->menu()->actions();
  ASSERT_GE(actions.size(), 5);
  EXPECT_EQ(actions[1]->text(), "&Open Fixture");
  EXPECT_EQ(actions[2]->text(), "&Import Fixture...");
  EXPECT_EQ(actions[2], w->ImportFixture);
  EXPECT_EQ(actions[3], w->FixtureLibraryMenu);
  EXPECT_EQ(actions[4]->text(), "&Save Fixture");
}

TEST_F(ImportFixture, ThePickedModeAfterTheReportAndTheNameQuestionIsShownAsAnOpenShowsIt) {
  const Bytes namesBefore = test::ReadAll(program.dir / "ChNameSet.fix");
  AnswerAll(Answer::Yes);
  w->ImportFixture->trigger();

  // The road: the question New asks, the file dialog, the mode list, the report,
  // the name question.
  EXPECT_EQ(program.dialogs.filters.back(),
            "GDTF Fixture(*.gdtf)|*.gdtf|QLC+ Fixture Definition(*.qxf)|*.qxf|GDTF Description(description.xml)|description.xml");
  ASSERT_EQ(program.dialogs.lists.size(), 1u);
  const test::Listed& list = program.dialogs.lists[0];
  EXPECT_EQ(list.title, "Brannoc-512 Import");
  EXPECT_EQ(list.prompt, "Modes of Beam 230 Sharp:");
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].text, "Pixel: 41 channels, 0 steps");
  EXPECT_EQ(list.entries[0].whyNot, "41 channels; a fixture holds 40 at most");
  EXPECT_EQ(list.entries[1].text, "Standard: 6 channels, 3 steps");
  EXPECT_EQ(list.entries[1].whyNot, "");

  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(program.dialogs.asked[0].text, "Any current settings will be lost,continue");
  EXPECT_EQ(program.dialogs.asked[0].title, "Pelorin Fixture");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::OkCancel);
  const QString cr(QChar(13));
  // The box: the lines about the whole fixture above one row per channel, each
  // with what changed for it; the palettes box ticked; no LED choice for a spot.
  ASSERT_EQ(program.dialogs.tables.size(), 1u);
  const ui::TableQuestion& box = program.dialogs.tables[0];
  EXPECT_EQ(box.title, "Brannoc-512 Import");
  EXPECT_EQ(box.lines, QStringList({"Beam 230 Sharp, mode \"Standard\": 6 channels",
                                    "The fixture name \"Beam 230 Sharp\" is shortened to \"Beam230Shrp\"",
                                    "Palettes made: Colour, Frost, Pos"}));
  EXPECT_EQ(box.headers, QStringList({"No.", "Definition name", "Console name", "Code", "Type", "Partner", "Steps", "Note"}));
  ASSERT_EQ(box.rows.size(), 6u);
  EXPECT_EQ(box.rows[0], QStringList({"1", "Pan", "Pan", "6", "Fadeable LTP 16bitH", "2", "0", ""}));
  EXPECT_EQ(box.rows[1], QStringList({"2", "Pan fine", "Pan Fine", "", "Fadeable LTP 16bitL", "", "0",
                                      "Not in the channel name set: \"Pan Fine\" (channel 2)"}));
  EXPECT_EQ(box.rows[3], QStringList({"4", "Colour Wheel", "Colour", "9", "instant LTP", "", "3",
                                      "Step names shortened to 8 characters: channel 4 (1 of 3)"}));
  EXPECT_EQ(box.rows[5][1], "Lamp");
  EXPECT_EQ(box.rows[5][2], "Control");
  EXPECT_TRUE(box.options.empty());
  EXPECT_EQ(box.checkText, "Fill the palettes from the channels");
  EXPECT_TRUE(box.checked);
  EXPECT_EQ(program.dialogs.asked[1].text,
            "Channel Names do not exist,Do you wish to add them?" + cr + "Pan Fine, Frost, Control");
  EXPECT_EQ(program.dialogs.asked[1].title, "Add Channel Name");
  EXPECT_EQ(program.dialogs.asked[1].buttons, ui::Buttons::YesNo);

  // The names went into the window's set, its chooser and the file, slots 59..61.
  EXPECT_EQ(program.app.Names.Set().Entries[59].Name.TrimmedUtf8(), "Pan Fine");
  EXPECT_EQ(program.app.Names.Set().Entries[61].Name.TrimmedUtf8(), "Control");
  EXPECT_EQ(w->FindNameEntry("frost"), w->Combo10->ListCount() - 2);
  EXPECT_EQ(w->Combo10->ItemData(w->Combo10->ListCount() - 1), 64);
  const Bytes names = test::ReadAll(program.dir / "ChNameSet.fix");
  ASSERT_EQ(names.size(), 3542u);
  EXPECT_EQ(names[60 * 14], 60);
  EXPECT_EQ(names[60 * 14 + 1], 63);
  EXPECT_EQ(std::string(names.begin() + 60 * 14 + 2, names.begin() + 61 * 14), "Frost       ");
  EXPECT_TRUE(std::equal(names.begin(), names.begin() + 59 * 14, namesBefore.begin()));

  // The fixture, with the codes of the names added.
  EXPECT_EQ(fixture.ChannelCount, 6);
  EXPECT_EQ(fixture.Channels[1].NameCode, 62);
  EXPECT_EQ(fixture.Channels[4].NameCode, 63);
  EXPECT_EQ(fixture.Channels[4].Value, 12);
  EXPECT_EQ(fixture.MaxPanDegree, 540);

  // The window.
  EXPECT_EQ(w->Text1->Text(), "Beam230Shrp");
  EXPECT_EQ(w->Combo1->Text(), "6");
  EXPECT_EQ(w->Text4->Text(), "540");
  EXPECT_EQ(w->Text2->Text(), "270");
  ASSERT_EQ(w->MSFlexGrid1->Rows(), 7);
  EXPECT_EQ(Row(w->MSFlexGrid1, 1), QStringList({"Chan 1", "Pan         ", "Fadeable LTP 16bitH", "2", "0"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 2), QStringList({"Chan 2", "Pan Fine    ", "Fadeable LTP 16bitL", "0", "0"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 4), QStringList({"Chan 4", "Colour      ", "instant LTP", "0", "0"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 5), QStringList({"Chan 5", "Frost       ", "LTP", "0", "12"}));
  EXPECT_EQ(Entries(w->Combo9).size(), 6);
  w->Combo9->SetListIndex(3);
  EXPECT_EQ(Row(w->MSFlexGrid2, 3), QStringList({"Step 3", "RnbwFxSF", "20", "255"}));
  w->Combo9->SetListIndex(0);

  // Exactly what opening the saved fixture shows.
  const QStringList imported = Shown(w);
  program.dialogs.files = {program.File("beam.tff")};
  w->SaveFixture_Click();
  program.dialogs.answers = {Answer::Ok};
  w->NewFixture_Click();
  program.dialogs.files = {program.File("beam.tff")};
  w->OpenFixture_Click();
  EXPECT_EQ(Shown(w), imported);
}

TEST_F(ImportFixture, NamesAddedFollowANameTheNameEditorSavedAndTakeTheCodesTheDataSideGives) {
  // "MyName" typed into row 60 (slot 59) of the channel name editor and saved.
  program.form->numChname->trigger();
  QApplication::processEvents();
  auto* names = program.form->EditorWidget<EditChName>(Editor::ChannelNames);
  ASSERT_NE(names, nullptr);
  names->ChMSFlexGrid->scrollToItem(names->ChMSFlexGrid->item(59, 1));
  QApplication::processEvents();
  test::ClickCell(names->ChMSFlexGrid, 60, 1);
  test::TypeInto(names->ChTextEdit, "MyName");
  test::ClickCell(names->ChMSFlexGrid, 61, 1);
  names->ChSave_Click();
  const Bytes saved = test::ReadAll(program.dir / "ChNameSet.fix");
  names->eSM->trigger();
  QApplication::processEvents();
  w = program.FixtureEditor();

  AnswerAll(Answer::Yes);
  w->ImportFixture->trigger();

  // What the import with names added gives on the data side, from the saved file.
  const std::string text = Definition();
  const Bytes qxfBytes(text.begin(), text.end());
  ChannelNameSet expected = ParseChannelNameSet(saved);
  for (const std::string& name : ImportQxfMode(qxfBytes, 1, expected).MissingNames) AddChannelName(expected, name);
  const QxfImport imported = ImportQxfMode(qxfBytes, 1, expected);
  ASSERT_TRUE(imported.Record);

  EXPECT_EQ(program.app.Names.Set().Entries[59].Name.TrimmedUtf8(), "MyName");
  EXPECT_EQ(program.app.Names.Set().Entries[60].Name.TrimmedUtf8(), "Pan Fine");
  EXPECT_EQ(program.app.Names.Set(), expected);
  EXPECT_EQ(test::ReadAll(program.dir / "ChNameSet.fix"), SerializeChannelNameSet(expected));
  for (std::size_t c = 0; c < 6; ++c) EXPECT_EQ(fixture.Channels[c].NameCode, imported.Record->Channels[c].NameCode) << c;
  EXPECT_EQ(fixture.Channels[1].NameCode, 63);
  EXPECT_EQ(w->Combo10->ItemData(w->Combo10->ListCount() - 1), 65);
}

TEST_F(ImportFixture, NoToTheNameQuestionImportsWithoutCodesAndLeavesTheNameSet) {
  const Bytes namesBefore = test::ReadAll(program.dir / "ChNameSet.fix");
  const int chooserBefore = w->Combo10->ListCount();
  AnswerAll(Answer::No);
  w->ImportFixture->trigger();
  EXPECT_EQ(fixture.ChannelCount, 6);
  EXPECT_EQ(fixture.Channels[4].Name.TrimmedUtf8(), "Frost");
  EXPECT_EQ(fixture.Channels[4].NameCode, 0);
  EXPECT_EQ(test::ReadAll(program.dir / "ChNameSet.fix"), namesBefore);
  EXPECT_EQ(w->Combo10->ListCount(), chooserBefore);
  EXPECT_EQ(Row(w->MSFlexGrid1, 5)[1], "Frost       ");
}

TEST_F(ImportFixture, CancelAnywhereLeavesTheFixtureInMemoryAndTheWindowAsTheyWere) {
  const QString file = QString::fromStdString(qxf.string());
  struct Way {
    const char* where;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<int>> picks;
  };
  const Way ways[] = {
      {"the first question", {Answer::Cancel}, {file}, {1}},
      {"the file dialog", {Answer::Ok}, {std::nullopt}, {1}},
      {"the mode list", {Answer::Ok}, {file}, {std::nullopt}},
      {"the box", {Answer::Ok, Answer::Cancel}, {file}, {1}},
  };
  for (const Way& way : ways) {
    program.dialogs.answers = way.answers;
    program.dialogs.files = way.files;
    program.dialogs.picks = way.picks;
    w->ImportFixture_Click();
    EXPECT_TRUE(fixture == before) << way.where;
    EXPECT_EQ(Shown(w), shownBefore) << way.where;
    EXPECT_TRUE(program.dialogs.answers.empty()) << way.where;
  }
  EXPECT_EQ(program.dialogs.lists.size(), 2u);  // the list came up twice
}

TEST_F(ImportFixture, AFileThatIsNoFixtureDefinitionSaysSoAndChangesNothing) {
  const std::string other = "<?xml version=\"1.0\"?>\n<Workspace><Engine/></Workspace>\n";
  test::WriteAll(program.dir / "show.qxf", Bytes(other.begin(), other.end()));
  program.dialogs.answers = {Answer::Ok};
  program.dialogs.files = {program.File("show.qxf")};
  w->ImportFixture_Click();
  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(program.dialogs.asked[1].title, "Brannoc-512 Import");
  EXPECT_EQ(program.dialogs.asked[1].text,
            program.File("show.qxf") + " could not be imported." + QChar(13) +
                "not a QLC+ fixture definition: its outermost element is <Workspace>, not <FixtureDefinition>");
  EXPECT_EQ(program.dialogs.asked[1].icon, ui::Icon::Warning);
  EXPECT_TRUE(fixture == before);
  EXPECT_EQ(Shown(w), shownBefore);
}

TEST_F(ImportFixture, UntickingTheBoxImportsWithoutPalettes) {
  AnswerAll(Answer::No);
  program.dialogs.checks = {false};
  w->ImportFixture->trigger();
  ASSERT_EQ(program.dialogs.tables.size(), 1u);
  EXPECT_EQ(program.dialogs.tables[0].checkText, "Fill the palettes from the channels");
  EXPECT_TRUE(program.dialogs.tables[0].checked);
  EXPECT_EQ(fixture.ChannelCount, 6);
  for (const PaletteText& name : fixture.Palettes.PaletteName) EXPECT_TRUE(name.IsBlank());
}

// The MAC Viper from QLC+'s library, imported with the box ticked as it starts:
// the palette editor then shows its palettes. With BRANNOC_SCREENSHOTS set to a
// folder, the palette editor is saved there as a picture to look at.
TEST(ImportWithPalettes, TheMacViperArrivesWithItsPalettesInThePaletteEditor) {
  const fs::path viper = "/usr/share/qlcplus/fixtures/Martin/Martin-MAC-Viper-Performance.qxf";
  if (!fs::exists(viper)) GTEST_SKIP() << viper << " is missing: install qlcplus-data";
  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  program.dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Yes};
  program.dialogs.files = {QString::fromStdString(viper.string())};
  program.dialogs.picks = {0};  // "Extended"
  w->ImportFixture->trigger();
  ASSERT_EQ(program.dialogs.tables.size(), 1u);
  const QStringList lines = program.dialogs.tables[0].lines;
  EXPECT_TRUE(lines.contains("Palettes made: Colour, Gobo, Beam, Prism, Focus, Zoom, Iris, Frost, Pos, Intens"))
      << lines.join('|').toStdString();
  EXPECT_EQ(program.dialogs.tables[0].checkText, "Fill the palettes from the channels");

  w->MnuReturn->trigger();
  QApplication::processEvents();
  ULink* palette = program.form->EditorWidget<ULink>(Editor::Palette);
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->Text2->Text(), "Colour");
  EXPECT_EQ(palette->Command2[0]->text(), "White ");
  QTest::mouseClick(palette->TabStrip1, Qt::LeftButton, {}, palette->TabStrip1->tabRect(1).center());
  QApplication::processEvents();
  EXPECT_EQ(palette->Text2->Text(), "Gobo");
  EXPECT_EQ(palette->Command2[0]->text(), "Open  ");
  if (const QByteArray folder = qgetenv("BRANNOC_SCREENSHOTS"); !folder.isEmpty()) {
    QTest::mouseClick(palette->TabStrip1, Qt::LeftButton, {}, palette->TabStrip1->tabRect(0).center());
    QApplication::processEvents();
    palette->window()->grab().save(QString::fromLocal8Bit(folder) + "/palette-editor-viper.png");
  }
}

}  // namespace
}  // namespace brannoc
