#include "data/core/fixed_text.h"

#include <gtest/gtest.h>

namespace brannoc {
namespace {

TEST(FixedText, NeverAssignedHoldsNulBytes) {
  FixedText<11> t;
  EXPECT_EQ(t.CodePage(), std::string(11, '\0'));
  EXPECT_FALSE(t.IsBlank());
  EXPECT_EQ(t.BoxText(), "");
}

TEST(FixedText, KeepsTheFirstCharactersAndPadsWithSpaces) {
  EXPECT_EQ(FixedText<11>::FromUtf8("New Fixture").Utf8(), "New Fixture");
  EXPECT_EQ(FixedText<11>::FromUtf8("Thirteen char").Utf8(), "Thirteen ch");
  EXPECT_EQ(FixedText<12>::FromUtf8("Pan").Utf8(), "Pan         ");
  EXPECT_TRUE(FixedText<6>::FromUtf8("").IsBlank());
  EXPECT_EQ(FixedText<12>::FromUtf8("Pan").TrimmedUtf8(), "Pan");
}

TEST(FixedText, CountsCodePageCharactersNotUtf8Bytes) {
  // Six characters, twelve UTF-8 bytes: all six fit.
  const auto t = FixedText<6>::FromUtf8("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9X");
  EXPECT_EQ(t.CodePage(), std::string(6, '\xE9'));
}

TEST(FixedText, BoxTextDropsNulsButKeepsEverythingElse) {
  FixedText<4> t;
  const std::uint8_t raw[4] = {'A', 0, 'B', ' '};
  t.SetBytes(raw);
  EXPECT_EQ(t.BoxText(), "AB ");
}

}  // namespace
}  // namespace brannoc
