// Two small per-company tasks of the run: the income tax number of a work pass holder filled from the pass
// number, and the standard "other" reminder codes of the report settings.

#include <string>

#include "console/form.h"
#include "console/guards.h"

namespace kv::console {

namespace {

struct ReminderCode {
  const char* code;
  const char* description;
  bool enabled;
  const char* field;
  const char* table;
  const char* value;
};

constexpr ReminderCode kOtherReminders[] = {
    {"06", "TENURE OF SERVICE EXPIRY DATE", true, "EXPIRY_DATE", "EMPLOYMT", "1"},
    {"07", "VACCINATION EXPIRY DATE", false, "VAC_DATE_EXP", "VACCINATION", "1"},
    {"08", "INCREMENT REVIEW DATE", true, "INCRE_REVIEW_DATE", "EMP_PROS", "1"},
    {"09", "NEXT APPRAISAL DATE", false, "NEXT_APPR_DATE", "APPR", "1"},
    {"10", "DEMERIT POINT", false, "DEMERIT_POINT", "DISC", "50"},
    {"11", "TRANSFER/PROMOTION REVIEW DATE", false, "NEXT_INCR_DATE", "EMP_PROS", "1"},
    {"12", "BENEFIT/RETIRED BENEFIT", false, "RETURN_DATE", "BENEFIT", "1"},
    {"13", "TRAINING CERTIFICATION EXPIRY DATE", false, "EXPIRY_DATE", "TRAINING", "1"},
    {"14", "MATERNITY START DATE", false, "MATE", "EMPLEAVE", "1"},
    {"15", "ENHANCED CHILDCARE SUBMISSION DATE", false, "ECHILD_DATE", "LEAV_TRX", "1"},
    {"16", "PASSPORT EXPIRY DATE", true, "PASSPORT_EXPIRE_DATE", "EMPLOYEE", "1"},
};

}  // namespace

void TForm1::FillFinNumbers() {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.SetTableName("EMPLOYEE");
  AdsTable1.Open();
  if (!AdsConnection1.IsDictionary()) AdsTable1.EnableEncryption(engine::kTablePassword);
  for (AdsTable1.First(); !AdsTable1.Eof(); AdsTable1.Next()) {
    const std::string pass = AdsTable1.FieldByName("EMP_PASS_AC_NO").AsString();
    if (!AdsTable1.FieldByName("INCOME_TAX_AC_NO").AsString().empty() || pass.empty()) continue;
    if (pass[0] < 'A' || pass[0] > 'Z') continue;
    AdsTable1.Edit();
    AdsTable1.FieldByName("INCOME_TAX_AC_NO").SetAsString(pass);
    AdsTable1.Post();
  }
  AdsTable1.Close();
}

// A failure ends the task without a word; the table is closed and its order cleared in every case.
void TForm1::SeedReportCodes() {
  FailureIgnored([&] {
    AdsTable1.Close();
    AdsTable1.SetIndexFieldNames("RPTTYPE;REPCODE");
    AdsTable1.SetTableName("AUTOSET.adt");
    AdsTable1.Open();
    for (const ReminderCode& r : kOtherReminders) {
      if (AdsTable1.FindKey({"OTH", r.code})) continue;
      AdsTable1.Append();
      AdsTable1.FieldByName("RPTTYPE").SetAsString("OTH");
      AdsTable1.FieldByName("REPCODE").SetAsString(r.code);
      AdsTable1.FieldByName("REPDESC").SetAsString(r.description);
      AdsTable1.FieldByName("ENABLED").SetAsBoolean(r.enabled);
      AdsTable1.FieldByName("FIELDNAME").SetAsString(r.field);
      AdsTable1.FieldByName("DATABASENAME").SetAsString(r.table);
      AdsTable1.FieldByName("VALUE").SetAsString(r.value);
      AdsTable1.Post();
    }
  });
  FailureIgnored([&] {
    if (AdsTable1.State() == engine::TDataSetState::dsInsert) AdsTable1.Cancel();
    AdsTable1.Close();
  });
  AdsTable1.SetIndexFieldNames("");
}

}  // namespace kv::console
