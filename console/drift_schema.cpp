// The drift check's schema concerns: the catalogue's tables, the columns the lists leave, the wanted indexes.

#include <set>
#include <utility>

#include "catalogue/catalogue.h"
#include "console/drift_view.h"
#include "support/strings.h"
#include "upgrade/index_upgrade.h"
#include "upgrade/wanted_columns.h"

namespace kv::console {

void TableDrift(CompanyView& company, std::vector<std::string>& lines) {
  for (const catalogue::TableDefinition& definition : catalogue::CompanyTables()) {
    const TableShape& table = company.Table(definition.name);
    if (!table.exists) lines.push_back("table " + BareTableName(definition.name) + " missing");
  }
}

void ColumnDrift(CompanyView& company, std::vector<std::string>& lines) {
  for (const upgrade::WantedColumn& wanted : upgrade::WantedColumns()) {
    const TableShape& table = company.Table(wanted.table);
    // A missing table is the catalogue's concern (the lists pass over tables a company lacks).
    if (!table.exists || !table.unreadable.empty()) continue;
    const std::string name = BareTableName(wanted.table) + "." + wanted.column;
    const TableShape::Field* field = table.FindField(wanted.column);
    if (!wanted.present) {
      if (field) lines.push_back("column " + name + " still there, the run drops it");
      continue;
    }
    if (!field) {
      lines.push_back("column " + name + " missing" +
                      (wanted.addedType ? " (added as " + TypeText(*wanted.addedType, wanted.addedLength) + ")" : ""));
      continue;
    }
    if (wanted.type && (field->type != *wanted.type || (wanted.length && field->size != *wanted.length)))
      lines.push_back("column " + name + " is " + TypeText(field->type, field->size) + ", wanted " +
                      TypeText(*wanted.type, wanted.length.value_or(0)));
  }
}

void IndexDrift(CompanyView& company, std::vector<std::string>& lines) {
  std::vector<std::pair<std::string, std::string>> wanted;  // table, key fields of the index the run makes
  for (const upgrade::WantedIndex& index : upgrade::WantedIndexes())
    if (!company.Dictionary() || (index.flags & upgrade::kEveryMode))
      wanted.emplace_back(index.table, upgrade::FieldsMadeBy(index));
  if (company.Dictionary())
    for (const upgrade::RebuiltIndex& index : upgrade::RebuiltIndexes()) wanted.emplace_back(index.table, index.fields);
  std::set<std::pair<std::string, std::string>> seen;
  for (const auto& [tableName, fields] : wanted) {
    if (!seen.insert({tableName, fields}).second) continue;
    const TableShape& table = company.Table(tableName);
    if (!table.exists || !table.unreadable.empty()) continue;
    bool found = false;
    // The key fields in their order, whatever the index's name and the letters' case: as the run looks for it.
    for (const std::string& key : table.indexKeys) found = found || SameText(key, fields);
    if (!found) lines.push_back("index of " + tableName + " on " + fields + " missing");
  }
}

}  // namespace kv::console
