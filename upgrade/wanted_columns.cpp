#include "upgrade/wanted_columns.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <utility>

#include "support/strings.h"
#include "upgrade/column_lists.h"
#include "upgrade/column_upgrade.h"
#include "upgrade/report_templates.h"

namespace kv::upgrade {

namespace {

int Characters(const std::string& size) {
  int value = 0;
  std::from_chars(size.data(), size.data() + size.size(), value);
  return value;
}

WantedColumn Named(const std::string& table, const std::string& column) {
  WantedColumn wanted;
  wanted.table = table;
  wanted.column = column;
  return wanted;
}

// The rows of requests in the order the run takes them: lists D, B and N, then the report templates' row.
std::vector<const ChangeRow*> RowsInRunOrder() {
  std::vector<const ChangeRow*> rows;
  for (const ColumnList* list : {&ListD(), &ListB(), &ListN()}) {
    for (const ColumnBlock& block : *list) {
      if (std::find(block.gates.begin(), block.gates.end(), Gate::ApprovalFlowTicked) != block.gates.end()) continue;
      for (const ListEntry& entry : block.entries)
        if (const auto* row = std::get_if<ChangeRow>(&entry); row != nullptr && !row->table.empty())
          rows.push_back(row);
    }
  }
  rows.push_back(&kTemplateColumnRow);
  return rows;
}

}  // namespace

std::vector<WantedColumn> WantedColumns() {
  std::vector<WantedColumn> wanted;
  std::map<std::pair<std::string, std::string>, std::size_t> at;  // upper-cased table and column
  for (const ChangeRow* row : RowsInRunOrder()) {
    for (const ColumnRequest& request : RequestsOf(*row)) {
      const auto key = std::pair{kv::ReplaceAll(kv::UpperCase(request.table), ".ADT", ""), kv::UpperCase(request.column)};
      auto [place, added] = at.try_emplace(key, wanted.size());
      if (added) wanted.push_back(Named(request.table, request.column));
      WantedColumn& column = wanted[place->second];
      const ColumnOutcome outcome = OutcomeOf(request.code, request.size);
      if (!outcome.present) {
        column = Named(column.table, column.column);
        column.present = false;
        continue;
      }
      // A column the lists dropped, or never named, is added as this request says.
      if (!column.present || added) {
        column.addedType = outcome.addedType;
        column.addedLength = outcome.addedType == engine::TFieldType::ftString ? Characters(request.size) : 0;
      }
      column.present = true;
      if (outcome.type) {
        column.type = outcome.type;
        column.length = outcome.length;
      }
    }
  }
  return wanted;
}

}  // namespace kv::upgrade
