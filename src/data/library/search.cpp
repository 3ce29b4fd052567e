#include "data/library/search.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace brannoc {
namespace {

// U+00E0..U+00FF, lower case without accents; '*' marks the letters written
// with two (æ, þ) and '=' the one sign kept (÷).
constexpr char kLatin1[] = "aaaaaa*ceeeeiiiidnooooo=ouuuuy*y";
// U+0100..U+017F, the same; '*' marks Ĳ ĳ Œ œ.
constexpr char kLatinA[] =
    "aaaaaa" "cccccccc" "dddd" "eeeeeeeeee" "gggggggg" "hhhh" "iiiiiiiiii" "**" "jj" "kkk"
    "llllllllll" "nnnnnnnnn" "oooooo" "**" "rrrrrr" "ssssssss" "tttttt" "uuuuuuuuuuuu" "ww" "yyy" "zzzzzz" "s";
static_assert(sizeof kLatin1 == 33 && sizeof kLatinA == 129);

std::string FoldCodePoint(char32_t c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
  if (c == 0xDF) return "ss";
  if (c >= 0xC0 && c <= 0xFF && c != 0xD7) {
    const std::size_t at = (c < 0xE0 ? c + 0x20 : c) - 0xE0;
    if (kLatin1[at] == '*') return at == 6 ? "ae" : "th";
    if (kLatin1[at] != '=') return std::string(1, kLatin1[at]);
  }
  if (c >= 0x100 && c < 0x180) {
    const std::size_t at = c - 0x100;
    if (kLatinA[at] == '*') return c < 0x140 ? "ij" : "oe";
    return std::string(1, kLatinA[at]);
  }
  // Anything else is kept as it is, in UTF-8.
  std::string out;
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
  return out;
}

enum class Run { None, Letters, Digits };

Run RunOf(unsigned char c) {
  if (c >= '0' && c <= '9') return Run::Digits;
  if ((c >= 'a' && c <= 'z') || c >= 0x80) return Run::Letters;
  return Run::None;
}

void AddWords(std::string_view utf8, std::vector<std::string>& words) {
  const std::string folded = FoldText(utf8);
  std::string word;
  Run run = Run::None;
  for (char ch : folded) {
    const Run now = RunOf(static_cast<unsigned char>(ch));
    if (now != run && !word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
    run = now;
    if (now != Run::None) word += ch;
  }
  if (!word.empty()) words.push_back(std::move(word));
}

// 2: `query` is one of `words`; 1: it starts one; 0: neither.
int MatchIn(const std::vector<std::string>& words, const std::string& query) {
  int best = 0;
  for (const std::string& word : words) {
    if (word.size() < query.size() || word.compare(0, query.size(), query) != 0) continue;
    if (word.size() == query.size()) return 2;
    best = 1;
  }
  return best;
}

}  // namespace

std::string FoldText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= utf8.size();
    char32_t c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!valid) {  // a stray byte is dropped
      ++i;
      continue;
    }
    out += FoldCodePoint(c);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::vector<std::string> SearchWords(std::string_view utf8) {
  std::vector<std::string> words;
  AddWords(utf8, words);
  return words;
}

LibrarySearch::LibrarySearch(const LibraryIndex& index) {
  entries_.reserve(index.Entries.size());
  // Makers with more definitions come first among equal matches: the names a
  // technician most likely means.
  std::map<std::string, int> makerSize;
  for (const LibraryEntry& entry : index.Entries) ++makerSize[FoldText(entry.Maker)];
  for (const LibraryEntry& entry : index.Entries) {
    Words words;
    AddWords(entry.Maker, words.header);
    AddWords(entry.Model, words.header);
    for (const LibraryMode& mode : entry.Modes) AddWords(mode.Name, words.modes);
    std::sort(words.modes.begin(), words.modes.end());
    words.modes.erase(std::unique(words.modes.begin(), words.modes.end()), words.modes.end());
    words.makerKey = FoldText(entry.Maker);
    words.modelKey = FoldText(entry.Model);
    words.makerSize = makerSize[words.makerKey];
    entries_.push_back(std::move(words));
  }
}

std::vector<std::size_t> LibrarySearch::Find(std::string_view query) const {
  const std::vector<std::string> wanted = SearchWords(query);
  if (wanted.empty()) return {};
  struct Hit {
    int whole;
    int inHeader;
    std::size_t entry;
  };
  std::vector<Hit> hits;
  for (std::size_t e = 0; e < entries_.size(); ++e) {
    const Words& words = entries_[e];
    Hit hit{0, 0, e};
    bool all = true;
    for (const std::string& word : wanted) {
      const int header = MatchIn(words.header, word);
      const int modes = header == 2 ? 0 : MatchIn(words.modes, word);
      if (header == 0 && modes == 0) {
        all = false;
        break;
      }
      hit.whole += std::max(header, modes) == 2 ? 1 : 0;
      hit.inHeader += header > 0 ? 1 : 0;
    }
    if (all) hits.push_back(hit);
  }
  std::stable_sort(hits.begin(), hits.end(), [this](const Hit& a, const Hit& b) {
    const Words& x = entries_[a.entry];
    const Words& y = entries_[b.entry];
    return std::tie(b.whole, b.inHeader, y.makerSize, x.makerKey, x.modelKey) <
           std::tie(a.whole, a.inHeader, x.makerSize, y.makerKey, y.modelKey);
  });
  std::vector<std::size_t> found;
  found.reserve(hits.size());
  for (const Hit& hit : hits) found.push_back(hit.entry);
  return found;
}

}  // namespace brannoc
