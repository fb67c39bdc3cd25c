#pragma once
// The byte layout of a table file's header (NAME.ADT), shared by the header codec and the code that writes parts
// of the header in place (counters, the tag list's head). docs/formats/adt.md describes the same layout in prose;
// keep the two in step. Every number is little-endian.

#include <cstddef>
#include <cstdint>

namespace ace::storage::table_format {

inline constexpr std::uint8_t kMagic[8] = {'K', 'V', '8', 'T', 'A', 'B', 'L', 0x1A};
inline constexpr std::uint32_t kVersion = 1;

// The fixed part, at the start of the file.
namespace header {
inline constexpr std::size_t kMagic = 0;           // 8 bytes
inline constexpr std::size_t kVersion = 8;         // u32
inline constexpr std::size_t kHeaderSize = 12;     // u32, where the first record slot starts
inline constexpr std::size_t kFieldCount = 16;     // u32
inline constexpr std::size_t kPayloadSize = 20;    // u32, null bitmap + values
inline constexpr std::size_t kSlotSize = 24;       // u32, status byte + payload (+ seal overhead)
inline constexpr std::size_t kTableType = 28;      // u8
inline constexpr std::size_t kCharType = 29;       // u8
inline constexpr std::size_t kFlags = 30;          // u8, bit 0: encrypted, bit 1: seals bind the status, bit 2: split salt
inline constexpr std::size_t kMemoGeneration = 32; // u64
inline constexpr std::size_t kSalt = 40;           // 16 bytes
inline constexpr std::size_t kCheck = 56;          // 16 bytes
inline constexpr std::size_t kStaticCrc = 72;      // u32, see StaticChecksum
inline constexpr std::size_t kTagAreaSize = 76;    // u32
inline constexpr std::size_t kCounters = 80;       // the counter block
inline constexpr std::size_t kStaticEnd = 80;      // the static checksum covers bytes before this
inline constexpr std::size_t kTableId = 120;       // u64, the table's identity, copied into its index file
inline constexpr std::size_t kSize = 128;          // the field descriptors follow
inline constexpr std::uint8_t kFlagEncrypted = 1;
inline constexpr std::uint8_t kFlagStatusBound = 2;  // encrypted tables only (slot_seal.h)
inline constexpr std::uint8_t kFlagSplitSalt = 4;    // encrypted tables only (slot_seal.h, TableCipher)
}  // namespace header

// One field descriptor; the n-th starts at header::kSize + n * descriptor::kSize.
namespace descriptor {
inline constexpr std::size_t kName = 0;       // kNameBytes, zero padded
inline constexpr std::size_t kNameBytes = 128;
inline constexpr std::size_t kType = 128;     // u8, the field type code
inline constexpr std::size_t kLength = 130;   // u16
inline constexpr std::size_t kDecimals = 132; // u16
inline constexpr std::size_t kNullBit = 134;  // u16
inline constexpr std::size_t kOffset = 136;   // u32, of the value in the payload
inline constexpr std::size_t kSize = 160;
}  // namespace descriptor

// The counter block, at header::kCounters.
namespace counters {
inline constexpr std::size_t kSlots = 0;        // u64
inline constexpr std::size_t kLive = 8;         // u64
inline constexpr std::size_t kNextAutoInc = 16; // u64
inline constexpr std::size_t kChange = 24;      // u64
inline constexpr std::size_t kFlags = 32;       // u32, bit 0: busy
inline constexpr std::size_t kCrc = 36;         // u32, of the bytes before it
inline constexpr std::size_t kSize = 40;
inline constexpr std::uint32_t kFlagBusy = 1;
}  // namespace counters

// The tag area, after the descriptors: a head (count, checksum of the entries), then the entries.
namespace tag_area {
inline constexpr std::size_t kCount = 0;  // u32
inline constexpr std::size_t kCrc = 4;    // u32, of the entries
inline constexpr std::size_t kHead = 8;   // the entries follow
// Per entry: name length (u8), name, expression length (u16), expression, option bits (u32), page size (u16).
inline constexpr std::size_t kEntryTail = 6;
}  // namespace tag_area

}  // namespace ace::storage::table_format
