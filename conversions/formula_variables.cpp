// The formula variables of the free numeric fields of EMPMISC and of the working days per month.

#include <string>
#include <vector>

#include "conversions/report_writer.h"
#include "conversions/work_table.h"

namespace kv::conversions {

namespace {

struct FormulaVariable {
  std::string field, desc, fieldtable, table;
};

std::vector<FormulaVariable> Variables() {
  std::vector<FormulaVariable> variables;
  for (int n = 1; n <= 10; ++n)
    variables.push_back({"VA" + std::to_string(59 + n), "FREE NUMERIC" + std::to_string(n),
                         "NUMERIC" + std::to_string(n), "EMPMISC"});
  variables.push_back({"VA70", "Working Day Per month", "", ""});
  return variables;
}

}  // namespace

void AddFormulaVariables(engine::TAdsTable& AdsTable1) {
  if (!OpenWorkTable(AdsTable1, "FORMULA", "FIELD")) return;
  for (const FormulaVariable& v : Variables()) {
    if (AdsTable1.FindKey({v.field})) continue;
    AdsTable1.Append();
    AdsTable1.FieldByName("field").SetAsString(v.field);
    AdsTable1.FieldByName("desc").SetAsString(v.desc);
    AdsTable1.FieldByName("fieldtable").SetAsString(v.fieldtable);
    AdsTable1.FieldByName("table").SetAsString(v.table);
    AdsTable1.Post();
  }
  CloseWorkTable(AdsTable1);
}

}  // namespace kv::conversions
