// A fixture file named on the command line (as the desktop passes one when a
// .tff file is opened with the editor).

#include <QMdiArea>
#include <gtest/gtest.h>

#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;

QString Path(const fs::path& path) { return QString::fromStdString(path.string()); }

void ExpectTheNewFixture(const test::ProgramUnderTest& program) {
  Pelorin* w = program.FixtureEditor();
  ASSERT_TRUE(w);
  EXPECT_EQ(program.app.Fixture->ChannelCount, 8);
  EXPECT_EQ(w->Combo1->Text(), "8");
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_EQ(w->Text1->Text(), "New Fixture");
}

TEST(StartFile, IsOpenedAndShownInTheFixtureEditor) {
  test::TempDir files;
  FixtureRecord spot;
  ResetFixture(spot, 12);
  spot.FixtureName = FixedText<11>::FromUtf8("Spot 575");
  spot.Channels[0].Name = FixedText<12>::FromUtf8("Pan");
  ASSERT_FALSE(SaveFixtureFile(spot, files / "Spot 575.tff"));

  test::ProgramUnderTest program(true, Path(files / "Spot 575.tff"));
  EXPECT_TRUE(program.dialogs.asked.empty());
  Pelorin* w = program.FixtureEditor();
  ASSERT_TRUE(w);
  EXPECT_EQ(program.form->Area->activeSubWindow(), program.form->Window(Editor::Fixture));
  EXPECT_EQ(program.app.Fixture->ChannelCount, 12);
  EXPECT_EQ(program.app.Fixture->FixtureName, FixedText<11>::FromUtf8("Spot 575"));
  EXPECT_EQ(w->Combo1->Text(), "12");
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 13);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 1).trimmed(), "Pan");
  EXPECT_EQ(w->Text1->Text(), "Spot 575");
}

TEST(StartFile, ThatCannotBeReadIsReportedAndTheNewFixtureStays) {
  test::TempDir files;
  test::WriteAll(files / "damaged.tff", Bytes(100, 0x5A));
  for (const fs::path& file : {files / "damaged.tff", files / "missing.tff"}) {
    SCOPED_TRACE(file.string());
    test::ProgramUnderTest program(true, Path(file));
    ASSERT_EQ(program.dialogs.asked.size(), 1u);
    EXPECT_EQ(program.dialogs.asked[0].title, "Brannoc-512 Open");
    EXPECT_TRUE(program.dialogs.asked[0].text.startsWith(Path(file) + " could not be opened." + QChar(13)));
    EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::Ok);
    ExpectTheNewFixture(program);
  }
  EXPECT_EQ(test::ReadAll(files / "damaged.tff"), Bytes(100, 0x5A));
  EXPECT_FALSE(fs::exists(files / "missing.tff"));
}

}  // namespace
}  // namespace brannoc
