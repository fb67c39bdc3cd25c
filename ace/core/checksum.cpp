#include "ace/core/checksum.h"

#include <algorithm>

#include <zlib.h>

namespace ace {

std::uint32_t Crc32(std::span<const std::uint8_t> data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t chunk = std::min<std::size_t>(data.size() - done, 1u << 30);
    crc = crc32(crc, data.data() + done, static_cast<uInt>(chunk));
    done += chunk;
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace ace
