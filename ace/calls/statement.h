#pragma once
// Where the names of a statement lead on a connection: the Catalog through which the SQL executor opens, drops
// and describes tables, and keeps a data dictionary true.
//
// On a free-table connection a table name is a file in the connection's folder (found without regard to case,
// ".ADT" added when the name has none). On a dictionary connection a registered name comes first, then a file
// in the dictionary's folder. An encrypted table opens with the dictionary's secret when it is encrypted with
// it (see GiveDictionaryKey), else with the statement's password for that table, else with its general password;
// without one the statement fails before it reads anything.

#include <string>

#include "ace/calls/handles.h"
#include "ace/sql/executor.h"

namespace ace::detail {

class ConnectionCatalog : public sql::Catalog {
 public:
  ConnectionCatalog(AdsHandle connection, const StatementObject& statement);

  std::unique_ptr<storage::Table> Open(const sql::TableRef& table, char right, storage::Table::Options options) override;
  void DropTable(const sql::TableRef& table) override;
  void TagAdded(const sql::TableRef& table, const storage::TagDefinition& tag) override;
  void TagRemoved(const sql::TableRef& table, const std::string& tag) override;
  void TagsReplaced(const sql::TableRef& table, const std::vector<storage::TagDefinition>& before,
                    const std::vector<storage::TagDefinition>& after) override;
  void CreateProcedure(const sql::CreateProcedureStatement& procedure) override;

  // The registered name of the table opened last ("" for a free table): a SELECT * cursor checks the user's
  // rights for its edits under it.
  const std::string& LastDictionaryName() const { return lastDictionaryName_; }

 private:
  struct Located {
    std::filesystem::path path;
    std::string dictionaryName;  // registered name, empty for a free table
  };
  Located Locate(const sql::TableRef& table);
  ConnectionObject& Connection();
  void RequireTableRight(const Located& where, char right);

  AdsHandle connection_;
  const StatementObject& statement_;
  std::string lastDictionaryName_;
};

// A table name as statements and passwords name it: without folder and ".ADT", in upper case.
std::string TableKey(std::string_view name);

}  // namespace ace::detail
