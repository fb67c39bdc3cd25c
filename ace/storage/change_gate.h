#pragma once
// Waiting for another user's change to a table. Each change holds the table file's write byte exclusively for
// its length (a statement, an index build, a whole-table rewrite), and while it runs the table's counters say
// "busy". An open reads the counters, and so must not look while someone else is changing the table: what it
// would see is a change under way, not one a crash left. The gate takes the write byte before the open reads
// anything, shared, or exclusively when the opener is alone and may have to repair what a crash left; a change
// under way is waited for, up to a limit, and then the open fails with kTableInUse. A busy mark found with the
// gate taken belongs to no live change: its writer died (the system drops a dead process's locks) or failed.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace ace::storage {

// How long an open waits for another user's change to end; 10 seconds unless set.
void SetChangeWaitLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds ChangeWaitLimit();

// Takes the lock of byte `at` of the file, trying again until the limit has passed; false when it was not
// granted by then.
bool LockWithinLimit(kv::fs::File& file, std::uint64_t at, bool exclusive);

class ChangeGate {
 public:
  // Throws AceError(kTableInUse) naming the table when another user's change outlasts the limit.
  ChangeGate(kv::fs::File& lock, bool exclusive, const std::string& table);
  ~ChangeGate() { Release(); }
  ChangeGate(const ChangeGate&) = delete;
  ChangeGate& operator=(const ChangeGate&) = delete;
  void Release();

 private:
  kv::fs::File* lock_;
};

}  // namespace ace::storage
