#include "support/currency.h"

#include <cmath>
#include <stdexcept>

namespace kv {

Currency Currency::FromDouble(double value) {
  const double scaled = value * kScale;
  const double rounded = scaled >= 0 ? std::floor(scaled + 0.5) : std::ceil(scaled - 0.5);
  if (!std::isfinite(rounded) || rounded >= 9.2e18 || rounded <= -9.2e18)
    throw std::out_of_range("currency value out of range");
  return Currency(static_cast<std::int64_t>(rounded));
}

std::optional<Currency> Currency::Parse(std::string_view text) {
  if (text.empty()) return std::nullopt;
  bool negative = false;
  std::size_t i = 0;
  if (text[i] == '-' || text[i] == '+') {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t whole = 0;
  std::int64_t fraction = 0;
  int fractionDigits = 0;
  bool anyDigit = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (whole > (INT64_MAX / kScale - 9) / 10) return std::nullopt;
    whole = whole * 10 + (text[i] - '0');
    anyDigit = true;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (++fractionDigits > 4) return std::nullopt;
      fraction = fraction * 10 + (text[i] - '0');
      anyDigit = true;
    }
  }
  if (i != text.size() || !anyDigit) return std::nullopt;
  for (int d = fractionDigits; d < 4; ++d) fraction *= 10;
  const std::int64_t scaled = whole * kScale + fraction;
  return Currency(negative ? -scaled : scaled);
}

std::int64_t Currency::RoundToWhole() const {
  const std::int64_t half = kScale / 2;
  return scaled_ >= 0 ? (scaled_ + half) / kScale : -((-scaled_ + half) / kScale);
}

std::string Currency::ToString() const {
  const bool negative = scaled_ < 0;
  const std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-(scaled_ + 1)) + 1 : static_cast<std::uint64_t>(scaled_);
  std::string text = std::to_string(magnitude / kScale);
  std::uint64_t fraction = magnitude % kScale;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction + kScale).substr(1);  // four digits, leading zeros kept
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return negative ? "-" + text : text;
}

}  // namespace kv
