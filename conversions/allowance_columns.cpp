// The allowance fields of the report writer renumbered: one field number per allowance code, from 1500 in
// ALLOWNCE's order, the catalogue rows of the allowances written afresh, and the report columns pointed at
// their fields again.

#include <string>

#include "conversions/report_writer.h"

namespace kv::conversions {

namespace {

constexpr int kFirstAllowanceField = 1500;

void Reopen(engine::TAdsTable& t) {
  t.Close();
  t.Open();
}

// Steps 1 to 4: the allowance rows of the catalogue (what its designed filter shows) replaced by one row per
// code; every year of a code gets the code's number. Returns the next free number.
int NumberAllowances(engine::TAdsTable& rtable, engine::TAdsTable& allowances) {
  for (rtable.First(); !rtable.Eof();) rtable.Delete();
  int number = kFirstAllowanceField;
  rtable.SetIndexFieldNames("DATABASE1;FIELD;CODE");
  allowances.First();
  if (allowances.Eof()) return number;
  std::string code = allowances.FieldByName("ALLOW_CODE").AsString();
  while (!allowances.Eof()) {
    allowances.Edit();
    allowances.FieldByName("TRNNO").SetAsString(std::to_string(number));
    allowances.Post();
    const std::string desc = allowances.FieldByName("DESC").AsString();
    if (rtable.FindKey({std::string("ALLW"), code})) {
      rtable.Edit();
    } else {
      rtable.Append();
      rtable.FieldByName("NO").SetAsString(std::to_string(number));
      rtable.FieldByName("CODE").SetAsString("AMOUNT");
      rtable.FieldByName("DATABASE1").SetAsString("ALLW");
      rtable.FieldByName("FIELD").SetAsString(code);
      rtable.FieldByName("WIDTH").SetAsString("12");
      rtable.FieldByName("TYPE1").SetAsString("N");
      rtable.FieldByName("HIDE_WAGE").SetAsString("T");
    }
    rtable.FieldByName("HEADING").SetAsString(desc);
    rtable.Post();
    allowances.Next();
    // The last code's number is used as well: the next free one follows it.
    if (allowances.Eof()) return number + 1;
    const std::string next = allowances.FieldByName("ALLOW_CODE").AsString();
    if (next != code) {
      code = next;
      ++number;
    }
  }
  return number;
}

}  // namespace

void RenumberAllowanceColumns(const AllowanceTables& tables) {
  engine::TAdsTable& rtable = tables.wwTableRtable;
  engine::TAdsTable& columns = tables.wwTableRep;
  engine::TAdsTable& allowances = tables.wwTableAllw;
  engine::TAdsTable& running = tables.wwTableTrnno;
  // 1.
  rtable.Close();
  rtable.SetIndexFieldNames("NO");
  rtable.SetFiltered(true);
  rtable.Open();
  Reopen(allowances);
  Reopen(running);
  columns.SetFiltered(true);
  Reopen(columns);
  // 2 to 4.
  const int nextFree = NumberAllowances(rtable, allowances);
  // 5.
  rtable.SetIndexFieldNames("NO");
  running.Edit();
  running.FieldByName("TRNNO").SetAsString(std::to_string(nextFree));
  running.Post();
  // 6. The allowance columns of the reports (what RTPDETL's designed filter shows) by their allowance code.
  for (columns.First(); !columns.Eof(); columns.Next()) {
    if (!allowances.FindKey({columns.FieldByName("field").AsString()})) continue;
    columns.Edit();
    columns.FieldByName("col").SetAsString(allowances.FieldByName("trnno").AsString());
    columns.Post();
  }
  // 7.
  running.Close();
  columns.SetFiltered(false);
  rtable.SetFiltered(false);
  columns.First();
  rtable.SetIndexFieldNames("DATABASE1;FIELD;CODE");
  // 8. Every report column by the table, field and code it shows.
  for (; !columns.Eof(); columns.Next()) {
    const std::string database = columns.FieldByName("database1").AsString();
    const std::string field = columns.FieldByName("FIELD").AsString();
    const std::string code = columns.FieldByName("CODE").AsString();
    if (!rtable.FindKey({database, field, code})) continue;
    columns.Edit();
    columns.FieldByName("COL").SetAsString(rtable.FieldByName("no").AsString());
    columns.Post();
  }
  // 9. The designed orders and filters, the tables closed as the window keeps them between steps.
  rtable.SetIndexFieldNames("NO");
  columns.SetFiltered(true);
  rtable.SetFiltered(true);
  rtable.Close();
  columns.Close();
  allowances.Close();
}

}  // namespace kv::conversions
