#pragma once
// Little-endian encoding of the fixed-width numbers in our file formats, and the checksum the formats use.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace ace::storage {

inline void PutU16(std::uint8_t* p, std::uint16_t v) { p[0] = std::uint8_t(v); p[1] = std::uint8_t(v >> 8); }
inline void PutU32(std::uint8_t* p, std::uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i)); }
inline void PutU64(std::uint8_t* p, std::uint64_t v) { for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (8 * i)); }
inline std::uint16_t GetU16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t GetU32(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
inline std::uint64_t GetU64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
inline void PutF64(std::uint8_t* p, double v) { std::uint64_t bits; std::memcpy(&bits, &v, 8); PutU64(p, bits); }
inline double GetF64(const std::uint8_t* p) { const std::uint64_t bits = GetU64(p); double v; std::memcpy(&v, &bits, 8); return v; }

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

std::uint32_t Crc32(std::span<const std::uint8_t> data);

}  // namespace ace::storage
