// Every move between the windows: which editors exist afterwards, which one is
// in front, where they stand and what the shared records hold.

#include <QApplication>
#include <QImage>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QCheckBox>
#include <QMdiArea>
#include <QPushButton>
#include <gtest/gtest.h>
#include <set>

#include "windows/name_editor/editor_window.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/led_editor/editor_window.h"
#include "windows/palette_editor/editor_window.h"
#include "support/fifo.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

namespace brannoc {
namespace {
using ui::Answer;

class Moves : public ::testing::Test {
 protected:
  std::set<Editor> Open() const {
    std::set<Editor> open;
    for (Editor e : {Editor::Fixture, Editor::Palette, Editor::ChannelNames, Editor::LedFixture}) {
      if (program.form->Window(e)) open.insert(e);
    }
    return open;
  }
  bool Active(Editor e) const {
    return program.form->Window(e) && program.form->Area->activeSubWindow() == program.form->Window(e);
  }
  bool AtTopLeft(Editor e) const { return program.form->Window(e) && program.form->Window(e)->pos() == QPoint(0, 0); }
  void Settle() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void MoveAside(Editor e) { program.form->Window(e)->move(60, 40); }
  Pelorin* Fixture() const { return program.FixtureEditor(); }
  EditChName* Names() const { return program.form->EditorWidget<EditChName>(Editor::ChannelNames); }
  ULink* Palette() const { return program.form->EditorWidget<ULink>(Editor::Palette); }
  void TwelveChannels() {
    Fixture()->Combo1->SetListIndex(11);
    program.app.Fixture->StepCounts[11] = 2;
    Fixture()->Combo9->SetListIndex(11);
  }

  test::ProgramUnderTest program;
};

TEST_F(Moves, AtStartOnlyTheFixtureEditorIsOpen) {
  EXPECT_EQ(program.form->Area->size(), ui::TwipsSize(14010, 9405));
  EXPECT_EQ(program.FixtureEditor()->size().width(), ui::Twips(13620));
  EXPECT_EQ(Open(), std::set<Editor>{Editor::Fixture});
  EXPECT_TRUE(Active(Editor::Fixture));
  EXPECT_EQ(program.app.PaletteChannelCount, 0);
  EXPECT_EQ(program.app.Fixture->ChannelCount, 8);
}

// A named pipe called "ChNameSet.fix" beside the program: the program starts at
// once with a fixture editor that offers no names, the name editor shows the
// built-in names and cannot save over the pipe, and the pipe is left as it was.
// A pipe chosen in the open dialog is refused the same way.
TEST(Start, ANamedPipeBesideTheProgramHoldsNothingUpAndStaysAsItIs) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  const fs::path pipe = dir / "ChNameSet.fix";
  ASSERT_TRUE(test::MakeFifo(pipe));
  test::ScriptedDialogs dialogs;
  AppState app;
  app.NameSetFolder = dir.path();
  app.Dialogs = &dialogs;
  MainForm form(app);
  form.Quit = [] {};
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] {
    form.Start();
    QApplication::processEvents();
  }));
  Pelorin* fixture = form.EditorWidget<Pelorin>(Editor::Fixture);
  ASSERT_NE(fixture, nullptr);
  EXPECT_EQ(fixture->Combo10->count(), 0);

  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] {
    form.numChname->trigger();
    QApplication::processEvents();
  }));
  EditChName* names = form.EditorWidget<EditChName>(Editor::ChannelNames);
  ASSERT_NE(names, nullptr);
  EXPECT_EQ(names->ChMSFlexGrid->TextMatrix(1, 1), "Pan");
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] {
    QTest::mouseClick(names->ChSave, Qt::LeftButton);
    QApplication::processEvents();
  }));
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_TRUE(dialogs.asked[0].text.contains("not a regular file")) << dialogs.asked[0].text.toStdString();

  const fs::path chosen = dir / "pipe.tff";
  ASSERT_TRUE(test::MakeFifo(chosen));
  dialogs.files.push_back(QString::fromStdString(chosen.string()));
  form.ShowEditor(Editor::Fixture);
  EXPECT_TRUE(test::ReturnsPromptly(chosen, [&] { fixture->OpenFixture->trigger(); }));
  ASSERT_EQ(dialogs.asked.size(), 2u);
  EXPECT_TRUE(dialogs.asked[1].text.contains("not a regular file")) << dialogs.asked[1].text.toStdString();
  EXPECT_EQ(app.Fixture->ChannelCount, 8);

  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_TRUE(fs::is_fifo(chosen));
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"ChNameSet.fix", "pipe.tff"}));
}

TEST_F(Moves, FixtureEditMovesAnOpenEditorAndRecreatesAClosedOne) {
  TwelveChannels();
  MoveAside(Editor::Fixture);
  Pelorin* first = Fixture();
  program.form->numMF->trigger();
  EXPECT_EQ(Fixture(), first);
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));

  program.form->CloseEditor(Editor::Fixture);
  Settle();
  EXPECT_TRUE(Open().empty());
  program.form->numMF->trigger();
  ASSERT_EQ(Open(), std::set<Editor>{Editor::Fixture});
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));
  EXPECT_EQ(Fixture()->MSFlexGrid1->Rows(), 13);  // the fixture in memory
}

TEST_F(Moves, LedFixtureEditFromEitherMenuShowsTheLedEditorBesideTheFixtureEditor) {
  program.form->numLFE->trigger();
  EXPECT_EQ(Open(), (std::set<Editor>{Editor::Fixture, Editor::LedFixture}));
  EXPECT_TRUE(Active(Editor::LedFixture));
  EXPECT_TRUE(AtTopLeft(Editor::LedFixture));
  EXPECT_EQ(program.app.LedFixture->ChannelCount, 8);

  program.form->Window(Editor::LedFixture)->move(30, 30);
  program.form->Area->setActiveSubWindow(program.form->Window(Editor::Fixture));
  Fixture()->mnuLFE->trigger();
  EXPECT_EQ(Open(), (std::set<Editor>{Editor::Fixture, Editor::LedFixture}));
  EXPECT_TRUE(Active(Editor::LedFixture));
  EXPECT_TRUE(AtTopLeft(Editor::LedFixture));

  // Closing the LED editor moves nowhere.
  MoveAside(Editor::Fixture);
  program.form->CloseEditor(Editor::LedFixture);
  Settle();
  EXPECT_EQ(Open(), std::set<Editor>{Editor::Fixture});
  EXPECT_EQ(program.form->Window(Editor::Fixture)->pos(), QPoint(60, 40));
}

TEST_F(Moves, EditChNameShowsTheNameEditorAtTheTopLeft) {
  program.form->numChname->trigger();
  EXPECT_EQ(Open(), (std::set<Editor>{Editor::Fixture, Editor::ChannelNames}));
  EXPECT_TRUE(Active(Editor::ChannelNames));
  EXPECT_TRUE(AtTopLeft(Editor::ChannelNames));
}

TEST_F(Moves, EveryExitEndsTheProgramWithoutAQuestion) {
  const Bytes names = test::ReadAll(ChannelNameSetPath(program.dir.path()));
  program.form->numChname->trigger();
  Names()->ChMSFlexGrid->SetCurrentCell(60, 1);
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(Open().empty());
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(test::ReadAll(ChannelNameSetPath(program.dir.path())), names);
}

TEST_F(Moves, TheFixtureEditorsExitAndTheNameEditorsExitEndTheProgram) {
  Fixture()->ExitMune->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(Open().empty());
}

TEST_F(Moves, TheNameEditorsExitEndsTheProgram) {
  program.form->numChname->trigger();
  Names()->eExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(Open().empty());
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(Moves, PaletteEditHandsTheCountOverAndReplacesTheFixtureEditor) {
  TwelveChannels();
  Fixture()->MnuReturn->trigger();
  Settle();
  EXPECT_EQ(program.app.PaletteChannelCount, 12);
  EXPECT_EQ(Open(), std::set<Editor>{Editor::Palette});
  EXPECT_TRUE(Active(Editor::Palette));
  EXPECT_TRUE(AtTopLeft(Editor::Palette));
  EXPECT_TRUE(Palette()->Check1[11]->isVisibleTo(Palette()));
  EXPECT_FALSE(Palette()->Check1[12]->isVisibleTo(Palette()));
}

TEST_F(Moves, ClosingThePaletteEditorBringsBackTheFixtureInMemory) {
  TwelveChannels();
  Fixture()->MnuReturn->trigger();
  Settle();
  program.app.Fixture->Palettes.PaletteName[0] = PaletteText::FromUtf8("Edited");
  program.form->Window(Editor::Palette)->close();
  Settle();
  ASSERT_EQ(Open(), std::set<Editor>{Editor::Fixture});
  EXPECT_TRUE(Active(Editor::Fixture));
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));
  EXPECT_EQ(Fixture()->MSFlexGrid1->Rows(), 13);
  EXPECT_EQ(program.app.Fixture->StepCounts[11], 2);
  EXPECT_EQ(program.app.Fixture->Palettes.PaletteName[0].Utf8(), "Edited");
  EXPECT_EQ(program.app.PaletteChannelCount, 12);
}

TEST_F(Moves, ShowFDropsTheNameEditorsEditsAndShowsTheFixtureEditor) {
  const auto path = ChannelNameSetPath(program.dir.path());
  const Bytes before = test::ReadAll(path);
  MoveAside(Editor::Fixture);
  program.form->numChname->trigger();
  EditChName* names = Names();
  test::ClickCell(names->ChMSFlexGrid, 60, 1);
  test::TypeInto(names->ChTextEdit, "Lost");
  test::ClickCell(names->ChMSFlexGrid, 61, 1);
  names->eSM->trigger();
  Settle();
  EXPECT_EQ(Open(), std::set<Editor>{Editor::Fixture});
  EXPECT_TRUE(Active(Editor::Fixture));
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(test::ReadAll(path), before);
}

TEST_F(Moves, ShowPOpensThePaletteEditorInFrontOfTheFixtureEditor) {
  program.form->numChname->trigger();
  Names()->eSu->trigger();
  Settle();
  EXPECT_EQ(Open(), (std::set<Editor>{Editor::Fixture, Editor::Palette}));
  EXPECT_TRUE(Active(Editor::Palette));
  EXPECT_TRUE(AtTopLeft(Editor::Palette));
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));
  EXPECT_EQ(program.app.PaletteChannelCount, 0);  // no "&Palette Edit" yet
  for (QCheckBox* box : Palette()->Check1) EXPECT_FALSE(box->isVisibleTo(Palette()));
}

TEST_F(Moves, ClosingTheNameEditorByItsButtonOrBoxShowsTheFixtureEditor) {
  TwelveChannels();
  Fixture()->MnuReturn->trigger();  // the fixture editor is closed now
  Settle();
  program.form->numChname->trigger();
  QTest::mouseClick(Names()->Command1, Qt::LeftButton);
  Settle();
  ASSERT_EQ(Open(), (std::set<Editor>{Editor::Palette, Editor::Fixture}));
  EXPECT_TRUE(Active(Editor::Fixture));
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));
  EXPECT_EQ(Fixture()->MSFlexGrid1->Rows(), 13);

  MoveAside(Editor::Fixture);
  program.form->numChname->trigger();
  program.form->Window(Editor::ChannelNames)->close();
  Settle();
  EXPECT_EQ(Open(), (std::set<Editor>{Editor::Palette, Editor::Fixture}));
  EXPECT_TRUE(AtTopLeft(Editor::Fixture));
}

TEST_F(Moves, ClosingTheFixtureEditorMovesNowhere) {
  program.form->numLFE->trigger();
  program.form->CloseEditor(Editor::Fixture);
  Settle();
  EXPECT_EQ(Open(), std::set<Editor>{Editor::LedFixture});
}

// A window is built once and hidden on close; opened again, it shows exactly
// what a window opened for the first time shows, in a program that has seen
// nothing of what was done in it before.
// What the frame shows, and which of its controls has the focus (by its place
// among them). The picture is taken without the focus: how a style marks the
// focused control depends on how the focus came there. (Of the two programs only
// one can be the active window: the focus is the frame's own.)
std::pair<QImage, qsizetype> Look(QMdiSubWindow* sub) {
  QApplication::processEvents();
  const QList<QWidget*> controls = sub->findChildren<QWidget*>();
  const qsizetype focused = controls.indexOf(sub->focusWidget());
  if (focused >= 0) sub->focusWidget()->clearFocus();
  QApplication::processEvents();
  return {sub->grab().toImage(), focused};
}

TEST(ReopenedWindows, LookAsTheyDidWhenFirstOpened) {
  test::ProgramUnderTest used;
  test::ProgramUnderTest fresh;

  // The channel name editor, left scrolled down in the middle of an edit.
  used.form->numChname->trigger();
  auto* names = used.form->EditorWidget<EditChName>(Editor::ChannelNames);
  ASSERT_NE(names, nullptr);
  names->ChMSFlexGrid->scrollToItem(names->ChMSFlexGrid->item(120, 1));
  QApplication::processEvents();
  test::ClickCell(names->ChMSFlexGrid, 121, 1);
  test::TypeInto(names->ChTextEdit, "Unsaved");
  used.form->Window(Editor::ChannelNames)->resize(300, 200);
  names->Command1_Click();  // "Exit"
  used.form->numChname->trigger();
  fresh.form->numChname->trigger();
  EXPECT_EQ(used.form->EditorWidget<EditChName>(Editor::ChannelNames), names);
  EXPECT_EQ(Look(used.form->Window(Editor::ChannelNames)), Look(fresh.form->Window(Editor::ChannelNames)));
  EXPECT_EQ(names->ChMSFlexGrid->TextMatrix(121, 1), "");
  EXPECT_FALSE(names->HoldsUnsavedName(120));

  // The LED fixture editor, its name and count changed and a chooser open.
  used.form->numLFE->trigger();
  auto* led = used.form->EditorWidget<LedFixture>(Editor::LedFixture);
  ASSERT_NE(led, nullptr);
  led->Text1->selectAll();
  test::TypeInto(led->Text1, "Par 64");
  led->Combo1->SetListIndex(2);
  test::ClickCell(led->MSFlexGrid1, 2, 1);
  used.form->CloseEditor(Editor::LedFixture);
  used.form->numLFE->trigger();
  fresh.form->numLFE->trigger();
  EXPECT_EQ(used.form->EditorWidget<LedFixture>(Editor::LedFixture), led);
  EXPECT_EQ(Look(used.form->Window(Editor::LedFixture)), Look(fresh.form->Window(Editor::LedFixture)));

  // The palette editor, left in setting mode on another palette.
  for (test::ProgramUnderTest* p : {&used, &fresh}) {
    p->FixtureEditor()->Combo1->SetListIndex(11);
    p->FixtureEditor()->MnuReturn->trigger();
    QApplication::processEvents();
  }
  auto* palette = used.form->EditorWidget<ULink>(Editor::Palette);
  ASSERT_NE(palette, nullptr);
  QTest::mouseClick(palette->TabStrip1, Qt::LeftButton, {}, palette->TabStrip1->tabRect(3).center());
  QTest::mouseClick(palette->Command3, Qt::LeftButton);
  used.form->CloseEditor(Editor::Palette);  // the fixture editor shows
  used.form->CloseEditor(Editor::LedFixture);
  fresh.form->CloseEditor(Editor::LedFixture);
  used.FixtureEditor()->MnuReturn->trigger();
  QApplication::processEvents();
  EXPECT_EQ(used.form->EditorWidget<ULink>(Editor::Palette), palette);
  EXPECT_EQ(Look(used.form->Window(Editor::Palette)), Look(fresh.form->Window(Editor::Palette)));
}

}  // namespace
}  // namespace brannoc
