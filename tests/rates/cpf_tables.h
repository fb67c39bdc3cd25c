#pragma once
// A company folder for the rate tests: CPFNEW2 and CPFNEW made empty from their table definitions, FW_LEVY in
// the shape the levy preparation leaves it, and the three window objects the loaders work through, placed on
// the company connection the way the window places them.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "engine/engine.h"
#include "rates/cpf_rates.h"

namespace kv::rates::testing {

using engine::TFieldType;

// CPFNEW's numeric columns after the key and descriptive texts, AGE_FROM and AGE_TO first.
inline const std::vector<std::string>& CpfnewNumberColumns() {
  static const std::vector<std::string> columns = {
      "AGE_FROM",    "AGE_TO",      "SALARY_TO1",  "SALARY_TO2",  "SALARY_TO3",    "SALARY_TO4",    "SALARY_TO5",
      "S5_AW_EE",    "S5_AW_ER",    "S1_ER%",      "S1_MINUS_EE", "S1_MINUS_ER",   "S1_ADD_EE",     "S1_ADD_ER",
      "S2_ER%",      "S2_MINUS_EE", "S2_MINUS_ER", "S2_ADD_EE",   "S2_ADD_ER",     "S1_EE%",        "S2_EE%",
      "S3_EE%",      "S4_EE%",      "S3_ER%",      "S5_EE_OW",    "S5_ER_OW",      "S4_ER%",        "S3_MINUS_EE",
      "S4_MINUS_EE", "S3_MINUS_ER", "S4_MINUS_ER", "S3_ADD_EE",   "S4_ADD_EE",     "S3_ADD_ER",     "S4_ADD_ER",
      "S5_MAXWAGE_EE", "S5_MAXWAGE_ER", "EMP_R%1", "EMP_E%1"};
  return columns;
}

// The twelve employer columns CPFNEW2 has after EMP_E%1, which no writer fills.
inline const std::vector<std::string>& Cpfnew2SecondEmployerColumns() {
  static const std::vector<std::string> columns = {
      "S1_ADD_ER_2", "S1_ER%_2", "S1_MINUS_ER_2", "S2_ADD_ER_2", "S2_ER%_2", "S2_MINUS_ER_2",
      "S3_ADD_ER_2", "S3_ER%_2", "S3_MINUS_ER_2", "S4_ADD_ER_2", "S4_ER%_2", "S4_MINUS_ER_2"};
  return columns;
}

inline void AddCpfTexts(engine::TFieldDefs& f) {
  f.Add("YEAR", TFieldType::ftString, 4);
  f.Add("CPF_CAT", TFieldType::ftString, 8);
  f.Add("CPF_AGE_TYPE", TFieldType::ftString, 2);
  f.Add("AGE_CODE", TFieldType::ftString, 1);
  f.Add("DESC", TFieldType::ftString, 50);
  f.Add("AGE_FROM", TFieldType::ftFloat);
  f.Add("AGE_TO", TFieldType::ftFloat);
}

// CPFNEW2: 61 fields, unique "PRIMARY".
inline void MakeCpfnew2(engine::TAdsConnection& connection) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("CPFNEW2");
  t.SetExclusive(true);
  AddCpfTexts(t.FieldDefs);
  for (int n = 1; n <= 5; ++n) {
    t.FieldDefs.Add("SALARY_FROM" + std::to_string(n), TFieldType::ftCurrency);
    t.FieldDefs.Add("SALARY_TO" + std::to_string(n), TFieldType::ftCurrency);
  }
  for (std::size_t i = 7; i < CpfnewNumberColumns().size(); ++i)
    t.FieldDefs.Add(CpfnewNumberColumns()[i], TFieldType::ftCurrency);
  for (const std::string& c : Cpfnew2SecondEmployerColumns()) t.FieldDefs.Add(c, TFieldType::ftCurrency);
  EXPECT_EQ(t.FieldDefs.Count(), 61u);
  t.CreateTable();
  t.Open();
  t.AddIndex("PRIMARY", "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM",
             {engine::TIndexOption::ixUnique, engine::TIndexOption::ixExpression});
  t.Close();
}

// CPFNEW: 44 fields, plain "YEAR".
inline void MakeCpfnew(engine::TAdsConnection& connection) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("CPFNEW");
  t.SetExclusive(true);
  AddCpfTexts(t.FieldDefs);
  for (std::size_t i = 2; i < CpfnewNumberColumns().size(); ++i)
    t.FieldDefs.Add(CpfnewNumberColumns()[i], TFieldType::ftCurrency);
  EXPECT_EQ(t.FieldDefs.Count(), 44u);
  t.CreateTable();
  t.Open();
  t.AddIndex("YEAR", "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM", {engine::TIndexOption::ixExpression});
  t.Close();
}

// FW_LEVY as the levy preparation leaves it: PERIOD_PART added, "PRIMARY" on the four key fields.
inline void MakeFwLevy(engine::TAdsConnection& connection) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("FW_LEVY");
  t.SetExclusive(true);
  t.FieldDefs.Add("YEAR", TFieldType::ftString, 4);
  t.FieldDefs.Add("CLASS", TFieldType::ftString, 10);
  t.FieldDefs.Add("CATEGORY", TFieldType::ftString, 3);
  t.FieldDefs.Add("DESC", TFieldType::ftString, 40);
  t.FieldDefs.Add("DAILY_RATE", TFieldType::ftCurrency);
  t.FieldDefs.Add("MAX_PER_MTH", TFieldType::ftCurrency);
  t.FieldDefs.Add("PERIOD_PART", TFieldType::ftString, 2);
  t.CreateTable();
  t.Open();
  t.AddIndex("PRIMARY", "YEAR;CLASS;CATEGORY;PERIOD_PART", {engine::TIndexOption::ixExpression});
  t.Close();
}

class CpfTables : public ::testing::Test {
 protected:
  void SetUp() override {
    connection.SetConnectPath(dir.SuitePath());
    AdsQuery1.SetAdsConnection(&connection);
    AdsTableCPF.SetAdsConnection(&connection);
    AdsTableCPF.SetTableName("CPFNEW");
    AdsTableCPF.SetIndexFieldNames("YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM");
    AdsTable1.SetAdsConnection(&connection);
    AdsTable1.SetExclusive(true);
  }

  void TearDown() override {
    AdsQuery1.Close();
    AdsTableCPF.Close();
    AdsTable1.Close();
  }

  void MakeCpfnew2() { rates::testing::MakeCpfnew2(connection); }
  void MakeCpfnew() { rates::testing::MakeCpfnew(connection); }
  void MakeFwLevy() { rates::testing::MakeFwLevy(connection); }

  using Values = std::map<std::string, std::string>;

  // Appends one row, each field set from its text.
  void Append(const std::string& table, const Values& values) {
    engine::TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName(table);
    t.Open();
    t.Append();
    for (const auto& [field, text] : values) t.FieldByName(field).SetAsString(text);
    t.Post();
    t.Close();
  }

  // Every row of a table, in record order, as field name -> text ("<empty>" for an empty field).
  std::vector<Values> Rows(const std::string& table) {
    engine::TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName(table);
    t.Open();
    std::vector<Values> rows;
    for (t.First(); !t.Eof(); t.Next()) {
      Values row;
      for (const auto& field : t.Fields()) row[field->FieldName()] = field->IsNull() ? "<empty>" : field->AsString();
      rows.push_back(std::move(row));
    }
    t.Close();
    return rows;
  }

  // Each row reduced to the given fields, joined by "|".
  std::vector<std::string> Rows(const std::string& table, const std::vector<std::string>& fields) {
    std::vector<std::string> lines;
    for (const Values& row : Rows(table)) {
      std::string line;
      for (const std::string& f : fields) line += (line.empty() ? "" : "|") + row.at(f);
      lines.push_back(line);
    }
    return lines;
  }

  // The row of a table with the given key texts (YEAR, CPF_CAT, CPF_AGE_TYPE); fails the test when there is
  // not exactly one.
  Values RowWithKey(const std::string& table, const std::string& year, const std::string& category,
                    const std::string& ageType) {
    std::vector<Values> found;
    for (const Values& row : Rows(table))
      if (row.at("YEAR") == year && row.at("CPF_CAT") == category && row.at("CPF_AGE_TYPE") == ageType)
        found.push_back(row);
    EXPECT_EQ(found.size(), 1u) << table << " " << year << " " << category << " " << ageType;
    return found.empty() ? Values{} : found[0];
  }

  RateTables Tables() { return {AdsQuery1, AdsTableCPF, AdsTable1}; }

  kv::testing::TempFolder dir;
  engine::TAdsConnection connection;
  engine::TAdsQuery AdsQuery1{"AdsQuery1", "Form1"};
  engine::TAdsTable AdsTableCPF{"AdsTableCPF", "Form1"};
  engine::TAdsTable AdsTable1{"AdsTable1", "Form1"};
};

}  // namespace kv::rates::testing
