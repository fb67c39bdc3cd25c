#include "support/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace kv {
namespace {

TEST(RoundDecimal, HalvesAwayFromZeroIncludingRepresentationError) {
  struct Case { double x; std::int16_t n; double expected; };
  const Case cases[] = {
      {2.675, 2, 2.68},  {-1.005, 2, -1.01}, {1.005, 2, 1.01}, {0.000000004, 2, 0.0}, {-2.5, 0, -3.0},
      {2.5, 0, 3.0},     {0.004, 2, 0.0},    {1.2344, 3, 1.234}, {123.455, 2, 123.46}, {-0.004, 2, 0.0},
      {1e12 + 0.125, 2, 1e12 + 0.13}, {7.0, 4, 7.0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(RoundDecimal(c.x, c.n), c.expected) << c.x << " to " << c.n;
}

TEST(RoundDecimal, NegativeZeroComesBackAsZero) {
  const double r = RoundDecimal(-0.000000004, 2);
  EXPECT_EQ(r, 0.0);
  EXPECT_FALSE(std::signbit(r));
}

TEST(PowerOfTen, CoversWhatFitsAndRefusesTheRest) {
  EXPECT_EQ(PowerOfTen(0), 1);
  EXPECT_EQ(PowerOfTen(2), 100);
  EXPECT_EQ(PowerOfTen(9), 1'000'000'000);
  EXPECT_THROW(PowerOfTen(10), std::out_of_range);
  EXPECT_THROW(PowerOfTen(-1), std::out_of_range);
}

TEST(IsNearZero, IsStrict) {
  EXPECT_TRUE(IsNearZero(0.0));
  EXPECT_TRUE(IsNearZero(9.9e-9));
  EXPECT_FALSE(IsNearZero(1e-8));
  EXPECT_FALSE(IsNearZero(-1e-8));
}

}  // namespace
}  // namespace kv
