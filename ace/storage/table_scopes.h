#pragma once
// The inside of storage::Table shared by its files (table.cpp, table_navigation.cpp): the cursor it keeps in
// its current tag, and the scopes that hold the write byte for one read or one change. Not for callers.

#include "ace/core/error.h"
#include "ace/storage/table.h"
#include "ace/storage/table_files.h"

namespace ace::storage {

struct Table::CursorState {
  index::IndexFile::Cursor cursor;
  std::uint64_t change = ~0ULL;  // the table's change counter when the cursor was last placed
};

// Holds the write byte shared for one read by a handle that is not exclusive, after making the caches current.
class Table::ReadScope {
 public:
  explicit ReadScope(Table& t) : t_(t) {
    if (t_.Unlocked()) return;
    t_.LockWriteByte(false);
    locked_ = true;
  }
  ~ReadScope() {
    if (locked_) t_.lock_.Unlock(kWriteLockByte, 1);
  }

 private:
  Table& t_;
  bool locked_ = false;
};

// Holds the write byte exclusively for one change; marks the change under way on disk and finished at the end.
class Table::WriteScope {
 public:
  explicit WriteScope(Table& t) : t_(t) {
    if (t_.options_.readOnly) Fail(code::kReadOnly, "table " + t_.Name() + " was opened read-only");
    if (t_.hold_ == HoldMode::kRead) Fail(code::kInternal, "table " + t_.Name() + " is held for reading: it cannot be changed");
    if (!t_.Unlocked()) {
      t_.lock_.Lock(kWriteLockByte, 1, true);
      locked_ = true;
    }
    try {
      if (locked_) t_.files_->RefreshCounters();
      t_.files_->BeginChange(!t_.Unlocked());
    } catch (...) {
      if (locked_) t_.lock_.Unlock(kWriteLockByte, 1);
      throw;
    }
  }
  // Called right before the first byte is written: a failure after it leaves the change marked as under way.
  void Touch() { touched_ = true; }
  void Commit() {
    t_.files_->EndChange(!t_.Unlocked());
    committed_ = true;
  }
  ~WriteScope() {
    if (!committed_ && touched_ && t_.hold_ == HoldMode::kWrite) t_.holdTorn_ = true;
    if (!committed_ && !touched_ && !t_.Unlocked()) {
      try {
        t_.files_->Header().counters.busy = false;
        t_.files_->WriteCounters();
      } catch (...) {
      }
    }
    if (locked_) t_.lock_.Unlock(kWriteLockByte, 1);
  }

 private:
  Table& t_;
  bool locked_ = false, touched_ = false, committed_ = false;
};

}  // namespace ace::storage
