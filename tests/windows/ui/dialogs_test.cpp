// The save question shared by the fixture editors, the failure message, the
// file dialog filter, and twips.

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QScreen>
#include <QCheckBox>
#include <QButtonGroup>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/gui.h"
#include "support/temp_dir.h"
#include "windows/ui/dialogs.h"
#include "windows/ui/layout.h"
#include "windows/ui/save_as.h"
#include "windows/ui/table_box.h"
#include "windows/ui/twips.h"

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
  EXPECT_EQ(ui::QtFilter("QLC+ Fixture Definition(*.qxf)|*.qxf|GDTF Fixture(*.gdtf)|*.gdtf"),
            "QLC+ Fixture Definition(*.qxf);;GDTF Fixture(*.gdtf)");
}

// Runs `act` on the modal dialog of type D once it is up. A dialog of another
// kind, none within two seconds, or one still up two seconds after `act` fails
// the test and is closed, so no test is left waiting on a modal dialog.
template <class D, class Act>
void WhenUp(Act act) {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  auto acted = std::make_shared<QPointer<QWidget>>();
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, acted, act] {
    QWidget* modal = QApplication::activeModalWidget();
    auto stop = [timer] {
      timer->stop();
      timer->deleteLater();
    };
    if (*acted) {  // waiting for the dialog to go
      if (modal != *acted) return stop();
      if (++*ticks > 200) {
        ADD_FAILURE() << "the dialog did not close";
        static_cast<QDialog*>(modal)->reject();
        stop();
      }
      return;
    }
    if (auto* dialog = qobject_cast<D*>(modal)) {
      *acted = dialog;
      *ticks = 0;
      act(dialog);
      if (QApplication::activeModalWidget() != dialog) stop();
      return;
    }
    if (modal || ++*ticks > 200) {
      ADD_FAILURE() << "the expected dialog did not come up";
      if (auto* other = qobject_cast<QDialog*>(modal)) other->reject();
      stop();
    }
  });
  timer->start(10);
}

TEST(QtDialogs, QuestionBoxHasNoIconAndBreaksTheLineAtTheCarriageReturn) {
  QWidget window;
  window.show();
  QMessageBox::Icon icon = QMessageBox::Warning;
  QString text, title;
  QMessageBox::StandardButtons buttons;
  WhenUp<QMessageBox>([&](QMessageBox* box) {
    icon = box->icon();
    text = box->text();
    title = box->windowTitle();
    buttons = box->standardButtons();
    box->button(QMessageBox::No)->click();
  });
  ui::QtDialogs dialogs;
  const Answer answer = dialogs.Ask(&window, QString("a.tff already exists.") + QChar(13) + "Do you want to replace it?",
                                    "Brannoc-512 Save As", ui::Buttons::YesNo, ui::Icon::None);
  EXPECT_EQ(answer, Answer::No);
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(text, "a.tff already exists.\nDo you want to replace it?");
  EXPECT_EQ(title, "Brannoc-512 Save As");
  EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);

  WhenUp<QMessageBox>([&](QMessageBox* box) {
    icon = box->icon();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(dialogs.Ask(&window, "x", "t", ui::Buttons::Ok, ui::Icon::Warning), Answer::Ok);
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST(QtDialogs, ACheckBoxUnderTheTextStartsAsGivenAndReturnsAsTheUserLeftIt) {
  QWidget window;
  window.show();
  QString caption;
  bool startedTicked = false;
  WhenUp<QMessageBox>([&](QMessageBox* box) {
    ASSERT_NE(box->checkBox(), nullptr);
    caption = box->checkBox()->text();
    startedTicked = box->checkBox()->isChecked();
    box->checkBox()->setChecked(false);
    box->button(QMessageBox::Ok)->click();
  });
  ui::QtDialogs dialogs;
  bool checked = true;
  EXPECT_EQ(dialogs.AskWithCheck(&window, "Import?", "Brannoc-512 Import", ui::Buttons::OkCancel, ui::Icon::None,
                                 "Fill the palettes from the channels", checked),
            Answer::Ok);
  EXPECT_EQ(caption, "Fill the palettes from the channels");
  EXPECT_TRUE(startedTicked);
  EXPECT_FALSE(checked);
}

TEST(QtDialogs, ATableQuestionShowsLinesRowsAndOptionsAndReturnsWhatTheUserTook) {
  QWidget window;
  window.show();
  ui::TableQuestion question;
  question.title = "Brannoc-512 Import";
  question.lines = {"first line", "second line"};
  question.headers = {"No.", "Name"};
  question.rows = {{"1", "Red"}, {"2", "Green"}};
  question.options = {"as one", "as the other"};
  question.checkText = "Fill";
  question.checked = true;
  question.checkWithOption = 1;
  QStringList seen;
  int startedAt = -1;
  bool checkEnabledAtFirst = true;
  WhenUp<ui::TableBox>([&](ui::TableBox* box) {
    seen << box->windowTitle() << box->Pane->Lines->text();
    for (int c = 0; c < box->Pane->Table->columnCount(); ++c) seen << box->Pane->Table->horizontalHeaderItem(c)->text();
    seen << box->Pane->Table->item(1, 1)->text();
    startedAt = box->Options->checkedId();
    checkEnabledAtFirst = box->Check->isEnabled();
    box->Options->button(1)->click();
    ASSERT_TRUE(box->Check->isEnabled());
    box->Check->setChecked(false);
    box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  ui::QtDialogs dialogs;
  EXPECT_EQ(dialogs.AskWithTable(&window, question), Answer::Ok);
  EXPECT_EQ(seen, QStringList({"Brannoc-512 Import", "first line\nsecond line", "No.", "Name", "Green"}));
  EXPECT_EQ(startedAt, 0);
  EXPECT_FALSE(checkEnabledAtFirst);  // the check box belongs to option 1
  EXPECT_EQ(question.option, 1);
  EXPECT_FALSE(question.checked);

  // Cancel leaves the box's answer Cancel; no options shows no buttons.
  question.options.clear();
  int buttons = -1;
  WhenUp<ui::TableBox>([&](ui::TableBox* box) {
    buttons = static_cast<int>(box->findChildren<QRadioButton*>().size());
    box->reject();
  });
  EXPECT_EQ(dialogs.AskWithTable(&window, question), Answer::Cancel);
  EXPECT_EQ(buttons, 0);
}

TEST(QtDialogs, SaveDialogAsksNoQuestionOfItsOwnAndShowsTheFilter) {
  QWidget window;
  window.show();
  bool confirms = true;
  QStringList filters;
  WhenUp<QFileDialog>([&](QFileDialog* dialog) {
    confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    filters = dialog->nameFilters();
    dialog->reject();
  });
  ui::QtDialogs dialogs;
  EXPECT_EQ(dialogs.SaveFileName(&window, kFilter), std::nullopt);
  EXPECT_FALSE(confirms);  // the program asks its own question
  EXPECT_EQ(filters, QStringList({"Fixture Setup File(*.tff)"}));

  filters.clear();
  WhenUp<QFileDialog>([&](QFileDialog* dialog) {
    filters = dialog->nameFilters();
    dialog->reject();
  });
  EXPECT_EQ(dialogs.OpenFileName(&window, kFilter), std::nullopt);
  EXPECT_EQ(filters, QStringList({"Fixture Setup File(*.tff)"}));
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

TEST(QtDialogs, ListShowsWhyAnEntryCannotBeChosenAndGivesTheOneChosen) {
  QWidget window;
  window.show();
  const std::vector<ui::ListEntry> entries = {
      {"Pixel: 41 channels, 0 steps", "41 channels; a fixture holds 40 at most"},
      {"Standard: 16 channels, 40 steps", ""},
      {"Basic: 8 channels, 12 steps", ""}};
  QStringList texts;
  QString title, prompt;
  bool firstChoosable = true, okAtStart = false, okOnFirst = true;
  int startRow = -1;
  WhenUp<QDialog>([&](QDialog* dialog) {
    title = dialog->windowTitle();
    prompt = dialog->findChild<QLabel*>()->text();
    auto* list = dialog->findChild<QListWidget*>("entries");
    for (int r = 0; r < list->count(); ++r) texts << list->item(r)->text();
    firstChoosable = list->item(0)->flags() & (Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    startRow = list->currentRow();
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    okAtStart = ok->isEnabled();
    list->setCurrentRow(0);  // as a program could; a user cannot
    okOnFirst = ok->isEnabled();
    list->setCurrentRow(2);
    ok->click();
  });
  ui::QtDialogs dialogs;
  EXPECT_EQ(dialogs.ChooseFromList(&window, "Brannoc-512 Import", "Modes of Spot:", entries), 2);
  EXPECT_EQ(title, "Brannoc-512 Import");
  EXPECT_EQ(prompt, "Modes of Spot:");
  EXPECT_EQ(texts, QStringList({"Pixel: 41 channels, 0 steps  (41 channels; a fixture holds 40 at most)",
                                "Standard: 16 channels, 40 steps", "Basic: 8 channels, 12 steps"}));
  EXPECT_FALSE(firstChoosable);
  EXPECT_EQ(startRow, 1);  // the first entry that can be chosen
  EXPECT_TRUE(okAtStart);
  EXPECT_FALSE(okOnFirst);

  WhenUp<QDialog>([](QDialog* dialog) { dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
  EXPECT_EQ(dialogs.ChooseFromList(&window, "t", "p", entries), std::nullopt);
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
