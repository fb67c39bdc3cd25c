#pragma once
// The executor: runs a parsed statement against tables. It knows the storage layer (storage::Table) and the
// statement tree; where a table name leads, which passwords open it, which rights a user holds and what a data
// dictionary must learn of a change is asked of a Catalog, which the engine-call layer implements for its
// connections. docs/sql-dialect.md ("Running statements") describes what each statement does.
//
// Every statement checks what it can before its first write (tables, columns, types, parameters, locks and
// unique keys), so that a failing statement changes nothing:
//   - INSERT converts every value first and writes one record;
//   - UPDATE and DELETE collect the target records (and the new values) in a first pass, lock them all, check
//     unique keys, and only then write;
//   - ALTER TABLE rewrites the whole table beside the old one (storage::Table::Restructure) and swaps it in.
// Scans stream: one record of each table at a time. An equality between a column and a value that is known
// before the table is read (a constant, a parameter, or a column of a table read earlier in the FROM list)
// on the leading fields of one of the table's tags reads only that tag's range.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ace/sql/ast.h"
#include "ace/sql/eval.h"
#include "ace/storage/table.h"
#include "platform/file.h"

namespace ace::sql {

// A private folder for a static result, removed with everything in it when the last owner lets go.
using ScratchFolder = kv::fs::ScratchFolder;

// What the executor asks of the connection it runs on.
class Catalog {
 public:
  virtual ~Catalog() = default;

  // Opens the table a statement names, with its password when it is encrypted, after checking the user's
  // right ('R' read, 'W' change, 'I' insert, 'D' delete, 'A' alter). Throws AceError(kSqlUnknownTable) naming
  // the table and where it was written when there is no such table, kPasswordRequired when it is encrypted
  // and the statement has no password for it.
  virtual std::unique_ptr<storage::Table> Open(const TableRef& table, char right, storage::Table::Options options) = 0;

  // DROP TABLE: removes the table (files and, on a dictionary, its registration). kSqlUnknownTable when the
  // name leads nowhere.
  virtual void DropTable(const TableRef& table) = 0;

  // The dictionary's view of a table's tags, kept true by the executor: a tag added or removed by CREATE
  // INDEX / DROP INDEX, and the whole set after ALTER TABLE (renamed keys, tags gone with dropped columns).
  virtual void TagAdded(const TableRef& table, const storage::TagDefinition& tag) = 0;
  virtual void TagRemoved(const TableRef& table, const std::string& tag) = 0;
  virtual void TagsReplaced(const TableRef& table, const std::vector<storage::TagDefinition>& before,
                            const std::vector<storage::TagDefinition>& after) = 0;

  // CREATE PROCEDURE: registers the procedure (an error where there is no dictionary).
  virtual void CreateProcedure(const CreateProcedureStatement& procedure) = 0;
};

struct ExecuteOptions {
  bool live = false;  // a SELECT * cursor may be edited through to its table
};

struct ExecuteResult {
  // The cursor of a SELECT: the table itself (SELECT * over one table) or a static result table.
  std::unique_ptr<storage::Table> cursor;
  std::shared_ptr<ScratchFolder> scratch;  // set for a static result: the folder that holds it
  bool onTable = false;                    // the cursor is a handle on the statement's table
  std::function<bool()> filter;            // its WHERE, set as the cursor's record filter (empty: none)
  std::uint64_t rows = 0;                  // rows inserted, changed or deleted; rows of a static result
};

// The statement is shared because a SELECT * cursor keeps its WHERE as the table's record filter for as long as
// the cursor lives, whatever becomes of the statement object meanwhile.
ExecuteResult Execute(std::shared_ptr<const Statement> statement, const ParameterValues& parameters, Catalog& catalog,
                      const ExecuteOptions& options);

// A record filter for Table::SetFilter from an expression in the dialect ("database1='ALLW'"). The columns
// are checked against the table at once (kSqlUnknownColumn naming the column and its place); the filter then
// evaluates the expression on the table's current record. The table must outlive the filter.
std::function<bool()> MakeRecordFilter(storage::Table& table, std::string_view expression);

}  // namespace ace::sql
