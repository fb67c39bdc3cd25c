#pragma once
// Work on a table's files as a whole, beside the engine calls: a program that moves or replaces a folder of
// tables (a restore swapping a company folder in) must know that no user has one of them open, and keep every
// user out until it is done. Nothing of the table is read, so a damaged or encrypted table is held as well as a
// sound one.

#include <filesystem>
#include <memory>
#include <string>

#include "ace/core/codes.h"

namespace ace {

// A table held as its one exclusive user holds it, without opening it. While the hold lives no other user can
// open the table; the hold ends with the object (or with the process).
class TableFileHold {
 public:
  TableFileHold();
  ~TableFileHold();
  TableFileHold(TableFileHold&&) noexcept;
  TableFileHold& operator=(TableFileHold&&) noexcept;

  // Takes the hold on the table file `adt`. 0 when held; kTableInUse when another user has the table open;
  // kFileNotFound or kIoError when the file cannot be opened for writing, with the reason in `why`.
  ResultCode Take(const std::filesystem::path& adt, std::string& why);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ace
