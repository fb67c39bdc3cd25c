#pragma once
// The engine's checksums. Two, because the stored formats fixed them: CRC-32 (zlib's) in the table and memo
// files, CRC-32C (Castagnoli, with the processor's instruction where there is one) in the index file's pages.
// Changing either would make every existing file read as damaged.

#include <cstddef>
#include <cstdint>
#include <span>

namespace ace {

// CRC-32 as zlib computes it.
std::uint32_t Crc32(std::span<const std::uint8_t> data);
// CRC-32C, continuing from crc (0 to start).
std::uint32_t Crc32c(std::uint32_t crc, const void* data, std::size_t size);

}  // namespace ace
