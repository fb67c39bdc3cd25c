#include "support/numeric.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace kv {

std::int32_t PowerOfTen(std::int16_t n) {
  if (n < 0 || n > 9) throw std::out_of_range("PowerOfTen: " + std::to_string(n) + " is outside 0 to 9");
  std::int32_t result = 1;
  for (int i = 0; i < n; ++i) result *= 10;
  return result;
}

bool IsNearZero(double number) { return number > -1e-8 && number < 1e-8; }

double RoundDecimal(double x, std::int16_t n) {
  const double f = PowerOfTen(n);
  const double h = x >= 0 ? 0.5 : -0.5;
  const double d = x * f + h;
  // Formatting with two decimals and reading the text back takes away the representation error of d
  // (267.99999999999997 becomes 268). to_chars is locale-free, so the decimal separator is always ".".
  char text[400];
  const auto written = std::to_chars(text, text + sizeof text, d, std::chars_format::fixed, 2);
  double reread = d;
  if (written.ec == std::errc()) std::from_chars(text, written.ptr, reread);
  const double result = std::trunc(reread) / f;
  return IsNearZero(result) ? 0.0 : result;
}

}  // namespace kv
