// The levy roll-forward from older years: 2004 to 2005 (with PAYPARA1's SDF parameters) and 2007 to 2008. Both
// read the older year's rows through AdsTable1, opened shared on a range of the year, and write the newer
// year's rows through AdsTable2 in the order YEAR;CLASS;CATEGORY, so a row counts as present whatever its part.

#include "rates/levy_tables.h"

#include <cstdint>
#include <optional>
#include <string>

#include "engine/connection.h"
#include "engine/types.h"
#include "rates/levy_writers.h"
#include "support/currency.h"

namespace kv::rates {

namespace {

using engine::TAdsTable;

constexpr const char* kCopiedColumns[] = {"CLASS", "CATEGORY", "DESC", "DAILY_RATE", "MAX_PER_MTH"};

bool Present(TAdsTable& t, const std::string& table) {
  t.Close();
  t.SetIndexFieldNames("");
  t.SetTableName(table);
  return t.Exists();
}

void OpenInOrder(TAdsTable& t, const std::string& table, const std::string& order) {
  t.Close();
  t.SetTableName(table);
  t.SetIndexFieldNames(order);
  t.Open();
}

// AdsTable2 for the newer year's rows, AdsTable1 shared for the older year's.
void OpenLevyPair(const LevyTables& tables, const std::string& table, const std::string& olderOrder) {
  OpenInOrder(tables.AdsTable2, table, "YEAR;CLASS;CATEGORY");
  tables.AdsTable1.Close();
  tables.AdsTable1.SetExclusive(false);
  OpenInOrder(tables.AdsTable1, table, olderOrder);
}

void CloseLevyPair(const LevyTables& tables) {
  tables.AdsTable1.Close();
  tables.AdsTable2.Close();
  tables.AdsTable1.SetExclusive(true);
  tables.AdsTable1.SetIndexFieldNames("");
  tables.AdsTable2.SetIndexFieldNames("");
}

// Starts appending to `to` the row of `from` under another year; the caller posts it.
void AppendCopy(TAdsTable& to, const TAdsTable& from, const std::string& year) {
  to.Append();
  to.FieldByName("YEAR").SetAsString(year);
  for (const char* column : kCopiedColumns) to.FieldByName(column).SetValue(from.FieldByName(column).Value());
  MarkFirstPart(to);
}

kv::Currency Amount(const TAdsTable& t, const char* column) { return t.FieldByName(column).AsCurrency(); }
kv::Currency Dollars(std::int64_t whole) { return kv::Currency::FromScaled(whole * kv::Currency::kScale); }

// PAYPARA1's 2005 SDF parameters from 2004's: maximum 1800, minimum and rate as in 2004. A company with no
// 2004 row, or whose 2004 maximum is 0 (no SDF), gets nothing: the defaults the suite starts from (minimum 2,
// rate 1) would otherwise overwrite a 2005 row kept by hand on the strength of a maximum no row supplied.
void RollSdfForward(const LevyTables& tables) {
  TAdsTable& t = tables.AdsTable1;
  if (!Present(t, "PAYPARA1")) return;
  t.SetIndexFieldNames("YEAR");
  t.Open();
  if (!t.AdsConnection()->IsDictionary()) t.EnableEncryption(engine::kTablePassword);
  std::optional<kv::Currency> maximum;
  kv::Currency minimum = Dollars(2);
  kv::Currency rate = Dollars(1);
  if (t.FindKey({"2004"})) {
    maximum = Amount(t, "SDF_MAX");
    minimum = Amount(t, "SDF_MIN");
    rate = Amount(t, "SDF");
  }
  if (maximum && *maximum != kv::Currency{}) {
    if (t.FindKey({"2005"})) {
      t.Edit();
    } else {
      t.Append();
      t.FieldByName("YEAR").SetAsString("2005");
    }
    t.FieldByName("SDF_MAX").SetAsCurrency(Dollars(1800));
    t.FieldByName("SDF_MIN").SetAsCurrency(minimum);
    t.FieldByName("SDF").SetAsCurrency(rate);
    t.Post();
  }
  t.Close();
}

}  // namespace

void CopyLevy2004To2005(const LevyTables& tables) {
  RollSdfForward(tables);
  if (!Present(tables.AdsTable1, "fw_levy")) return;
  OpenLevyPair(tables, "fw_levy", "YEAR");
  TAdsTable& older = tables.AdsTable1;
  TAdsTable& newer = tables.AdsTable2;
  if (!newer.FindKey({"2004", "SPASS", "FWL"})) {
    newer.Append();
    newer.FieldByName("YEAR").SetAsString("2004");
    newer.FieldByName("CLASS").SetAsString("SPASS");
    newer.FieldByName("CATEGORY").SetAsString("FWL");
    MarkFirstPart(newer);
    newer.FieldByName("DESC").SetAsString("S PASS");
    newer.FieldByName("DAILY_RATE").SetAsString("2");
    newer.FieldByName("MAX_PER_MTH").SetAsString("50");
    newer.Post();
  }
  older.SetRange({"2004"}, {"2004"});
  for (older.First(); !older.Eof(); older.Next()) {
    if (!newer.FindKey({"2005", older.FieldByName("CLASS").AsString(), older.FieldByName("CATEGORY").AsString()})) {
      AppendCopy(newer, older, "2005");
      newer.Post();
    }
    // Found or new, the 2005 row's old S Pass maximum of 30 becomes 50 a month, 2 a day.
    newer.Edit();
    if (Amount(newer, "MAX_PER_MTH") == Dollars(30)) {
      newer.FieldByName("MAX_PER_MTH").SetAsCurrency(Dollars(50));
      newer.FieldByName("DAILY_RATE").SetAsCurrency(Dollars(2));
    }
    newer.Post();
  }
  CloseLevyPair(tables);
}

void CopyLevy2007To2008(const LevyTables& tables) {
  if (!Present(tables.AdsTable1, "FW_LEVY")) return;
  OpenLevyPair(tables, "FW_LEVY", "YEAR;CLASS;CATEGORY");
  TAdsTable& older = tables.AdsTable1;
  TAdsTable& newer = tables.AdsTable2;
  older.SetRange({"2007"}, {"2007"});
  for (older.First(); !older.Eof(); older.Next()) {
    const std::string levyClass = older.FieldByName("CLASS").AsString();
    if (newer.FindKey({"2008", levyClass, older.FieldByName("CATEGORY").AsString()})) {
      newer.Edit();
    } else {
      AppendCopy(newer, older, "2008");
    }
    if (newer.FieldByName("CLASS").AsString() == "CLASS1")
      newer.FieldByName("DESC").SetAsString("CLASS 1 (Singaporean)");
    const kv::Currency maximum = Amount(older, "MAX_PER_MTH");
    if ((maximum == Dollars(100) || maximum == Dollars(80)) && levyClass != "SPASS") {
      newer.FieldByName("MAX_PER_MTH").SetAsString("150");
      newer.FieldByName("DAILY_RATE").SetAsString("5");
    }
    newer.Post();
  }
  AddLevyRow(newer, "2008", "CW3", "Construction Worker-unskilled", "300", "10");
  CloseLevyPair(tables);
}

}  // namespace kv::rates
