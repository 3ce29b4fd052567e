// The save question shared by the fixture editors, the failure message, the
// file dialog filter, and twips.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/gui.h"
#include "support/temp_dir.h"
#include "ui/dialogs.h"
#include "ui/layout.h"
#include "ui/save_as.h"
#include "ui/twips.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using ui::Answer;

const QString kFilter = "Fixture Setup File(*.tff)|*.tff";

TEST(QtFilter, KeepsTheDescriptionWithItsPattern) {
  EXPECT_EQ(ui::QtFilter(kFilter), "Fixture Setup File(*.tff)");
  EXPECT_EQ(ui::QtFilter("LED Fixture File(*.lfx)|*.lfx"), "LED Fixture File(*.lfx)");
  EXPECT_EQ(ui::QtFilter("Any(*.*)"), "Any(*.*)");
}

class SaveAs : public ::testing::Test {
 protected:
  QString Path(const std::string& name) const { return QString::fromStdString((dir / name).string()); }
  std::optional<QString> Ask() { return ui::AskSavePath(dialogs, nullptr, kFilter, ".tff"); }

  test::TempDir dir;
  test::ScriptedDialogs dialogs;
};

TEST_F(SaveAs, CancelGivesNothing) {
  EXPECT_EQ(Ask(), std::nullopt);
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_EQ(dialogs.filters, std::vector<QString>{kFilter});  // the filter as given
  dialogs.files.push_back(QString());  // an empty name is a cancel too
  EXPECT_EQ(Ask(), std::nullopt);
  EXPECT_TRUE(test::FileNames(dir.path()).empty());
}

TEST_F(SaveAs, EndingAddedUnlessTheNameHasItInAnyCase) {
  dialogs.files = {Path("wash"), Path("spot.TFF"), Path("beam.Tff"), Path("zoom.tff"), Path("fixturetff"),
                   Path("old.tff.bak")};
  EXPECT_EQ(Ask(), Path("wash.tff"));
  EXPECT_EQ(Ask(), Path("spot.TFF"));
  EXPECT_EQ(Ask(), Path("beam.Tff"));
  EXPECT_EQ(Ask(), Path("zoom.tff"));
  EXPECT_EQ(Ask(), Path("fixturetff.tff"));
  EXPECT_EQ(Ask(), Path("old.tff.bak.tff"));
  EXPECT_TRUE(dialogs.asked.empty());
  EXPECT_TRUE(test::FileNames(dir.path()).empty());  // asking writes nothing
}

TEST_F(SaveAs, ReplacingAFileThatHoldsSomethingAsksFirst) {
  test::WriteAll(dir / "wash.tff", {1, 2, 3});
  dialogs.files = {Path("wash"), Path("wash.tff")};
  dialogs.answers = {Answer::No, Answer::Yes};

  EXPECT_EQ(Ask(), std::nullopt);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  // The name with its ending, as it will be written.
  EXPECT_EQ(dialogs.asked[0].text,
            Path("wash.tff") + " already exists." + QChar(13) + "Do you want to replace it?");
  EXPECT_EQ(dialogs.asked[0].title, "Brannoc-512 Save As");
  EXPECT_EQ(dialogs.asked[0].buttons, ui::Buttons::YesNo);
  EXPECT_EQ(dialogs.asked[0].icon, ui::Icon::None);

  EXPECT_EQ(Ask(), Path("wash.tff"));
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(test::ReadAll(dir / "wash.tff"), (Bytes{1, 2, 3}));  // asking writes nothing
}

TEST_F(SaveAs, EmptyFileOrFolderOfThatNameAsksNothing) {
  test::WriteAll(dir / "empty.tff", {});
  fs::create_directory(dir / "folder.tff");
  fs::create_directory(dir / "full.tff");
  test::WriteAll(dir / "full.tff" / "inside", {1});
  dialogs.files = {Path("empty.tff"), Path("folder"), Path("full.tff")};
  EXPECT_EQ(Ask(), Path("empty.tff"));
  // A folder is not replaced by a question: the write itself fails and says so.
  EXPECT_EQ(Ask(), Path("folder.tff"));
  EXPECT_EQ(Ask(), Path("full.tff"));
  EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(SaveAs, NonAsciiNamesAreFoundOnDisk) {
  test::WriteAll(dir.path() / fs::path(u8"Wäsche.tff"), {7});
  dialogs.files = {QString::fromStdString((dir.path() / fs::path(u8"Wäsche")).string())};
  EXPECT_EQ(Ask(), std::nullopt);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_TRUE(dialogs.asked[0].text.startsWith(QString::fromStdString((dir.path() / fs::path(u8"Wäsche.tff")).string())));
}

TEST_F(SaveAs, FailureMessage) {
  ui::ReportSaveFailure(dialogs, nullptr, Path("wash.tff"), "No space left on device");
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0].text,
            Path("wash.tff") + " could not be saved." + QChar(13) + "No space left on device");
  EXPECT_EQ(dialogs.asked[0].title, "Brannoc-512 Save As");
  EXPECT_EQ(dialogs.asked[0].buttons, ui::Buttons::Ok);
  EXPECT_EQ(dialogs.asked[0].icon, ui::Icon::Warning);
}

TEST(Twips, InchOfTwipsIsTheLogicalDpi) {
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  EXPECT_EQ(ui::Twips(1440), qRound(dpi));
  EXPECT_EQ(ui::Twips(720), qRound(dpi / 2));
  EXPECT_EQ(ui::Twips(0), 0);
  EXPECT_EQ(ui::ToTwips(qRound(dpi)), 1440);
  if (qRound(dpi) == 96) {
    EXPECT_EQ(ui::Twips(15), 1);
    EXPECT_EQ(ui::Twips(14010), 934);
    EXPECT_EQ(ui::ToTwips(934), 14010);
  }
  EXPECT_EQ(ui::TwipsRect(1440, 720, 2880, 4320),
            QRect(ui::Twips(1440), ui::Twips(720), ui::Twips(2880), ui::Twips(4320)));
  EXPECT_EQ(ui::TwipsRect(1440, 720, 2880, 4320).size(), QSize(qRound(2 * dpi), qRound(3 * dpi)));
  EXPECT_EQ(ui::TwipsSize(1440, 2880), QSize(qRound(dpi), qRound(2 * dpi)));
}

TEST(Layout, PlacesControlsInTwips) {
  QWidget window;
  QWidget* control = ui::Place(new QWidget(&window), 120, 240, 1440, 360);
  EXPECT_EQ(control->geometry(), ui::TwipsRect(120, 240, 1440, 360));
  QLabel* label = ui::Label("Channel Count", &window, 300, 600);
  EXPECT_EQ(label->pos(), QPoint(ui::Twips(300), ui::Twips(600)));
  EXPECT_EQ(label->text(), "Channel Count");
  EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("Channel Count"));  // not cut off
}

}  // namespace
}  // namespace brannoc
