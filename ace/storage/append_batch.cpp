#include "ace/storage/append_batch.h"

namespace ace::storage {

std::uint8_t* AppendBatch::Add(std::uint64_t recno, std::size_t slotSize) {
  if (count_ == 0) {
    first_ = recno;
    bytes_.reserve(kBytes + slotSize);
  }
  ++count_;
  const std::size_t at = bytes_.size();
  bytes_.resize(at + slotSize);
  return bytes_.data() + at;
}

void AppendBatch::Clear() {
  count_ = 0;
  bytes_.clear();
}

}  // namespace ace::storage
