#pragma once
// The live records one pass over a whole table in record order meets, held at the pass's end against the count
// the table's header keeps. A status byte changed by damage (a live record turned "deleted", a deleted one turned
// live) leaves the header's count, a tag walk and such a pass giving different answers; a pass that ends with
// another count reports the damage instead of giving its rows as the whole table.

#include <cstdint>

namespace ace::storage {

class LiveTally {
 public:
  // A forward scan for the next live record from slot `from` on, in the table's state `change`: from 1 it starts
  // a pass; from just after the last record the pass met, in the same state, it goes on; anything else ends the
  // pass unchecked (the handle moved elsewhere, or the table changed).
  void Scan(std::uint64_t from, std::uint64_t change) {
    if (from == 1) {
      active_ = true;
      seen_ = 0;
      last_ = 0;
      change_ = change;
    } else if (!active_ || from != last_ + 1 || change != change_) {
      active_ = false;
    }
  }
  // A step the handle made without a scan, from record `from` to the live record `to`.
  void Step(std::uint64_t from, std::uint64_t to, std::uint64_t change) {
    if (!active_ || from != last_ || change != change_) {
      active_ = false;
      return;
    }
    Found(to);
  }
  void Found(std::uint64_t recno) {
    if (!active_) return;
    ++seen_;
    last_ = recno;
  }
  void Stop() { active_ = false; }
  // The forward scan reached the end: true when it was a whole pass and met other than `live` live records.
  bool EndDisagrees(std::uint64_t live, std::uint64_t change) {
    const bool disagrees = active_ && change == change_ && seen_ != live;
    active_ = false;
    return disagrees;
  }
  std::uint64_t Seen() const { return seen_; }

 private:
  bool active_ = false;
  std::uint64_t seen_ = 0, last_ = 0, change_ = 0;
};

}  // namespace ace::storage
