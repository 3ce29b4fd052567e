#include "data/core/number.h"

#include <gtest/gtest.h>

namespace brannoc {
namespace {

TEST(ReadBoxNumber, TakesTheLongestLeadingNumber) {
  EXPECT_EQ(ReadBoxNumber("255"), 255);
  EXPECT_EQ(ReadBoxNumber("  42abc"), 42);
  EXPECT_EQ(ReadBoxNumber("1e2"), 100);
  EXPECT_EQ(ReadBoxNumber("1.5e1x"), 15);
  EXPECT_EQ(ReadBoxNumber("7e"), 7);
  EXPECT_EQ(ReadBoxNumber("7e+"), 7);
  EXPECT_EQ(ReadBoxNumber("-5"), -5);
  EXPECT_EQ(ReadBoxNumber("+9"), 9);
  EXPECT_EQ(ReadBoxNumber("1."), 1);
}

TEST(ReadBoxNumber, EmptyOrNonNumericIsZero) {
  EXPECT_EQ(ReadBoxNumber(""), 0);
  EXPECT_EQ(ReadBoxNumber("abc"), 0);
  EXPECT_EQ(ReadBoxNumber("-"), 0);
  EXPECT_EQ(ReadBoxNumber("."), 0);
  EXPECT_EQ(ReadBoxNumber("e5"), 0);
  EXPECT_EQ(ReadBoxNumber("&"), 0);
}

TEST(ReadBoxNumber, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(ReadBoxNumber("2.5"), 2);
  EXPECT_EQ(ReadBoxNumber("3.5"), 4);
  EXPECT_EQ(ReadBoxNumber(".5"), 0);
  EXPECT_EQ(ReadBoxNumber("-2.5"), -2);
  EXPECT_EQ(ReadBoxNumber("2.51"), 3);
  EXPECT_EQ(ReadBoxNumber("0.4"), 0);
}

TEST(ReadBoxNumber, ReadsHexAndOctalPrefixes) {
  EXPECT_EQ(ReadBoxNumber("&HF"), 15);
  EXPECT_EQ(ReadBoxNumber("&hff"), 255);
  EXPECT_EQ(ReadBoxNumber("&O17"), 15);
  EXPECT_EQ(ReadBoxNumber("&O8"), 0);
  EXPECT_EQ(ReadBoxNumber("&H"), 0);
}

TEST(ReadBoxNumber, HugeNumbersStayDefined) {
  EXPECT_GT(ReadBoxNumber("9e999"), 255);
  EXPECT_EQ(ReadBoxNumber("1e-999"), 0);
  EXPECT_EQ(ApplyByteRule(ReadBoxNumber("9e9")), 0);
}

TEST(ApplyByteRule, AboveTwoHundredFiftyFiveBecomesZero) {
  EXPECT_EQ(ApplyByteRule(255), 255);
  EXPECT_EQ(ApplyByteRule(256), 0);
  EXPECT_EQ(ApplyByteRule(300), 0);
  EXPECT_EQ(ApplyByteRule(-5), -5);
}

}  // namespace
}  // namespace brannoc
