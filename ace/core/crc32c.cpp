#include "ace/core/checksum.h"

#include <array>
#include <cstring>

#include "ace/core/bytes.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <nmmintrin.h>
#define KV_CRC32C_HARDWARE 1
#endif

namespace ace {

namespace {

// Slicing-by-8 tables for the reflected Castagnoli polynomial: a bulk build checksums every page it writes, so
// the byte-at-a-time loop would show up in its time.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0x82F63B78u & (0u - (c & 1u)));
    t[0][i] = c;
  }
  for (std::size_t s = 1; s < 8; ++s)
    for (std::size_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFFu];
  return t;
}

constexpr Tables kTables = MakeTables();

#ifdef KV_CRC32C_HARDWARE
// The SSE4.2 instruction computes the same polynomial about ten times faster; every page read or written is
// checksummed, so with a cache smaller than the index this is a good part of the cost of a change.
__attribute__((target("sse4.2"))) std::uint32_t HardwareCrc(std::uint32_t crc, const std::uint8_t* p,
                                                           std::size_t size) {
  std::uint64_t c = crc;
  while (size >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    c = _mm_crc32_u64(c, word);
    p += 8;
    size -= 8;
  }
  auto c32 = static_cast<std::uint32_t>(c);
  while (size-- > 0) c32 = _mm_crc32_u8(c32, *p++);
  return c32;
}

bool HasHardwareCrc() {
  static const bool has = __builtin_cpu_supports("sse4.2");
  return has;
}
#endif

}  // namespace

std::uint32_t Crc32c(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
#ifdef KV_CRC32C_HARDWARE
  if (HasHardwareCrc()) return ~HardwareCrc(~crc, p, size);
#endif
  crc = ~crc;
  while (size >= 8) {
    const std::uint64_t word = GetU64(p) ^ crc;
    crc = kTables[7][word & 0xFF] ^ kTables[6][(word >> 8) & 0xFF] ^ kTables[5][(word >> 16) & 0xFF] ^
          kTables[4][(word >> 24) & 0xFF] ^ kTables[3][(word >> 32) & 0xFF] ^ kTables[2][(word >> 40) & 0xFF] ^
          kTables[1][(word >> 48) & 0xFF] ^ kTables[0][word >> 56];
    p += 8;
    size -= 8;
  }
  while (size-- > 0) crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFFu];
  return ~crc;
}

}  // namespace ace
