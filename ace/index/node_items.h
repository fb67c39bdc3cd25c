#pragma once
// Searching and rewriting the items of a tree node, shared by the lookups (index_file.cpp) and the changes
// (tree_changes.cpp). Inline: they sit on the path of every seek and every change.

#include <cstdint>
#include <cstring>
#include <vector>

#include "ace/index/impl.h"

namespace ace::index {

// The number of entries (leaf) or separators (inner node) before the first one above the probe (upper) or at
// or above it (lower).
inline std::uint32_t Search(const std::uint8_t* first, std::size_t step, std::size_t keyLength,
                            std::uint32_t count, const std::uint8_t* key, std::uint64_t recno, bool upper) {
  std::uint32_t lo = 0;
  std::uint32_t hi = count;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    const int c = CompareEntry(first + mid * step, key, recno, keyLength);
    if (upper ? c <= 0 : c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// Inner nodes keep, for every separator s_i, entries of child i below s_i and entries of child i+1 at or above
// it; so the child that holds (or would hold) an entry is the one after all separators <= the entry.
inline std::uint32_t InnerSlot(std::uint8_t* d, const Tag& t, const std::uint8_t* key, std::uint64_t recno) {
  return Search(InnerItem(d, t, 0), t.innerStride, t.keyLength, Count(d), key, recno, true);
}

inline std::uint32_t LeafSlot(std::uint8_t* d, const Tag& t, const std::uint8_t* key, std::uint64_t recno,
                              bool upper) {
  return Search(LeafEntry(d, t, 0), t.stride, t.keyLength, Count(d), key, recno, upper);
}

// Writes n separators and n + 1 children, taken from seps / kids starting at separator first, into an inner
// node, clearing the items behind them.
inline void WriteInner(std::uint8_t* d, const Tag& t, const std::vector<std::uint8_t>& seps,
                       const std::vector<std::uint64_t>& kids, std::size_t first, std::size_t n) {
  SetLink1(d, kids[first]);
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t* item = InnerItem(d, t, i);
    std::memcpy(item, seps.data() + (first + i) * t.stride, t.stride);
    PutU64(item + t.stride, kids[first + i + 1]);
  }
  std::memset(InnerItem(d, t, n), 0, (t.innerCap - n) * t.innerStride);
  SetCount(d, static_cast<std::uint32_t>(n));
}

// Splits an inner node's items into separators and children (child 0 first).
inline void ReadInner(std::uint8_t* d, const Tag& t, std::vector<std::uint8_t>& seps,
                      std::vector<std::uint64_t>& kids) {
  const std::uint32_t count = Count(d);
  kids.push_back(Link1(d));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* item = InnerItem(d, t, i);
    seps.insert(seps.end(), item, item + t.stride);
    kids.push_back(GetU64(item + t.stride));
  }
}

inline void RemoveItem(std::uint8_t* d, const Tag& t, std::uint32_t i) {
  const std::uint32_t count = Count(d);
  std::memmove(InnerItem(d, t, i), InnerItem(d, t, i + 1), (count - i - 1) * t.innerStride);
  std::memset(InnerItem(d, t, count - 1), 0, t.innerStride);
  SetCount(d, count - 1);
}

}  // namespace ace::index
