// Career records gained columns for the state before each change. Walking each employee's records by
// progression date, a record's OLD_ columns take the state of the record before it; the earliest record of an
// employee takes its own state, as nothing came before it. A record without a division takes the employee's.
// A company older than 8.60 gets some of the state columns (COMPANY, SALARY_SCALE, GRADE, JOBGRADE) only later in
// the run: until then a missing state column reads as empty and a missing OLD_ column is left out.

#include <array>
#include <string>

#include "conversions/employee_records.h"
#include "conversions/table_access.h"

namespace kv::conversions {

namespace {

struct StateField {
  const char* field;
  const char* oldField;
};
constexpr std::array<StateField, 11> kState = {{{"DIVISION", "OLD_DIVISION"},
                                                {"CATEGORY", "OLD_CATEGORY"},
                                                {"DEPARTMENT", "OLD_DEPARTMENT"},
                                                {"COMPANY", "OLD_COMPANY"},
                                                {"SECTION", "OLD_SECTION"},
                                                {"COST_CENTRE", "OLD_COST_CENTRE"},
                                                {"CODE", "OLD_PROGRESSION"},
                                                {"SALARY_SCALE", "OLD_SCALE"},
                                                {"OCCUPATION", "OLD_OCCUPATION"},
                                                {"GRADE", "OLD_GRADE"},
                                                {"JOBGRADE", "OLD_JOBGRADE"}}};

using State = std::array<std::string, kState.size()>;

State StateOf(const engine::TAdsTable& t) {
  State s;
  for (std::size_t i = 0; i < kState.size(); ++i)
    if (const engine::TField* f = t.FindField(kState[i].field)) s[i] = f->AsString();
  return s;
}

}  // namespace

// An empty EMP_PROS has no record to fill: both tables are left closed and nothing is written.
void FillCareerHistory(RecordObjects& w) {
  engine::TAdsTable& careers = w.AdsTable1;
  if (!BindTable(careers, "EMP_PROS", "EMP_CODE;PROGRESSION_DATE")) return;
  if (!OpenPlaced(w, w.AdsTableEmp, true)) return;
  OpenProtected(w, careers);
  State previous;
  std::string employee;
  bool first = true;
  for (careers.First(); !careers.Eof(); careers.Next()) {
    careers.Edit();
    const std::string code = careers.FieldByName("EMP_CODE").AsString();
    if (careers.FieldByName("DIVISION").AsString().empty() && w.AdsTableEmp.FindKey({code}))
      careers.FieldByName("DIVISION").SetAsString(w.AdsTableEmp.FieldByName("DIVISION_CODE").AsString());
    const State own = StateOf(careers);
    if (first || code != employee) previous = own;
    first = false;
    employee = code;
    for (std::size_t i = 0; i < kState.size(); ++i)
      if (engine::TField* f = careers.FindField(kState[i].oldField)) f->SetAsString(previous[i]);
    careers.Post();
    previous = own;
  }
  careers.Close();
  w.AdsTableEmp.Close();
}

}  // namespace kv::conversions
