// Older field catalogue rows whose code column, width or kind the report writer now reads otherwise.

#include <string>
#include <vector>

#include "conversions/report_writer.h"
#include "conversions/work_table.h"

namespace kv::conversions {

namespace {

struct ColumnText {
  const char* column;
  const char* text;
};

struct FieldFix {
  const char* no;
  std::vector<ColumnText> changes;
};

const std::vector<FieldFix>& Fixes() {
  static const std::vector<FieldFix> fixes = {
      {"30", {{"code", "DEPARTMENT"}}},
      {"51", {{"code", "CATEGORY"}}},
      {"57", {{"code", "COST_CENTRE"}}},
      {"69", {{"code", "OCCUPATION"}}},
      {"140", {{"WIDTH", "30"}}},
      {"9", {{"TYPE1", "N"}, {"HIDE_WAGE", "T"}}},
  };
  return fixes;
}

}  // namespace

void FixReportFields(engine::TAdsTable& AdsTable1) {
  if (!OpenWorkTable(AdsTable1, "RTABLE", "NO")) return;
  for (const FieldFix& fix : Fixes()) {
    if (!AdsTable1.FindKey({std::string(fix.no)})) continue;
    AdsTable1.Edit();
    for (const ColumnText& c : fix.changes) AdsTable1.FieldByName(c.column).SetAsString(c.text);
    AdsTable1.Post();
  }
  CloseWorkTable(AdsTable1);
}

}  // namespace kv::conversions
