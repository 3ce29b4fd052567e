#include "data/import/text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include "data/core/codepage.h"

namespace brannoc::import_text {
namespace {

// What the shortening looks at; the rest of a longer text goes.
constexpr std::size_t kLongestText = 320;

}  // namespace

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsSpace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::string_view TrimXmlSpace(std::string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<long> ParseWhole(std::string_view trimmed, std::size_t longest) {
  if (!trimmed.empty() && trimmed.front() == '+') trimmed.remove_prefix(1);
  if (trimmed.empty() || trimmed.size() > longest) return std::nullopt;
  long value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (error != std::errc() || end != trimmed.data() + trimmed.size()) return std::nullopt;
  return value;
}

// Every run of whitespace (a no-break space included) becomes one space; none at
// either end.
std::string Collapse(std::string_view utf8) {
  // Most texts are clean already: one look with the library's search first.
  if (utf8.find_first_of("\t\n\r\f\v\xC2") == std::string_view::npos && utf8.find("  ") == std::string_view::npos &&
      (utf8.empty() || (utf8.front() != ' ' && utf8.back() != ' '))) {
    return std::string(utf8);
  }
  std::string out;
  bool pendingSpace = false;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const bool noBreakSpace = c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xA0;
    if (IsSpace(c) || noBreakSpace) {
      if (noBreakSpace) ++i;
      pendingSpace = !out.empty();
      continue;
    }
    if (pendingSpace) out.push_back(' ');
    pendingSpace = false;
    out.push_back(static_cast<char>(c));
  }
  return out;
}

std::string CollapseXmlSpace(std::string_view text) {
  std::string out;
  bool gap = false;
  for (char c : text) {
    if (IsXmlSpace(c)) {
      gap = !out.empty();
      continue;
    }
    if (gap) out.push_back(' ');
    gap = false;
    out.push_back(c);
  }
  return out;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool IsWordByte(unsigned char c) { return std::isalnum(c) || c >= 0x80; }

// The lower-case words of a text: runs of letters and digits.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (char ch : text) {
    if (IsWordByte(static_cast<unsigned char>(ch))) {
      word.push_back(LowerAscii(ch));
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> list) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

bool HasWord(const std::vector<std::string>& words, std::initializer_list<std::string_view> wanted) {
  return std::any_of(words.begin(), words.end(), [&](const std::string& w) { return IsOneOf(w, wanted); });
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Every `from` replaced by `to`, left to right, in one pass over the text.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, done)) {
    out.append(text.substr(done, at - done));
    out.append(to);
    done = at + from.size();
  }
  out.append(text.substr(done));
  return out;
}


namespace {

// Replaces `from` (lower case, matched ignoring case) where it stands as whole
// words.
std::string ReplaceWords(const std::string& text, std::string_view from, std::string_view to) {
  const std::string lower = LowerAscii(text);
  std::string out;
  std::size_t done = 0;
  for (std::size_t at = lower.find(from); at != std::string::npos; at = lower.find(from, at + 1)) {
    if (at < done) continue;
    const bool startsWord = at == 0 || !IsWordByte(static_cast<unsigned char>(lower[at - 1]));
    const std::size_t end = at + from.size();
    const bool endsWord = end == lower.size() || !IsWordByte(static_cast<unsigned char>(lower[end]));
    if (!startsWord || !endsWord) continue;
    out.append(text, done, at - done);
    out.append(to);
    done = end;
  }
  out.append(text, done, std::string::npos);
  return out;
}

std::string CollapseSpaces(const std::string& text) { return Collapse(text); }

// Every entry of `table` replaced where it stands as whole words; most texts hold
// none of them, so each is looked for once before any copying.
template <class Table>
std::string ReplaceFromTable(std::string text, const Table& table) {
  std::string lower = LowerAscii(text);
  for (const auto& [from, to] : table) {
    if (lower.find(from) == std::string::npos) continue;
    text = ReplaceWords(text, from, to);
    lower = LowerAscii(text);
  }
  return text;
}

// Phrases first, then single words; matched ignoring case.
constexpr std::pair<std::string_view, std::string_view> kStepPhrases[] = {
    {"shutter open", "Open"},       {"shutter closed", "Closed"},    {"no function", "No func"},
    {"no rotation", "No rot"},      {"counter-clockwise", "CCW"},    {"counter clockwise", "CCW"},
    {"counterclockwise", "CCW"},    {"anti-clockwise", "CCW"},       {"anti clockwise", "CCW"},
    {"anticlockwise", "CCW"},       {"clockwise", "CW"},
};
constexpr std::pair<std::string_view, std::string_view> kSlowFast[] = {
    {"slow to fast", "s-f"},   {"slow - fast", "s-f"}, {"slow-fast", "s-f"}, {"slow -> fast", "s-f"},
    {"slow->fast", "s-f"},     {"slow > fast", "s-f"}, {"slow>fast", "s-f"}, {"slow / fast", "s-f"},
    {"slow/fast", "s-f"},      {"fast to slow", "f-s"}, {"fast - slow", "f-s"}, {"fast-slow", "f-s"},
    {"fast -> slow", "f-s"},   {"fast->slow", "f-s"},  {"fast > slow", "f-s"}, {"fast>slow", "f-s"},
    {"fast / slow", "f-s"},    {"fast/slow", "f-s"},
};
// Single words, sorted for the lookup; the filler words go.
constexpr std::pair<std::string_view, std::string_view> kStepWords[] = {
    {"active", "Act"}, {"and", "&"}, {"automatic", "Auto"}, {"backward", "Bwd"}, {"backwards", "Bwd"},
    {"change", "Chg"}, {"channel", "Ch"}, {"closed", "Cls"}, {"color", "Col"}, {"colors", "Cols"},
    {"colour", "Col"}, {"colours", "Cols"}, {"continuous", "Cont"}, {"dark", "Dk"}, {"decreasing", "Dec"},
    {"effect", "Fx"}, {"effects", "Fx"}, {"forward", "Fwd"}, {"function", "Func"}, {"functions", "Func"},
    {"green", "Grn"}, {"increasing", "Inc"}, {"index", "Idx"}, {"indexed", "Idx"}, {"indexing", "Idx"},
    {"internal", "Int"}, {"lavender", "Lav"}, {"light", "Lt"}, {"macro", "Mac"}, {"macros", "Macs"},
    {"magenta", "Mag"}, {"medium", "Med"}, {"movement", "Mvmt"}, {"of", ""}, {"orange", "Orng"},
    {"pattern", "Pat"}, {"position", "Pos"}, {"positioning", "Pos"}, {"program", "Prg"}, {"programme", "Prg"},
    {"programs", "Prgs"}, {"purple", "Purp"}, {"random", "Rnd"}, {"reverse", "Rev"}, {"rotate", "Rot"},
    {"rotating", "Rot"}, {"rotation", "Rot"}, {"sec", "s"}, {"second", "s"}, {"seconds", "s"},
    {"selection", "Sel"}, {"sensitivity", "Sens"}, {"shake", "Shk"}, {"shaking", "Shk"}, {"shutter", "Shut"},
    {"sound", "Snd"}, {"speed", "Spd"}, {"strobe", "Strb"}, {"strobing", "Strb"}, {"stroboscope", "Strb"},
    {"the", ""}, {"white", "Wht"}, {"with", "w/"}, {"yellow", "Yel"},
};
static_assert(std::is_sorted(std::begin(kStepWords), std::end(kStepWords)));

// Each word of the table replaced by its short form, in one pass.
std::string ShortWords(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsWordByte(static_cast<unsigned char>(text[i]))) {
      out.push_back(text[i++]);
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && IsWordByte(static_cast<unsigned char>(text[j]))) ++j;
    const std::string word = LowerAscii(std::string_view(text).substr(i, j - i));
    const auto* found = std::lower_bound(std::begin(kStepWords), std::end(kStepWords), word,
                                         [](const auto& entry, const std::string& w) { return entry.first < w; });
    if (found != std::end(kStepWords) && found->first == word) {
      out.append(found->second);
    } else {
      out.append(text, i, j - i);
    }
    i = j;
  }
  return out;
}

bool IsVowel(char c) { return Contains("aeiouAEIOU", std::string_view(&c, 1)); }
bool IsLetter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalpha(u) || u >= 0xC0;
}

std::string WithoutBrackets(const std::string& text) {
  if (text.find_first_of("([{") == std::string::npos) return text;
  std::string out;
  int depth = 0;
  for (char c : text) {
    if (c == '(' || c == '[' || c == '{') ++depth;
    if (depth == 0) out.push_back(c);
    if ((c == ')' || c == ']' || c == '}') && depth > 0) --depth;
  }
  return CollapseSpaces(out);
}

// Bracket signs become spaces; what they held stays.
std::string OpenBrackets(std::string text) {
  for (char& c : text) {
    if (c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}') c = ' ';
  }
  return CollapseSpaces(text);
}

}  // namespace

// Shortening on the code page's bytes, one per character.
std::string ShortCodePage(std::string text, std::size_t width, Brackets brackets) {
  auto fits = [&](const std::string& t) { return t.size() <= width; };
  if (fits(text)) return text;
  // The last step below takes time with the square of the length: a text longer
  // than any capability's in QLC+'s library (under 300 characters) is cut first.
  if (text.size() > kLongestText) text.resize(kLongestText);

  if (brackets == Brackets::Keep) {
    text = OpenBrackets(std::move(text));
  } else if (std::string bare = WithoutBrackets(text); !bare.empty()) {
    text = bare;
  }
  if (fits(text)) return text;

  text = ReplaceFromTable(text, kStepPhrases);
  text = CollapseSpaces(ReplaceFromTable(text, kSlowFast));
  if (fits(text)) return text;
  if (std::string shorter = CollapseSpaces(ShortWords(text)); !shorter.empty()) text = shorter;
  if (fits(text)) return text;

  // Words joined in CamelCase; spaces and separating punctuation go, except one
  // sign between two numbers ("1 - 20 Hz" -> "1-20Hz", not "120Hz").
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::string joined;
  std::string gap;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_' || c == ',' || c == ';' || c == ':' || c == '.') {
      if (!joined.empty()) gap.push_back(c);
      continue;
    }
    if (!gap.empty()) {
      if (isDigit(joined.back()) && isDigit(c)) {
        const std::size_t sign = gap.find_first_not_of(' ');
        joined.push_back(sign == std::string::npos ? ' ' : gap[sign]);
      } else if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
      gap.clear();
    }
    joined.push_back(c);
  }
  if (!joined.empty()) text = joined;

  // Then the longest word (the last of equal ones; a capital after a small letter
  // starts a word) loses a vowel after its first letter, or else its last letter,
  // until the text fits. Digits stay.
  auto isUpper = [](char c) { return c >= 'A' && c <= 'Z'; };
  auto isLower = [](char c) { return c >= 'a' && c <= 'z'; };
  while (!fits(text)) {
    std::size_t bestStart = 0, bestLength = 0;
    for (std::size_t i = 0; i < text.size();) {
      if (!IsLetter(text[i])) {
        ++i;
        continue;
      }
      std::size_t j = i + 1;
      while (j < text.size() && IsLetter(text[j]) && !(isUpper(text[j]) && isLower(text[j - 1]))) ++j;
      if (j - i >= bestLength) {
        bestStart = i;
        bestLength = j - i;
      }
      i = j;
    }
    if (bestLength <= 1) {
      // Only digits, signs and single letters are left: the end goes.
      text.resize(width);
      break;
    }
    std::size_t drop = bestStart + bestLength - 1;
    for (std::size_t k = bestStart + bestLength - 1; k > bestStart; --k) {
      if (IsVowel(text[k])) {
        drop = k;
        break;
      }
    }
    text.erase(drop, 1);
  }
  return text;
}

// A capability's text in the code page, whitespace collapsed, before shortening.
std::string StepTextCodePage(std::string_view utf8) {
  std::string collapsed = Collapse(utf8);
  // Arrows the code page lacks.
  if (collapsed.find('\xE2') != std::string::npos) {
    for (const std::string_view arrow : {"\u2192", "\u27F6", "\u21D2"}) collapsed = ReplaceAll(collapsed, arrow, "->");
  }
  return Utf8ToCp1252(collapsed);
}

std::string Quoted(std::string_view utf8) {
  constexpr std::size_t kReadable = 60;
  std::size_t characters = 0;
  std::size_t end = utf8.size();
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    if (characters++ == kReadable) {
      end = i;
      break;
    }
  }
  std::string out;
  out.reserve(end + 5);
  out.push_back('"');
  out.append(utf8.data(), end);
  if (end < utf8.size()) out.append("...");
  out.push_back('"');
  return out;
}

std::string QuotedWhole(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Locator::Where(std::ptrdiff_t offset) {
  const std::size_t end = std::min(text_.size(), static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)));
  if (end < at_) {
    at_ = 0;
    line_ = 1;
    column_ = 1;
  }
  for (; at_ < end; ++at_) {
    const auto c = static_cast<unsigned char>(text_[at_]);
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else if ((c & 0xC0) != 0x80) {  // one column per character, not per byte
      ++column_;
    }
  }
  return "line " + std::to_string(line_) + ", column " + std::to_string(column_);
}

std::string Locator::WhereElement(std::ptrdiff_t nameOffset) {
  std::ptrdiff_t at = nameOffset;
  if (at > 0 && static_cast<std::size_t>(at) <= text_.size() && text_[static_cast<std::size_t>(at) - 1] == '<') --at;
  return Where(at);
}

}  // namespace brannoc::import_text
