#pragma once
// Text helpers the import core and its format readers share: whitespace, words,
// quoting for messages, and the shortening of a text to a field's width.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace brannoc::import_text {

// Every run of whitespace (a no-break space included) becomes one space; none at
// either end. UTF-8 in and out.
std::string Collapse(std::string_view utf8);

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
