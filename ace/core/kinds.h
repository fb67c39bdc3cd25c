#pragma once
// Numbers that the engine calls take and the files keep, each defined here once: table types, character types,
// the option bits of an index tag, and the longest index key.

#include <cstddef>
#include <cstdint>

namespace ace {

// Table types (AdsOpenTable, AdsCreateTable, AdsDDAddTable, the table file's header). Only ADT tables are kept.
namespace table_type {
inline constexpr std::uint16_t kDefault = 0;  // on a dictionary connection: the dictionary's own
inline constexpr std::uint16_t kNtx = 1;
inline constexpr std::uint16_t kCdx = 2;
inline constexpr std::uint16_t kAdt = 3;
}  // namespace table_type

// Character types (kept with a table and a registration; they change nothing here).
namespace char_type {
inline constexpr std::uint16_t kAnsi = 1;
inline constexpr std::uint16_t kOem = 2;
}  // namespace char_type

// Option bits of an index tag, as AdsCreateIndex61 takes them and the table and dictionary files keep them.
// Unique and descending change what the index does; compound is kept for the caller.
namespace index_option {
inline constexpr std::uint32_t kUnique = 1;
inline constexpr std::uint32_t kCompound = 2;
inline constexpr std::uint32_t kDescending = 8;
}  // namespace index_option

// The longest key of an index tag, in bytes of its encoded form.
inline constexpr std::size_t kMaxKeyLength = 1024;

}  // namespace ace
