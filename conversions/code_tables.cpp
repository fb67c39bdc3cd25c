#include "conversions/code_tables.h"

#include <string>

#include "support/strings.h"

namespace kv::conversions {

namespace {

using engine::TAdsQuery;
using engine::TAdsTable;

struct CodeRow {
  const char* category;
  const char* code;
  const char* description;
  const char* method;
};

// The leave types of the release, added when the company lacks them.
constexpr CodeRow kLeaveCodes[] = {
    {"LEA", "ECHILD", "Enhanced Child Care Leave", "W"},
    {"LEA", "INFANT", "Infant Care Leave", "W"},
};

// AdsTable1 closed and named; false when the company has no such table.
bool Present(TAdsTable& table, const std::string& name, const std::string& order) {
  table.Close();
  table.SetIndexFieldNames("");
  table.SetTableName(name);
  table.SetIndexFieldNames(order);
  return table.Exists();
}

// A code appended to CODE unless (category, code) is there; the table stands on the order "CATEGORY;CODE".
void AddCodeWhenAbsent(TAdsTable& codes, const std::string& category, const std::string& code,
                       const std::string& description) {
  if (codes.FindKey({category, code})) return;
  codes.Append();
  codes.FieldByName("CATEGORY").SetAsString(category);
  codes.FieldByName("CODE").SetAsString(code);
  codes.FieldByName("DESC").SetAsString(description);
  codes.Post();
}

void Reopen(TAdsTable& table) {
  table.Close();
  table.Open();
}

// Runs a SELECT through the query, left open on its first row.
void OpenStatement(TAdsQuery& query, const std::string& statement) {
  query.Close();
  query.SQL().Clear();
  query.SQL().Add(statement);
  query.Open();
}

void CloseStatement(TAdsQuery& query) {
  query.Close();
  query.CloseStatement();
}

}  // namespace

void AddLeaveCodes(TAdsTable& AdsTable1) {
  if (!Present(AdsTable1, "CODE", "CATEGORY;CODE")) return;
  AdsTable1.Open();
  for (const CodeRow& row : kLeaveCodes) {
    if (AdsTable1.FindKey({row.category, row.code})) continue;
    AdsTable1.Append();
    AdsTable1.FieldByName("CATEGORY").SetAsString(row.category);
    AdsTable1.FieldByName("CODE").SetAsString(row.code);
    AdsTable1.FieldByName("DESC").SetAsString(row.description);
    AdsTable1.FieldByName("METHOD").SetAsString(row.method);
    AdsTable1.Post();
  }
  AdsTable1.Close();
}

void FixListValues(TAdsTable& AdsTable1) {
  if (!Present(AdsTable1, "LIST", "")) return;
  AdsTable1.Open();
  for (AdsTable1.First(); !AdsTable1.Eof(); AdsTable1.Next()) {
    const std::string value = AdsTable1.FieldByName("VALUE").AsString();
    if (value.rfind("DR", 0) != 0) continue;
    AdsTable1.Edit();
    AdsTable1.FieldByName("VALUE").SetAsString(kv::SubText(value, 1, 1) + kv::SubText(value, 3, 1));
    AdsTable1.Post();
  }
  AdsTable1.Close();
}

void AddFamilyCodes(TAdsTable& AdsTableCode, TAdsQuery& AdsQuery1, const engine::TAdsConnection& AdsConnection1) {
  Reopen(AdsTableCode);
  // Spouses' and dependants' occupations as "SOU" codes, described as the staff's occupation code of the same
  // value ("OCU"). One without such a code is described by its own text, as the relations below are: it never
  // takes the description of another occupation. A family member without an occupation gives no code.
  OpenStatement(AdsQuery1, "SELECT DISTINCT OCCUPATION_CODE FROM FAMILY ");
  for (; !AdsQuery1.Eof(); AdsQuery1.Next()) {
    const std::string occupation = AdsQuery1.FieldByName("OCCUPATION_CODE").AsString();
    if (occupation.empty()) continue;
    const std::string description =
        AdsTableCode.FindKey({"OCU", occupation}) ? AdsTableCode.FieldByName("DESC").AsString() : occupation;
    AddCodeWhenAbsent(AdsTableCode, "SOU", occupation, description);
  }
  CloseStatement(AdsQuery1);

  Reopen(AdsTableCode);
  if (!AdsConnection1.IsDictionary()) AdsQuery1.SetTablePassword("EMPLOYEE", engine::kTablePassword);
  OpenStatement(AdsQuery1, "SELECT DISTINCT EMG_CONTACT_RELATION FROM EMPLOYEE ");
  for (; !AdsQuery1.Eof(); AdsQuery1.Next()) {
    const std::string relation = AdsQuery1.FieldByName("EMG_CONTACT_RELATION").AsString();
    if (!relation.empty()) AddCodeWhenAbsent(AdsTableCode, "RE", relation, relation);
  }
  CloseStatement(AdsQuery1);
  // CODE is open exclusively: left open it would refuse the column upgrades of CODE later in the run.
  AdsTableCode.Close();
}

void ResetLeaveEntitlements(TAdsQuery& AdsQuerySQL) {
  AdsQuerySQL.Close();
  AdsQuerySQL.SQL().Clear();
  AdsQuerySQL.SQL().Add("UPDATE EMPENT SET CURRENT=0");
  AdsQuerySQL.ExecSQL();
  AdsQuerySQL.CloseStatement();
}

}  // namespace kv::conversions
