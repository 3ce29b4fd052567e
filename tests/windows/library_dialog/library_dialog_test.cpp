// "Fixture Library..." in the fixture editor: typing finds the model, its modes
// show with the ones that cannot be imported greyed, the preview shows what the
// import would make, and Enter imports it the way "Import Fixture..." does.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdlib>

#include "windows/fixture_editor/editor_window.h"
#include "windows/library_dialog/library_dialog.h"
#include "support/gui.h"
#include "support/zip_writer.h"
#include "windows/ui/cell_editors.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ProgramUnderTest;
using ui::Answer;

// "Pixel" (41 channels) cannot be imported; "Standard" has six channels, a
// fine pan among them.
std::string Beam() {
  std::string pixel;
  for (int i = 0; i < 41; ++i) pixel += "<Channel Number=\"" + std::to_string(i) + "\">Frost</Channel>";
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Manufacturer>Clay Paky</Manufacturer>
 <Model>Sharpy Beam</Model>
 <Channel Name="Pan" Preset="PositionPan"/>
 <Channel Name="Pan fine" Preset="PositionPanFine"/>
 <Channel Name="Tilt" Preset="PositionTilt"/>
 <Channel Name="Colour Wheel"><Group Byte="0">Colour</Group>
  <Capability Min="0" Max="9">White</Capability>
  <Capability Min="10" Max="255">Rainbow effect slow to fast</Capability>
 </Channel>
 <Channel Name="Frost"><Group Byte="0">Beam</Group></Channel>
 <Channel Name="Lamp"><Group Byte="0">Maintenance</Group></Channel>
 <Mode Name="Pixel">)" + pixel + R"(</Mode>
 <Mode Name="Standard"><Channel Number="0">Pan</Channel><Channel Number="1">Pan fine</Channel>
  <Channel Number="2">Tilt</Channel><Channel Number="3">Colour Wheel</Channel>
  <Channel Number="4">Frost</Channel><Channel Number="5">Lamp</Channel></Mode>
</FixtureDefinition>
)";
}

std::string Other(const std::string& maker, const std::string& model) {
  return "<FixtureDefinition><Manufacturer>" + maker + "</Manufacturer><Model>" + model +
         "</Model><Channel Name=\"Dimmer\" Preset=\"IntensityDimmer\"/>"
         "<Mode Name=\"1ch\"><Channel Number=\"0\">Dimmer</Channel></Mode></FixtureDefinition>";
}

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  test::WriteAll(path, Bytes(text.begin(), text.end()));
}

QStringList PreviewRow(QTableWidget* table, int r) {
  QStringList cells;
  for (int c = 0; c < table->columnCount(); ++c) cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
  return cells;
}

class FixtureLibraryDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    Write(program.dir / "lib/Clay_Paky/Sharpy-Beam.qxf", Beam());
    Write(program.dir / "lib/Martin/Atomic.qxf", Other("Martin", "Atomic 3000"));
    Write(program.dir / "lib/Martin/Broken.qxf", "<FixtureDefinition><Model>");
    places.DefaultFolders = {program.dir / "lib"};
    places.CacheFile = program.dir / "cache/library.cache";
    w->LibraryPlacesSource = [this] { return places; };
  }

  // Opens the library from the menu and runs `drive` on it while it is shown.
  void WithLibrary(const std::function<void(FixtureLibrary*)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
      auto* library = qobject_cast<FixtureLibrary*>(QApplication::activeModalWidget());
      ASSERT_NE(library, nullptr);
      library->FinishIndexing();
      drive(library);
      driven = true;
      if (library->isVisible()) library->reject();
    });
    w->FixtureLibraryMenu->trigger();
    EXPECT_TRUE(driven);
  }

  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  LibraryPlaces places;
};

TEST_F(FixtureLibraryDialog, SitsBesideImportFixtureInTheFileMenu) {
  const QList<QAction*> actions = w->MenuBar->actions().first()->menu()->actions();
  const auto at = actions.indexOf(w->ImportFixture);
  ASSERT_GE(at, 0);
  EXPECT_EQ(actions.at(at + 1), w->FixtureLibraryMenu);
  EXPECT_EQ(w->FixtureLibraryMenu->text(), "Fixture Library...");
}

TEST_F(FixtureLibraryDialog, TypingChoosingAndEnterImportTheModeAndShowTheFixture) {
  program.dialogs.answers = {Answer::Ok, Answer::Ok, Answer::No};  // settings lost, report, names
  WithLibrary([&](FixtureLibrary* library) {
    // Empty: the maker tree, damaged files among them.
    EXPECT_EQ(library->ListPages->currentWidget(), library->MakerTree);
    EXPECT_EQ(library->MakerTree->topLevelItemCount(), 3);  // (no maker), Clay Paky, Martin
    EXPECT_EQ(library->Found->text(), "3 definitions");

    QTest::keyClicks(library->SearchBox, "paky sha");
    EXPECT_EQ(library->ListPages->currentWidget(), library->Results);
    ASSERT_EQ(library->Results->count(), 1);
    EXPECT_EQ(library->Results->item(0)->text(), "Clay Paky Sharpy Beam");

    ASSERT_EQ(library->Modes->count(), 2);
    EXPECT_EQ(library->Modes->item(0)->text(), "Pixel: 41 channels (41 channels; a fixture holds 40 at most)");
    EXPECT_FALSE(library->Modes->item(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(library->Modes->item(1)->text(), "Standard: 6 channels");
    EXPECT_EQ(library->Modes->currentRow(), 1);

    ASSERT_EQ(library->Preview->rowCount(), 6);
    EXPECT_EQ(PreviewRow(library->Preview, 0), (QStringList{"1", "Pan", "Pan", "6", "Fadeable LTP 16bitH", "2", "0", ""}));
    const QStringList fine = PreviewRow(library->Preview, 1);
    EXPECT_EQ(fine.mid(0, 7), (QStringList{"2", "Pan fine", "Pan Fine", "", "Fadeable LTP 16bitL", "", "0"}));
    EXPECT_NE(fine[7].indexOf("Not in the channel name set"), -1) << fine[7].toStdString();
    EXPECT_EQ(PreviewRow(library->Preview, 3)[6], "2");
    EXPECT_NE(library->FixtureLines->text().indexOf("Sharpy-Beam.qxf"), -1);

    QTest::keyClick(library->SearchBox, Qt::Key_Return);
    EXPECT_FALSE(library->isVisible());
  });
  // The same road as "Import Fixture...": the question, the box with the mode
  // chosen here, the names question.
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
  ASSERT_EQ(program.dialogs.tables.size(), 1u);
  EXPECT_EQ(program.dialogs.tables[0].lines.value(0), "Sharpy Beam, mode \"Standard\": 6 channels");
  EXPECT_EQ(program.dialogs.tables[0].rows.size(), 6u);
  EXPECT_EQ(w->Text1->Text(), "Sharpy Beam");
  EXPECT_EQ(program.app.Fixture->ChannelCount, 6);
  EXPECT_TRUE(fs::exists(program.dir / "cache/library.cache"));
}

TEST_F(FixtureLibraryDialog, ArrowsInTheSearchBoxMoveThroughTheResultsAndCloseImportsNothing) {
  const FixtureRecord before = *program.app.Fixture;
  WithLibrary([&](FixtureLibrary* library) {
    QTest::keyClicks(library->SearchBox, "b");  // Sharpy Beam, Broken (damaged)
    ASSERT_EQ(library->Results->count(), 2);
    EXPECT_EQ(library->Results->currentRow(), 0);
    QTest::keyClick(library->SearchBox, Qt::Key_Down);
    EXPECT_EQ(library->Results->currentRow(), 1);
    EXPECT_EQ(library->Modes->count(), library->Results->currentItem()->text().startsWith("Clay") ? 2 : 0);
    library->CloseButton->click();
  });
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(*program.app.Fixture, before);
}

TEST_F(FixtureLibraryDialog, AFileGoneSinceItWasIndexedSaysSoAndCannotBeImported) {
  WithLibrary([&](FixtureLibrary* library) {
    fs::remove(program.dir / "lib/Martin/Atomic.qxf");
    QTest::keyClicks(library->SearchBox, "atomic");
    ASSERT_EQ(library->Results->count(), 1);
    EXPECT_NE(library->FixtureLines->text().indexOf("Atomic.qxf"), -1);
    EXPECT_FALSE(library->ImportButton->isEnabled());
    QTest::keyClick(library->SearchBox, Qt::Key_Return);
    EXPECT_TRUE(library->isVisible());
  });
}

// The dialog opens on the cached index at once and can be used; a definition
// added since joins the list once the index is brought up to date.
TEST_F(FixtureLibraryDialog, OpensOnTheCachedIndexAndTakesInWhatWasAddedSince) {
  WithLibrary([](FixtureLibrary*) {});  // the cache: 3 definitions
  Write(program.dir / "lib/Robe/Pointe.qxf", Other("Robe", "Pointe"));
  bool driven = false;
  QTimer::singleShot(0, [&] {
    auto* library = qobject_cast<FixtureLibrary*>(QApplication::activeModalWidget());
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(library->Indexing());
    EXPECT_EQ(library->Found->text(), "3 definitions");
    QTest::keyClicks(library->SearchBox, "martin");
    EXPECT_EQ(library->Results->count(), 1);
    library->SearchBox->setText("pointe");
    EXPECT_EQ(library->Results->count(), 0);
    library->FinishIndexing();
    ASSERT_EQ(library->Results->count(), 1);
    EXPECT_EQ(library->Results->item(0)->text(), "Robe Pointe");
    driven = true;
    library->reject();
  });
  w->FixtureLibraryMenu->trigger();
  EXPECT_TRUE(driven);
}

// A library folder that cannot be searched is said under the list, and named
// in its tooltip; the rest of the library is there.
TEST_F(FixtureLibraryDialog, AFolderThatCannotBeSearchedIsSaid) {
  places.UserFolders = {program.dir / "gone"};
  WithLibrary([&](FixtureLibrary* library) {
    EXPECT_EQ(library->Found->text(), "3 definitions; 1 folder not searched");
    EXPECT_EQ(library->Found->toolTip().indexOf(QString::fromStdString((program.dir / "gone").string())), 0);
    QTest::keyClicks(library->SearchBox, "atomic");
    EXPECT_EQ(library->Found->text(), "1 found; 1 folder not searched");
  });
}

// A maker's .gdtf archive is chosen, previewed and imported like a .qxf: the
// dialog reads it by its content.
TEST_F(FixtureLibraryDialog, AGdtfArchiveShowsItsModesAndImports) {
  const std::string description =
      test::GdtfDescription("Robe", "Spiider", {{"Mode 1", {{"1,2", "Pan"}, {"3", "Dimmer"}}}});
  fs::create_directories(program.dir / "lib/Robe");
  test::WriteAll(program.dir / "lib/Robe/Robe@Spiider.gdtf", test::GdtfArchive(description));
  program.dialogs.answers = {Answer::Ok, Answer::Ok, Answer::No};
  WithLibrary([&](FixtureLibrary* library) {
    QTest::keyClicks(library->SearchBox, "spiider");
    ASSERT_EQ(library->Results->count(), 1);
    ASSERT_EQ(library->Modes->count(), 1);
    EXPECT_EQ(library->Modes->item(0)->text(), "Mode 1: 3 channels");
    ASSERT_EQ(library->Preview->rowCount(), 3);
    EXPECT_EQ(PreviewRow(library->Preview, 0).mid(2, 1), QStringList{"Pan"});
    EXPECT_TRUE(library->ImportButton->isEnabled());
    QTest::keyClick(library->SearchBox, Qt::Key_Return);
  });
  EXPECT_EQ(program.app.Fixture->ChannelCount, 3);
}

// With BRANNOC_SCREENSHOTS set to a folder, the dialog empty and mid-search are
// saved there as PNG files to be looked at.
TEST_F(FixtureLibraryDialog, Screenshots) {
  const char* folder = std::getenv("BRANNOC_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "BRANNOC_SCREENSHOTS is not set";
  WithLibrary([&](FixtureLibrary* library) {
    library->MakerTree->expandAll();
    library->grab().save(QString::fromUtf8(folder) + "/library-empty.png");
    QTest::keyClicks(library->SearchBox, "sharpy");
    library->grab().save(QString::fromUtf8(folder) + "/library-search.png");
  });
}

}  // namespace
}  // namespace brannoc
