#pragma once
// A static result: the rows of a SELECT that is not a cursor on its table, written into a table of their own
// in a private scratch folder.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "ace/core/field_type.h"
#include "ace/core/value.h"
#include "ace/sql/executor.h"
#include "ace/storage/table.h"

namespace ace::sql::exec {

class ResultWriter {
 public:
  // sealed: the rows come from an encrypted table, and the result's files are sealed with the process's
  // scratch secret (ace/core/scratch_secret.h).
  ResultWriter(const std::vector<FieldSpec>& fields, bool sealed);
  void Write(const std::vector<Value>& values);  // one row; a NULL value leaves its field empty
  const std::filesystem::path& Folder() const { return scratch_->Path(); }
  // Closes the result and opens it again as the statement's cursor, on its first row.
  ExecuteResult Finish();

 private:
  std::shared_ptr<ScratchFolder> scratch_;
  std::filesystem::path path_;
  std::unique_ptr<storage::Table> table_;
  std::uint64_t rows_ = 0;
  bool sealed_ = false;
};

}  // namespace ace::sql::exec
