#pragma once
// The demo's one source of chance: a small generator whose sequence is fixed by its seed on every machine and
// every standard library (the distributions of <random> are not), so the same --seed makes the same rows.

#include <cstdint>
#include <span>
#include <string_view>

namespace kv::demo {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  // A generator of its own for one part of the installation (a company, a table), so that adding rows to one
  // part leaves every other part's rows as they were.
  Random Fork(std::uint64_t salt) const { return Random(Mix(state_ ^ Mix(salt + 0x632be59bd9b4e019ull))); }

  std::uint64_t Next() {
    state_ += 0x9e3779b97f4a7c15ull;
    return Mix(state_);
  }
  // A whole number from lo to hi, both included (lo <= hi).
  std::int64_t Between(std::int64_t lo, std::int64_t hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(hi - lo) + 1;
    return lo + static_cast<std::int64_t>(span == 0 ? Next() : Next() % span);
  }
  // True with the given chance in percent.
  bool Percent(int chance) { return Between(0, 99) < chance; }
  template <typename T>
  const T& Pick(std::span<const T> items) {
    return items[static_cast<std::size_t>(Between(0, static_cast<std::int64_t>(items.size()) - 1))];
  }

 private:
  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  std::uint64_t state_;
};

}  // namespace kv::demo
