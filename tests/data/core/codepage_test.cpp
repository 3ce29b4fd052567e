#include "data/core/codepage.h"

#include <gtest/gtest.h>

namespace brannoc {
namespace {

TEST(CodePage, EveryByteSurvivesTheTripThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(CodePage, HighCharactersMapToTheirWindowsBytes) {
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");      // euro sign
  EXPECT_EQ(Utf8ToCp1252("\xC3\xA9"), "\xE9");          // e acute
  EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");          // Y diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\x8D"), "\xC2\x8D");          // undefined byte kept as C1 control
}

TEST(CodePage, CharactersTheCodePageLacksBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x8E\xB5"), "?");      // an emoji, four bytes
  EXPECT_EQ(Utf8ToCp1252("x\xFFy"), "x?y");             // not UTF-8 at all
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");                 // cut off sequence
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");            // overlong form
}

}  // namespace
}  // namespace brannoc
