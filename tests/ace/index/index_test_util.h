#pragma once
// Small helpers shared by the index tests: keys from text, whole-tag scans, error capture.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ace/core/error.h"
#include "ace/index/index_file.h"
#include "common/ace_error.h"

namespace ace::index::testing {

using Key = std::vector<std::uint8_t>;
using Entry = std::pair<Key, std::uint64_t>;
using Model = std::set<Entry>;  // vector<uint8_t> compares as unsigned bytes, as memcmp does

// The text, blank padded (or cut) to length bytes, as the table layer encodes a Char field.
inline Key K(std::string_view text, std::size_t length) {
  Key key(length, ' ');
  for (std::size_t i = 0; i < text.size() && i < length; ++i) key[i] = static_cast<std::uint8_t>(text[i]);
  return key;
}

// n in decimal, zero padded to width digits.
inline std::string Num(std::uint64_t n, std::size_t width) {
  std::string digits = std::to_string(n);
  return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

inline Key Raw(std::string_view bytes) { return Key(bytes.begin(), bytes.end()); }

inline std::string Text(std::span<const std::uint8_t> key) { return std::string(key.begin(), key.end()); }

// Every entry of a tag from First to the end (limit guards against a cursor that never ends).
inline std::vector<Entry> Forward(const IndexFile& file, TagId tag, std::size_t limit = 10'000'000) {
  std::vector<Entry> out;
  auto cursor = file.OpenCursor(tag);
  for (bool ok = cursor.First(); ok && out.size() <= limit; ok = cursor.Next())
    out.emplace_back(Key(cursor.Key().begin(), cursor.Key().end()), cursor.Recno());
  return out;
}

// Every entry from Last back to the start, in ascending order again.
inline std::vector<Entry> Backward(const IndexFile& file, TagId tag, std::size_t limit = 10'000'000) {
  std::vector<Entry> out;
  auto cursor = file.OpenCursor(tag);
  for (bool ok = cursor.Last(); ok && out.size() <= limit; ok = cursor.Prev())
    out.emplace_back(Key(cursor.Key().begin(), cursor.Key().end()), cursor.Recno());
  return {out.rbegin(), out.rend()};
}

inline std::vector<Entry> Sorted(const Model& model) { return {model.begin(), model.end()}; }

using ace::testing::Catch;
using ace::testing::Caught;

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace ace::index::testing
