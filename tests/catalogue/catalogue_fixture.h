#pragma once
// What the catalogue tests share: a company folder (or a dictionary in it), a look at a table as a person with
// the query shell would see it, and the engine's call trace around a piece of work.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ace/ace.h"
#include "ace/ace_dictionary.h"
#include "common/engine_trace.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ui.h"

namespace kv::catalogue::testing {

using engine::TFieldType;

using kv::testing::CallsOf;
using kv::testing::Traced;

// A table as it stands on disk: its fields ("NAME ftType size" for strings, "NAME ftType" otherwise), its
// indexes ("NAME KEY" with " unique" or " descending" after), whether it is encrypted, how many rows it has.
struct TableSeen {
  std::vector<std::string> fields;
  std::vector<std::string> indexes;
  bool encrypted = false;
  std::uint64_t rows = 0;
};

inline TableSeen Look(const std::string& connectPath, const std::string& name) {
  engine::TAdsConnection connection;
  connection.SetConnectPath(connectPath);
  if (connection.IsDictionary()) {
    connection.Username = "ADSSYS";
    connection.Password = std::string(engine::kTablePassword);
  }
  engine::TAdsTable table;
  table.SetAdsConnection(&connection);
  table.SetTableName(name);
  table.Open();
  TableSeen seen;
  seen.encrypted = table.IsTableEncrypted();
  if (seen.encrypted) table.EnableEncryption(engine::kTablePassword);
  for (const auto& owned : table.Fields()) {
    const engine::TField& field = *owned;
    std::string text = field.FieldName() + " " + std::string(engine::FieldTypeName(field.DataType()));
    if (field.DataType() == TFieldType::ftString) text += " " + std::to_string(field.Size());
    seen.fields.push_back(text);
  }
  table.UpdateIndexDefs();
  for (const engine::TIndexDef& index : table.IndexDefs) {
    std::string text = index.Name + " " + index.Key();
    if (index.Options.Has(engine::TIndexOption::ixUnique)) text += " unique";
    if (index.Options.Has(engine::TIndexOption::ixDescending)) text += " descending";
    seen.indexes.push_back(text);
  }
  seen.rows = table.RecordCount();
  table.Close();
  return seen;
}

// Appends one row to a table, giving each named field its text.
inline void AppendRow(const std::string& connectPath, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& values) {
  engine::TAdsConnection connection;
  connection.SetConnectPath(connectPath);
  if (connection.IsDictionary()) {
    connection.Username = "ADSSYS";
    connection.Password = std::string(engine::kTablePassword);
  }
  engine::TAdsTable table;
  table.SetAdsConnection(&connection);
  table.SetTableName(name);
  table.Open();
  if (table.IsTableEncrypted()) table.EnableEncryption(engine::kTablePassword);
  table.Append();
  for (const auto& [field, text] : values) table.FieldByName(field).SetAsString(text);
  table.Post();
  table.Close();
}

// Every file of a folder with its size and modification time, to show that a call changed nothing.
inline std::vector<std::string> FolderState(const std::filesystem::path& folder) {
  std::vector<std::string> state;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    state.push_back(entry.path().filename().string() + " " + std::to_string(entry.file_size()) + " " +
                    std::to_string(entry.last_write_time().time_since_epoch().count()));
  }
  std::sort(state.begin(), state.end());
  return state;
}

// A company folder; Dictionary() makes ABC.add in it and gives its path.
class CompanyFolder : public ::testing::Test {
 protected:
  std::string Folder() const { return dir.Path().string(); }              // without a trailing backslash
  std::string FolderWithBackslash() const { return dir.SuitePath(); }      // with it
  bool FileThere(const std::string& name) const { return std::filesystem::exists(dir.Path() / name); }
  std::string Dictionary() {
    const std::string path = dir.SuitePath() + "ABC.add";
    ace::AdsHandle admin = 0;
    EXPECT_EQ(ace::AdsDDCreate(path, std::string(engine::kTablePassword), "", &admin), 0u);
    ace::AdsDisconnect(admin);
    return path;
  }
  // The table names registered in the dictionary.
  static std::vector<std::string> Registered(const std::string& dictionary) {
    engine::TAdsDictionary dd;
    dd.SetConnectPath(dictionary);
    dd.UserName = "ADSSYS";
    dd.Password = std::string(engine::kTablePassword);
    dd.Connect();
    std::vector<std::string> names;
    dd.TableNames(names);
    dd.Disconnect();
    return names;
  }

  kv::testing::TempFolder dir;
  ui::ScriptedUi ui;
};

}  // namespace kv::catalogue::testing
