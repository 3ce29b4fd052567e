#pragma once
// Finding definitions in the library by the words a technician uses: "viper",
// "robe pointe", "par 64 rgbw".
//
// Every word of the query must start a word of the maker, the model or a mode
// name, in any order; letter case and accents do not count ("Éclair" is found
// by "ecl"), and a run of letters and a run of digits are words of their own
// ("PAR64" is "par 64"). Ranking: entries where more query words match whole
// words first, then matches in maker or model before matches in mode names
// only, then makers with more definitions in the library, then maker and model.
//
// The search index keeps the folded words of every entry, so a keystroke costs
// one pass over them: about 2 ms for 7,000 entries.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/library/index.h"

namespace brannoc {

// Lower case, accents dropped (Latin letters), every other character kept.
std::string FoldText(std::string_view utf8);

// The words of a text as the search compares them: folded, split at anything
// but letters and digits, and between letters and digits.
std::vector<std::string> SearchWords(std::string_view utf8);

class LibrarySearch {
 public:
  explicit LibrarySearch(const LibraryIndex& index);
  // The indices (into the index's entries) of the entries matching every word
  // of `query`, best first; an empty query matches nothing.
  std::vector<std::size_t> Find(std::string_view query) const;

 private:
  struct Words {
    std::vector<std::string> header;  // maker and model
    std::vector<std::string> modes;
    std::string makerKey;             // for ranking by maker order
    std::string modelKey;
    int makerSize = 0;                // definitions by this maker
  };
  std::vector<Words> entries_;
};

}  // namespace brannoc
