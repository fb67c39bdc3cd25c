// The drift check's protection concerns: the encryption the run gives free tables, and on dictionary companies
// the registration of the catalogue's tables, the standard rights and the auto-create property.

#include <algorithm>
#include <cctype>
#include <set>

#include "ace/ace_dictionary.h"
#include "catalogue/catalogue.h"
#include "console/drift_view.h"
#include "console/encrypted_tables.h"
#include "conversions/table_protection.h"
#include "engine/failure_of.h"
#include "support/strings.h"
#include "upgrade/column_lists.h"
#include "upgrade/dictionary_routines.h"
#include "upgrade/list_steps.h"

namespace kv::console {

namespace {

// Every free table a complete run leaves encrypted: the tax tables, the driver's own, and the lists' steps.
std::vector<std::string> TablesTheRunEncrypts() {
  std::vector<std::string> tables(std::begin(conversions::kTaxTables), std::end(conversions::kTaxTables));
  tables.push_back(kTransferTable);
  tables.insert(tables.end(), std::begin(kPasswordTables), std::end(kPasswordTables));
  tables.insert(tables.end(), std::begin(kSysContAndLoans), std::end(kSysContAndLoans));
  for (const upgrade::ColumnList* list : {&upgrade::ListD(), &upgrade::ListB(), &upgrade::ListN()})
    for (const upgrade::ColumnBlock& block : *list)
      for (const upgrade::ListEntry& entry : block.entries)
        if (const auto* step = std::get_if<upgrade::StepEntry>(&entry))
          if (const std::string_view table = upgrade::TableLeftEncryptedBy(step->step); !table.empty())
            tables.emplace_back(table);
  return tables;
}

// Whether the rights text holds every right of the wanted one.
bool HoldsRights(const std::string& held, std::string_view wanted) {
  const std::string upper = kv::UpperCase(held);
  return std::all_of(wanted.begin(), wanted.end(), [&](char right) {
    return upper.find(static_cast<char>(std::toupper(static_cast<unsigned char>(right)))) != std::string::npos;
  });
}

}  // namespace

void EncryptionDrift(CompanyView& company, std::vector<std::string>& lines) {
  if (company.Dictionary()) return;
  std::set<std::string> seen;
  for (const std::string& name : TablesTheRunEncrypts()) {
    if (!seen.insert(BareTableName(name)).second) continue;
    const TableShape& table = company.Table(name);
    if (table.exists && table.unreadable.empty() && !table.encrypted)
      lines.push_back("table " + BareTableName(name) + " not encrypted");
  }
}

void DictionaryDrift(CompanyView& company, std::vector<std::string>& lines) {
  if (!company.Dictionary()) return;
  std::string failure;
  engine::TAdsDictionary* dictionary = company.OpenDictionary(&failure);
  if (!dictionary) {
    lines.push_back("dictionary " + company.Code() + ".add cannot be opened: " + failure);
    return;
  }
  std::vector<std::string> registered;
  if (const auto error = engine::FailureOf([&] { dictionary->TableNames(registered); })) {
    lines.push_back("dictionary tables cannot be listed: " + *error);
    return;
  }
  std::set<std::string> names;
  for (const std::string& name : registered) {
    names.insert(kv::UpperCase(name));
    if (BareTableName(name) != kv::UpperCase(name))
      lines.push_back("table " + name + " registered under its file name");
  }
  for (const catalogue::TableDefinition& definition : catalogue::CompanyTables()) {
    const std::string bare = BareTableName(definition.name);
    if (company.Table(definition.name).exists && !names.count(bare))
      lines.push_back("table " + bare + " not registered in the dictionary");
  }
  for (const std::string& table : registered) {
    for (const upgrade::StandardRight& right : upgrade::StandardRights()) {
      std::string held;
      const ace::ResultCode result =
          ace::AdsDDGetObjectAccessRights(dictionary->Handle(), table, right.accessor, &held);
      if (result != 0)
        lines.push_back("rights of " + std::string(right.accessor) + " on " + table + " cannot be read (engine code " +
                        std::to_string(result) + ")");
      else if (!HoldsRights(held, right.rights))
        lines.push_back("rights of " + std::string(right.accessor) + " on " + table + " are \"" + held +
                        "\", wanted \"" + std::string(right.rights) + "\"");
    }
    std::uint16_t autoCreate = 0;
    if (const auto error = engine::FailureOf(
            [&] { autoCreate = dictionary->GetTableProperty16(table, ace::dd_property::kAutoCreate); }))
      lines.push_back("auto-create property of " + table + " cannot be read: " + *error);
    else if (autoCreate != 1)
      lines.push_back("auto-create property of " + table + " is " + std::to_string(autoCreate) + ", wanted 1");
  }
}

}  // namespace kv::console
