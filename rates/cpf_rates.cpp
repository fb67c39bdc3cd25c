// The CPF rate loaders: one pass over a fixed set with its writer. The voluntary-scheme loader also tells the
// suite that the codes "VOL1" .. "VOL5" are CPF classes of 2010, in FW_LEVY.

#include "rates/cpf_rates.h"

#include <string>

#include "rates/cpf_rate_sets.h"
#include "rates/cpf_writers.h"

namespace kv::rates {

namespace {

constexpr int kVoluntarySchemes = 5;

// "VOL" n, category "CLS", year 2010, for n = 1 to 5, each only when FW_LEVY lacks it under any period part
// (the search is on YEAR, CLASS and CATEGORY only).
void AddVoluntaryClassRows(engine::TAdsTable& AdsTable1) {
  AdsTable1.Close();
  AdsTable1.SetTableName("FW_LEVY");
  AdsTable1.SetIndexFieldNames("YEAR;CLASS;CATEGORY");
  AdsTable1.Open();
  for (int n = 1; n <= kVoluntarySchemes; ++n) {
    const std::string number = std::to_string(n);
    if (AdsTable1.FindKey({"2010", "VOL" + number, "CLS"})) continue;
    AdsTable1.Append();
    AdsTable1.FieldByName("YEAR").SetAsString("2010");
    AdsTable1.FieldByName("CLASS").SetAsString("VOL" + number);
    AdsTable1.FieldByName("CATEGORY").SetAsString("CLS");
    AdsTable1.FieldByName("DESC").SetAsString("Voluntary Scheme " + number + " ");
    AdsTable1.Post();
  }
  AdsTable1.Close();
}

// AdsTableCPF closed and opened again, so a series of searches starts on a fresh cursor in its order.
void ReopenCpfTable(engine::TAdsTable& AdsTableCPF) {
  AdsTableCPF.Close();
  AdsTableCPF.Open();
}

}  // namespace

void LoadCpf2013Rates(const RateTables& tables) {
  for (const CpfRateRow& row : Cpf2013Rows()) AddCpf2Rate(tables.AdsQuery1, row);
  // The last count may have found its row and left the query open on it; the run's later statements through
  // AdsQuery1 would then be refused ("Cannot perform this operation on an open dataset") and never run.
  tables.AdsQuery1.Close();
}

void LoadVoluntaryCpf2007(const RateTables& tables) {
  ReopenCpfTable(tables.AdsTableCPF);
  for (const CpfRateRow& row : VoluntaryCpf2007Rows()) AddCpfRate(tables.AdsTableCPF, row);
  AddVoluntaryClassRows(tables.AdsTable1);
}

void LoadCpf2007Rates(const RateTables& tables) {
  ReopenCpfTable(tables.AdsTableCPF);
  for (const CpfRateRow& row : Cpf2007Rows()) PutCpfRate(tables.AdsTableCPF, row);
}

}  // namespace kv::rates
