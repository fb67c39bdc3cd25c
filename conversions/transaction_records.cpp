// Payroll history rows from period "200701" on take their category, department, company and cost centre from
// the career record in force at the end of the row's pay period: the pay group's own period dates where the pay
// group has them, the calendar month otherwise.

#include <cctype>
#include <optional>
#include <string>

#include "conversions/employee_records.h"
#include "conversions/table_access.h"
#include "support/calendar.h"
#include "support/strings.h"

namespace kv::conversions {

namespace {

constexpr const char* kFirstPeriod = "200701";

// The calendar month a "YYYYMM" period names; nullopt for a text that names none.
std::optional<Date> FirstDayOf(const std::string& period) {
  if (period.size() != 6) return std::nullopt;
  for (char c : period)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  const int year = std::stoi(SubText(period, 1, 4));
  const int month = std::stoi(SubText(period, 5, 2));
  if (!Date::IsValidYmd(year, month, 1)) return std::nullopt;
  return Date::FromYmd(year, month, 1);
}

// The last day of the row's pay period; nullopt when neither the pay group nor the period text gives one.
std::optional<Date> PeriodEnd(RecordObjects& w, const std::string& payGroup, const std::string& period) {
  if (w.wwTableGrpTrx.Active() && w.wwTableGrpTrx.FindKey({payGroup, period}))
    return w.wwTableGrpTrx.FieldByName("END_DATE").AsDate();
  const std::optional<Date> start = FirstDayOf(period);
  if (!start) return std::nullopt;
  return MonthEnd(*start);
}

// The employee's last career record dated on or before `end` (an earlier record of the employee qualifies as
// well as one inside the period); false when there is none. Records are ordered by employee and date, so it is
// the record just before the first one after (employee, end), or that one itself when it falls on `end`.
bool FindCareerInForce(engine::TAdsTable& careers, const std::string& employee, Date end) {
  const auto ours = [&] {
    return careers.FieldByName("EMP_CODE").AsString() == employee &&
           careers.FieldByName("PAY_EFFECTIVE_DATE").AsDate() <= end;
  };
  careers.FindNearest({employee, end});
  if (!careers.Eof() && ours()) return true;
  if (careers.Eof())
    careers.Last();
  else
    careers.Prior();
  return !careers.Eof() && !careers.Bof() && ours();
}

}  // namespace

// The walk starts at the first employee, whatever record an earlier step left the employee table on.
void UpdateTransactionRecords(RecordObjects& w) {
  engine::TAdsTable& history = w.AdsTableHTRX;
  if (!BindTable(history, "P_HTRX", "EMPCODE;PERIOD;CYCLE")) return;
  if (!OpenPlaced(w, w.AdsTableCareer, true) || !OpenPlaced(w, w.AdsTableEmp, true)) return;
  OpenPlaced(w, w.wwTableGrpTrx, false);  // a company without pay-group periods uses calendar months
  OpenProtected(w, history);
  for (w.AdsTableEmp.First(); !w.AdsTableEmp.Eof(); w.AdsTableEmp.Next()) {
    w.ui.ProcessMessages();
    const std::string employee = w.AdsTableEmp.FieldByName("EMP_NO").AsString();
    const std::string payGroup = w.AdsTableEmp.FieldByName("PAY_GROUP").AsString();
    history.FindNearest({employee, kFirstPeriod});
    for (; !history.Eof() && history.FieldByName("EMPCODE").AsString() == employee; history.Next()) {
      const std::string period = history.FieldByName("PERIOD").AsString();
      w.showProgress("Updating P_HTRX :" + employee + " Period " + period);
      const std::optional<Date> end = PeriodEnd(w, payGroup, period);
      if (!end || !FindCareerInForce(w.AdsTableCareer, employee, *end)) continue;
      history.Edit();
      history.FieldByName("category").SetAsString(w.AdsTableCareer.FieldByName("category").AsString());
      history.FieldByName("department").SetAsString(w.AdsTableCareer.FieldByName("department").AsString());
      history.FieldByName("company").SetAsString(w.AdsTableCareer.FieldByName("company").AsString());
      history.FieldByName("costcente").SetAsString(w.AdsTableCareer.FieldByName("cost_centre").AsString());
      history.Post();
    }
  }
  history.Close();
  w.wwTableGrpTrx.Close();
  w.AdsTableCareer.Close();
  w.AdsTableEmp.Close();
}

}  // namespace kv::conversions
