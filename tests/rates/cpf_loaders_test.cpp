// The three loaders on a company's tables: made empty, partly filled, filled and changed by the user.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpf_tables.h"
#include "rates/cpf_rate_sets.h"
#include "rates/cpf_rates.h"

namespace kv::rates::testing {
namespace {

std::vector<std::string> KeysOf(const std::vector<CpfRateRow>& rows) {
  std::vector<std::string> keys;
  for (const CpfRateRow& r : rows) {
    keys.push_back(r.YEAR + "|" + r.CPF_CAT + "|" + r.CPF_AGE_TYPE + "|" + std::to_string(static_cast<int>(r.AGE_FROM)));
  }
  return keys;
}

const std::vector<std::string> kKey = {"YEAR", "CPF_CAT", "CPF_AGE_TYPE", "AGE_FROM"};

class Load2013 : public CpfTables {
 protected:
  void SetUp() override {
    CpfTables::SetUp();
    MakeCpfnew2();
  }
};

TEST_F(Load2013, FillsAnEmptyTableOnceAndASecondCallWritesNothing) {
  LoadCpf2013Rates(Tables());
  EXPECT_EQ(Rows("CPFNEW2", kKey), KeysOf(Cpf2013Rows()));
  const std::vector<Values> first = Rows("CPFNEW2");
  ASSERT_EQ(first.size(), 88u);
  LoadCpf2013Rates(Tables());
  EXPECT_EQ(Rows("CPFNEW2"), first);
  // Every count found its row; the query is not left open on the last one, so the run's next statement
  // through AdsQuery1 can be prepared.
  EXPECT_FALSE(AdsQuery1.Active());
  EXPECT_NO_THROW(AdsQuery1.Prepare());
}

// One row, every column, as the published table gives "S" band 2.
TEST_F(Load2013, StoresEveryColumnOfARow) {
  LoadCpf2013Rates(Tables());
  const Values expected = {
      {"YEAR", "2013"}, {"CPF_CAT", "S"}, {"CPF_AGE_TYPE", "2"}, {"AGE_CODE", "F"},
      {"DESC", "Singaporean : (2) Age from :35 To:50"}, {"AGE_FROM", "35"}, {"AGE_TO", "50"},
      {"SALARY_FROM1", "0"}, {"SALARY_TO1", "50"}, {"SALARY_FROM2", "50"}, {"SALARY_TO2", "500"},
      {"SALARY_FROM3", "201"}, {"SALARY_TO3", "750"}, {"SALARY_FROM4", "750"}, {"SALARY_TO4", "1200"},
      {"SALARY_FROM5", "0"}, {"SALARY_TO5", "1500"}, {"S5_AW_EE", "20"}, {"S5_AW_ER", "16"},
      {"S1_ER%", "0.1063"}, {"S1_MINUS_EE", "0"}, {"S1_MINUS_ER", "50"}, {"S1_ADD_EE", "0"}, {"S1_ADD_ER", "0"},
      {"S2_ER%", "0.1063"}, {"S2_MINUS_EE", "500"}, {"S2_MINUS_ER", "50"}, {"S2_ADD_EE", "0"}, {"S2_ADD_ER", "0"},
      {"S1_EE%", "0"}, {"S2_EE%", "0.48"}, {"S3_EE%", "0.24"}, {"S4_EE%", "0.24"}, {"S3_ER%", "0.2171"},
      {"S5_EE_OW", "20"}, {"S5_ER_OW", "16"}, {"S4_ER%", "0.226"}, {"S3_MINUS_EE", "750"}, {"S4_MINUS_EE", "750"},
      {"S3_MINUS_ER", "750"}, {"S4_MINUS_ER", "1200"}, {"S3_ADD_EE", "120"}, {"S4_ADD_EE", "120"},
      {"S3_ADD_ER", "74.475"}, {"S4_ADD_ER", "172.2"}, {"S5_MAXWAGE_EE", "1000"}, {"S5_MAXWAGE_ER", "800"},
      {"EMP_R%1", "0"}, {"EMP_E%1", "0"}, {"S1_ADD_ER_2", "<empty>"}, {"S1_ER%_2", "<empty>"},
      {"S1_MINUS_ER_2", "<empty>"}, {"S2_ADD_ER_2", "<empty>"}, {"S2_ER%_2", "<empty>"},
      {"S2_MINUS_ER_2", "<empty>"}, {"S3_ADD_ER_2", "<empty>"}, {"S3_ER%_2", "<empty>"},
      {"S3_MINUS_ER_2", "<empty>"}, {"S4_ADD_ER_2", "<empty>"}, {"S4_ER%_2", "<empty>"},
      {"S4_MINUS_ER_2", "<empty>"}};
  EXPECT_EQ(RowWithKey("CPFNEW2", "2013", "S", "2"), expected);
}

TEST_F(Load2013, TheSingleRowsHaveNoAgeTypeAndZerosNotEmpties) {
  LoadCpf2013Rates(Tables());
  const Values mpf = RowWithKey("CPFNEW2", "2013", "MPF", "");
  const Values fix = RowWithKey("CPFNEW2", "2013", "FIX", "");
  EXPECT_EQ(mpf.at("AGE_CODE"), "F");
  EXPECT_EQ(mpf.at("DESC"), "MPF : () Age from :0 To:0");
  EXPECT_EQ(fix.at("AGE_CODE"), "");
  EXPECT_EQ(fix.at("DESC"), "F");
  for (const Values* row : {&mpf, &fix}) {
    for (const auto& [column, text] : *row) {
      if (column.ends_with("_2")) continue;
      if (column == "YEAR" || column == "CPF_CAT" || column == "CPF_AGE_TYPE" || column == "AGE_CODE" ||
          column == "DESC")
        continue;
      EXPECT_EQ(text, "0") << row->at("CPF_CAT") << " " << column;
    }
  }
}

TEST_F(Load2013, AddsOnlyTheMissingRowsAndKeepsStoredRates) {
  Append("CPFNEW2", {{"YEAR", "2013"}, {"CPF_CAT", "S"}, {"CPF_AGE_TYPE", "4"}, {"AGE_FROM", "55"},
                     {"DESC", "the company's own"}, {"S1_ER%", "0.1"}});
  Append("CPFNEW2", {{"YEAR", "2012"}, {"CPF_CAT", "S"}, {"CPF_AGE_TYPE", "4"}, {"AGE_FROM", "55"}});
  LoadCpf2013Rates(Tables());
  EXPECT_EQ(Rows("CPFNEW2").size(), 89u);
  const Values kept = RowWithKey("CPFNEW2", "2013", "S", "4");
  EXPECT_EQ(kept.at("DESC"), "the company's own");
  EXPECT_EQ(kept.at("S1_ER%"), "0.1");
  EXPECT_EQ(kept.at("S3_ER%"), "<empty>");
  EXPECT_EQ(RowWithKey("CPFNEW2", "2013", "S", "5").at("S1_ER%"), "0.0431");
}

TEST_F(Load2013, AMissingTableIsNotCaught) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("CPFNEW2");
  t.DeleteTable();
  EXPECT_THROW(LoadCpf2013Rates(Tables()), engine::EADSDatabaseError);
}

class Load2007 : public CpfTables {
 protected:
  void SetUp() override {
    CpfTables::SetUp();
    MakeCpfnew();
  }
};

TEST_F(Load2007, FillsAnEmptyTableWithEveryColumn) {
  LoadCpf2007Rates(Tables());
  AdsTableCPF.Close();
  EXPECT_EQ(Rows("CPFNEW", kKey), KeysOf(Cpf2007Rows()));
  const Values expected = {
      {"YEAR", "2007"}, {"CPF_CAT", "S"}, {"CPF_AGE_TYPE", "4"}, {"AGE_CODE", "A"},
      {"DESC", "Singaporean : (4) Age from :55 To:60"}, {"AGE_FROM", "55"}, {"AGE_TO", "60"},
      {"SALARY_TO1", "50"}, {"SALARY_TO2", "500"}, {"SALARY_TO3", "750"}, {"SALARY_TO4", "1200"},
      {"SALARY_TO5", "1500"}, {"S5_AW_EE", "12.5"}, {"S5_AW_ER", "7.5"}, {"S1_ER%", "0.0498"},
      {"S1_MINUS_EE", "0"}, {"S1_MINUS_ER", "50"}, {"S1_ADD_EE", "0"}, {"S1_ADD_ER", "0"}, {"S2_ER%", "0.0498"},
      {"S2_MINUS_EE", "500"}, {"S2_MINUS_ER", "50"}, {"S2_ADD_EE", "0"}, {"S2_ADD_ER", "0"}, {"S1_EE%", "0"},
      {"S2_EE%", "0.3"}, {"S3_EE%", "0.15"}, {"S4_EE%", "0.15"}, {"S3_ER%", "0.0825"}, {"S5_EE_OW", "12.5"},
      {"S5_ER_OW", "7.5"}, {"S4_ER%", "0.135"}, {"S3_MINUS_EE", "750"}, {"S4_MINUS_EE", "750"},
      {"S3_MINUS_ER", "750"}, {"S4_MINUS_ER", "1200"}, {"S3_ADD_EE", "75"}, {"S4_ADD_EE", "75"},
      {"S3_ADD_ER", "34.875"}, {"S4_ADD_ER", "72"}, {"S5_MAXWAGE_EE", "562.5"}, {"S5_MAXWAGE_ER", "337.5"},
      {"EMP_R%1", "5"}, {"EMP_E%1", "5"}};
  EXPECT_EQ(RowWithKey("CPFNEW", "2007", "S", "4"), expected);
  EXPECT_EQ(RowWithKey("CPFNEW", "2007", "PR2_ER", "3").at("S1_ER%"), "0.697");
  EXPECT_EQ(RowWithKey("CPFNEW", "2007", "PR2_ER", "4").at("S3_ADD_ER"), "34.88");
}

TEST_F(Load2007, ASecondCallRewritesTheRatesAndKeepsDescriptionCodeAndAges) {
  LoadCpf2007Rates(Tables());
  const std::vector<Values> loaded = Rows("CPFNEW");
  // The user's changes to one row: its texts and ages, and two of its rates.
  AdsTableCPF.FindKey({"2007", "PR1", "3"});
  AdsTableCPF.Edit();
  AdsTableCPF.FieldByName("DESC").SetAsString("PR first year, 50 to 55");
  AdsTableCPF.FieldByName("AGE_CODE").SetAsString("X");
  AdsTableCPF.FieldByName("AGE_FROM").SetAsFloat(51);
  AdsTableCPF.FieldByName("AGE_TO").SetAsFloat(56);
  AdsTableCPF.FieldByName("S3_ER%").SetAsFloat(0.5);
  AdsTableCPF.FieldByName("EMP_E%1").Clear();
  AdsTableCPF.Post();
  AdsTableCPF.Close();

  LoadCpf2007Rates(Tables());
  AdsTableCPF.Close();
  const std::vector<Values> again = Rows("CPFNEW");
  ASSERT_EQ(again.size(), 61u);
  for (std::size_t i = 0; i < again.size(); ++i) {
    Values expected = loaded[i];
    if (expected.at("CPF_CAT") == "PR1" && expected.at("CPF_AGE_TYPE") == "3") {
      expected["DESC"] = "PR first year, 50 to 55";
      expected["AGE_CODE"] = "X";
      expected["AGE_FROM"] = "51";
      expected["AGE_TO"] = "56";
    }
    EXPECT_EQ(again[i], expected) << i;
  }
}

class LoadVoluntary : public CpfTables {
 protected:
  void SetUp() override {
    CpfTables::SetUp();
    MakeCpfnew();
    MakeFwLevy();
  }
};

TEST_F(LoadVoluntary, AddsTheSchemeRowsAndClassRowsOnlyWhereAbsent) {
  Append("CPFNEW", {{"YEAR", "2007"}, {"CPF_CAT", "VOL1"}, {"CPF_AGE_TYPE", "1"}, {"AGE_FROM", "0"},
                    {"DESC", "stored"}, {"S1_ER%", "0.2"}});
  // "VOL2" as the levy loader writes it, in period part 1: present whatever its part.
  Append("FW_LEVY", {{"YEAR", "2010"}, {"CLASS", "VOL2"}, {"CATEGORY", "CLS"}, {"PERIOD_PART", "1"},
                     {"DESC", "Voluntary Scheme 2"}});
  Append("FW_LEVY", {{"YEAR", "2010"}, {"CLASS", "VOL3"}, {"CATEGORY", "FWL"}, {"DESC", "a levy class"}});
  // AdsTable1 may still be open from an earlier step.
  AdsTable1.SetTableName("FW_LEVY");
  AdsTable1.Open();

  LoadVoluntaryCpf2007(Tables());
  EXPECT_FALSE(AdsTable1.Active());
  AdsTableCPF.Close();

  std::vector<std::string> keys = {"2007|VOL1|1|0"};
  for (const std::string& k : KeysOf(VoluntaryCpf2007Rows()))
    if (k != keys[0]) keys.push_back(k);
  EXPECT_EQ(Rows("CPFNEW", kKey), keys);
  EXPECT_EQ(RowWithKey("CPFNEW", "2007", "VOL1", "1").at("S1_ER%"), "0.2");
  EXPECT_EQ(RowWithKey("CPFNEW", "2007", "VOL1", "2").at("S1_ER%"), "0.0964");
  // "Voluntary Scheme 1 " is written with its trailing blank, which a fixed-width text does not show.
  const std::vector<std::string> levy = {
      "2010|VOL2|CLS|1|Voluntary Scheme 2",       "2010|VOL3|FWL|<empty>|a levy class",
      "2010|VOL1|CLS|<empty>|Voluntary Scheme 1", "2010|VOL3|CLS|<empty>|Voluntary Scheme 3",
      "2010|VOL4|CLS|<empty>|Voluntary Scheme 4", "2010|VOL5|CLS|<empty>|Voluntary Scheme 5"};
  EXPECT_EQ(Rows("FW_LEVY", {"YEAR", "CLASS", "CATEGORY", "PERIOD_PART", "DESC"}), levy);

  LoadVoluntaryCpf2007(Tables());
  AdsTableCPF.Close();
  EXPECT_EQ(Rows("CPFNEW", kKey), keys);
  EXPECT_EQ(Rows("FW_LEVY", {"YEAR", "CLASS", "CATEGORY", "PERIOD_PART", "DESC"}), levy);
}

}  // namespace
}  // namespace kv::rates::testing
