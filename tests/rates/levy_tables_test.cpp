// The levy loaders on a company's FW_LEVY, PUBLIC and PAYPARA1: empty, partly filled, changed by the user,
// loaded twice, and without the tables or indexes the loaders rely on.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpf_tables.h"
#include "rates/levy_tables.h"

namespace kv::rates::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

const std::vector<std::string> kLevyRow = {"YEAR", "PERIOD_PART", "CLASS", "CATEGORY", "DESC", "MAX_PER_MTH",
                                           "DAILY_RATE"};

// PUBLIC with the key the holidays are searched by.
void MakePublic(engine::TAdsConnection& connection, bool withState = true) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("PUBLIC");
  t.SetExclusive(true);
  t.FieldDefs.Add("FINPERIOD", TFieldType::ftString, 4);
  t.FieldDefs.Add("DATE", TFieldType::ftDate);
  if (withState) t.FieldDefs.Add("STATE", TFieldType::ftString, 8);
  t.FieldDefs.Add("DESC", TFieldType::ftString, 40);
  t.CreateTable();
  t.Open();
  t.AddIndex("DATE", "DATE", {engine::TIndexOption::ixExpression});
  if (withState) t.AddIndex("FINPERIOD", "FINPERIOD;DATE;STATE", {engine::TIndexOption::ixExpression});
  t.Close();
}

// PAYPARA1, encrypted with the table password as the suite keeps it.
void MakePaypara1(engine::TAdsConnection& connection) {
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("PAYPARA1");
  t.SetExclusive(true);
  t.FieldDefs.Add("YEAR", TFieldType::ftString, 4);
  t.FieldDefs.Add("SDF_MAX", TFieldType::ftCurrency);
  t.FieldDefs.Add("SDF_MIN", TFieldType::ftCurrency);
  t.FieldDefs.Add("SDF", TFieldType::ftCurrency);
  t.CreateTable();
  t.Open();
  t.AddIndex("YEAR", "YEAR", {engine::TIndexOption::ixUnique, engine::TIndexOption::ixExpression});
  t.EnableEncryption(engine::kTablePassword);
  t.EncryptTable();
  t.Close();
}

class Levy : public CpfTables {
 protected:
  void SetUp() override {
    CpfTables::SetUp();
    AdsTable2.SetAdsConnection(&connection);
  }
  void TearDown() override {
    AdsTable2.Close();
    CpfTables::TearDown();
  }

  LevyTables Levies() { return {AdsQuery1, AdsTable1, AdsTable2, ui}; }

  // The levy rows as "YEAR|PART|CLASS|CATEGORY|DESC|MAX_PER_MTH|DAILY_RATE", in record order.
  std::vector<std::string> LevyRows() { return Rows("FW_LEVY", kLevyRow); }

  // The one row of that key; fails the test when there is not exactly one.
  std::string LevyRow(const std::string& year, const std::string& part, const std::string& cls,
                      const std::string& category = "FWL") {
    std::vector<std::string> found;
    for (const std::string& row : LevyRows())
      if (row.starts_with(year + "|" + part + "|" + cls + "|" + category + "|")) found.push_back(row);
    EXPECT_EQ(found.size(), 1u) << year << " " << part << " " << cls;
    return found.empty() ? "" : found[0];
  }

  // Every row of PAYPARA1, read with the table password.
  std::vector<std::string> Paypara1() {
    engine::TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName("PAYPARA1");
    t.SetIndexFieldNames("YEAR");
    t.Open();
    t.EnableEncryption(engine::kTablePassword);
    std::vector<std::string> rows;
    for (t.First(); !t.Eof(); t.Next())
      rows.push_back(t.FieldByName("YEAR").AsString() + "|" + t.FieldByName("SDF_MAX").AsString() + "|" +
                     t.FieldByName("SDF_MIN").AsString() + "|" + t.FieldByName("SDF").AsString());
    t.Close();
    return rows;
  }

  void AppendPaypara1(const Values& values) {
    engine::TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName("PAYPARA1");
    t.Open();
    t.EnableEncryption(engine::kTablePassword);
    t.Append();
    for (const auto& [field, text] : values) t.FieldByName(field).SetAsString(text);
    t.Post();
    t.Close();
  }

  void AppendLevy(const std::string& year, const std::string& part, const std::string& cls,
                  const std::string& category, const std::string& desc, const std::string& monthly,
                  const std::string& daily) {
    Values v = {{"YEAR", year}, {"CLASS", cls}, {"CATEGORY", category}, {"DESC", desc},
                {"MAX_PER_MTH", monthly}, {"DAILY_RATE", daily}};
    if (!part.empty()) v["PERIOD_PART"] = part;
    Append("FW_LEVY", v);
  }

  // The work tables as the window keeps them between steps: closed, AdsTable1 exclusive.
  void ExpectWorkTablesPutBack() {
    EXPECT_FALSE(AdsTable1.Active());
    EXPECT_FALSE(AdsTable2.Active());
    EXPECT_TRUE(AdsTable1.Exclusive());
  }

  engine::TAdsTable AdsTable2{"AdsTable2", "Form1"};
  kv::ui::ScriptedUi ui;
};

class LoadLevy : public Levy {
 protected:
  void SetUp() override {
    Levy::SetUp();
    MakeFwLevy();
    MakePublic(connection);
  }
};

TEST_F(LoadLevy, WritesThePublishedRowsWithTheirAmountsAndDerivedDailyRates) {
  LoadLevyTables(Levies());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  // 52 CPF class rows and 115 levy rows.
  EXPECT_THAT(LevyRows(), SizeIs(167));
  struct Case {
    const char *year, *part, *cls, *category, *row;
  };
  for (const Case& c : {
           // Passed rates kept up to 2011 part 1.
           Case{"2010", "1", "CW3", "FWL", "2010|1|CW3|FWL|Construction Worker-unskilled|300|10"},
           Case{"2010", "2", "CW1", "FWL", "2010|2|CW1|FWL|Construction Worker-skilled|160|6"},
           Case{"2011", "1", "CW1", "FWL", "2011|1|CW1|FWL|Construction Worker-skilled|160|5.27"},
           Case{"2011", "1", "MARINE-S", "FWL", "2011|1|MARINE-S|FWL|Marine Worker-Skilled(1)|170|5.59"},
           // Derived from 2011 part 2 on: 5.59 passed, 180 a month gives 5.92.
           Case{"2011", "2", "CW1", "FWL", "2011|2|CW1|FWL|Construction Worker-skilled|180|5.92"},
           Case{"2011", "2", "PROCESS-", "FWL", "2011|2|PROCESS-|FWL|Process Worker-skilled MYE(2)|180|5.92"},
           Case{"2011", "2", "SPASS", "FWL", "2011|2|SPASS|FWL|S PASS up to 20%|120|3.95"},
           Case{"2011", "2", "PROCWV-S", "FWL", "2011|2|PROCWV-S|FWL|Process Worker Waiver-skilled MYE(3)|330|10.85"},
           Case{"2012", "1", "MFG50TO6", "FWL", "2012|1|MFG50TO6|FWL|Manufacturing-Btw 55-65%|450|14.8"},
           // A zero rate stays zero.
           Case{"2012", "1", "CW1", "FWL", "2012|1|CW1|FWL|Construction Worker-skilled|180|0"},
           Case{"2012", "2", "SPASS_2", "FWL", "2012|2|SPASS_2|FWL|S PASS 20% to 25%|250|0"},
           // CPF classes.
           Case{"2010", "1", "VOL3", "CLS", "2010|1|VOL3|CLS|Voluntary Scheme 3|0|0"},
           Case{"2010", "1", "NONE", "NON", "2010|1|NONE|NON|NONE (Employment Pass)|0|0"},
           Case{"2010", "2", "NONE", "NON", "2010|2|NONE|NON|EP HOLDER|0|0"},
           Case{"2012", "2", "NONE", "NON", "2012|2|NONE|NON|EP HOLDER|0|0"},
           Case{"2010", "1", "CLASS1", "CLA", "2010|1|CLASS1|CLA|Local Resident (Singaporean)|0|0"},
           Case{"2012", "2", "PR_ER", "CLS", "2012|2|PR_ER|CLS|PR Full Emp'er & Graduated Emp'ee|0|0"},
       }) {
    EXPECT_EQ(LevyRow(c.year, c.part, c.cls, c.category), c.row);
  }
  // No row where the published grid has none.
  for (const std::string& row : LevyRows()) {
    EXPECT_FALSE(row.starts_with("2010|1|CW1|")) << row;
    EXPECT_FALSE(row.starts_with("2012|1|MFG50TO7|")) << row;
    EXPECT_FALSE(row.starts_with("2010|1|COW|")) << row;
  }
  EXPECT_THAT(Rows("PUBLIC", {"FINPERIOD", "DATE", "STATE", "DESC"}),
              ElementsAre("2011|2011-05-02|<empty>|Labour Day*", "2011|2011-11-07|<empty>|Hari Raya Haji*",
                          "2011|2011-12-26|<empty>|Christmas Day*"));
  // The live query stays on FW_LEVY; the work table is closed.
  EXPECT_TRUE(AdsQuery1.Active());
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(LoadLevy, ASecondLoadUpdatesInPlaceAndLeavesOtherRowsAlone) {
  // A published key with the user's changes, a year the load does not know, a holiday already there.
  AppendLevy("2011", "2", "CW1", "FWL", "changed by hand", "999", "99");
  AppendLevy("2009", "1", "CW1", "FWL", "Construction Worker-skilled", "150", "5");
  Append("PUBLIC", {{"FINPERIOD", "2011"}, {"DATE", "2011-11-07"}, {"DESC", "Hari Raya Haji"}});
  LoadLevyTables(Levies());
  const std::vector<std::string> first = LevyRows();
  EXPECT_THAT(first, SizeIs(168));
  EXPECT_EQ(first[0], "2011|2|CW1|FWL|Construction Worker-skilled|180|5.92");
  EXPECT_EQ(first[1], "2009|1|CW1|FWL|Construction Worker-skilled|150|5");
  LoadLevyTables(Levies());
  EXPECT_EQ(LevyRows(), first);
  EXPECT_THAT(Rows("PUBLIC", {"DATE", "DESC"}),
              UnorderedElementsAre("2011-11-07|Hari Raya Haji", "2011-05-02|Labour Day*",
                                   "2011-12-26|Christmas Day*"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(LoadLevy, WithoutTheKeyIndexTheFirstRowShowsWhyMakesTheIndexAndTheLoadGoesOn) {
  // FW_LEVY after its PERIOD_PART came but before the key did.
  AdsQuery1.SQL().Add("DROP INDEX FW_LEVY.[PRIMARY]");
  AdsQuery1.ExecSQL();
  AdsQuery1.CloseStatement();
  LoadLevyTables(Levies());
  ASSERT_THAT(ui.Messages(), SizeIs(1));
  EXPECT_THAT(ui.Messages()[0], HasSubstr(" SQL :SELECT * FROM FW_LEVY "));
  EXPECT_THAT(LevyRows(), SizeIs(167));
  AdsQuery1.Close();
  engine::TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("FW_LEVY");
  t.UpdateIndexDefs();
  ASSERT_NE(t.IndexDefs.Find("PRIMARY"), nullptr);
  EXPECT_EQ(t.IndexDefs.Find("PRIMARY")->Key(), "YEAR;CLASS;CATEGORY;PERIOD_PART");
}

TEST_F(Levy, AHolidayTableWithoutItsKeyShowsEachFailureAndTheLevyRowsAreStillWritten) {
  MakeFwLevy();
  MakePublic(connection, false);
  LoadLevyTables(Levies());
  EXPECT_THAT(ui.Messages(), SizeIs(3));
  EXPECT_THAT(LevyRows(), SizeIs(167));
  EXPECT_THAT(Rows("PUBLIC"), IsEmpty());
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(Levy, ACompanyWithoutTheLevyTablesIsLeftAlone) {
  LoadLevyTables(Levies());
  CopyLevy2004To2005(Levies());
  CopyLevy2007To2008(Levies());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_FALSE(AdsQuery1.Active());
  ExpectWorkTablesPutBack();
}

class Copy2007 : public Levy {
 protected:
  void SetUp() override {
    Levy::SetUp();
    MakeFwLevy();
    AppendLevy("2007", "1", "CLASS1", "CLA", "Local Resident", "0", "0");
    AppendLevy("2007", "1", "CW1", "FWL", "Construction Worker-skilled", "80", "3");
    AppendLevy("2007", "1", "SPASS", "FWL", "S PASS", "100", "4");
    AppendLevy("2007", "1", "MFG", "FWL", "Manufacturing", "100", "4");
    AppendLevy("2007", "1", "SERVICE", "FWL", "Service", "200", "7");
    // Copied already, and changed by hand since.
    AppendLevy("2008", "1", "MFG", "FWL", "Manufacturing 2008", "120", "4.5");
  }
};

TEST_F(Copy2007, CopiesMissingRowsRaisesThe80And100RowsAndTwiceDuplicatesNothing) {
  const std::vector<std::string> expected2008 = {
      "2008|1|MFG|FWL|Manufacturing 2008|150|5",  // found: kept, but the 100 rule applies
      "2008|1|CLASS1|CLA|CLASS 1 (Singaporean)|0|0",
      "2008|1|CW1|FWL|Construction Worker-skilled|150|5",
      "2008|1|SERVICE|FWL|Service|200|7",
      "2008|1|SPASS|FWL|S PASS|100|4",  // S Pass keeps its maximum
      "2008|1|CW3|FWL|Construction Worker-unskilled|300|10",
  };
  const auto rows2008 = [this] {
    std::vector<std::string> rows;
    for (const std::string& r : LevyRows())
      if (r.starts_with("2008|")) rows.push_back(r);
    return rows;
  };
  CopyLevy2007To2008(Levies());
  EXPECT_THAT(rows2008(), UnorderedElementsAreArray(expected2008));
  ExpectWorkTablesPutBack();
  CopyLevy2007To2008(Levies());
  EXPECT_THAT(rows2008(), UnorderedElementsAreArray(expected2008));
  EXPECT_THAT(LevyRows(), SizeIs(11));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

class Copy2004 : public Levy {
 protected:
  void SetUp() override {
    Levy::SetUp();
    MakeFwLevy();
    MakePaypara1(connection);
  }
  std::vector<std::string> Rows2005() {
    std::vector<std::string> rows;
    for (const std::string& r : LevyRows())
      if (r.starts_with("2005|")) rows.push_back(r);
    return rows;
  }
};

TEST_F(Copy2004, CopiesThe2004RowsAndRaisesEveryMaximumOf30AlsoInRowsThatExisted) {
  // Rows of a company that kept no part: the copies go to part 1.
  AppendLevy("2004", "", "CW1", "FWL", "Construction Worker", "30", "1");
  AppendLevy("2004", "", "SERVICE", "FWL", "Service", "200", "7");
  AppendLevy("2005", "", "SERVICE", "FWL", "Service 2005", "30", "1");
  CopyLevy2004To2005(Levies());
  const std::vector<std::string> expected = {
      "2005|<empty>|SERVICE|FWL|Service 2005|50|2",
      "2005|1|SPASS|FWL|S PASS|50|2",
      "2005|1|CW1|FWL|Construction Worker|50|2",
  };
  EXPECT_THAT(Rows2005(), UnorderedElementsAreArray(expected));
  // The S Pass row of 2004 is added when missing, and copied with the rest.
  EXPECT_EQ(LevyRow("2004", "1", "SPASS"), "2004|1|SPASS|FWL|S PASS|50|2");
  ExpectWorkTablesPutBack();
  CopyLevy2004To2005(Levies());
  EXPECT_THAT(Rows2005(), UnorderedElementsAreArray(expected));
  EXPECT_THAT(LevyRows(), SizeIs(6));
}

struct SdfCase {
  const char* name;
  std::vector<std::vector<std::string>> rows;  // YEAR, SDF_MAX, SDF_MIN, SDF
  std::vector<std::string> after;
};

TEST_F(Copy2004, TheSdfParametersOf2004AreCarriedTo2005OnlyWhenThereAreAny) {
  for (const SdfCase& c : {
           SdfCase{"2005 made from 2004", {{"2004", "11.25", "2", "0.25"}},
                   {"2004|11.25|2|0.25", "2005|1800|2|0.25"}},
           SdfCase{"2005 rewritten from 2004", {{"2004", "11.25", "3", "0.5"}, {"2005", "9", "9", "9"}},
                   {"2004|11.25|3|0.5", "2005|1800|3|0.5"}},
           SdfCase{"no SDF in 2004", {{"2004", "0", "2", "0.25"}, {"2005", "9", "9", "9"}},
                   {"2004|0|2|0.25", "2005|9|9|9"}},
           // Nothing to carry: the 2005 row kept by hand is not overwritten with defaults.
           SdfCase{"no 2004 row", {{"2005", "9", "9", "9"}}, {"2005|9|9|9"}},
           SdfCase{"no rows", {}, {}},
       }) {
    SCOPED_TRACE(c.name);
    engine::TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName("PAYPARA1");
    t.Open();
    t.EnableEncryption(engine::kTablePassword);
    t.EmptyTable();
    t.Close();
    for (const auto& r : c.rows) AppendPaypara1({{"YEAR", r[0]}, {"SDF_MAX", r[1]}, {"SDF_MIN", r[2]}, {"SDF", r[3]}});
    CopyLevy2004To2005(Levies());
    EXPECT_EQ(Paypara1(), c.after);
  }
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

}  // namespace
}  // namespace kv::rates::testing
