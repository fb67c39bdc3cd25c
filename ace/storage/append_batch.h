#pragma once
// Records appended to a table that one handle holds exclusively, kept in memory and written to the table file
// in one write per batch instead of one write per record (a write is a system call, which costs more than
// everything else an append does). The batch is a run of whole slots that follow each other in the file.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ace::storage {

class AppendBatch {
 public:
  // About this many bytes are kept before they are written: a few hundred records of a wide table.
  static constexpr std::size_t kBytes = 64 * 1024;

  bool Empty() const { return count_ == 0; }
  bool Full() const { return bytes_.size() >= kBytes; }
  std::uint64_t First() const { return first_; }
  std::uint64_t Last() const { return first_ + count_ - 1; }
  // True when recno can join the batch: it is empty, or recno comes right after its last slot.
  bool Takes(std::uint64_t recno) const { return count_ == 0 || recno == first_ + count_; }
  // Room for record recno's slot of slotSize bytes at the end of the batch; the caller fills it.
  std::uint8_t* Add(std::uint64_t recno, std::size_t slotSize);
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // After the bytes reached the file.
  void Clear();

 private:
  std::uint64_t first_ = 0, count_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ace::storage
