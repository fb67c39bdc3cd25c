#include "catalogue/create_all.h"

#include <exception>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/creation.h"
#include "catalogue/seed_rows.h"
#include "engine/owned.h"
#include "platform/fs.h"

namespace kv::catalogue {

namespace {

// The nationality table is checked between creators 128 and 129.
constexpr int kLastBeforeNationalityCheck = 128;

void CheckNationalityCodes(CreationContext& context) {
  engine::TAdsTable& table = context.AdsTable1;
  table.Close();
  // The work table may carry the order of its last user, which IRAS_NAT_2007 has no index for.
  table.SetIndexFieldNames("");
  table.SetTableName("IRAS_NAT_2007");
  table.Open();
  if (table.RecordCount() != 0) return;  // left open on the table; its next user closes it
  table.Close();
  SeedNationalityCodes(context.AdsQuerySQL);
}

}  // namespace

void CreateAllTables(const std::string& path, bool force, CreationContext& context) {
  const CreatorHooks hooks{context.ui, context.loadCpf2007Rates};
  const auto& tables = CompanyTables();
  for (const TableDefinition& definition : tables)
    if (definition.number <= kLastBeforeNationalityCheck) CreateTableFrom(definition, path, force, hooks);
  CheckNationalityCodes(context);
  for (const TableDefinition& definition : tables)
    if (definition.number > kLastBeforeNationalityCheck) CreateTableFrom(definition, path, force, hooks);
}

void CreateSupvrTbl(const std::string& path, bool force, ui::UserInterface& ui) {
  const TableDefinition& definition = SupvrtblDefinition();
  engine::TOwnedTable owned;
  engine::TAdsConnection& connection = owned.Connection();
  engine::TAdsTable& table = owned.Table();
  // 1. No creator login: the shared folder is never a dictionary.
  connection.SetConnectPath(path);
  connection.AdsServerTypes = engine::TAdsServerTypes{.stADS_REMOTE = true, .stADS_LOCAL = true, .stADS_AIS = false};
  ui.ProcessMessages();
  connection.Connect();
  table.SetTableName(std::string(definition.name));
  table.SetTableType(engine::TAdsTableTypes::ttAdsADT);
  // 2.
  std::string folder = path;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // 3.
  if (force || !table.Exists()) {
    for (const std::string& file : DeletionSet(definition)) kv::fs::DeleteFile(folder + file);
    table.AdsTableOptions.AdsCharType = engine::TAdsCharTypes::ANSI;
    table.FieldDefs.Clear();
    for (const engine::TFieldDef& field : ExpandFields(definition))
      table.FieldDefs.Add(field.Name, field.DataType, field.Size);
    try {
      table.CreateTable();
    } catch (...) {
      ui.MessageBox("Table " + std::string(definition.messageName) + " Could Not Be Created",
                    "Table Creation Failure");
      throw;
    }
    table.SetExclusive(true);
    table.Open();
    AddIndexes(definition, table);
    table.Close();
    return;
  }
  // 4. Reindex: the rows stay, the index file is made anew.
  std::optional<std::string> failure;
  try {
    kv::fs::DeleteFile(folder + "SUPVRTBL.ADI");
    table.SetExclusive(true);
    table.Open();
    AddIndexes(definition, table);
    table.Close();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (failure) ui.ShowMessage("Reindex error SUPVRTBL.ADT " + *failure);
}

void CreateMcompanyTable(const std::string& path, bool force, ui::UserInterface& ui) {
  CreateTableFrom(McompanyDefinition(), path, force, CreatorHooks{ui, {}});
}

}  // namespace kv::catalogue
