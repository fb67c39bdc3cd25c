#include "ace/storage/change_gate.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "ace/core/error.h"
#include "ace/storage/table_files.h"

namespace ace::storage {

namespace {

std::atomic<std::int64_t> g_limitMs{10000};

}  // namespace

void SetChangeWaitLimit(std::chrono::milliseconds limit) { g_limitMs = std::max<std::int64_t>(0, limit.count()); }

std::chrono::milliseconds ChangeWaitLimit() { return std::chrono::milliseconds(g_limitMs.load()); }

bool LockWithinLimit(kv::fs::File& file, std::uint64_t at, bool exclusive) {
  if (file.TryLock(at, 1, exclusive)) return true;
  // The system offers no lock wait with a time limit: try again, at first often (most changes are short), then
  // every 20 ms.
  const auto deadline = std::chrono::steady_clock::now() + ChangeWaitLimit();
  std::chrono::microseconds pause(200);
  while (std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(pause);
    if (file.TryLock(at, 1, exclusive)) return true;
    pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
  }
  return false;
}

ChangeGate::ChangeGate(kv::fs::File& lock, bool exclusive, const std::string& table) : lock_(&lock) {
  if (!LockWithinLimit(lock, kWriteLockByte, exclusive))
    Fail(code::kTableInUse, "table " + table + " is being changed by another user; try again when the change is done");
}

void ChangeGate::Release() {
  if (lock_ == nullptr) return;
  kv::fs::File* lock = lock_;
  lock_ = nullptr;
  lock->Unlock(kWriteLockByte, 1);
}

}  // namespace ace::storage
