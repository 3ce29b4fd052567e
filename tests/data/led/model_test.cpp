#include "data/led/model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "data/fixture/model.h"
#include "support/fifo.h"
#include "support/permissions.h"
#include "support/temp_dir.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

// Where channel `number` (1-based) starts in the file.
constexpr std::size_t RecordAt(int number) { return 23 + 17 * static_cast<std::size_t>(number - 1); }

std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t size) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

// Gives channel `number` the name at `nameIndex` as the window does.
void Name(LedFixtureRecord& fixture, int number, int nameIndex) {
  LedChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(number - 1)];
  channel.NameIndex = static_cast<std::uint8_t>(nameIndex);
  channel.Name.Assign(kLedNames[static_cast<std::size_t>(nameIndex - 1)]);
}

void SetType(LedFixtureRecord& fixture, int number, int type, int partner = 0) {
  LedChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(number - 1)];
  channel.Type = static_cast<std::uint8_t>(type);
  channel.Partner = static_cast<std::uint8_t>(partner);
}

LedFixtureRecord Fixture(int count) {
  LedFixtureRecord fixture;
  fixture.FixtureName.Assign("New Fixture");
  fixture.ChannelCount = static_cast<std::uint8_t>(count);
  return fixture;
}

// Saves as the window does (map rebuilt first), checks that the file reads back
// as the record the save left, and returns the file's bytes.
Bytes Save(const TempDir& dir, LedFixtureRecord& fixture) {
  const fs::path path = dir / "led.tff";
  RebuildLedFunctionMap(fixture);
  const auto error = WriteLedFixtureFile(fixture, path);
  EXPECT_FALSE(error) << error->message;
  const LedReadResult back = ReadLedFixtureFile(path);
  EXPECT_TRUE(back.record) << back.error;
  if (back.record) {
    EXPECT_EQ(*back.record, fixture);
  }
  return ReadAll(path);
}

TEST(LedFunctionMap, HoldsTheNumberOfTheChannelOfEachName) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(8);
  Name(fixture, 1, 1);  // Red
  Name(fixture, 2, 2);  // Green
  Name(fixture, 3, 3);  // Blue
  const Bytes file = Save(dir, fixture);
  const Bytes expected{8, 1, 2, 3, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(fixture.LedFunctionMap.begin(), fixture.LedFunctionMap.end()), expected);
  EXPECT_EQ(Bytes(file.begin() + 13, file.begin() + 23), expected);
}

TEST(LedFunctionMap, TheLaterChannelOfANameWinsAndNamesWithoutAnEntryAreLeftOut) {
  LedFixtureRecord fixture = Fixture(6);
  Name(fixture, 2, 1);   // Red
  Name(fixture, 5, 1);   // Red again
  Name(fixture, 1, 13);  // Zoom
  Name(fixture, 3, 14);  // Reset
  Name(fixture, 4, 9);   // FX, the last name with an entry
  Name(fixture, 6, 10);  // MACRO
  Name(fixture, 8, 2);   // Green, but beyond the count
  fixture.LedFunctionMap.fill(77);
  RebuildLedFunctionMap(fixture);
  const std::array<std::uint8_t, 10> expected{0, 5, 0, 0, 0, 0, 0, 0, 0, 4};
  EXPECT_EQ(fixture.LedFunctionMap, expected);
}

TEST(LedFile, OneChannelFixtureByteByByte) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(1);
  Name(fixture, 1, 1);
  SetType(fixture, 1, 1);
  // Data left in channels beyond the count from earlier edits.
  Name(fixture, 2, 3);
  SetType(fixture, 2, 5, 3);
  fixture.Channels[9].Reserved = 9;
  fixture.Channels[9].FunctionLetter = 'B';

  const Bytes file = Save(dir, fixture);
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file[0], 0);
  EXPECT_EQ(TextAt(file, 1, 11), "New Fixture");
  EXPECT_EQ(file[12], 1);
  EXPECT_EQ(file[13], 0);
  EXPECT_EQ(file[14], 1);
  EXPECT_EQ(file[23], 1);    // NameIndex
  EXPECT_EQ(file[24], 'H');  // type
  EXPECT_EQ(file[25], 0);    // reserved
  EXPECT_EQ(file[26], 0);    // partner
  EXPECT_EQ(file[27], 'G');  // function letter
  EXPECT_EQ(TextAt(file, 28, 12), "Red         ");
  for (int number = 2; number <= 10; ++number) {
    const std::size_t at = RecordAt(number);
    EXPECT_EQ(Bytes(file.begin() + at, file.begin() + at + 5), Bytes(5, 0)) << number;
    EXPECT_EQ(TextAt(file, at + 5, 12), std::string(12, ' ')) << number;
  }
  EXPECT_EQ(Bytes(file.begin() + 193, file.begin() + 511), Bytes(318, 0));
  EXPECT_EQ(file[511], 0x20);

  // The records beyond the count are cleared in memory as well.
  LedChannelRecord cleared;
  cleared.Name = FixedText<12>::Blank();
  for (std::size_t i = 1; i < 10; ++i) EXPECT_EQ(fixture.Channels[i], cleared) << i;
  EXPECT_EQ(fixture.Channels[0].Type, 1);
}

TEST(LedFile, HighAndLowByteTypesAreLettersOnFileAndValuesAgainAfterwards) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(5);
  SetType(fixture, 1, 3, 2);  // instant LTP 16bitH -> channel 2
  SetType(fixture, 2, 4);
  SetType(fixture, 3, 5, 5);  // Fadeable LTP 16bitH -> channel 5
  SetType(fixture, 4, 6);     // a low byte nobody points at
  SetType(fixture, 5, 1);     // pointed at by a fadeable high byte, though HTP
  const Bytes file = Save(dir, fixture);
  EXPECT_EQ(file[RecordAt(1) + 1], 'S');
  EXPECT_EQ(file[RecordAt(1) + 3], 2);
  EXPECT_EQ(file[RecordAt(2) + 1], 'O');
  EXPECT_EQ(file[RecordAt(3) + 1], 's');
  EXPECT_EQ(file[RecordAt(3) + 3], 5);
  EXPECT_EQ(file[RecordAt(4) + 1], 'O');
  EXPECT_EQ(file[RecordAt(5) + 1], 'H');
  EXPECT_EQ(fixture.Channels[0].Type, 3);
  EXPECT_EQ(fixture.Channels[1].Type, 4);
  EXPECT_EQ(fixture.Channels[2].Type, 5);
  EXPECT_EQ(fixture.Channels[3].Type, 0);
  EXPECT_EQ(fixture.Channels[4].Type, 6);
}

TEST(LedFile, AnUnpointedType6IsWrittenAsOAndIsLtpAfterTheSave) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(3);
  SetType(fixture, 3, 6, 1);
  const Bytes file = Save(dir, fixture);
  EXPECT_EQ(file[58], 'O');
  EXPECT_EQ(fixture.Channels[2].Type, 0);
  EXPECT_EQ(fixture.Channels[2].Partner, 1);
}

TEST(LedFile, AHighByteWithoutAUsablePartnerChangesNothingElse) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(4);
  SetType(fixture, 1, 3, 0);
  SetType(fixture, 2, 2);
  SetType(fixture, 3, 5, 11);  // beyond the ten channels
  SetType(fixture, 4, 5, 255);
  const Bytes file = Save(dir, fixture);
  EXPECT_EQ(file[RecordAt(1) + 1], 'S');
  EXPECT_EQ(file[RecordAt(2) + 1], 'I');
  EXPECT_EQ(file[RecordAt(3) + 1], 's');
  EXPECT_EQ(file[RecordAt(3) + 3], 11);
  const std::array<int, 4> types{3, 2, 5, 5};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(fixture.Channels[i].Type, types[i]) << i;
  for (std::size_t i = 4; i < 10; ++i) EXPECT_EQ(fixture.Channels[i].Type, 0) << i;
}

TEST(LedFile, AHighByteThatNamesItselfPairsWithNothingAndSavesTheSameEachTime) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(2);
  SetType(fixture, 1, InstantLTP16H, 1);
  const Bytes first = Save(dir, fixture);
  EXPECT_EQ(first[RecordAt(1) + 1], 'S');
  EXPECT_EQ(fixture.Channels[0].Type, InstantLTP16H);
  EXPECT_EQ(Save(dir, fixture), first);
}

TEST(LedFile, ALowByteKeepsItsTypeOnlyWhileAHighByteStillPointsAtIt) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(3);
  SetType(fixture, 1, FadeableLTP16H, 3);
  SetType(fixture, 2, InstantLTP16H, 1);  // makes channel 1 a low byte
  const Bytes first = Save(dir, fixture);
  EXPECT_EQ(first[RecordAt(1) + 1], 's');
  EXPECT_EQ(first[RecordAt(2) + 1], 'S');
  EXPECT_EQ(fixture.Channels[0].Type, InstantLTP16L);
  EXPECT_EQ(fixture.Channels[2].Type, LTP);  // channel 1 no longer pairs with it
  const Bytes second = Save(dir, fixture);
  EXPECT_EQ(second[RecordAt(1) + 1], 'O');
  EXPECT_EQ(second[RecordAt(3) + 1], 'L');
  EXPECT_EQ(Save(dir, fixture), second);
}

TEST(LedFile, EveryTypeHasItsLetterAndAnUnknownValueIsWrittenAsLtp) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(8);
  for (int type = 0; type <= 6; ++type) SetType(fixture, type + 1, type);
  SetType(fixture, 8, 'X');  // as the reader keeps an unknown letter
  const Bytes file = Save(dir, fixture);
  EXPECT_EQ(file[RecordAt(1) + 1], 'L');
  EXPECT_EQ(file[RecordAt(2) + 1], 'H');
  EXPECT_EQ(file[RecordAt(3) + 1], 'I');
  EXPECT_EQ(file[RecordAt(4) + 1], 'S');
  EXPECT_EQ(file[RecordAt(5) + 1], 'O');
  EXPECT_EQ(file[RecordAt(6) + 1], 's');
  EXPECT_EQ(file[RecordAt(7) + 1], 'O');
  EXPECT_EQ(file[RecordAt(8) + 1], 'L');
  EXPECT_EQ(fixture.Channels[4].Type, 0);
  EXPECT_EQ(fixture.Channels[6].Type, 0);
  EXPECT_EQ(fixture.Channels[7].Type, 0);
}

TEST(LedFile, NamesAndFunctionLetters) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(6);
  Name(fixture, 1, 1);  // Red
  Name(fixture, 2, 7);  // Strobe
  Name(fixture, 3, 8);  // Dimmer
  // Channel 4 never named.
  Name(fixture, 5, 9);  // FX keeps the letter an earlier save gave the channel
  fixture.Channels[4].FunctionLetter = 'Q';
  Name(fixture, 6, 14);  // Reset, never saved before
  const Bytes file = Save(dir, fixture);
  EXPECT_EQ(file[RecordAt(1) + 4], 'G');
  EXPECT_EQ(file[RecordAt(2) + 4], 'S');
  EXPECT_EQ(file[RecordAt(3) + 4], 'D');
  EXPECT_EQ(file[RecordAt(4) + 4], 'R');
  EXPECT_EQ(file[RecordAt(5) + 4], 'Q');
  EXPECT_EQ(file[RecordAt(6) + 4], 0);
  EXPECT_EQ(TextAt(file, RecordAt(2) + 5, 12), "Strobe      ");
  EXPECT_EQ(TextAt(file, RecordAt(6) + 5, 12), "Reset       ");
  EXPECT_EQ(file[RecordAt(4)], 0);
  EXPECT_EQ(Bytes(file.begin() + RecordAt(4) + 5, file.begin() + RecordAt(4) + 17), Bytes(12, 0));
}

TEST(LedFile, TenChannelsAndASecondSaveGiveTheSameFile) {
  TempDir dir;
  LedFixtureRecord fixture = Fixture(10);
  for (int number = 1; number <= 10; ++number) Name(fixture, number, 15 - number);
  SetType(fixture, 10, 5, 1);
  SetType(fixture, 1, 6);
  const Bytes first = Save(dir, fixture);
  EXPECT_EQ(TextAt(first, RecordAt(10) + 5, 12), "CoolW       ");
  EXPECT_EQ(first[RecordAt(10) + 1], 's');
  EXPECT_EQ(first[RecordAt(1) + 1], 'O');
  EXPECT_EQ(fixture.Channels[0].Type, 6);
  EXPECT_EQ(Save(dir, fixture), first);
}

TEST(LedFile, AFailedWriteLeavesTheOldFileAndTheRecordAsASaveLeavesIt) {
  TempDir dir;
  const fs::path path = dir / "old.tff";
  const Bytes old(512, 7);
  WriteAll(path, old);
  LedFixtureRecord fixture = Fixture(3);
  SetType(fixture, 1, 3, 2);
  SetType(fixture, 2, 1);
  Name(fixture, 3, 2);
  Name(fixture, 5, 4);
  RebuildLedFunctionMap(fixture);
  LedFixtureRecord saved = fixture;
  ASSERT_FALSE(WriteLedFixtureFile(saved, dir / "other.tff"));
  {
    ScopedWriteFailure failAfter(100);
    const auto error = WriteLedFixtureFile(fixture, path);
    ASSERT_TRUE(error);
    EXPECT_NE(error->message.find("old.tff"), std::string::npos) << error->message;
  }
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"old.tff", "other.tff"}));
  EXPECT_EQ(fixture, saved);
}

TEST(LedFile, AReadOnlyFolderIsReportedAndTheOldFileKept) {
  TempDir dir;
  const fs::path folder = dir / "locked";
  fs::create_directory(folder);
  const Bytes old{1, 2, 3};
  WriteAll(folder / "led.tff", old);
  ::chmod(folder.c_str(), 0555);
  std::optional<IoError> error;
  {
    test::ScopedObeyPermissions obey;
    LedFixtureRecord fixture = Fixture(2);
    error = WriteLedFixtureFile(fixture, folder / "led.tff");
  }
  ::chmod(folder.c_str(), 0755);
  ASSERT_TRUE(error);
  EXPECT_FALSE(error->message.empty());
  EXPECT_EQ(ReadAll(folder / "led.tff"), old);
  EXPECT_EQ(test::FileNames(folder), std::vector<std::string>{"led.tff"});
}

TEST(LedFile, AChannelCountOutsideOneToTenIsRefusedBeforeAnythingChanges) {
  TempDir dir;
  for (int count : {0, 11, 255}) {
    LedFixtureRecord fixture = Fixture(count);
    SetType(fixture, 1, 4);
    const LedFixtureRecord before = fixture;
    const auto error = WriteLedFixtureFile(fixture, dir / "led.tff");
    ASSERT_TRUE(error) << count;
    EXPECT_NE(error->message.find(std::to_string(count)), std::string::npos) << error->message;
    EXPECT_EQ(fixture, before);
    EXPECT_FALSE(fs::exists(dir / "led.tff"));
  }
}

// A file as the writer lays it out, for the reader's own cases.
Bytes LedFile(int count) {
  Bytes file(512, 0);
  file[12] = static_cast<std::uint8_t>(count);
  for (int number = 1; number <= 10; ++number) {
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(RecordAt(number) + 5), 12, ' ');
    if (number <= count) file[RecordAt(number) + 1] = 'L';
  }
  file[511] = ' ';
  return file;
}

TEST(LedReader, DecodesLettersAsASaveDoesAndKeepsWhatItDoesNotKnow) {
  Bytes file = LedFile(8);
  file[RecordAt(1) + 1] = 'S';
  file[RecordAt(1) + 3] = 3;
  file[RecordAt(2) + 1] = 's';
  file[RecordAt(2) + 3] = 4;
  file[RecordAt(3) + 1] = 'O';
  file[RecordAt(4) + 1] = 'O';
  file[RecordAt(5) + 1] = 'O';  // nobody points at it
  file[RecordAt(6) + 1] = 'X';  // unknown letter
  file[RecordAt(7) + 1] = 'S';
  file[RecordAt(7) + 3] = 0;    // pairs with nothing
  file[RecordAt(8) + 1] = 'S';
  file[RecordAt(8) + 3] = 11;   // pairs with nothing
  file[RecordAt(8)] = 15;       // NameIndex beyond the list
  file[RecordAt(9)] = 200;
  const LedReadResult read = ParseLedFixtureImage(file);
  ASSERT_TRUE(read.record) << read.error;
  const std::array<int, 10> types{3, 5, 4, 6, 0, 'X', 3, 3, 0, 0};
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(read.record->Channels[i].Type, types[i]) << i;
  EXPECT_EQ(read.record->Channels[7].NameIndex, 15);
  EXPECT_EQ(read.record->Channels[7].Partner, 11);
  EXPECT_EQ(read.record->Channels[8].NameIndex, 200);
  EXPECT_EQ(read.record->ChannelCount, 8);
  EXPECT_TRUE(read.error.empty());
}

TEST(LedReader, RefusesShortFilesAndChannelCountsOutsideOneToTen) {
  EXPECT_FALSE(ParseLedFixtureImage(Bytes{}).record);
  Bytes shortFile = LedFile(1);
  shortFile.pop_back();
  const LedReadResult tooShort = ParseLedFixtureImage(shortFile);
  EXPECT_FALSE(tooShort.record);
  EXPECT_NE(tooShort.error.find("511"), std::string::npos) << tooShort.error;
  for (int count : {0, 11, 255}) {
    const LedReadResult read = ParseLedFixtureImage(LedFile(count));
    EXPECT_FALSE(read.record) << count;
    EXPECT_FALSE(read.error.empty());
  }
  EXPECT_TRUE(ParseLedFixtureImage(LedFile(1)).record);
  EXPECT_TRUE(ParseLedFixtureImage(LedFile(10)).record);
}

TEST(LedReader, ReadsOnlyTheFirst512BytesOfAFileAndReportsMissingOnes) {
  TempDir dir;
  Bytes longer = LedFile(2);
  longer.resize(6144, 0xAB);
  WriteAll(dir / "long.tff", longer);
  const LedReadResult read = ReadLedFixtureFile(dir / "long.tff");
  ASSERT_TRUE(read.record) << read.error;
  EXPECT_EQ(read.record->ChannelCount, 2);

  WriteAll(dir / "short.tff", Bytes(100, 1));
  const LedReadResult tooShort = ReadLedFixtureFile(dir / "short.tff");
  EXPECT_FALSE(tooShort.record);
  EXPECT_NE(tooShort.error.find("short.tff"), std::string::npos) << tooShort.error;

  const LedReadResult missing = ReadLedFixtureFile(dir / "missing.tff");
  EXPECT_FALSE(missing.record);
  EXPECT_NE(missing.error.find("missing.tff"), std::string::npos) << missing.error;
  EXPECT_FALSE(ReadLedFixtureFile(dir.path()).record);
}

TEST(LedReader, ANamedPipeIsRefusedAtOnceAndNotReplacedBySaving) {
  TempDir dir;
  const fs::path pipe = dir / "pipe.tff";
  ASSERT_TRUE(test::MakeFifo(pipe));
  LedReadResult read;
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] { read = ReadLedFixtureFile(pipe); }));
  EXPECT_FALSE(read.record);
  EXPECT_NE(read.error.find("pipe.tff: it is a named pipe (FIFO), not a regular file"), std::string::npos)
      << read.error;
  LedFixtureRecord fixture;
  fixture.ChannelCount = 2;
  EXPECT_TRUE(WriteLedFixtureFile(fixture, pipe));
  EXPECT_TRUE(fs::is_fifo(pipe));
}

TEST(SameLedFile, ComparesWhatASaveWouldWrite) {
  TempDir dir;
  LedFixtureRecord saved = Fixture(3);
  Name(saved, 1, 8);
  SetType(saved, 2, InstantLTP16H, 3);
  SetType(saved, 3, InstantLTP16L);
  Save(dir, saved);  // the record as the save leaves it

  LedFixtureRecord now = saved;
  Name(now, 5, 2);  // beyond the count: a save does not write it
  EXPECT_TRUE(SameLedFile(now, saved));
  now.FixtureName.Assign("Par 64");
  EXPECT_FALSE(SameLedFile(now, saved));
  now = saved;
  SetType(now, 2, HTP);
  EXPECT_FALSE(SameLedFile(now, saved));
}

}  // namespace
}  // namespace brannoc
