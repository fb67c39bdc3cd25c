#pragma once
// The engine's one little-endian codec: the fixed-width numbers and text fields of every file format it writes
// (table, memo and index files). Checksums are in checksum.h.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace ace {

namespace bytes_detail {
template <typename T>
inline T Load(const std::uint8_t* p) {
  T v;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, p, sizeof v);
  } else {
    v = 0;
    for (std::size_t i = sizeof v; i-- > 0;) v = static_cast<T>((v << 8) | p[i]);
  }
  return v;
}
template <typename T>
inline void Store(std::uint8_t* p, T v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
  } else {
    for (std::size_t i = 0; i < sizeof v; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}
}  // namespace bytes_detail

inline void PutU16(std::uint8_t* p, std::uint16_t v) { bytes_detail::Store(p, v); }
inline void PutU32(std::uint8_t* p, std::uint32_t v) { bytes_detail::Store(p, v); }
inline void PutU64(std::uint8_t* p, std::uint64_t v) { bytes_detail::Store(p, v); }
inline std::uint16_t GetU16(const std::uint8_t* p) { return bytes_detail::Load<std::uint16_t>(p); }
inline std::uint32_t GetU32(const std::uint8_t* p) { return bytes_detail::Load<std::uint32_t>(p); }
inline std::uint64_t GetU64(const std::uint8_t* p) { return bytes_detail::Load<std::uint64_t>(p); }
inline void PutF64(std::uint8_t* p, double v) { PutU64(p, std::bit_cast<std::uint64_t>(v)); }
inline double GetF64(const std::uint8_t* p) { return std::bit_cast<double>(GetU64(p)); }

// A zero-padded text field of a fixed width; the text is cut to the width.
inline void PutText(std::uint8_t* p, std::size_t width, std::string_view text) {
  std::memset(p, 0, width);
  std::memcpy(p, text.data(), text.size() < width ? text.size() : width);
}
inline std::string GetText(const std::uint8_t* p, std::size_t width) {
  std::size_t n = 0;
  while (n < width && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace ace
