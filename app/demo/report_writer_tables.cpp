#include "app/demo/report_writer_tables.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "app/demo/demo_tables.h"
#include "app/demo/table_maker.h"
#include "engine/connection.h"

namespace kv::demo {
namespace {

using Texts = std::initializer_list<std::pair<const char*, std::string>>;

// One appended row, each value set as text; a field the table's older layout lacks is passed over.
void Append(engine::TAdsTable& t, Texts texts) {
  t.Append();
  for (const auto& [field, value] : texts)
    if (engine::TField* f = t.FindField(field)) f->SetAsString(value);
  t.Post();
}

struct Allowance {
  const char *code, *desc;
  int field;  // the report field number the allowance had before the release
};
// The allowance codes the payroll uses, with the numbers the company's report writer gave them one by one.
constexpr Allowance kAllowances[] = {{"TRANS", "TRANSPORT ALLOWANCE", 1001}, {"SHIFT", "SHIFT ALLOWANCE", 1002},
                                     {"MEAL", "MEAL ALLOWANCE", 1003},      {"CAR", "CAR ALLOWANCE", 1004},
                                     {"HOUSING", "HOUSING ALLOWANCE", 1005}, {"PHONE", "HANDPHONE ALLOWANCE", 1006}};

struct TemplateLine {
  int tmplno, fieldno;
  const char *name, *desc, *control;
  int size;
};

// Three claim templates (medical, dental, transport) as the company set them up.
constexpr TemplateLine kCompanyTemplates[] = {
    {1, 1, "CLINIC", "Clinic", "EDIT", 40},        {1, 2, "DIAGNOSIS", "Diagnosis", "LOOKUP", 8},
    {1, 3, "RECEIPT", "Receipt No", "EDIT", 12},   {2, 1, "CLINIC", "Dental Clinic", "EDIT", 40},
    {2, 2, "TREATMENT", "Treatment", "EDIT", 30},  {3, 1, "FROM", "From", "EDIT", 30},
    {3, 2, "TO", "To", "EDIT", 30},                {3, 3, "PURPOSE", "Purpose", "EDIT", 40},
};

// The release's templates: the transport claim gains vehicle, mileage and toll lines; the others stand as
// shipped before.
constexpr TemplateLine kReleaseTemplates[] = {
    {1, 1, "CLINIC", "Clinic", "EDIT", 40},          {1, 2, "DIAGNOSIS", "Diagnosis", "LOOKUP", 8},
    {1, 3, "RECEIPT", "Receipt No", "EDIT", 12},     {2, 1, "CLINIC", "Dental Clinic", "EDIT", 40},
    {2, 2, "TREATMENT", "Treatment", "EDIT", 30},    {3, 1, "FROM", "From", "EDIT", 30},
    {3, 2, "TO", "To", "EDIT", 30},                  {3, 3, "PURPOSE", "Purpose", "EDIT", 40},
    {3, 4, "VEHICLE", "Vehicle No", "EDIT", 10},     {3, 5, "MILEAGE", "Mileage (km)", "NUMERIC", 6},
    {3, 6, "TOLL", "ERP and Parking", "NUMERIC", 8},
};

template <std::size_t N>
void WriteTemplateLines(engine::TAdsTable& t, const TemplateLine (&lines)[N]) {
  for (const TemplateLine& l : lines)
    Append(t, {{"TMPLNO", std::to_string(l.tmplno)},
               {"FIELDNO", std::to_string(l.fieldno)},
               {"FIELDNAME", l.name},
               {"FIELDDESC", l.desc},
               {"ASS_CTRL", l.control},
               {"INPUTSIZE", std::to_string(l.size)},
               {"DISPSIZE", std::to_string(l.size)},
               {"PAGETAKE", "1"}});
}

}  // namespace

// Labels of the first ten free fields, and one of the new ones that a module named already.
void WriteFreeFieldLabels(engine::TAdsTable& t) {
  for (int n = 1; n <= 10; ++n)
    Append(t, {{"MODULE", "EMP"},
               {"LINE", std::to_string(n)},
               {"CTLFIELD", "FIELD" + std::to_string(n)},
               {"DESCRIPTION", "Free field " + std::to_string(n)},
               {"CAPTION", "Free field " + std::to_string(n)}});
  Append(t, {{"MODULE", "HR"},
             {"LINE", "1"},
             {"CTLFIELD", "FIELD12"},
             {"DESCRIPTION", "Uniform size"},
             {"CAPTION", "Uniform size"}});
}

// The variables the company's formulas use; VA60 is there already, under a name of the company's own.
void WriteFormulaVariables(engine::TAdsTable& t) {
  static constexpr const char* kVariables[][4] = {
      {"VA01", "BASIC SALARY", "BASIC_SALARY", "EMPLOYEE"}, {"VA02", "DAILY RATE", "DAILY_RATE", "P_HTRX"},
      {"VA03", "HOURLY RATE", "HOURLY_RATE", "P_HTRX"},     {"VA04", "WORKING DAYS", "WORKING_DAYS", "PAYPARA1"},
      {"VA05", "OT RATE 1.5", "OT_RATE1", "PAYPARA1"},      {"VA60", "LONG SERVICE POINTS", "NUMERIC1", "EMPMISC"},
  };
  for (const auto& v : kVariables)
    Append(t, {{"FIELD", v[0]}, {"DESC", v[1]}, {"FIELDTABLE", v[2]}, {"TABLE", v[3]}});
}

// Two report layouts: a payroll register and an allowance list, whose allowance columns carry the allowances'
// old field numbers (one of them stale).
void WriteReportColumns(engine::TAdsTable& t) {
  struct Column {
    const char *report, *database, *field, *code, *heading;
    int col;
  };
  static constexpr Column kColumns[] = {
      {"PAYREG", "EMPLOYEE", "EMP_NO", "", "EMPLOYEE NO", 1},
      {"PAYREG", "EMPLOYEE", "EMP_NAME", "", "EMPLOYEE NAME", 2},
      {"PAYREG", "P_HTRX", "NETT_WAGE", "", "NETT WAGE", 203},
      {"PAYREG", "ALLW", "TRANS", "AMOUNT", "TRANSPORT", 1001},
      {"PAYREG", "ALLW", "MEAL", "AMOUNT", "MEAL", 1003},
      {"ALLWLIST", "EMPLOYEE", "EMP_NO", "", "EMPLOYEE NO", 1},
      {"ALLWLIST", "ALLW", "CAR", "AMOUNT", "CAR", 1004},
      {"ALLWLIST", "ALLW", "SHIFT", "AMOUNT", "SHIFT", 999},
      {"ALLWLIST", "ALLW", "HOUSING", "AMOUNT", "HOUSING", 1005},
  };
  int id = 0;
  for (const Column& c : kColumns)
    Append(t, {{"RPTCODE", c.report},
               {"ID", std::to_string(++id)},
               {"DATABASE1", c.database},
               {"FIELD", c.field},
               {"CODE", c.code},
               {"HEADING", c.heading},
               {"COL", std::to_string(c.col)}});
}

// Each allowance code for the years 2009 and 2010, under its old report field number.
void WriteAllowanceCodes(engine::TAdsTable& t) {
  for (const char* year : {"2009", "2010"})
    for (const Allowance& a : kAllowances)
      Append(t, {{"ALLOW_CODE", a.code}, {"YEAR", year}, {"DESC", a.desc}, {"TRNNO", std::to_string(a.field)}});
}

// The next free report field number, after the allowances'.
void WriteRunningNumbers(engine::TAdsTable& t) { Append(t, {{"TRNNO", "1007"}}); }

void WriteClaimTemplates(engine::TAdsTable& t) { WriteTemplateLines(t, kCompanyTemplates); }

void MakeReleaseClaimTemplates(const std::string& folder) {
  engine::TAdsConnection connection;
  connection.SetConnectPath(folder);
  connection.Connect();
  CreateDemoTable(connection, DemoTable("CLMTMPL"),
                  [](engine::TAdsTable& t) { WriteTemplateLines(t, kReleaseTemplates); });
  connection.Disconnect();
}

}  // namespace kv::demo
