#pragma once
// The daily levy rate the suite derives from a monthly maximum M, and the rows that get it.
//
// x = M × 12 / 365 (extended precision). When the fifth decimal of x, or else its fourth, is not 0 (each read
// from x written to that many decimals), x is raised to the next cent: r = x + 0.005 rounded to cents;
// otherwise r is x rounded to cents. So 180 gives 5.92 (x = 5.917808...), 450 gives 14.80, 365 gives 12.00, and
// an x whose only extra digit is the third decimal is rounded to the nearest cent (1.231 gives 1.23).

#include <string_view>

#include "support/currency.h"

namespace kv::rates {

// r from x, both rounded as the suite's RoundDecimal rounds.
kv::Currency RaiseToCent(long double x);

// The daily rate derived from a monthly maximum.
kv::Currency DerivedDailyRate(kv::Currency monthly);

// Whether a row of that year and part stores the derived rate in place of the passed one: 2011 part 2 and every
// later year, compared as text ("2012" > "2011"), and only for a passed rate that is not zero.
bool TakesDerivedDailyRate(std::string_view year, std::string_view part, kv::Currency passedDaily);

}  // namespace kv::rates
