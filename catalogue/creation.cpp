#include "catalogue/creation.h"

#include <exception>
#include <optional>
#include <string>

#include "catalogue/seed_rows.h"
#include "engine/owned.h"
#include "platform/fs.h"

namespace kv::catalogue {

namespace {

using engine::TAdsConnection;
using engine::TAdsTable;
using engine::TIndexOption;
using engine::TIndexOptions;

void Encrypt(TAdsTable& table) {
  table.EnableEncryption(GetTablePassword());
  table.EncryptTable();
}

// The failure's text, copied so that the error (which silences further engine failures while it lives) is gone
// before anything else touches the engine.
template <typename Step>
std::optional<std::string> FailureOf(Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

void EncryptOnFreeTables(const TableDefinition& definition, const TAdsConnection& connection, TAdsTable& table,
                         ui::UserInterface& ui) {
  if (connection.IsDictionary()) return;
  if (!definition.guardedEncryption) {
    Encrypt(table);
    return;
  }
  if (const auto failure = FailureOf([&] { Encrypt(table); }))
    ui.ShowMessage(std::string(definition.guardedEncryptionWords) + *failure);
}

std::string CreationFailureText(const TableDefinition& definition) {
  return "Table " + std::string(definition.messageName) + " Could Not Be Created";
}

// Step 9 under the definition's failure rule; false when the table was not made and the creator ends quietly.
bool CreateUnderFailureRule(const TableDefinition& definition, TAdsTable& table, ui::UserInterface& ui) {
  if (definition.failure == FailureRule::ReportAndStop) {
    try {
      table.CreateTable();
    } catch (...) {
      ui.MessageBox(CreationFailureText(definition), "Table Creation Failure");
      throw;
    }
    return true;
  }
  if (!FailureOf([&] { table.CreateTable(); })) return true;
  if (definition.failure == FailureRule::ReportAndGoOn)
    ui.MessageBox(CreationFailureText(definition), "Table Creation Failure");
  else
    ui.ShowMessage(CreationFailureText(definition) + " Table Creation Failure");
  return false;
}

// What is done with a table that exists while force is off: nothing for most tables; the open check and the
// index top-up look at it, and neither lets a failure out.
void ExistingTableWithoutForce(const TableDefinition& definition, TAdsTable& table, ui::UserInterface& ui) {
  switch (definition.existing) {
    case ExistingRule::Keep:
    case ExistingRule::DropWhenForced:
      return;
    case ExistingRule::OpenCheck: {
      if (FailureOf([&] { table.Open(); })) ui.ShowMessage("Error opening File : " + table.TableName());
      table.Close();
      return;
    }
    case ExistingRule::IndexTopUp:
      (void)FailureOf([&] {
        table.Open();
        AddIndexes(definition, table);
        table.Close();
      });
      return;
  }
}

bool HasExtension(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot != std::string_view::npos && name.find('\\', dot) == std::string_view::npos;
}

}  // namespace

TIndexOptions IndexOptionsOf(IndexKind kind) {
  switch (kind) {
    case IndexKind::Unique:
      return {TIndexOption::ixUnique, TIndexOption::ixExpression};
    case IndexKind::Descending:
      return {TIndexOption::ixDescending, TIndexOption::ixExpression};
    case IndexKind::Plain:
      break;
  }
  return {TIndexOption::ixExpression};
}

void AddIndexes(const TableDefinition& definition, TAdsTable& table) {
  for (const IndexDef& index : definition.indexes)
    table.AddIndex(std::string(index.name), std::string(index.key), IndexOptionsOf(index.kind));
}

std::string GetTablePassword() { return std::string(engine::kTablePassword); }

void SetCreatorLogin(TAdsConnection& connection, TAdsTable& table) {
  if (connection.IsDictionary()) {
    connection.Username = "ADSSYS";
    connection.Password = GetTablePassword();
    connection.LoginPrompt = false;
  }
  table.SetExclusive(true);
}

std::vector<engine::TFieldDef> ExpandFields(const TableDefinition& definition) {
  std::vector<engine::TFieldDef> fields;
  const auto add = [&](const FieldDef& field, const std::string& suffix) {
    const int size = field.type == engine::TFieldType::ftString ? field.size : 0;
    fields.push_back({std::string(field.name) + suffix, field.type, size});
  };
  for (const FieldItem& item : definition.fields) {
    if (const auto* field = std::get_if<FieldDef>(&item)) {
      add(*field, "");
      continue;
    }
    const auto& run = std::get<FieldRun>(item);
    for (int n = run.first; n <= run.last; ++n)
      for (const FieldDef& field : run.pattern) add(field, std::to_string(n));
  }
  return fields;
}

std::vector<std::string> DeletionSet(const TableDefinition& definition) {
  std::vector<std::string> files;
  if (definition.deletionSet) {
    for (std::string_view file : *definition.deletionSet) files.emplace_back(file);
    return files;
  }
  std::string_view base = definition.name;
  if (HasExtension(base)) base = base.substr(0, base.rfind('.'));
  for (const char* extension : {".ADT", ".ADM", ".ADI"}) files.push_back(std::string(base) + extension);
  return files;
}

void CreateTableFrom(const TableDefinition& definition, const std::string& path, bool force,
                     const CreatorHooks& hooks) {
  // 1, 14: the pair is freed table first, then connection, however this ends.
  engine::TOwnedTable owned;
  TAdsConnection& connection = owned.Connection();
  TAdsTable& table = owned.Table();
  // 2-4.
  connection.SetConnectPath(path);
  connection.AdsServerTypes = engine::TAdsServerTypes{.stADS_REMOTE = true, .stADS_LOCAL = true, .stADS_AIS = false};
  table.SetTableName(std::string(definition.name));
  SetCreatorLogin(connection, table);
  table.SetTableType(engine::TAdsTableTypes::ttAdsADT);
  hooks.ui.ProcessMessages();
  connection.Connect();

  // 5.
  const bool exists = table.Exists();
  if (exists && !force) {
    ExistingTableWithoutForce(definition, table, hooks.ui);
    return;
  }
  if (exists && definition.existing == ExistingRule::DropWhenForced) {
    connection.Execute("DROP TABLE [" + std::string(definition.name) + "];");
  } else {
    // 6. The names come from the path itself: on a dictionary path they lie under the dictionary file and name
    // nothing, so nothing is deleted there.
    std::string folder = path;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    for (const std::string& file : DeletionSet(definition)) kv::fs::DeleteFile(folder + file);
    // The engine makes no table over an existing one. A table that force replaces and that its deletion set
    // left in place is removed through the engine instead: deleted when it is a free table (its set is empty),
    // dropped with its registration when the path is a dictionary's (the set names nothing there).
    if (exists && table.Exists()) {
      if (connection.IsDictionary())
        connection.Execute("DROP TABLE [" + std::string(definition.name) + "];");
      else
        table.DeleteTable();
    }
  }

  // 7, 8.
  if (!definition.rightsCheck) table.AdsTableOptions.AdsRightsCheck = false;
  table.AdsTableOptions.AdsCharType = engine::TAdsCharTypes::ANSI;
  table.FieldDefs.Clear();
  for (const engine::TFieldDef& field : ExpandFields(definition))
    table.FieldDefs.Add(field.Name, field.DataType, field.Size);

  // 9.
  if (!CreateUnderFailureRule(definition, table, hooks.ui)) return;

  // 10-13. Failures from here on go on to the caller; the table stays as far as it got.
  const bool encryptsOnFreeTables = definition.encryption == EncryptionRule::FreeTableBeforeIndexes ||
                                    definition.encryption == EncryptionRule::FreeTableAfterIndexes;
  const bool needsOpen = !definition.indexes.empty() || encryptsOnFreeTables ||
                         definition.encryption == EncryptionRule::AlwaysAfterRows ||
                         definition.after == AfterCreation::SystemControlRows;
  if (needsOpen) {
    table.Open();
    if (definition.encryption == EncryptionRule::FreeTableBeforeIndexes)
      EncryptOnFreeTables(definition, connection, table, hooks.ui);
    AddIndexes(definition, table);
    if (definition.encryption == EncryptionRule::FreeTableAfterIndexes)
      EncryptOnFreeTables(definition, connection, table, hooks.ui);
    if (definition.after == AfterCreation::SystemControlRows) WriteSystemControlRows(table);
    if (definition.encryption == EncryptionRule::AlwaysAfterRows) Encrypt(table);
    table.Close();
  }
  if (definition.after == AfterCreation::Cpf2007Rates && hooks.loadCpf2007Rates) hooks.loadCpf2007Rates();
}

}  // namespace kv::catalogue
