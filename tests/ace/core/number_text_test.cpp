#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "ace/core/number_text.h"

namespace ace {
namespace {

TEST(NumberFromText, PlainDecimalsOnly) {
  const std::string zeros400(400, '0');
  struct Case { std::string text; std::optional<double> number; };
  const Case cases[] = {
      {"12", 12},
      {"42      ", 42},  // a Char field's blank padding
      {"  42", 42},
      {"\t7\r\n", 7},
      {"-12.50", -12.5},
      {"+3", 3},
      {"+.5", 0.5},
      {"-.5", -0.5},
      {"7.", 7},
      {"0012", 12},
      {"-0", 0},
      {"1e3", std::nullopt},
      {"1E3", std::nullopt},
      {"2.5e-1", std::nullopt},
      {"inf", std::nullopt},
      {"-inf", std::nullopt},
      {"infinity", std::nullopt},
      {"nan", std::nullopt},
      {"NaN", std::nullopt},
      {"0x10", std::nullopt},
      {"0X1A", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"1,000", std::nullopt},
      {"1 000", std::nullopt},
      {"1.000,50", std::nullopt},
      {"$5", std::nullopt},
      {"12abc", std::nullopt},
      {"5-", std::nullopt},
      {"+-5", std::nullopt},
      {"--5", std::nullopt},
      {"-", std::nullopt},
      {"+", std::nullopt},
      {".", std::nullopt},
      {"1.2.3", std::nullopt},
      {std::string("4\0" "2", 3), std::nullopt},
      // Long digit strings: read while a double holds them, refused past its range rather than made infinite
      // or zero.
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {zeros400 + "42", 42},
      {"0.1" + zeros400, 0.1},
      {"1" + std::string(308, '0'), 1e308},
      {"1" + std::string(309, '0'), std::nullopt},
      {"-" + std::string(400, '9'), std::nullopt},
      {"0." + zeros400 + "1", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string shown = c.text.size() > 40 ? c.text.substr(0, 40) + "... (" + std::to_string(c.text.size()) + ")" : c.text;
    EXPECT_EQ(NumberFromText(c.text), c.number) << "'" << shown << "'";
  }
}

TEST(WholeNumberFromText, ExactlyInSixtyFourBitsOrNot) {
  struct Case { std::string text; std::optional<std::int64_t> number; };
  const Case cases[] = {
      {" 42  ", 42},
      {"-7", -7},
      {"+0012", 12},
      {"9223372036854775807", 9223372036854775807LL},  // one more than a double keeps
      {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      {"9223372036854775808", std::nullopt},
      {"123456789012345678901234567890", std::nullopt},
      {"12.0", std::nullopt},  // a decimal is NumberFromText's
      {"1e3", std::nullopt},
      {"0x10", std::nullopt},
      {"", std::nullopt},
      {"+-1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(WholeNumberFromText(c.text), c.number) << "'" << c.text << "'";
}

}  // namespace
}  // namespace ace
