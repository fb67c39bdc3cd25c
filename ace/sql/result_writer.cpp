#include "ace/sql/result_writer.h"

#include <stdlib.h>

#include <string>

#include "ace/core/error.h"

namespace stdfs = std::filesystem;

namespace ace::sql {

ScratchFolder::ScratchFolder() {
  std::error_code ec;
  stdfs::path base = stdfs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "kv-ace-result-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    Fail(code::kIoError, "cannot make a folder for a query result in " + base.string());
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  stdfs::remove_all(path_, ec);
}

namespace exec {

ResultWriter::ResultWriter(const std::vector<FieldSpec>& fields)
    : scratch_(std::make_shared<ScratchFolder>()), path_(scratch_->Path() / "RESULT.ADT") {
  table_ = storage::Table::Create(path_, fields, 1, {true, false, true});
}

void ResultWriter::Write(const std::vector<Value>& values) {
  table_->AppendRecord();
  try {
    for (std::size_t i = 0; i < values.size(); ++i)
      if (!values[i].IsNull()) table_->SetField(static_cast<int>(i), values[i]);
    table_->WriteRecord();
  } catch (...) {
    table_->CancelRecord();
    throw;
  }
  ++rows_;
}

ExecuteResult ResultWriter::Finish() {
  table_.reset();
  ExecuteResult r;
  // Private to this cursor (exclusive), and writable so that the caller can give it tags of its own columns.
  r.cursor = storage::Table::Open(path_, {true, false, true});
  r.cursor->GotoTop();
  r.scratch = scratch_;
  r.rows = rows_;
  return r;
}

}  // namespace exec
}  // namespace ace::sql
