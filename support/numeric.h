#pragma once
// Decimal rounding as the suite does it, and the small numeric helpers it rests on.

#include <cstdint>

namespace kv {

// 10 to the power n for n from 0 to 9 (what a 32-bit integer holds); 1 for n = 0. Throws std::out_of_range
// for any other n.
std::int32_t PowerOfTen(std::int16_t n);

// True when the number lies strictly between -1e-8 and 1e-8.
bool IsNearZero(double number);

// x rounded to n decimals, halves away from zero. The scaled value is first rounded to two decimals, so a value
// whose scaled form lies within 0.005 below a half still counts as the half (1.005 gives 1.01, 2.675 gives 2.68).
double RoundDecimal(double x, std::int16_t n);

}  // namespace kv
