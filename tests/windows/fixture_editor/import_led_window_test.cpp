// "&Import Fixture..." with a mode that fits the console's LED form: the box
// offers the LED fixture and takes it by default, the LED fixture editor shows
// the imported record, its Save writes what `tfftool import --as led` writes, the
// fixture in memory stays, and the exit question covers the LED fixture.

#include <QApplication>
#include <QMdiArea>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "windows/fixture_editor/editor_window.h"
#include "windows/led_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/table_box.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ProgramUnderTest;
using test::Row;
using ui::Answer;

// "4 Channel" fits the LED form; "5 Channel" has a UV channel, which does not.
const std::string kPar = R"(<?xml version="1.0" encoding="UTF-8"?>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Manufacturer>Generic</Manufacturer>
 <Model>PAR 64 RGB</Model>
 <Channel Name="Red" Preset="IntensityRed"/>
 <Channel Name="Green" Preset="IntensityGreen"/>
 <Channel Name="Blue" Preset="IntensityBlue"/>
 <Channel Name="Dimmer" Preset="IntensityMasterDimmer"/>
 <Channel Name="UV" Preset="IntensityUV"/>
 <Mode Name="4 Channel"><Channel Number="0">Dimmer</Channel><Channel Number="1">Red</Channel>
  <Channel Number="2">Green</Channel><Channel Number="3">Blue</Channel></Mode>
 <Mode Name="5 Channel"><Channel Number="0">Dimmer</Channel><Channel Number="1">Red</Channel>
  <Channel Number="2">Green</Channel><Channel Number="3">Blue</Channel><Channel Number="4">UV</Channel></Mode>
</FixtureDefinition>
)";

const QString kLedChoice = "Import as an LED fixture (512-byte file)";
const QString kFixtureChoice = "Import as a fixture";

class ImportLed : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteAll(par, Bytes(kPar.begin(), kPar.end()));
    before = fixture;
    nameBefore = w->Text1->Text();
  }

  // Import Fixture... up to the box, mode `mode`, the box answered `box`.
  void Import(int mode, Answer box, std::deque<int> option = {}) {
    program.dialogs.answers = {Answer::Ok, box};
    program.dialogs.files = {QString::fromStdString(par.string())};
    program.dialogs.picks = {mode};
    program.dialogs.options = std::move(option);
    w->ImportFixture->trigger();
    QApplication::processEvents();
  }

  LedFixture* LedEditor() const { return program.form->EditorWidget<LedFixture>(Editor::LedFixture); }

  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  FixtureRecord& fixture = *program.app.Fixture;
  const fs::path par = program.dir / "par.qxf";
  FixtureRecord before;
  QString nameBefore;
};

TEST_F(ImportLed, TheBoxOffersTheLedFixtureFirstForAModeThatFitsAndNotForOneThatDoesNot) {
  Import(0, Answer::Cancel);
  ASSERT_EQ(program.dialogs.tables.size(), 1u);
  const ui::TableQuestion& fits = program.dialogs.tables[0];
  EXPECT_EQ(fits.options, (std::vector<QString>{kLedChoice, kFixtureChoice}));
  EXPECT_EQ(fits.option, 0);
  EXPECT_EQ(fits.checkWithOption, 1);  // palettes only for "Import as a fixture"
  EXPECT_TRUE(fits.lines.contains("As an LED fixture: Dimmer, Red, Green, Blue")) << fits.lines.join('|').toStdString();

  Import(1, Answer::Cancel);
  ASSERT_EQ(program.dialogs.tables.size(), 2u);
  EXPECT_TRUE(program.dialogs.tables[1].options.empty());
  EXPECT_EQ(program.dialogs.tables[1].rows.size(), 5u);
  EXPECT_TRUE(fixture == before);
  EXPECT_EQ(LedEditor(), nullptr);
}

TEST_F(ImportLed, TheLedChoiceShowsTheRecordInTheLedEditorWhoseSaveWritesWhatTfftoolWrites) {
  Import(0, Answer::Ok);
  // The moving fixture is not touched; no name question was asked.
  EXPECT_TRUE(fixture == before);
  EXPECT_EQ(w->Text1->Text(), nameBefore);
  EXPECT_EQ(program.dialogs.asked.size(), 1u);

  LedFixture* led = LedEditor();
  ASSERT_NE(led, nullptr);
  EXPECT_EQ(program.form->Area->activeSubWindow(), program.form->Window(Editor::LedFixture));
  EXPECT_EQ(led->Text1->Text(), "PAR 64 RGB");
  EXPECT_EQ(led->Combo1->Text(), "4");
  ASSERT_EQ(led->MSFlexGrid1->Rows(), 5);
  EXPECT_EQ(Row(led->MSFlexGrid1, 1), QStringList({"Chan 1", "Dimmer", "HTP", "0"}));
  EXPECT_EQ(Row(led->MSFlexGrid1, 2), QStringList({"Chan 2", "Red", "LTP", "0"}));
  EXPECT_EQ(Row(led->MSFlexGrid1, 4), QStringList({"Chan 4", "Blue", "LTP", "0"}));

  // Its own Save, byte for byte what the command line writes for the same mode.
  program.dialogs.files = {program.File("par-led.tff")};
  led->Command1->click();
  const std::string command = std::string("'") + TFFTOOL_PATH + "' import '" + par.string() + "' '" +
                              (program.dir / "par-tool.tff").string() + "' --mode '4 Channel' --as led >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const Bytes saved = test::ReadAll(program.dir / "par-led.tff");
  ASSERT_EQ(saved.size(), 512u);
  EXPECT_EQ(saved, test::ReadAll(program.dir / "par-tool.tff"));
  // Name, count, the map (Red in channel 2, Dimmer in channel 1) and channel 1's record.
  EXPECT_EQ(std::string(saved.begin() + 1, saved.begin() + 12), "PAR 64 RGB ");
  EXPECT_EQ(saved[12], 4);
  EXPECT_EQ(saved[13 + 1], 2);  // Red, name 1
  EXPECT_EQ(saved[13 + 8], 1);  // Dimmer, name 8
  EXPECT_EQ(saved[23], 8);      // channel 1: Dimmer
  EXPECT_EQ(saved[24], 'H');    // HTP
  EXPECT_EQ(std::string(saved.begin() + 23 + 5, saved.begin() + 23 + 17), "Dimmer      ");
  EXPECT_TRUE(fixture == before);
}

TEST_F(ImportLed, ImportAsAFixtureIsOneClickAwayAndLeavesTheLedEditorClosed) {
  Import(0, Answer::Ok, {1});
  EXPECT_EQ(LedEditor(), nullptr);
  EXPECT_EQ(fixture.ChannelCount, 4);
  EXPECT_EQ(w->Text1->Text(), "PAR 64 RGB");
}

TEST_F(ImportLed, TheExitQuestionCoversTheImportedLedFixture) {
  Import(0, Answer::Ok);
  program.dialogs.asked.clear();
  program.dialogs.answers = {Answer::Cancel};
  program.form->numExit->trigger();
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text,
            "The LED fixture \"PAR 64 RGB\" has unsaved changes. Save them before the program ends?");
  EXPECT_EQ(program.quits, 0);
}

TEST_F(ImportLed, UnsavedChangesOfTheLedFixtureAreAskedAboutBeforeTheImportReplacesThem) {
  program.form->numLFE->trigger();
  QApplication::processEvents();
  LedFixture* led = LedEditor();
  ASSERT_NE(led, nullptr);
  led->Combo1->SetListIndex(2);  // 3 channels, by hand
  const LedFixtureRecord typed = *program.app.LedFixture;

  Import(0, Answer::Ok);  // the question after the box is answered Cancel
  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(program.dialogs.asked[1].text,
            "The LED fixture \"New Fixture\" has unsaved changes, which the imported fixture replaces. Continue?");
  EXPECT_TRUE(*program.app.LedFixture == typed);
  EXPECT_EQ(led->Combo1->Text(), "3");
}

// With BRANNOC_SCREENSHOTS set to a folder, the box for the MAC Viper's
// "Extended" mode and for the RGB PAR, and the LED editor after the PAR's LED
// import, are saved there as PNG files to be looked at.
TEST_F(ImportLed, Screenshots) {
  const char* folder = std::getenv("BRANNOC_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "BRANNOC_SCREENSHOTS is not set";
  auto grabBox = [&](const QString& name) {
    ui::TableBox box(program.dialogs.tables.back(), program.form.get());
    box.show();
    QApplication::processEvents();
    box.grab().save(QString::fromUtf8(folder) + "/" + name);
  };
  const fs::path viper = "/usr/share/qlcplus/fixtures/Martin/Martin-MAC-Viper-Performance.qxf";
  if (fs::exists(viper)) {
    program.dialogs.answers = {Answer::Ok, Answer::Cancel};
    program.dialogs.files = {QString::fromStdString(viper.string())};
    program.dialogs.picks = {0};
    w->ImportFixture->trigger();
    grabBox("import-viper.png");
  }
  Import(0, Answer::Ok);
  grabBox("import-rgb-par.png");
  program.form->grab().save(QString::fromUtf8(folder) + "/led-editor-imported.png");
}

}  // namespace
}  // namespace brannoc
