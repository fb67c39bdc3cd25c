// The three writers on tables made empty from their definitions: what each finds present, what it writes, and
// the statements AddCpf2Rate sends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpf_tables.h"
#include "rates/cpf_writers.h"

namespace kv::rates::testing {
namespace {

CpfRateRow Row(const std::string& year, const std::string& category, const std::string& ageType, double ageFrom) {
  CpfRateRow r;
  r.YEAR = year;
  r.CPF_CAT = category;
  r.CPF_AGE_TYPE = ageType;
  r.AGE_CODE = "F";
  r.DESC = "written";
  r.AGE_FROM = ageFrom;
  r.AGE_TO = ageFrom + 5;
  return r;
}

// Text between the first "(" and the last ")" of the lines, split at commas, each part trimmed of blanks.
std::vector<std::string> ListIn(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l;
  text = text.substr(text.find('(') + 1, text.rfind(')') - text.find('(') - 1);
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    std::string item = text.substr(start, comma - start);
    item.erase(0, item.find_first_not_of(' '));
    item.erase(item.find_last_not_of(' ') + 1);
    items.push_back(item);
    start = comma + 1;
  }
  return items;
}

std::vector<std::string> Lines(const engine::TAdsQuery& q) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < q.SQL().Count(); ++i) lines.push_back(q.SQL()[i]);
  return lines;
}

class Cpf2Writer : public CpfTables {
 protected:
  void SetUp() override {
    CpfTables::SetUp();
    MakeCpfnew2();
  }
};

TEST_F(Cpf2Writer, InsertsARowOnlyWhenItsFourKeyValuesAreAbsent) {
  Append("CPFNEW2", {{"YEAR", "2013"}, {"CPF_CAT", "S"}, {"CPF_AGE_TYPE", "1"}, {"AGE_FROM", "0"},
                     {"DESC", "stored"}, {"S1_ER%", "0.5"}});
  CpfRateRow same = Row("2013", "S", "1", 0);
  same.S1_ERPercent = 0.16;
  AddCpf2Rate(AdsQuery1, same);
  // Left open on the count that found the row.
  EXPECT_TRUE(AdsQuery1.Active());
  EXPECT_EQ(Lines(AdsQuery1), (std::vector<std::string>{
                                  "SELECT COUNT(*) AS RecAmt FROM CPFNEW2 ",
                                  "WHERE YEAR=:sYEAR AND CPF_CAT=:sCPF_CAT AND CPF_AGE_TYPE=:sCPF_AGE_TYPE AND "
                                  "AGE_FROM=:nAGE_FROM;"}));
  EXPECT_EQ(Rows("CPFNEW2", {"CPF_AGE_TYPE", "AGE_FROM", "DESC", "S1_ER%"}),
            (std::vector<std::string>{"1|0|stored|0.5"}));

  // Another AGE_FROM, another year, another category: each a key of its own.
  AddCpf2Rate(AdsQuery1, Row("2013", "S", "1", 35));
  EXPECT_FALSE(AdsQuery1.Active());
  AddCpf2Rate(AdsQuery1, Row("2012", "S", "1", 0));
  AddCpf2Rate(AdsQuery1, Row("2013", "PR1", "1", 0));
  // The empty age type of "MPF" and "FIX" is counted like any other: the second call finds the first's row
  // (a second insert would break the unique key).
  AddCpf2Rate(AdsQuery1, Row("2013", "FIX", "", 0));
  AddCpf2Rate(AdsQuery1, Row("2013", "FIX", "", 0));
  EXPECT_EQ(Rows("CPFNEW2", {"YEAR", "CPF_CAT", "CPF_AGE_TYPE", "AGE_FROM", "DESC"}),
            (std::vector<std::string>{"2013|S|1|0|stored", "2013|S|1|35|written", "2012|S|1|0|written",
                                      "2013|PR1|1|0|written", "2013|FIX||0|written"}));
}

TEST_F(Cpf2Writer, InsertStatementPairsEachColumnWithItsParameter) {
  AddCpf2Rate(AdsQuery1, Row("2013", "S", "2", 35));
  const std::vector<std::string> lines = Lines(AdsQuery1);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[0].rfind("INSERT INTO CPFNEW2(", 0), 0u);
  EXPECT_EQ(lines[7].rfind("VALUES(", 0), 0u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t indent = i >= 1 && i <= 6 ? 20 : i >= 8 ? 7 : 0;
    EXPECT_EQ(lines[i].find_first_not_of(' '), indent) << "line " << i + 1;
    EXPECT_EQ(lines[i].back(), ' ') << "line " << i + 1;
    EXPECT_NE(lines[i][lines[i].size() - 2], ' ') << "line " << i + 1;
  }
  const std::vector<std::string> columns = ListIn({lines.begin(), lines.begin() + 7});
  const std::vector<std::string> parameters = ListIn({lines.begin() + 7, lines.end()});
  ASSERT_EQ(columns.size(), 49u);
  ASSERT_EQ(parameters.size(), 49u);
  for (std::size_t k = 0; k < columns.size(); ++k) {
    // [S1_ER%] is filled by :nS1_ERPercent, [YEAR] by :sYEAR; the five texts come first.
    std::string expected = columns[k].substr(1, columns[k].size() - 2);
    if (const auto percent = expected.find('%'); percent != std::string::npos) expected.replace(percent, 1, "Percent");
    EXPECT_EQ(parameters[k], ":" + std::string(k < 5 ? "s" : "n") + expected) << "column " << k + 1;
  }
  EXPECT_EQ(columns[5], "[AGE_FROM]");
  EXPECT_EQ(columns[48], "[EMP_E%1]");
}

TEST_F(Cpf2Writer, EveryNumberIsStoredZerosIncludedAndTheSecondEmployerColumnsStayEmpty) {
  CpfRateRow r = Row("2013", "MPF", "", 0);
  r.AGE_TO = 0;
  r.SALARY_FROM3 = 200.01;
  r.S1_ERPercent = 0.1063;
  r.S5_MAXWAGE_ER = 652.5;
  r.EMP_EPercent1 = 5;
  AddCpf2Rate(AdsQuery1, r);
  const std::vector<Values> rows = Rows("CPFNEW2");
  ASSERT_EQ(rows.size(), 1u);
  const Values& stored = rows[0];
  EXPECT_EQ(stored.at("CPF_AGE_TYPE"), "");
  EXPECT_EQ(stored.at("SALARY_FROM3"), "200.01");
  EXPECT_EQ(stored.at("S1_ER%"), "0.1063");
  EXPECT_EQ(stored.at("S5_MAXWAGE_ER"), "652.5");
  EXPECT_EQ(stored.at("EMP_E%1"), "5");
  for (const char* c : {"AGE_FROM", "AGE_TO", "SALARY_FROM1", "SALARY_TO5", "S2_ER%", "S4_ADD_ER", "EMP_R%1"})
    EXPECT_EQ(stored.at(c), "0") << c;
  for (const std::string& c : Cpfnew2SecondEmployerColumns()) EXPECT_EQ(stored.at(c), "<empty>") << c;
  int filled = 0;
  for (const auto& [column, text] : stored) filled += text != "<empty>";
  EXPECT_EQ(filled, 49);
}

class CpfWriters : public CpfTables {
 protected:
  void SetUp() override {
    CpfTables::SetUp();
    MakeCpfnew();
  }
  void Open() {
    AdsTableCPF.Close();
    AdsTableCPF.Open();
  }
};

// Both CPFNEW writers search on YEAR, CPF_CAT and CPF_AGE_TYPE only.
TEST_F(CpfWriters, AddCpfRateAppendsOnlyWhenTheThreeKeyTextsAreAbsent) {
  Append("CPFNEW", {{"YEAR", "2007"}, {"CPF_CAT", "VOL1"}, {"CPF_AGE_TYPE", "1"}, {"AGE_FROM", "3"},
                    {"DESC", "stored"}, {"S1_ER%", "0.5"}});
  Open();
  CpfRateRow other = Row("2007", "VOL1", "1", 0);
  other.S1_ERPercent = 0.145;
  AddCpfRate(AdsTableCPF, other);
  CpfRateRow absent = Row("2007", "VOL1", "2", 35);
  absent.SALARY_TO5 = 1500;
  absent.S3_ADD_ER = 67.5;
  absent.EMP_RPercent1 = 5;
  AddCpfRate(AdsTableCPF, absent);
  AdsTableCPF.Close();
  EXPECT_EQ(Rows("CPFNEW", {"CPF_AGE_TYPE", "AGE_CODE", "DESC", "AGE_FROM", "AGE_TO", "S1_ER%", "SALARY_TO5",
                            "S3_ADD_ER", "EMP_R%1", "S4_ER%"}),
            (std::vector<std::string>{"1|<empty>|stored|3|<empty>|0.5|<empty>|<empty>|<empty>|<empty>",
                                      "2|F|written|35|40|0|1500|67.5|5|0"}));
}

TEST_F(CpfWriters, PutCpfRateOverwritesTheRatesAndKeepsCodeDescriptionAndAges) {
  Append("CPFNEW", {{"YEAR", "2007"}, {"CPF_CAT", "S"}, {"CPF_AGE_TYPE", "4"}, {"AGE_CODE", "X"},
                    {"AGE_FROM", "54"}, {"AGE_TO", "61"}, {"DESC", "changed by the user"}, {"SALARY_TO1", "9"},
                    {"S1_ER%", "0.9"}, {"EMP_E%1", "1"}});
  Open();
  CpfRateRow found = Row("2007", "S", "4", 55);
  found.SALARY_TO1 = 50;
  found.S1_ERPercent = 0.0498;
  found.S3_ADD_ER = 34.875;
  found.EMP_EPercent1 = 5;
  PutCpfRate(AdsTableCPF, found);
  PutCpfRate(AdsTableCPF, Row("2007", "S", "5", 60));
  AdsTableCPF.Close();
  EXPECT_EQ(Rows("CPFNEW", {"CPF_AGE_TYPE", "AGE_CODE", "DESC", "AGE_FROM", "AGE_TO", "SALARY_TO1", "S1_ER%",
                            "S3_ADD_ER", "EMP_E%1", "S2_ADD_ER"}),
            (std::vector<std::string>{"4|X|changed by the user|54|61|50|0.0498|34.875|5|0",
                                      "5|F|written|60|65|0|0|0|0|0"}));
}

}  // namespace
}  // namespace kv::rates::testing
