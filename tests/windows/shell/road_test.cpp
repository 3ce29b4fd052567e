// The road of a typical fixture, through the real windows with clicks and keys:
// a new fixture, 12 channels, a name picked and a new one added, types, a 16-bit
// pair, values, steps, a palette, saved, a new fixture, opened again.

#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "data/names/name_set.h"
#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "windows/palette_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
namespace L = fixture_layout;
using test::ClickCell;
using test::Focused;
using test::PressOn;
using test::TypeInto;
using ui::Answer;

void Tab() { PressOn(Focused(), Qt::Key_Tab); }

void Down(QWidget* w, int times) {
  for (int i = 0; i < times; ++i) PressOn(w, Qt::Key_Down);
}

void Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

std::string Text(const Bytes& file, std::size_t at, std::size_t n) {
  return std::string(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + n));
}

TEST(Road, AFixtureTravelsFromANewWindowToTheFileAndBack) {
  test::ProgramUnderTest program;  // "ChNameSet.fix" holds the built-in names
  Pelorin* w = program.FixtureEditor();
  ui::Grid* grid = w->MSFlexGrid1;

  // 1-2. A new fixture; twelve channels picked in the count chooser.
  w->Text1->clear();
  TypeInto(w->Text1, "Road Spot");
  w->Text4->clear();
  TypeInto(w->Text4, "540");
  w->Combo1->setFocus();
  Down(w->Combo1, 4);
  ASSERT_EQ(w->Combo1->Text(), "12");
  ASSERT_EQ(grid->Rows(), 13);

  // 3-4. Channel 1: "Pan" typed in lower case, a 16-bit high type, partner 2,
  // value 128; channel 2: a new name, its low type, value 64.
  ClickCell(grid, 1, 1);
  TypeInto(w->Combo10, "pan");
  Tab();
  Down(w->Combo13, InstantLTP16H);
  Tab();
  ASSERT_TRUE(w->Combo2->isVisible());
  Down(w->Combo2, 1);  // to "2": channel 1's own number is not offered
  ASSERT_EQ(w->Combo2->Text(), "2");
  Tab();
  TypeInto(w->Text5, "128");
  Tab();
  ASSERT_TRUE(w->Combo10->isVisible());
  ASSERT_EQ(grid->Row(), 2);
  program.dialogs.answers.push_back(Answer::Yes);
  TypeInto(w->Combo10, "Zoom2");
  Tab();
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].title, "Add Channel Name");
  Down(w->Combo13, InstantLTP16L);
  Tab();
  Tab();  // the partner of the low channel stays as it is
  TypeInto(w->Text5, "64");
  Tab();
  ClickCell(grid, 3, 0);  // the mouse stops the walk

  // The new name's record is on disk in slot 59.
  const Bytes names = test::ReadAll(ChannelNameSetPath(program.dir.path()));
  ASSERT_EQ(names.size(), 3542u);
  EXPECT_EQ(names[826], 59);
  EXPECT_EQ(names[827], 62);
  EXPECT_EQ(Text(names, 828, 12), "Zoom2       ");

  // Steps of channel 1: the name cell's click showed it in the panel.
  w->Combo9->SetListIndex(0);
  Click(w->Command1);
  Click(w->Command1);
  ClickCell(w->MSFlexGrid2, 1, 1);
  TypeInto(w->Text3, "Open");
  Tab();
  TypeInto(w->Text3, "0");
  Tab();
  TypeInto(w->Text3, "127");
  Tab();
  TypeInto(w->Text3, "Shut");
  Tab();
  TypeInto(w->Text3, "128");
  Tab();
  TypeInto(w->Text3, "255");
  Tab();
  ClickCell(w->MSFlexGrid2, 1, 0);

  // 5. The palette editor: palette 1 named "Pos" over channels 1 and 2, its
  // first preset "Home" at 200 and 50.
  QTest::keyClick(w->Text1, Qt::Key_P, Qt::ControlModifier);
  QApplication::processEvents();
  ULink* p = program.form->EditorWidget<ULink>(Editor::Palette);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
  Click(p->Command3);
  TypeInto(p->Text2, "Pos");
  Click(p->Check1[0]);
  Click(p->Check1[1]);
  Click(p->Command3);
  Click(p->Command2[0]);
  TypeInto(p->Text3, "Home");
  p->VScroll1[0]->setValue(255 - 200);
  p->VScroll1[1]->setValue(255 - 50);
  Click(p->Command1);
  program.form->Window(Editor::Palette)->close();
  QApplication::processEvents();
  w = program.FixtureEditor();
  ASSERT_NE(w, nullptr);
  grid = w->MSFlexGrid1;
  EXPECT_EQ(grid->Rows(), 13);

  // 6. Saved with Ctrl+S.
  program.dialogs.files.push_back(program.File("road"));
  QTest::keyClick(w->Text1, Qt::Key_S, Qt::ControlModifier);
  QApplication::processEvents();
  const Bytes file = test::ReadAll(program.dir / "road.tff");
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(Text(file, 1, 11), "Road Spot  ");
  EXPECT_EQ(file[12], 12);
  EXPECT_EQ(file[13 + 6], 1);     // the map: code 6 (Pan) is channel 1
  EXPECT_EQ(file[13 + 62], 2);    // code 62 (Zoom2) is channel 2
  EXPECT_EQ(file[269], 2);        // 540 degrees
  EXPECT_EQ(file[270], 28);
  const std::size_t ch1 = L::kChannelRecords, ch2 = ch1 + L::kChannelRecordSize;
  EXPECT_EQ(file[ch1 + L::kRecordNameCode], 6);
  EXPECT_EQ(file[ch1 + L::kRecordType], 'S');
  EXPECT_EQ(file[ch1 + L::kRecordPartner], 2);
  EXPECT_EQ(Text(file, ch1 + L::kRecordName, 12), "Pan         ");
  EXPECT_EQ(file[ch1 + L::kRecordValue], 128);
  EXPECT_EQ(file[ch2 + L::kRecordNameCode], 62);
  EXPECT_EQ(file[ch2 + L::kRecordType], 'A');
  EXPECT_EQ(file[ch2 + L::kRecordValue], 64);
  EXPECT_EQ(file[L::kStepCounts], 2);
  EXPECT_EQ(file[4096], 0);
  EXPECT_EQ(file[4097], 127);
  EXPECT_EQ(Text(file, 4098, 8), "Open    ");
  EXPECT_EQ(file[4106], 128);
  EXPECT_EQ(file[4107], 255);
  EXPECT_EQ(file[273], 1);
  EXPECT_EQ(Text(file, 283, 6), "Pos   ");
  EXPECT_EQ(Text(file, 343, 6), "Home  ");
  EXPECT_EQ(file[943], 2);
  EXPECT_EQ(Bytes(file.begin() + 2048, file.begin() + 2052), (Bytes{1, 2, 200, 50}));

  // 7. A new fixture, then the file opened again.
  program.dialogs.answers.push_back(Answer::Ok);
  w->NewFixture->trigger();
  ASSERT_EQ(grid->Rows(), 9);
  program.dialogs.files.push_back(program.File("road.tff"));
  w->OpenFixture->trigger();
  QApplication::processEvents();

  EXPECT_EQ(w->Text1->Text(), "Road Spot");  // the record keeps "Road Spot  "
  EXPECT_EQ(w->Combo1->Text(), "12");
  EXPECT_EQ(w->Text4->Text(), "540");
  EXPECT_EQ(grid->TextMatrix(1, 1), "Pan         ");
  EXPECT_EQ(grid->TextMatrix(1, 2), "instant LTP 16bitH");
  EXPECT_EQ(grid->TextMatrix(1, 3), "2");
  EXPECT_EQ(grid->TextMatrix(1, 4), "128");
  EXPECT_EQ(grid->TextMatrix(2, 1), "Zoom2       ");
  EXPECT_EQ(grid->TextMatrix(2, 2), "instant LTP 16bitL");
  EXPECT_EQ(grid->TextMatrix(2, 4), "64");
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(2, 1), "Shut    ");
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(2, 2), "128");
  const FixtureRecord& f = *program.app.Fixture;
  EXPECT_EQ(f.Channels[1].NameCode, 62);
  EXPECT_EQ(f.Palettes.PaletteMember[0][0], 1);
  EXPECT_EQ(f.Palettes.PaletteMember[0][1], 1);
  EXPECT_EQ(f.Palettes.PresetValue[0][0][0], 200);
  EXPECT_EQ(f.Palettes.PresetValue[0][1][0], 50);
  EXPECT_EQ(f.Palettes.PresetName[0][0].Utf8(), "Home  ");
}

}  // namespace
}  // namespace brannoc
