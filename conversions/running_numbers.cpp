// Appraisals and education records numbered from the company's running numbers in TRNNO. Only rows still
// numbered 0 get a number, so a second run changes nothing. Numbers are carried whole: an appraisal numbered
// above 65,535 gives its lines that same number.

#include <cstdint>
#include <string>

#include "conversions/employee_records.h"
#include "conversions/table_access.h"

namespace kv::conversions {

namespace {

// The next running number of the single-row table's counter, taken and stored.
std::int64_t TakeNumber(engine::TAdsTable& trnno, const char* counter) {
  trnno.First();
  trnno.Edit();
  const std::int64_t number = trnno.FieldByName(counter).AsInteger() + 1;
  trnno.FieldByName(counter).SetAsInteger(number);
  trnno.Post();
  return number;
}

}  // namespace

void NumberAppraisals(RecordObjects& w) {
  engine::TAdsTable& lines = w.AdsTable3;
  if (!OpenPlaced(w, w.AdsTableAppr, false)) return;
  if (!OpenPlaced(w, w.wwTableTrnno, false)) {
    w.AdsTableAppr.Close();
    return;
  }
  const bool haveLines = BindTable(lines, "APPRDTL.adt", "EMPCODE;APPRAISAL_DATE;DATE_SERIALNUM");
  if (haveLines) lines.Open();
  engine::TAdsTable& appraisals = w.AdsTableAppr;
  for (appraisals.First(); !appraisals.Eof(); appraisals.Next()) {
    std::int64_t number = appraisals.FieldByName("id").AsInteger();
    if (number == 0) {
      number = TakeNumber(w.wwTableTrnno, "auto6");
      appraisals.Edit();
      appraisals.FieldByName("id").SetAsInteger(number);
      appraisals.Post();
    }
    if (!haveLines) continue;
    const std::string employee = appraisals.FieldByName("EMP_CODE").AsString();
    const engine::TField& date = appraisals.FieldByName("APPRAISAL_DATE");
    if (!lines.FindKey({employee, date.AsDate()})) continue;
    for (; !lines.Eof() && lines.FieldByName("EMPCODE").AsString() == employee &&
           lines.FieldByName("APPRAISAL_DATE").AsDate() == date.AsDate();
         lines.Next()) {
      if (lines.FieldByName("id").AsInteger() == number) continue;
      lines.Edit();
      lines.FieldByName("id").SetAsInteger(number);
      lines.Post();
    }
  }
  appraisals.Close();
  w.wwTableTrnno.Close();
  lines.Close();
  lines.SetTableName("");
  lines.SetIndexFieldNames("");
}

void NumberEducationRecords(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!BindTable(t, "EDUCATE", "")) return;
  if (!OpenPlaced(w, w.TableTrnno, false)) return;
  t.Open();
  for (t.First(); !t.Eof(); t.Next()) {
    if (t.FieldByName("ID").AsInteger() != 0) continue;
    const std::int64_t number = TakeNumber(w.TableTrnno, "AUTO1");
    t.Edit();
    t.FieldByName("ID").SetAsInteger(number);
    t.Post();
  }
  t.Close();
  w.TableTrnno.Close();
}

}  // namespace kv::conversions
