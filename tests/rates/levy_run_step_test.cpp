// The levy loaders as steps of the company run: the levy table preparation in list D under "Update latest
// September's 2011 CPF table?", the 2004 copy on data of 8.90 or older, the 2007 copy at the end of list N.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/console_fixture.h"

namespace kv::rates::testing {
namespace {

using kv::console::testing::AppendRows;
using kv::console::testing::FT;
using kv::console::testing::MakeTable;
using kv::console::testing::RowsOf;
using kv::console::testing::TFieldDefs;
using ::testing::Contains;
using ::testing::IsEmpty;

const std::vector<std::string> kLevy = {"YEAR", "PERIOD_PART", "CLASS", "CATEGORY", "DESC", "MAX_PER_MTH",
                                        "DAILY_RATE"};

class LevyRunStep : public kv::console::testing::Installation {
 protected:
  // A selected company of 8.50 with the levy tables of an older release: FW_LEVY without parts, keyed on three
  // fields; PAYPARA1 with its 2004 row; PUBLIC keyed by financial year, date and state.
  std::unique_ptr<kv::console::TForm1> Company(const std::string& code) {
    MakeRegistry({{code, code + " PTE LTD", "1"}});
    MakeCompany(code);
    engine::TAdsConnection& c = Connect(code);
    engine::TAdsTable holidays;
    holidays.SetAdsConnection(&c);
    holidays.SetTableName("PUBLIC");
    holidays.DeleteTable();
    MakeTable(c, {"PUBLIC",
                  [](TFieldDefs& f) {
                    f.Add("FINPERIOD", FT::ftString, 4);
                    f.Add("DATE", FT::ftDate);
                    f.Add("STATE", FT::ftString, 8);
                    f.Add("DESC", FT::ftString, 40);
                  },
                  {"DATE=DATE", "FINPERIOD=FINPERIOD;DATE;STATE"}});
    MakeTable(c, {"FW_LEVY",
                  [](TFieldDefs& f) {
                    f.Add("YEAR", FT::ftString, 4);
                    f.Add("CLASS", FT::ftString, 10);
                    f.Add("CATEGORY", FT::ftString, 3);
                    f.Add("DESC", FT::ftString, 40);
                    f.Add("DAILY_RATE", FT::ftCurrency);
                    f.Add("MAX_PER_MTH", FT::ftCurrency);
                  },
                  {"PRIMARY=YEAR;CLASS;CATEGORY"}});
    AppendRows(c, "FW_LEVY",
               {{{"YEAR", "2004"}, {"CLASS", "CW1"}, {"CATEGORY", "FWL"}, {"DESC", "Construction"},
                 {"MAX_PER_MTH", "30"}, {"DAILY_RATE", "1"}},
                {{"YEAR", "2007"}, {"CLASS", "CW1"}, {"CATEGORY", "FWL"}, {"DESC", "Construction"},
                 {"MAX_PER_MTH", "80"}, {"DAILY_RATE", "3"}},
                {{"YEAR", "2007"}, {"CLASS", "CLASS1"}, {"CATEGORY", "CLA"}, {"DESC", "Local"}},
                {{"YEAR", "2010"}, {"CLASS", "CW3"}, {"CATEGORY", "FWL"}, {"DESC", "Construction"},
                 {"MAX_PER_MTH", "300"}, {"DAILY_RATE", "10"}}});
    MakeTable(c, {"PAYPARA1",
                  [](TFieldDefs& f) {
                    f.Add("YEAR", FT::ftString, 4);
                    f.Add("SDF_MAX", FT::ftCurrency);
                    f.Add("SDF_MIN", FT::ftCurrency);
                    f.Add("SDF", FT::ftCurrency);
                  },
                  {"!YEAR=YEAR"}});
    AppendRows(c, "PAYPARA1", {{{"YEAR", "2004"}, {"SDF_MAX", "11.25"}, {"SDF_MIN", "2"}, {"SDF", "0.25"}}});
    auto form = StartedForm();
    form->Edit2.Subscribe([this](const std::string& text) { steps.push_back(text); });
    ui.AnswerNext(true);
    return form;
  }

  std::vector<std::string> Levy(const std::string& code) { return RowsOf(Connect(code), "FW_LEVY", kLevy); }
  std::vector<std::string> Rows(const std::string& code, const std::string& yearAndPart) {
    std::vector<std::string> rows;
    for (const std::string& r : Levy(code))
      if (r.starts_with("YEAR=" + yearAndPart)) rows.push_back(r);
    return rows;
  }

  std::vector<std::string> steps;
};

TEST_F(LevyRunStep, ARunLoadsTheLevyTablesCarriesOlderYearsForwardAndASecondRunChangesNothing) {
  auto form = Company("ABC");
  ASSERT_TRUE(form->chkCPFFWL.Checked());
  form->BitBtn1Click();
  EXPECT_TRUE(form->Closed());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  const auto start = std::find(steps.begin(), steps.end(), "UPDATE TABLE : FW_LEVY.ADT");
  ASSERT_NE(start, steps.end());
  EXPECT_EQ(*(start + 1), "UPDATE TABLE : FW_LEVY.ADT COMPLETED.");

  // The 2010 row without a part joined part 1 and took the published values in place.
  EXPECT_THAT(Rows("ABC", "2010|PERIOD_PART=1|CLASS=CW3|"),
              ::testing::ElementsAre("YEAR=2010|PERIOD_PART=1|CLASS=CW3|CATEGORY=FWL|"
                                     "DESC=Construction Worker-unskilled|MAX_PER_MTH=300|DAILY_RATE=10"));
  EXPECT_THAT(Rows("ABC", "2011|PERIOD_PART=2|CLASS=CW1|"),
              ::testing::ElementsAre("YEAR=2011|PERIOD_PART=2|CLASS=CW1|CATEGORY=FWL|"
                                     "DESC=Construction Worker-skilled|MAX_PER_MTH=180|DAILY_RATE=5.92"));
  // 2004 to 2005 on data of 8.50: the S Pass row comes, 30 a month becomes 50.
  EXPECT_THAT(Rows("ABC", "2005|"),
              ::testing::UnorderedElementsAre(
                  "YEAR=2005|PERIOD_PART=1|CLASS=CW1|CATEGORY=FWL|DESC=Construction|MAX_PER_MTH=50|DAILY_RATE=2",
                  "YEAR=2005|PERIOD_PART=1|CLASS=SPASS|CATEGORY=FWL|DESC=S PASS|MAX_PER_MTH=50|DAILY_RATE=2"));
  EXPECT_THAT(RowsOf(Connect("ABC"), "PAYPARA1", {"YEAR", "SDF_MAX", "SDF_MIN", "SDF"}, true),
              Contains("YEAR=2005|SDF_MAX=1800|SDF_MIN=2|SDF=0.25"));
  // 2007 to 2008 at the end of list N.
  EXPECT_THAT(Rows("ABC", "2008|"),
              ::testing::UnorderedElementsAre(
                  "YEAR=2008|PERIOD_PART=1|CLASS=CW1|CATEGORY=FWL|DESC=Construction|MAX_PER_MTH=150|DAILY_RATE=5",
                  "YEAR=2008|PERIOD_PART=1|CLASS=CLASS1|CATEGORY=CLA|DESC=CLASS 1 (Singaporean)|MAX_PER_MTH=|"
                  "DAILY_RATE=",
                  "YEAR=2008|PERIOD_PART=1|CLASS=CW3|CATEGORY=FWL|DESC=Construction Worker-unskilled|"
                  "MAX_PER_MTH=300|DAILY_RATE=10"));
  EXPECT_THAT(RowsOf(Connect("ABC"), "PUBLIC", {"FINPERIOD", "DESC"}), Contains("FINPERIOD=2011|DESC=Labour Day*"));

  const std::vector<std::string> levy = Levy("ABC");
  const std::vector<std::string> holidays = RowsOf(Connect("ABC"), "PUBLIC", {"FINPERIOD", "DATE", "DESC"});
  auto again = StartedForm();
  ASSERT_TRUE(again->SelectCompany("ABC", true));
  ui.AnswerNext(true);
  again->BitBtn1Click();
  EXPECT_TRUE(again->Closed());
  EXPECT_EQ(Levy("ABC"), levy);
  EXPECT_EQ(RowsOf(Connect("ABC"), "PUBLIC", {"FINPERIOD", "DATE", "DESC"}), holidays);
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

}  // namespace
}  // namespace kv::rates::testing
