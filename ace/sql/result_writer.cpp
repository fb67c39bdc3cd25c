#include "ace/sql/result_writer.h"

#include <string>

#include "ace/core/error.h"

namespace ace::sql::exec {

namespace {

std::shared_ptr<ScratchFolder> NewScratchFolder() {
  try {
    return std::make_shared<ScratchFolder>("kv-ace-result-");
  } catch (const kv::fs::FsError& e) {
    Fail(code::kIoError, std::string("cannot make a folder for a query result: ") + e.what());
  }
}

}  // namespace

ResultWriter::ResultWriter(const std::vector<FieldSpec>& fields, bool sealed)
    : scratch_(NewScratchFolder()), path_(scratch_->Path() / "RESULT.ADT"), sealed_(sealed) {
  table_ = storage::Table::Create(path_, fields, 1, {.exclusive = true, .scratch = true, .sealed = sealed});
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
  r.cursor = storage::Table::Open(path_, {.exclusive = true, .scratch = true, .sealed = sealed_});
  r.cursor->GotoTop();
  r.scratch = scratch_;
  r.rows = rows_;
  return r;
}

}  // namespace ace::sql::exec
