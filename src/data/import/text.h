#pragma once
// Text helpers the import core and its format readers share: whitespace, whole
// numbers, words, quoting for messages, places in a file, and the shortening of
// a text to a field's width.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brannoc::import_text {

// A file's bytes as text, byte for byte.
std::string_view AsText(std::span<const std::uint8_t> bytes);

// Space, tab, line feed, carriage return, form feed and vertical tab.
bool IsSpace(unsigned char c);
// XML's own whitespace: space, tab, line feed and carriage return (a form feed
// is no whitespace to XML).
bool IsXmlSpace(char c);

// The text without IsSpace bytes at either end.
std::string_view Trim(std::string_view text);
// The text without XML whitespace at either end.
std::string_view TrimXmlSpace(std::string_view text);

// A whole number in a text trimmed already: an optional "+", then a decimal
// number of at most `longest` characters and nothing else.
std::optional<long> ParseWhole(std::string_view trimmed, std::size_t longest);

// Every run of whitespace (a no-break space included) becomes one space; none at
// either end. UTF-8 in and out.
std::string Collapse(std::string_view utf8);

// Every run of XML whitespace becomes one space; none at either end. Unlike
// Collapse, a no-break space, a form feed or a vertical tab stays as it is.
std::string CollapseXmlSpace(std::string_view text);

char LowerAscii(char c);
std::string LowerAscii(std::string_view text);

// Letters, digits and every byte of a multi-byte character.
bool IsWordByte(unsigned char c);

// The lower-case words of a text: runs of letters and digits.
std::vector<std::string> Words(std::string_view text);

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> list);
bool HasWord(const std::vector<std::string>& words, std::initializer_list<std::string_view> wanted);
bool Contains(std::string_view text, std::string_view part);

// Every `from` replaced by `to`, left to right, in one pass over the text.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// A text in double quotes for a message; a text of more than 60 characters is
// cut there and ends in "..." (a model name of a megabyte is not echoed whole).
std::string Quoted(std::string_view utf8);

// A text in double quotes, whole however long it is.
std::string QuotedWhole(std::string_view text);

// Lines and columns of byte offsets into a text: "line 3, column 14", a column
// for each character, not for each byte. Counting goes on from the offset
// asked for last when the new one lies after it, as the places of the modes of
// a file do, so that naming one in every mode reads the text once.
class Locator {
 public:
  explicit Locator(std::string_view text) : text_(text) {}

  std::string Where(std::ptrdiff_t offset);

  // Where an element starts, its "<", from the offset the XML parser gives for
  // it (that of its name).
  std::string WhereElement(std::ptrdiff_t nameOffset);

 private:
  std::string_view text_;
  std::size_t at_ = 0;  // the offset counted up to
  std::size_t line_ = 1;
  std::size_t column_ = 1;
};

// A capability's text in the code page, whitespace collapsed, before shortening.
std::string StepTextCodePage(std::string_view utf8);

// How shortening treats bracketed remarks: dropped first (the usual way), or
// kept as words (when dropping them made two step names equal).
enum class Brackets { Drop, Keep };

// A text in the code page made to fit `width` characters: bracketed remarks go,
// then the usual abbreviations, then spaces (words joined in CamelCase), then
// vowels and end letters of the longest words; digits stay to the last.
std::string ShortCodePage(std::string text, std::size_t width, Brackets brackets = Brackets::Drop);

}  // namespace brannoc::import_text
