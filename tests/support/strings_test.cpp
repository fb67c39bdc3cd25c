#include "support/strings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace kv {
namespace {

TEST(MidChars, TakesFromStartAtMostCount) {
  struct Case { std::uint16_t start, count; const char* expected; };
  const Case cases[] = {{2, 3, "BCD"}, {6, 3, ""}, {0, 3, "ABC"}, {1, 3, "ABC"}, {4, 10, "DE"}, {5, 1, "E"}, {2, 0, ""}};
  for (const Case& c : cases) {
    char buffer[] = "ABCDE";
    EXPECT_STREQ(MidChars(buffer, c.start, c.count), c.expected) << "start " << c.start << " count " << c.count;
  }
}

TEST(LeftAndRightChars, CutOnlyWhenShorter) {
  char a[] = "ABCDE";
  EXPECT_STREQ(LeftChars(a, 2), "AB");
  char b[] = "ABCDE";
  EXPECT_STREQ(LeftChars(b, 9), "ABCDE");
  char c[] = "ABCDE";
  EXPECT_STREQ(RightChars(c, 2), "DE");
  char d[] = "ABCDE";
  EXPECT_STREQ(RightChars(d, 5), "ABCDE");
  EXPECT_EQ(LeftChars(nullptr, 3), nullptr);
  EXPECT_EQ(RightChars(nullptr, 3), nullptr);
}

TEST(SubText, CopiesAndLeavesInputAlone) {
  const std::string text = "ABCDE";
  EXPECT_EQ(SubText(text, 2, 3), "BCD");
  EXPECT_EQ(SubText(text, 6, 1), "");
  EXPECT_EQ(SubText("", 1, 5), "");
  EXPECT_EQ(text, "ABCDE");
}

TEST(ReplaceAll, ReplacesAndCutsToEntryLength) {
  struct Case { const char* text; const char* find; const char* replacement; const char* expected; };
  const Case cases[] = {
      {"A/B/C", "/", "", "ABC"},
      {"AB", "A", "XYZ", "XY"},        // longer result cut at the entry length
      {"/", "/", "", "/"},             // one-character text is returned unchanged
      {"", "/", "x", ""},
      {"AAAA", "AA", "B", "BB"},       // skips the found text, no overlapping matches
      {"ABC", "", "X", "ABC"},         // an empty find text never matches
      {"a.b.c", ".", "..", "a..b."},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text;
}

TEST(ReplaceAll, RefusesExpansionBeyondWorkBuffer) {
  const std::string text(20000, '/');
  EXPECT_THROW(ReplaceAll(text, "/", "ab"), std::length_error);
  const std::string fits(kReplaceAllLimit, 'x');
  EXPECT_EQ(ReplaceAll(fits, "x", "y"), std::string(kReplaceAllLimit, 'y'));
  EXPECT_THROW(ReplaceAll(fits + "x", "x", "y"), std::length_error);
}

TEST(Text, CaseFoldingAndTrimming) {
  EXPECT_TRUE(SameText("PayPara", "PAYPARA"));
  EXPECT_FALSE(SameText("PAYPARA", "PAYPARA1"));
  EXPECT_EQ(UpperCase("emp_pros.adt"), "EMP_PROS.ADT");
  EXPECT_EQ(TrimBlanks("  DIR \t"), "DIR");
}

}  // namespace
}  // namespace kv
