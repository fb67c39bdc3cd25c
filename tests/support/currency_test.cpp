#include "support/currency.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(Currency, ScaledByTenThousand) {
  EXPECT_EQ(Currency::FromDouble(9.07).Scaled(), 90700);
  EXPECT_EQ(Currency::FromDouble(8.9).Scaled(), 89000);
  EXPECT_EQ(Currency::FromDouble(-0.00005).Scaled(), -1);  // halves away from zero
  EXPECT_EQ(Currency::FromDouble(0.00004).Scaled(), 0);
  EXPECT_DOUBLE_EQ(Currency::FromScaled(86000).ToDouble(), 8.6);
  EXPECT_EQ((Currency::FromDouble(0.1) + Currency::FromDouble(0.2)), Currency::FromDouble(0.3));
}

TEST(Currency, TextRoundTrip) {
  struct Case { const char* text; std::int64_t scaled; const char* shown; };
  const Case cases[] = {{"9.07", 90700, "9.07"}, {"-12.5", -125000, "-12.5"}, {"1000", 10000000, "1000"},
                        {"0.0725", 725, "0.0725"}, {"+3.", 30000, "3"}, {"-0.0001", -1, "-0.0001"}};
  for (const Case& c : cases) {
    const auto parsed = Currency::Parse(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(parsed->Scaled(), c.scaled) << c.text;
    EXPECT_EQ(parsed->ToString(), c.shown) << c.text;
  }
  for (const char* bad : {"", "-", "1.23456", "1e5", "12a", "."}) EXPECT_FALSE(Currency::Parse(bad)) << bad;
}

TEST(Currency, RoundToWhole) {
  EXPECT_EQ(Currency::FromScaled(25).RoundToWhole(), 0);
  EXPECT_EQ(Currency::FromScaled(5000).RoundToWhole(), 1);
  EXPECT_EQ(Currency::FromScaled(-5000).RoundToWhole(), -1);
  EXPECT_EQ(Currency::FromScaled(-4999).RoundToWhole(), 0);
}

}  // namespace
}  // namespace kv
