// The daily-rate derivation, step by step as the suite does it: the decimal digits are read from x written
// with a fixed number of decimals, not computed, so the result matches the suite's to the cent.

#include "rates/daily_rate.h"

#include <cstdio>
#include <string>

#include "support/numeric.h"

namespace kv::rates {

namespace {

// The last digit of x written with `decimals` decimals (the pattern "0.00000" for five).
char LastDigit(long double x, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*Lf", decimals, x);
  const std::string written(text);
  return written.back();
}

}  // namespace

kv::Currency RaiseToCent(long double x) {
  double r = kv::RoundDecimal(static_cast<double>(x), 2);
  if (LastDigit(x, 5) >= '1' || LastDigit(x, 4) >= '1') r = static_cast<double>(x + 0.005L);
  return kv::Currency::FromDouble(kv::RoundDecimal(r, 2));
}

kv::Currency DerivedDailyRate(kv::Currency monthly) {
  const long double m = static_cast<long double>(monthly.Scaled()) / kv::Currency::kScale;
  return RaiseToCent(m * 12 / 365);
}

bool TakesDerivedDailyRate(std::string_view year, std::string_view part, kv::Currency passedDaily) {
  if (passedDaily == kv::Currency{}) return false;
  return (year == "2011" && part == "2") || year > std::string_view("2011");
}

}  // namespace kv::rates
