// The CPF rate writers. The count and insert statements are the suite's own texts, line for line; their
// parameters are filled by name from the row's column list.

#include "rates/cpf_writers.h"

#include <string>

#include "support/currency.h"

namespace kv::rates {

namespace {

constexpr const char* kCountLines[] = {
    "SELECT COUNT(*) AS RecAmt FROM CPFNEW2 ",
    "WHERE YEAR=:sYEAR AND CPF_CAT=:sCPF_CAT AND CPF_AGE_TYPE=:sCPF_AGE_TYPE AND AGE_FROM=:nAGE_FROM;",
};

constexpr const char* kInsertLines[] = {
    "INSERT INTO CPFNEW2([YEAR],[CPF_CAT],[CPF_AGE_TYPE],[AGE_CODE],[DESC],[AGE_FROM],[AGE_TO],[SALARY_FROM1], ",
    "                    [SALARY_TO1],[SALARY_FROM2],[SALARY_TO2],[SALARY_FROM3],[SALARY_TO3],[SALARY_FROM4], ",
    "                    [SALARY_TO4],[SALARY_FROM5],[SALARY_TO5],[S5_AW_EE],[S5_AW_ER],[S1_ER%],[S1_MINUS_EE], ",
    "                    [S1_MINUS_ER],[S1_ADD_EE],[S1_ADD_ER],[S2_ER%],[S2_MINUS_EE],[S2_MINUS_ER],[S2_ADD_EE], ",
    "                    [S2_ADD_ER],[S1_EE%],[S2_EE%],[S3_EE%],[S4_EE%],[S3_ER%],[S5_EE_OW],[S5_ER_OW],[S4_ER%], ",
    "                    [S3_MINUS_EE],[S4_MINUS_EE],[S3_MINUS_ER],[S4_MINUS_ER],[S3_ADD_EE],[S4_ADD_EE],[S3_ADD_ER], ",
    "                    [S4_ADD_ER],[S5_MAXWAGE_EE],[S5_MAXWAGE_ER],[EMP_R%1],[EMP_E%1]) ",
    "VALUES(:sYEAR,:sCPF_CAT,:sCPF_AGE_TYPE,:sAGE_CODE,:sDESC, ",
    "       :nAGE_FROM,:nAGE_TO,:nSALARY_FROM1,:nSALARY_TO1,:nSALARY_FROM2,:nSALARY_TO2,:nSALARY_FROM3,:nSALARY_TO3, ",
    "       :nSALARY_FROM4,:nSALARY_TO4,:nSALARY_FROM5,:nSALARY_TO5,:nS5_AW_EE,:nS5_AW_ER,:nS1_ERPercent,:nS1_MINUS_EE, ",
    "       :nS1_MINUS_ER,:nS1_ADD_EE,:nS1_ADD_ER,:nS2_ERPercent,:nS2_MINUS_EE,:nS2_MINUS_ER,:nS2_ADD_EE,:nS2_ADD_ER, ",
    "       :nS1_EEPercent,:nS2_EEPercent,:nS3_EEPercent,:nS4_EEPercent,:nS3_ERPercent,:nS5_EE_OW,:nS5_ER_OW,:nS4_ERPercent, ",
    "       :nS3_MINUS_EE,:nS4_MINUS_EE,:nS3_MINUS_ER,:nS4_MINUS_ER,:nS3_ADD_EE,:nS4_ADD_EE,:nS3_ADD_ER,:nS4_ADD_ER, ",
    "       :nS5_MAXWAGE_EE,:nS5_MAXWAGE_ER,:nEMP_RPercent1,:nEMP_EPercent1) ",
};

template <std::size_t N>
void SetStatement(engine::TAdsQuery& query, const char* const (&lines)[N]) {
  query.SQL().Clear();
  for (const char* line : lines) query.SQL().Add(line);
}

kv::Currency Money(double value) { return kv::Currency::FromDouble(value); }

// The key and descriptive texts of a row appended to CPFNEW.
void SetTexts(engine::TAdsTable& table, const CpfRateRow& row) {
  table.FieldByName("YEAR").SetAsString(row.YEAR);
  table.FieldByName("CPF_CAT").SetAsString(row.CPF_CAT);
  table.FieldByName("CPF_AGE_TYPE").SetAsString(row.CPF_AGE_TYPE);
  table.FieldByName("AGE_CODE").SetAsString(row.AGE_CODE);
  table.FieldByName("DESC").SetAsString(row.DESC);
}

// CPFNEW's numeric columns from the first'th on (0: from AGE_FROM, 2: the rate columns from SALARY_TO1), as
// floats: the engine stores them in the money fields.
void SetNumbers(engine::TAdsTable& table, const CpfRateRow& row, std::size_t first) {
  for (const CpfColumn& column : CpfNumberColumns().subspan(first))
    if (column.inCpfnew) table.FieldByName(column.name).SetAsFloat(row.*column.member);
}

bool FindCpfRow(engine::TAdsTable& table, const CpfRateRow& row) {
  return table.FindKey({row.YEAR, row.CPF_CAT, row.CPF_AGE_TYPE});
}

}  // namespace

void AddCpf2Rate(engine::TAdsQuery& AdsQuery1, const CpfRateRow& row) {
  AdsQuery1.Close();
  SetStatement(AdsQuery1, kCountLines);
  AdsQuery1.ParamByName("sYEAR").SetAsString(row.YEAR);
  AdsQuery1.ParamByName("sCPF_CAT").SetAsString(row.CPF_CAT);
  // An empty age type goes as the empty text; the engine keeps inserted empty texts as such, so it finds them.
  AdsQuery1.ParamByName("sCPF_AGE_TYPE").SetAsString(row.CPF_AGE_TYPE);
  AdsQuery1.ParamByName("nAGE_FROM").SetAsCurrency(Money(row.AGE_FROM));
  AdsQuery1.Open();
  if (AdsQuery1.FieldByName("RecAmt").AsInteger() != 0) return;

  AdsQuery1.Close();
  SetStatement(AdsQuery1, kInsertLines);
  AdsQuery1.ParamByName("sYEAR").SetAsString(row.YEAR);
  AdsQuery1.ParamByName("sCPF_CAT").SetAsString(row.CPF_CAT);
  AdsQuery1.ParamByName("sCPF_AGE_TYPE").SetAsString(row.CPF_AGE_TYPE);
  AdsQuery1.ParamByName("sAGE_CODE").SetAsString(row.AGE_CODE);
  AdsQuery1.ParamByName("sDESC").SetAsString(row.DESC);
  // Every number is set, zeros included, so no rate column of a new row is left empty.
  for (const CpfColumn& column : CpfNumberColumns())
    AdsQuery1.ParamByName(column.parameter).SetAsCurrency(Money(row.*column.member));
  AdsQuery1.ExecSQL();
  AdsQuery1.CloseStatement();
}

void AddCpfRate(engine::TAdsTable& AdsTableCPF, const CpfRateRow& row) {
  if (FindCpfRow(AdsTableCPF, row)) return;
  AdsTableCPF.Append();
  SetTexts(AdsTableCPF, row);
  SetNumbers(AdsTableCPF, row, 0);
  AdsTableCPF.Post();
}

void PutCpfRate(engine::TAdsTable& AdsTableCPF, const CpfRateRow& row) {
  if (FindCpfRow(AdsTableCPF, row)) {
    AdsTableCPF.Edit();
  } else {
    AdsTableCPF.Append();
    SetTexts(AdsTableCPF, row);
    AdsTableCPF.FieldByName("AGE_FROM").SetAsFloat(row.AGE_FROM);
    AdsTableCPF.FieldByName("AGE_TO").SetAsFloat(row.AGE_TO);
  }
  SetNumbers(AdsTableCPF, row, 2);
  AdsTableCPF.Post();
}

}  // namespace kv::rates
