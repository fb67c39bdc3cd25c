#pragma once
// The external sort of ORDER BY: the rows of an ordered result are sorted in memory while they fit a budget;
// past it, sorted runs are written to files in the result's scratch folder and merged at the end, so memory
// stays bounded whatever the row count. The order is stable: rows of equal keys keep the order in which they
// came.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ace/core/cipher.h"
#include "ace/core/value.h"
#include "platform/file.h"

namespace ace::sql::exec {

class RowSorter {
 public:
  struct Row {
    std::vector<Value> keys;
    std::vector<Value> values;
  };
  using Less = std::function<bool(const std::vector<Value>&, const std::vector<Value>&)>;
  static constexpr std::size_t kBudget = 16u << 20;

  // seal: the key that seals the runs (rows of encrypted tables), nullptr to write them clear.
  RowSorter(std::filesystem::path folder, Less less, const Cipher* seal)
      : folder_(std::move(folder)), less_(std::move(less)), seal_(seal) {}
  ~RowSorter();
  RowSorter(const RowSorter&) = delete;
  RowSorter& operator=(const RowSorter&) = delete;

  void Add(Row row);
  // Hands every row's values to write, in order of their keys.
  void Finish(const std::function<void(const std::vector<Value>&)>& write);

 private:
  class Reader;

  void SortHeld();
  void Spill();
  void Merge(const std::function<void(const std::vector<Value>&)>& write);

  std::filesystem::path folder_;
  Less less_;
  const Cipher* seal_;
  std::vector<Row> rows_;
  std::size_t held_ = 0;
  std::vector<std::filesystem::path> runs_;
  std::size_t keyCount_ = 0, valueCount_ = 0;
};

}  // namespace ace::sql::exec
