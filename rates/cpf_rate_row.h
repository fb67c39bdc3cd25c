#pragma once
// One CPF rate row: the statutory rates of one CPF category and one age band for one year, as the writers put
// it into CPFNEW2 (all 49 columns) or CPFNEW (the same without the five lower wage-band bounds).
//
// The members stand in the tables' column order, which is also the order of the CPFNEW2 insert statement. Band
// rates (S1_EE% .. S4_ER%) are fractions (0.16 is 16 %); the band-5 rates S5_EE_OW, S5_ER_OW, S5_AW_EE and S5_AW_ER
// are whole percentages (20 is 20 %). A column name holding "%" spells it "Percent" here, as its parameter does.

#include <span>
#include <string>
#include <string_view>

namespace kv::rates {

struct CpfRateRow {
  std::string YEAR;          // "2013"
  std::string CPF_CAT;       // "VOL1", "S", "PR1_ER", ...
  std::string CPF_AGE_TYPE;  // band "1" .. "6"; empty for a category with a single row
  std::string AGE_CODE;      // "F", "A", "0" or empty
  std::string DESC;          // "Singaporean : (4) Age from :55 To:60"

  double AGE_FROM = 0, AGE_TO = 0;
  double SALARY_FROM1 = 0, SALARY_TO1 = 0;
  double SALARY_FROM2 = 0, SALARY_TO2 = 0;
  double SALARY_FROM3 = 0, SALARY_TO3 = 0;
  double SALARY_FROM4 = 0, SALARY_TO4 = 0;
  double SALARY_FROM5 = 0, SALARY_TO5 = 0;
  double S5_AW_EE = 0, S5_AW_ER = 0;
  double S1_ERPercent = 0, S1_MINUS_EE = 0, S1_MINUS_ER = 0, S1_ADD_EE = 0, S1_ADD_ER = 0;
  double S2_ERPercent = 0, S2_MINUS_EE = 0, S2_MINUS_ER = 0, S2_ADD_EE = 0, S2_ADD_ER = 0;
  double S1_EEPercent = 0, S2_EEPercent = 0, S3_EEPercent = 0, S4_EEPercent = 0;
  double S3_ERPercent = 0;
  double S5_EE_OW = 0, S5_ER_OW = 0;
  double S4_ERPercent = 0;
  double S3_MINUS_EE = 0, S4_MINUS_EE = 0, S3_MINUS_ER = 0, S4_MINUS_ER = 0;
  double S3_ADD_EE = 0, S4_ADD_EE = 0, S3_ADD_ER = 0, S4_ADD_ER = 0;
  double S5_MAXWAGE_EE = 0, S5_MAXWAGE_ER = 0;
  double EMP_RPercent1 = 0, EMP_EPercent1 = 0;
};

// One numeric column of the row: its name in the tables, its parameter in the CPFNEW2 insert, the member that
// holds it, and whether CPFNEW has it too (it lacks SALARY_FROM1 .. SALARY_FROM5).
struct CpfColumn {
  std::string_view name;       // "S1_ER%"
  std::string_view parameter;  // "nS1_ERPercent"
  double CpfRateRow::*member;
  bool inCpfnew;
};

// The 44 numeric columns, AGE_FROM first, EMP_E%1 last.
std::span<const CpfColumn> CpfNumberColumns();

}  // namespace kv::rates
