#include "console/registry_table.h"

#include "engine/engine.h"
#include "platform/fs.h"

namespace kv::console {

using engine::TFieldType;
using engine::TIndexOption;

void CreateMcompanyTable(kv::ui::UserInterface& ui, const std::string& path, bool force) {
  engine::TOwnedTable owned;
  engine::TAdsConnection& connection = owned.Connection();
  engine::TAdsTable& table = owned.Table();
  connection.SetConnectPath(path);
  table.SetTableName("mcompany.ADT");
  if (connection.IsDictionary()) {
    connection.Username = "ADSSYS";
    connection.Password = std::string(engine::kTablePassword);
    connection.LoginPrompt = false;
  }
  table.SetExclusive(true);
  table.SetTableType(engine::TAdsTableTypes::ttAdsADT);
  connection.Connect();
  if (!force && table.Exists()) return;

  std::string folder = path;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  for (const char* file : {"mcompany.ADT", "mcompany.ADM", "mcompany.ADI"}) kv::fs::DeleteFile(folder + file);

  table.AdsTableOptions.AdsCharType = engine::TAdsCharTypes::ANSI;
  table.FieldDefs.Clear();
  table.FieldDefs.Add("COMPANY_CODE", TFieldType::ftString, 8);
  table.FieldDefs.Add("COMPANY_NAME", TFieldType::ftString, 40);
  table.FieldDefs.Add("TOTAL_STAFF", TFieldType::ftInteger);
  table.FieldDefs.Add("PAYROLL_ACCESS_NO", TFieldType::ftInteger);
  table.FieldDefs.Add("MERGE", TFieldType::ftString, 1);
  table.FieldDefs.Add("BACKUPDATE2", TFieldType::ftDate);
  table.FieldDefs.Add("BACKUPDATE", TFieldType::ftDate);
  try {
    table.CreateTable();
  } catch (...) {
    ui.MessageBox("Table mcompany.ADT Could Not Be Created", "Table Creation Failure");
    throw;
  }
  table.Open();
  table.AddIndex("PRIMARY", "COMPANY_CODE", {TIndexOption::ixUnique, TIndexOption::ixExpression});
  table.Close();
}

}  // namespace kv::console
