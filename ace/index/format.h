#pragma once
// The on-disk layout of the compound index file (.ADI), shared by the pager, the tree code and the bulk builder.
// docs/formats/adi.md describes the same layout in prose; keep the two in step.
//
// Every number is little-endian (ace/core/bytes.h). The file is a sequence of 4096-byte pages numbered from 0; page 0 is the header
// (always clear), every other page is a tree node, a directory page or a free-list trunk page. A page's usable
// body is followed by a CRC-32C of (page number, body); when the file is encrypted the body and its CRC are
// sealed together with the page number as the place, so the body is 40 bytes shorter.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ace/core/bytes.h"
#include "ace/core/checksum.h"

namespace ace::index::format {

inline constexpr std::size_t kPageBytes = 4096;
inline constexpr std::uint32_t kVersion = 1;
inline constexpr std::uint8_t kMagic[8] = {'K', 'V', '8', '-', 'A', 'D', 'I', 0x1A};

// Header page (page 0).
namespace header {
inline constexpr std::size_t kMagic = 0;          // 8 bytes
inline constexpr std::size_t kVersion = 8;        // u32
inline constexpr std::size_t kPageBytes = 12;     // u32, 4096
inline constexpr std::size_t kFlags = 16;         // u32, bit 0: pages are sealed
inline constexpr std::size_t kTagCount = 20;      // u32
inline constexpr std::size_t kStamp = 24;         // u64
inline constexpr std::size_t kClean = 32;         // u32, 1 clean / 0 open for change
inline constexpr std::size_t kNextSerial = 36;    // u32, serial the next new tag gets
inline constexpr std::size_t kPageCount = 40;     // u64, pages in use or free, header included
inline constexpr std::size_t kFreeHead = 48;      // u64, first free-list trunk page, 0 = none
inline constexpr std::size_t kFreeCount = 56;     // u64, free pages (trunk pages included)
inline constexpr std::size_t kDirFirst = 64;      // u64, first directory page, 0 = no tags
inline constexpr std::size_t kDirBytes = 72;      // u32, length of the directory stream
inline constexpr std::size_t kCheck = 80;         // 16 bytes, the cipher's check value (zero when clear)
inline constexpr std::size_t kOwner = 96;         // u64, identity of the table the file belongs to (0: unknown)
inline constexpr std::size_t kSlots = 128;        // kMaxTags slots of kSlotBytes
inline constexpr std::size_t kSlotBytes = 32;     // u32 serial, u16 height, u16 0, u64 root, u64 entries, u64 0
inline constexpr std::size_t kCrc = format::kPageBytes - 4;  // u32, CRC-32C of bytes 0..4091
inline constexpr std::uint32_t kFlagSealed = 1;
}  // namespace header

// Page types (byte 0 of a page body).
enum PageType : std::uint8_t { kLeaf = 1, kInner = 2, kDirectory = 3, kFreeTrunk = 4 };

// Common page body header.
namespace page {
inline constexpr std::size_t kType = 0;     // u8
inline constexpr std::size_t kLevel = 2;    // u16, 0 for leaves
inline constexpr std::size_t kSerial = 4;   // u32, tag serial of tree nodes, 0 otherwise
inline constexpr std::size_t kCount = 8;    // u32, entries / separators / bytes / page numbers
inline constexpr std::size_t kLink1 = 16;   // u64, leaf: next leaf; inner: child 0; directory / trunk: next page
inline constexpr std::size_t kLink2 = 24;   // u64, leaf: previous leaf; 0 elsewhere
inline constexpr std::size_t kItems = 32;
}  // namespace page

inline constexpr std::size_t kClearBody = kPageBytes - 4;
inline constexpr std::size_t kSealedBody = kPageBytes - 40 - 4;  // Cipher::kOverhead is 40

// The checksum a page carries: CRC-32C over the page number (u64) followed by the body.
inline std::uint32_t PageCrc(std::uint64_t page, const std::uint8_t* body, std::size_t size) {
  std::uint8_t number[8];
  PutU64(number, page);
  return Crc32c(Crc32c(0, number, sizeof number), body, size);
}

}  // namespace ace::index::format
