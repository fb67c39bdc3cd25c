#pragma once
// What the drift check reads of a company: each table's fields, index keys and encryption, read once through a
// connection of its own with the table opened shared and read-only; and the company's dictionary, when it has
// one, through an administrative connection that only asks.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/connection.h"
#include "engine/dictionary.h"
#include "engine/types.h"

namespace kv::console {

struct TableShape {
  struct Field {
    std::string name;
    engine::TFieldType type = engine::TFieldType::ftUnknown;
    int size = 0;  // characters of a char field
  };
  bool exists = false;
  std::string unreadable;  // the engine's text when the table could not be read
  std::vector<Field> fields;
  std::vector<std::string> indexKeys;   // each index's fields joined by ";", as the engine reports them
  std::vector<std::string> indexNames;  // in the same order
  std::uint64_t rows = 0;
  bool encrypted = false;

  const Field* FindField(std::string_view name) const;  // without regard to case
};

class CompanyView {
 public:
  CompanyView(std::string code, std::string folder, bool dictionary);
  ~CompanyView();
  CompanyView(const CompanyView&) = delete;
  CompanyView& operator=(const CompanyView&) = delete;

  const std::string& Code() const { return code_; }
  bool Dictionary() const { return dictionary_; }
  // The table's file in the company folder ("EMPLOYEE", "SYSCONT.ADT", "loans_red" reach one table each).
  const TableShape& Table(std::string_view name);

  // The dictionary connection, made on first use; nullptr with the engine's text in *failure when it cannot
  // be made.
  engine::TAdsDictionary* OpenDictionary(std::string* failure);

  // Every table of the company folder (each ".ADT" file), by upper-cased bare name.
  const std::map<std::string, TableShape>& AllTables();

  // One line for each table read so far that could not be read.
  void UnreadableTables(std::vector<std::string>& lines) const;

 private:
  std::string code_, folder_;
  bool dictionary_;
  engine::TAdsConnection connection_;
  std::map<std::string, TableShape> tables_;  // by upper-cased bare name
  std::unique_ptr<engine::TAdsDictionary> dictionaryObject_;
  std::optional<std::string> dictionaryFailure_;
};

// A table name as the lists and the catalogue write it, upper-cased and without ".ADT".
std::string BareTableName(std::string_view name);
// "char(8)" for a char field, else the type's name.
std::string TypeText(engine::TFieldType type, int size);

// The concerns, each adding its lines.
void TableDrift(CompanyView& company, std::vector<std::string>& lines);
void ColumnDrift(CompanyView& company, std::vector<std::string>& lines);
void IndexDrift(CompanyView& company, std::vector<std::string>& lines);
void EncryptionDrift(CompanyView& company, std::vector<std::string>& lines);
void DictionaryDrift(CompanyView& company, std::vector<std::string>& lines);

}  // namespace kv::console
