#include "data/library/search.h"

#include <gtest/gtest.h>

#include "data/library/index.h"

namespace brannoc {
namespace {

TEST(LibraryWords, FoldCaseAndAccentsAndSplitLettersFromDigits) {
  EXPECT_EQ(FoldText("Éclair ÆRØ Straße Łódź Œil ×"), "eclair aero strasse lodz oeil ×");
  EXPECT_EQ(SearchWords("LED PAR64-RGBW (18x10W)"),
            (std::vector<std::string>{"led", "par", "64", "rgbw", "18", "x", "10", "w"}));
  EXPECT_EQ(FoldText("a\xFF" "b"), "ab");  // a stray byte goes
}

LibraryEntry Entry(const std::string& maker, const std::string& model, const std::string& mode = "Standard") {
  LibraryEntry entry;
  entry.Maker = maker;
  entry.Model = model;
  entry.Modes.push_back({mode, 8, true, ""});
  return entry;
}

std::vector<std::string> Models(const LibraryIndex& index, const std::vector<std::size_t>& found) {
  std::vector<std::string> models;
  for (std::size_t i : found) models.push_back(index.Entries[i].Model);
  return models;
}

TEST(LibrarySearchRanking, WholeWordsFirstThenMakerOrModelThenLargerMakers) {
  LibraryIndex index;
  index.Entries = {Entry("Alpha", "Viperish"),    Entry("Alpha", "Spot", "Viper mode"),
                   Entry("Look", "Viper NT"),      Entry("Martin", "MAC Viper Wash"),
                   Entry("Martin", "MAC Viper Performance"), Entry("Martin", "MAC Aura"),
                   Entry("Zeta", "Wash")};
  const LibrarySearch search(index);
  EXPECT_EQ(Models(index, search.Find("VIPER")),
            (std::vector<std::string>{"MAC Viper Performance", "MAC Viper Wash", "Viper NT", "Spot", "Viperish"}));
  EXPECT_EQ(Models(index, search.Find("wash mart")), (std::vector<std::string>{"MAC Viper Wash"}));
  EXPECT_EQ(Models(index, search.Find("  ")), std::vector<std::string>{});
  EXPECT_EQ(Models(index, search.Find("aura spot")), std::vector<std::string>{});
}

// Debian's qlcplus-data, when installed.
const std::filesystem::path kQlcLibrary = "/usr/share/qlcplus/fixtures";

TEST(LibrarySearchOnQlcLibrary, FindsWhatATechnicianMeans) {
  if (!std::filesystem::is_directory(kQlcLibrary)) GTEST_SKIP() << "qlcplus-data is not installed";
  const LibraryIndex index = BuildLibraryIndex({kQlcLibrary}, {});
  const LibrarySearch search(index);
  auto first = [&](const std::string& query, std::size_t n) {
    std::vector<std::string> names;
    const auto found = search.Find(query);
    for (std::size_t i = 0; i < n && i < found.size(); ++i) {
      names.push_back(index.Entries[found[i]].Maker + " " + index.Entries[found[i]].Model);
    }
    return names;
  };
  // The three MAC Vipers (AirFX, Performance, Wash DX) before Look Solutions' Viper NT.
  const auto vipers = first("viper", 4);
  ASSERT_EQ(vipers.size(), 4U);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(FoldText(vipers[i]).rfind("martin mac viper", 0), 0U) << vipers[i];
  EXPECT_EQ(first("viper perf", 1), std::vector<std::string>{"Martin MAC Viper Performance"});
  EXPECT_EQ(first("robe pointe", 1), std::vector<std::string>{"Robe Pointe"});
  for (const std::string& found : first("par 64 rgbw", 5)) {
    const auto words = SearchWords(found);
    for (const char* word : {"par", "64", "rgbw"}) {
      EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << found;
    }
  }
}

}  // namespace
}  // namespace brannoc
