#pragma once
// The suite's money values: a 64-bit integer count of ten-thousandths, so 9.07 is held as 90700 and sums of
// money never pick up binary rounding.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

class Currency {
 public:
  static constexpr std::int64_t kScale = 10'000;

  constexpr Currency() = default;
  static constexpr Currency FromScaled(std::int64_t scaled) { return Currency(scaled); }
  // Rounds to the nearest ten-thousandth, halves away from zero. Throws std::out_of_range outside the range a
  // 64-bit count can hold.
  static Currency FromDouble(double value);
  // "12.5", "-0.0725", "1000": a plain decimal number with at most four decimals; nullopt for anything else.
  static std::optional<Currency> Parse(std::string_view text);

  constexpr std::int64_t Scaled() const { return scaled_; }
  double ToDouble() const { return static_cast<double>(scaled_) / kScale; }
  // The whole number nearest to value × 10000 is Scaled() itself; this is value rounded to a whole unit.
  std::int64_t RoundToWhole() const;
  // Shortest decimal text: "9.07", "-12.5", "0".
  std::string ToString() const;

  constexpr Currency operator+(Currency o) const { return Currency(scaled_ + o.scaled_); }
  constexpr Currency operator-(Currency o) const { return Currency(scaled_ - o.scaled_); }
  constexpr Currency operator-() const { return Currency(-scaled_); }
  Currency& operator+=(Currency o) { scaled_ += o.scaled_; return *this; }
  Currency& operator-=(Currency o) { scaled_ -= o.scaled_; return *this; }
  auto operator<=>(const Currency&) const = default;

 private:
  constexpr explicit Currency(std::int64_t scaled) : scaled_(scaled) {}
  std::int64_t scaled_ = 0;
};

}  // namespace kv
