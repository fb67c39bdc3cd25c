// The daily levy rate derived from a monthly maximum, against cases worked by hand: x = M × 12 / 365, raised to
// the next cent when its fourth or fifth decimal is not 0, else rounded to the nearest cent.

#include <gtest/gtest.h>

#include <string>

#include "rates/daily_rate.h"

namespace kv::rates {
namespace {

kv::Currency Money(const char* text) { return *kv::Currency::Parse(text); }

struct RateCase {
  const char* monthly;
  const char* daily;  // worked by hand: x, its fifth and fourth decimals, the cent
};

TEST(DailyRate, MonthlyMaximaOfThePublishedRowsGiveTheHandWorkedRates) {
  for (const RateCase& c : {
           RateCase{"180", "5.92"},   // x = 5.917808..., "5.91781": fifth decimal 1, raised
           RateCase{"450", "14.8"},   // 14.794520..., "14.79452": raised to 14.80
           RateCase{"160", "5.27"},   // 5.260273..., "5.26027"
           RateCase{"120", "3.95"},   // 3.945205..., "3.94521"
           RateCase{"365", "12"},     // exactly 12: nothing to raise
           RateCase{"230", "7.57"},   // 7.561643..., "7.56164"
           RateCase{"380", "12.5"},   // 12.493150..., "12.49315"
           RateCase{"300", "9.87"},   // 9.863013..., "9.86301"
           RateCase{"280", "9.21"},   // 9.205479..., "9.20548"
           RateCase{"340", "11.18"},  // 11.178082...
           RateCase{"240", "7.9"},    // 7.890410..., "7.89041"
           RateCase{"400", "13.16"},  // 13.150684...
           RateCase{"330", "10.85"},  // 10.849315..., "10.84932"
           RateCase{"0.07", "0.01"},  // 0.0023013...: "0.00230" ends in 0, but "0.0023" in 3: raised
           RateCase{"0.73", "0.02"},  // exactly 0.024: only the third decimal, rounded down
           RateCase{"37.96", "1.25"}, // exactly 1.248: rounded up
           RateCase{"0", "0"},
       }) {
    EXPECT_EQ(DerivedDailyRate(Money(c.monthly)).ToString(), c.daily) << c.monthly;
  }
}

TEST(DailyRate, OnlyAnXWithTheThirdDecimalAloneIsRoundedToTheNearestCent) {
  EXPECT_EQ(RaiseToCent(1.231L).ToString(), "1.23");
  EXPECT_EQ(RaiseToCent(1.235L).ToString(), "1.24");
  EXPECT_EQ(RaiseToCent(1.2301L).ToString(), "1.24");      // fourth decimal
  EXPECT_EQ(RaiseToCent(1.23001L).ToString(), "1.24");     // fifth decimal
  EXPECT_EQ(RaiseToCent(1.230004L).ToString(), "1.23");    // below the fifth decimal: written as 1.23000
}

struct RowCase {
  const char* year;
  const char* part;
  const char* passed;
  bool derived;
};

TEST(DailyRate, TheDerivedRateIsStoredFrom2011Part2OnAndNeverForAZeroRate) {
  for (const RowCase& c : {RowCase{"2010", "2", "6", false}, RowCase{"2011", "1", "5.27", false},
                           RowCase{"2011", "2", "5.59", true}, RowCase{"2012", "1", "15", true},
                           RowCase{"2012", "2", "0", false}, RowCase{"2013", "1", "1", true},
                           RowCase{"2011", "2", "0", false}}) {
    EXPECT_EQ(TakesDerivedDailyRate(c.year, c.part, Money(c.passed)), c.derived)
        << c.year << " part " << c.part << " rate " << c.passed;
  }
}

}  // namespace
}  // namespace kv::rates
