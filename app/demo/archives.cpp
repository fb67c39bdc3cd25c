#include "app/demo/archives.h"

#include <functional>
#include <string_view>
#include <vector>

#include "app/demo/demo_tables.h"
#include "app/demo/files.h"
#include "app/demo/report_writer_tables.h"
#include "app/demo/table_maker.h"
#include "app/demo/wallpaper.h"
#include "catalogue/catalogue.h"
#include "catalogue/creation.h"
#include "engine/connection.h"
#include "engine/table.h"
#include "platform/fs.h"
#include "platform/zip.h"
#include "support/strings.h"

namespace kv::demo {
namespace {

using RowValues = std::vector<std::vector<std::string_view>>;

// A table the release ships: made from the catalogue's definition when it has one, else from the demo's layout
// (table names as the catalogue spells them), with its rows in field order, in clear, as the suite's archives
// hold them (the upgrade encrypts what must be encrypted once it is in the company).
struct ShippedTable {
  std::string_view name;
  RowValues rows;
};

const std::vector<ShippedTable>& UpdateArchiveTables() {
  static const std::vector<ShippedTable> tables{
      {"UPDATETBL",
       {{"PAYROLL", "EMPLOYEE", "EMAIL", "9.07"}, {"PAYROLL", "PAYPARA", "IRAS_TAX_REF", "9.07"},
        {"LEAVE", "LEAV_TRX", "ID", "9.07"}}},
      {"OUTGL_D",
       {{"GL01", "HDR", "F01", "1", "8", "Account code", "ACCOUNT"},
        {"GL01", "AMT", "F02", "9", "22", "Amount", "AMOUNT"}}},
      {"GTABLE", {{"SAL", "Salaries and wages", "E"}, {"CPF", "CPF contributions", "E"}, {"ACC", "Accruals", "L"}}},
  };
  return tables;
}

const std::vector<ShippedTable>& ReportWriterTables() {
  static const std::vector<ShippedTable> tables{
      {"rbTable", {{"EMPLOYEE", "Employees", "1"}, {"P_HTRX", "Payroll history", "2"}}},
      {"rbField",
       {{"EMPLOYEE", "EMP_NO", "Employee no", "dtString", "T", "T", "T", "F", "F", "F"},
        {"EMPLOYEE", "EMP_NAME", "Name", "dtString", "T", "T", "T", "T", "F", "F"},
        {"P_HTRX", "GROSS_WAGE", "Gross wage", "dtDouble", "T", "F", "T", "F", "F", "T"}}},
      {"rbJoin", {{"EMPLOYEE", "P_HTRX", "dtInnerJoin", "EMP_NO", "=", "EMP_NO"}}},
  };
  return tables;
}

const catalogue::TableDefinition* CatalogueDefinition(std::string_view name) {
  for (const catalogue::TableDefinition& definition : catalogue::CompanyTables())
    if (SameText(definition.name, name)) return &definition;
  return nullptr;
}

void WriteRows(engine::TAdsTable& table, const RowValues& rows) {
  for (const auto& row : rows) {
    table.Append();
    for (std::size_t i = 0; i < row.size(); ++i) table.Fields()[i]->SetAsString(std::string(row[i]));
    table.Post();
  }
}

void MakeShippedTable(engine::TAdsConnection& connection, const ShippedTable& shipped) {
  const RowWriter rows = [&](engine::TAdsTable& t) { WriteRows(t, shipped.rows); };
  const catalogue::TableDefinition* definition = CatalogueDefinition(shipped.name);
  if (definition == nullptr) {
    CreateDemoTable(connection, DemoTable(shipped.name), rows);
    return;
  }
  engine::TAdsTable table;
  table.SetAdsConnection(&connection);
  table.SetTableName(std::string(shipped.name));
  table.SetExclusive(true);
  for (const engine::TFieldDef& field : catalogue::ExpandFields(*definition))
    table.FieldDefs.Add(field.Name, field.DataType, field.Size);
  table.CreateTable();
  table.Open();
  rows(table);
  catalogue::AddIndexes(*definition, table);
  table.Close();
}

// Writes the loose files beside the archive, packs them under their bare names, and removes them again, so that
// the installation holds only the archive.
void Archive(const std::string& dataPath, const std::string& archive, const std::vector<std::string>& looseFiles) {
  zip::ZipComponent zip;
  zip.SetZipFilename(dataPath + "\\" + archive);
  zip.SetFilesToProcess({});
  for (const std::string& file : looseFiles) zip.AddFilesToProcess(file);
  try {
    zip.Zip();
  } catch (...) {
    for (const std::string& file : looseFiles) fs::DeleteFile(file);
    throw;
  }
  for (const std::string& file : looseFiles) fs::DeleteFile(file);
}

// The loose file of `entry` with `content`, and the files of the shipped tables, in the data path.
std::vector<std::string> LooseFiles(const std::string& dataPath, const std::vector<ShippedTable>& tables,
                                    const std::string& entry = "", const std::string& content = "") {
  std::vector<std::string> files;
  if (!entry.empty()) {
    files.push_back(dataPath + "\\" + entry);
    WriteNewFile(files.back(), content);
  }
  engine::TAdsConnection connection;
  connection.SetConnectPath(dataPath);
  for (const ShippedTable& table : tables) {
    MakeShippedTable(connection, table);
    for (const fs::FindEntry& file : fs::FindFiles(dataPath + "\\" + std::string(table.name) + ".*"))
      if (!file.isFolder) files.push_back(dataPath + "\\" + file.name);
  }
  connection.Disconnect();
  return files;
}

}  // namespace

void MakeReleaseArchives(const std::string& dataPath) {
  Archive(dataPath, "wallpaper.zip", LooseFiles(dataPath, {}, "wallpaper.jpg", EncodeWallpaperJpeg()));
  MakeReleaseClaimTemplates(dataPath);
  std::vector<std::string> update =
      LooseFiles(dataPath, UpdateArchiveTables(), "eQuillon.aep",
                 "eQuillon extended procedures for KV8 - placeholder of the demo installation.\r\n"
                 "The upgrade extracts this file and registers it as the procedure library; it never reads it.\r\n");
  for (const char* made : {"CLMTMPL.ADT", "CLMTMPL.ADI"}) update.push_back(dataPath + "\\" + made);
  Archive(dataPath, "UPDATEKV8.ZIP", update);
  Archive(dataPath, "RPTDATA.ZIP", LooseFiles(dataPath, ReportWriterTables()));
}

}  // namespace kv::demo
