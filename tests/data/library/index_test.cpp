#include "data/library/index.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "data/library/search.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::TempDir;
using test::WriteAll;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A definition with channels A..E and the given modes (each a list of channel names).
std::string Qxf(const std::string& maker, const std::string& model, const std::string& modes) {
  return "<?xml version=\"1.0\"?>\n<FixtureDefinition xmlns=\"http://www.qlcplus.org/FixtureDefinition\">\n"
         " <Manufacturer>" + maker + "</Manufacturer>\n <Model>" + model + "</Model>\n"
         " <Channel Name=\"A\"/><Channel Name=\"B\"/><Channel Name=\"C\"/>\n" + modes + "</FixtureDefinition>\n";
}

std::string Mode(const std::string& name, int channels, const std::string& channel = "A") {
  std::string mode = " <Mode Name=\"" + name + "\">";
  for (int i = 0; i < channels; ++i) mode += "<Channel Number=\"" + std::to_string(i) + "\">" + channel + "</Channel>";
  return mode + "</Mode>\n";
}

TEST(LibraryListing, ReadsMakerModelAndModesWithWhetherEachFits) {
  const ListedDefinition listed = ListQxfDefinition(
      Text(Qxf("Robe", "  Pointe\n", Mode("Mode 1", 3) + Mode("Huge", 41) + Mode("Empty", 0) + Mode("Bad", 2, " Z "))));
  EXPECT_EQ(listed.Error, "");
  EXPECT_EQ(listed.Maker, "Robe");
  EXPECT_EQ(listed.Model, "Pointe");
  ASSERT_EQ(listed.Modes.size(), 4U);
  EXPECT_EQ(listed.Modes[0].Name, "Mode 1");
  EXPECT_EQ(listed.Modes[0].ChannelCount, 3);
  EXPECT_TRUE(listed.Modes[0].Fits);
  EXPECT_EQ(listed.Modes[1].ChannelCount, 41);
  EXPECT_FALSE(listed.Modes[1].Fits);
  EXPECT_EQ(listed.Modes[1].Why, "41 channels; a fixture holds 40 at most");
  EXPECT_EQ(listed.Modes[2].Why, "no channels");
  EXPECT_EQ(listed.Modes[3].Why, "the channel \"Z\" is not defined in the file");
}

TEST(LibraryListing, SaysWhyBytesAreNoDefinition) {
  EXPECT_EQ(ListQxfDefinition(Text("<FixtureDefinition><Model>X</Mod")).Error.rfind("not readable as XML", 0), 0U);
  EXPECT_EQ(ListQxfDefinition(Text("<Workspace/>")).Error,
            "not a QLC+ fixture definition: its outermost element is <Workspace>");
}

class LibraryScan : public ::testing::Test {
 protected:
  fs::path Folder() const { return dir_ / "lib"; }
  fs::path Write(const std::string& name, const std::string& text) {
    const fs::path path = Folder() / name;
    fs::create_directories(path.parent_path());
    WriteAll(path, Text(text));
    return path;
  }
  LibraryIndex Scan(const LibraryIndex& cached, std::size_t* read = nullptr) {
    return BuildLibraryIndex({Folder()}, cached, read);
  }
  TempDir dir_;
};

TEST_F(LibraryScan, ListsDefinitionsInSubfoldersAndDamagedFilesWithTheirReason) {
  Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  Write("Martin/Mac.QXF", Qxf("Martin", "MAC Viper", Mode("Basic", 2)));
  Write("Broken/Broken.qxf", "<FixtureDefinition><Model>");
  Write("Huge/Huge.qxf", std::string(4 * 1024 * 1024 + 1, ' '));
  Write("notes.txt", "not a definition");
  const LibraryIndex index = Scan({});
  ASSERT_EQ(index.Entries.size(), 4U);
  // Damaged files have no maker, so they sort first; they keep their file's name as model.
  EXPECT_EQ(index.Entries[0].Model, "Broken");
  EXPECT_EQ(index.Entries[0].Damaged.rfind("not readable as XML", 0), 0U);
  EXPECT_EQ(index.Entries[1].Model, "Huge");
  EXPECT_EQ(index.Entries[1].Damaged, "the file is 5 MB; a definition of more than 4 MB is not read");
  EXPECT_EQ(index.Entries[2].Maker, "Martin");
  EXPECT_EQ(index.Entries[3].Maker, "Robe");
  EXPECT_EQ(index.Entries[3].Modes.at(0).ChannelCount, 3);
  EXPECT_EQ(index.Entries[3].Size, fs::file_size(Folder() / "Robe/Robe-Pointe.qxf"));
  EXPECT_EQ(index.Problems.size(), 0U);
}

// A maker's .gdtf archive is listed beside the .qxf files, with the maker,
// model and modes its description gives, and found by a search; so is an
// unpacked archive's description.xml, and no other .xml file.
TEST_F(LibraryScan, ListsAGdtfArchiveAndAnUnpackedOneAndTheSearchFindsThem) {
  const std::vector<test::GdtfModeSpec> modes = {{"Mode 1", {{"1,2", "Pan"}, {"3", "Dimmer"}}},
                                                 {"Pixel", {{"1", "Zoom"}, {"60", "Dimmer"}}}};
  fs::create_directories(Folder() / "Robe");
  WriteAll(Folder() / "Robe" / "Robe@Spiider.gdtf", test::GdtfArchive(test::GdtfDescription("Robe", "Spiider", modes)));
  Write("Broken.gdtf", "PK not really");
  const std::string unpacked = test::GdtfDescription("Robe", "Tetra2", modes);
  Write("Unpacked/Robe@Tetra2/description.xml", unpacked);
  Write("Unpacked/Robe@Tetra2/other.xml", unpacked);
  Write("Unpacked/Robe@NoName/DESCRIPTION.XML", "<GDTF><FixtureType>");
  const LibraryIndex index = Scan({});
  ASSERT_EQ(index.Entries.size(), 4U);
  EXPECT_EQ(index.Entries[1].Model, "Robe@NoName");
  EXPECT_FALSE(index.Entries[1].Damaged.empty());
  EXPECT_EQ(index.Entries[3].Model, "Tetra2");
  EXPECT_EQ(index.Entries[3].Modes.size(), 2U);
  EXPECT_EQ(LibrarySearch(index).Find("tetra"), std::vector<std::size_t>{3});
  EXPECT_EQ(index.Entries[0].Model, "Broken");
  EXPECT_FALSE(index.Entries[0].Damaged.empty());
  const LibraryEntry& spiider = index.Entries[2];
  EXPECT_EQ(spiider.Maker, "Robe");
  EXPECT_EQ(spiider.Model, "Spiider");
  ASSERT_EQ(spiider.Modes.size(), 2U);
  EXPECT_EQ(spiider.Modes[0].Name, "Mode 1");
  EXPECT_EQ(spiider.Modes[0].ChannelCount, 3);
  EXPECT_TRUE(spiider.Modes[0].Fits);
  EXPECT_EQ(spiider.Modes[1].ChannelCount, 60);
  EXPECT_FALSE(spiider.Modes[1].Fits);
  EXPECT_EQ(LibrarySearch(index).Find("robe spii"), std::vector<std::size_t>{2});
}

TEST_F(LibraryScan, FollowsALinkToAFolderOnceAndNotALoop) {
  Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  fs::create_directory_symlink("..", Folder() / "Robe" / "up");
  fs::create_directory_symlink(Folder() / "Robe", Folder() / "again");
  const LibraryIndex index = Scan({});
  ASSERT_EQ(index.Entries.size(), 1U);
  EXPECT_EQ(index.Problems.size(), 2U);
}

TEST_F(LibraryScan, AFolderThatCannotBeReadIsAProblemNotAFailure) {
  Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  const LibraryIndex index = BuildLibraryIndex({dir_ / "missing", Folder()}, {});
  EXPECT_EQ(index.Entries.size(), 1U);
  ASSERT_EQ(index.Problems.size(), 1U);
  EXPECT_EQ(index.Problems[0].rfind((dir_ / "missing").string(), 0), 0U);
}

TEST_F(LibraryScan, ACacheHitDoesNotReadTheFileAndAChangedFileIsReadAgain) {
  const fs::path pointe = Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  const fs::path viper = Write("Martin/Viper.qxf", Qxf("Martin", "MAC Viper", Mode("Basic", 2)));
  std::size_t read = 0;
  const LibraryIndex first = Scan({}, &read);
  EXPECT_EQ(read, 2U);

  // Pointe's bytes change, its size and time do not: the cache's entry stands.
  const auto time = fs::last_write_time(pointe);
  WriteAll(pointe, Bytes(fs::file_size(pointe), 'x'));
  fs::last_write_time(pointe, time);
  // Viper grows a mode.
  WriteAll(viper, Text(Qxf("Martin", "MAC Viper", Mode("Basic", 2) + Mode("Extended", 3))));

  const LibraryIndex second = Scan(first, &read);
  EXPECT_EQ(read, 1U);
  ASSERT_EQ(second.Entries.size(), 2U);
  EXPECT_EQ(second.Entries[0].Modes.size(), 2U);  // Martin, read again
  EXPECT_EQ(second.Entries[1].Model, "Pointe");   // Robe, from the cache
  EXPECT_EQ(second.Entries[1].Damaged, "");
}

TEST_F(LibraryScan, AVanishedFileLeavesTheIndex) {
  Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  const fs::path viper = Write("Martin/Viper.qxf", Qxf("Martin", "MAC Viper", Mode("Basic", 2)));
  const LibraryIndex first = Scan({});
  fs::remove(viper);
  const LibraryIndex second = Scan(first);
  ASSERT_EQ(second.Entries.size(), 1U);
  EXPECT_EQ(second.Entries[0].Maker, "Robe");
}

TEST_F(LibraryScan, AFileGoneDuringTheScanIsLeftOut) {
  Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  const fs::path viper = Write("Martin/Viper.qxf", Qxf("Martin", "MAC Viper", Mode("Basic", 2)));
  LibraryScanner scanner({Folder()}, {});
  EXPECT_EQ(scanner.Files().size(), 2U);  // walked, nothing read yet
  EXPECT_EQ(scanner.FilesRead(), 0U);
  fs::remove(viper);
  const LibraryIndex index = scanner.Finish();
  ASSERT_EQ(index.Entries.size(), 1U);
  EXPECT_EQ(index.Entries[0].Maker, "Robe");
}

// Each step walks a folder or lists a file, so a window can keep its events
// going between steps even while the folders are searched.
TEST_F(LibraryScan, AStepWalksAFolderOrListsAFile) {
  Write("A/a.qxf", Qxf("Acme", "A", Mode("Standard", 3)));
  Write("B/b.qxf", Qxf("Acme", "B", Mode("Standard", 3)));
  LibraryScanner scanner({Folder()}, {});
  EXPECT_TRUE(scanner.Step(1));  // lib
  EXPECT_EQ(scanner.Total(), 0U);
  EXPECT_TRUE(scanner.Step(1));  // A or B
  EXPECT_FALSE(scanner.Walked());
  EXPECT_EQ(scanner.Total(), 1U);
  EXPECT_TRUE(scanner.Step(1));  // the other
  EXPECT_TRUE(scanner.Walked());
  EXPECT_EQ(scanner.Total(), 2U);
  EXPECT_EQ(scanner.Done(), 0U);
  EXPECT_TRUE(scanner.Step(1));
  EXPECT_EQ(scanner.FilesRead(), 1U);
  EXPECT_FALSE(scanner.Step(1));
  EXPECT_EQ(scanner.Finish().Entries.size(), 2U);
}

// A folder of the same change time is not read again; a file added changes it
// and is found. A folder changed in the last seconds is read again each time,
// as a file added within the same tick of the clock would not change it again.
TEST_F(LibraryScan, AFolderOfTheSameTimeIsNotReadAgainAndAFileAddedIsFound) {
  Write("Robe/Robe-Pointe.qxf", Qxf("Robe", "Pointe", Mode("Standard", 3)));
  const auto scan = [&](const LibraryIndex& cached, std::chrono::nanoseconds settled, std::size_t& folders) {
    LibraryScanner scanner({Folder()}, cached, DefinitionKinds(), settled);
    LibraryIndex index = scanner.Finish();
    folders = scanner.FoldersRead();
    return index;
  };
  std::size_t folders = 0;
  EXPECT_TRUE(scan({}, std::chrono::hours(1), folders).Folders.empty());  // changed just now
  const LibraryIndex first = scan({}, {}, folders);
  EXPECT_EQ(folders, 2U);
  ASSERT_EQ(first.Folders.size(), 2U);
  EXPECT_EQ(first.Folders[1].Files, std::vector<std::string>{"Robe-Pointe.qxf"});
  const auto cached = ParseLibraryCache(SerializeLibraryCache(first));
  ASSERT_TRUE(cached);
  const LibraryIndex second = scan(*cached, {}, folders);
  EXPECT_EQ(folders, 0U);
  EXPECT_EQ(second.Entries.size(), 1U);

  // The file system's clock ticks every few milliseconds: a change within the
  // tick of the walk is what the settled time is for, so the test waits it out.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Write("Robe/Robe-Spiider.qxf", Qxf("Robe", "Spiider", Mode("Standard", 3)));
  const LibraryIndex third = scan(second, {}, folders);
  EXPECT_EQ(folders, 1U);
  ASSERT_EQ(third.Entries.size(), 2U);
  EXPECT_EQ(third.Entries[1].Model, "Spiider");
  // A folder made unreadable changes too: its files are not taken on trust.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  fs::permissions(Folder() / "Robe", fs::perms::none);
  const LibraryIndex fourth = scan(third, {}, folders);
  fs::permissions(Folder() / "Robe", fs::perms::owner_all);
  EXPECT_EQ(folders, 1U);
  if (::geteuid() != 0) {  // root reads it all the same
    EXPECT_TRUE(fourth.Entries.empty());
    EXPECT_EQ(fourth.Problems.size(), 1U);
  }
}

LibraryIndex SmallIndex() {
  LibraryIndex index;
  LibraryEntry entry;
  entry.Path = "/lib/a.qxf";
  entry.Size = 258;
  entry.Time = -2;
  entry.Maker = "Ab";
  entry.Model = "C";
  entry.Modes.push_back({"M", 41, false, "w"});
  index.Entries.push_back(entry);
  return index;
}

TEST(LibraryCache, IsWrittenFieldByFieldAfterItsSignatureAndVersion) {
  const Bytes bytes = SerializeLibraryCache(SmallIndex());
  const Bytes expected = {
      'B', '5', '1', '2', 'L', 'I', 'B', '\n',  // signature
      3, 0, 0, 0,                                // version
      1, 0, 0, 0,                                // entries
      10, 0, 0, 0, '/', 'l', 'i', 'b', '/', 'a', '.', 'q', 'x', 'f',
      2, 1, 0, 0, 0, 0, 0, 0,                    // size 258
      0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // time -2
      2, 0, 0, 0, 'A', 'b',                      // maker
      1, 0, 0, 0, 'C',                           // model
      0, 0, 0, 0,                                // not damaged
      1, 0, 0, 0,                                // modes
      1, 0, 0, 0, 'M', 41, 0, 0, 0, 0, 1, 0, 0, 0, 'w',
      0, 0, 0, 0};                               // folders
  ASSERT_EQ(bytes.size(), expected.size() + 8);  // and the check sum
  EXPECT_EQ(Bytes(bytes.begin(), bytes.end() - 8), expected);
  const auto back = ParseLibraryCache(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Entries.at(0).Modes.at(0).Why, "w");
  EXPECT_EQ(back->Entries.at(0).Time, -2);
}

// The cache's check sum: 64-bit FNV-1a over everything before it.
void Reseal(Bytes& bytes) {
  bytes.resize(bytes.size() - 8);
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ULL;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<std::uint8_t>(hash >> (8 * i)));
}

TEST(LibraryCache, ADamagedShortOrOlderCacheReadsAsNothing) {
  const Bytes bytes = SerializeLibraryCache(SmallIndex());
  Bytes flipped = bytes;
  flipped[40] ^= 1;
  EXPECT_FALSE(ParseLibraryCache(flipped));
  EXPECT_FALSE(ParseLibraryCache(std::span(bytes).first(bytes.size() - 1)));
  Bytes resealed = bytes;
  Reseal(resealed);
  EXPECT_TRUE(ParseLibraryCache(resealed));
  Bytes older = bytes;
  older[8] = 0;
  Reseal(older);
  EXPECT_FALSE(ParseLibraryCache(older));
  Bytes lying = bytes;
  lying[12] = 2;  // two entries announced, one there
  Reseal(lying);
  EXPECT_FALSE(ParseLibraryCache(lying));
}

TEST(LibraryCache, IsSavedInAFolderItMakesAndLoadedBack) {
  TempDir dir;
  const fs::path path = dir / "cache/brannoc512/library.cache";
  ASSERT_FALSE(SaveLibraryCache(SmallIndex(), path));
  EXPECT_EQ(test::FileNames(path.parent_path()), std::vector<std::string>{"library.cache"});
  EXPECT_EQ(LoadLibraryCache(path).Entries.at(0).Maker, "Ab");
  WriteAll(path, Text("garbage"));
  EXPECT_TRUE(LoadLibraryCache(path).Entries.empty());
  EXPECT_TRUE(LoadLibraryCache(dir / "none").Entries.empty());
}

TEST(LibraryPlaces, CacheFollowsXdgThenHomeAndDefaultsAreThoseThatExist) {
  EXPECT_EQ(LibraryCachePath("/x/cache", "/home/u"), fs::path("/x/cache/brannoc512/library.cache"));
  EXPECT_EQ(LibraryCachePath("relative", "/home/u"), fs::path("/home/u/.cache/brannoc512/library.cache"));
  EXPECT_FALSE(LibraryCachePath("", ""));
  TempDir dir;
  fs::create_directories(dir / "home/.qlcplus/fixtures");
  EXPECT_EQ(DefaultLibraryFolders((dir / "home").string(), dir / "none"),
            std::vector<fs::path>{dir / "home/.qlcplus/fixtures"});
  EXPECT_EQ(DefaultLibraryFolders("", dir.path()), std::vector<fs::path>{dir.path()});
}

}  // namespace
}  // namespace brannoc
