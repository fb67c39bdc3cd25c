// The report field catalogue: one registration writing or overwriting a row, a failed post reported and given
// up, the lists' registrations at their places, and the report template update's repairs and rows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "report_tables.h"
#include "upgrade/column_lists.h"
#include "upgrade/report_field_rows.h"
#include "upgrade/report_fields.h"
#include "upgrade/report_templates.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<std::string> kColumns = {"NO",   "NO2",  "HEADING", "DATABASE1", "FIELD",
                                           "CODE", "WIDTH", "TYPE1",  "HIDE_WAGE"};

class ReportFields : public ReportCompany {
 protected:
  void SetUp() override {
    ReportCompany::SetUp();
    // As the window places it.
    wwTableRtable.SetAdsConnection(&AdsConnection1);
    wwTableRtable.SetTableName("RTABLE.ADT");
    wwTableRtable.SetIndexFieldNames("NO");
    wwTableRtable.SetFilter("database1='ALLW'");
    wwTableRtable.SetFiltered(true);
    wwTableRtable.OnPostError = [this](engine::TAdsDataSet&, const engine::EADSDatabaseError& error,
                                       engine::TDataAction& action) {
      postErrors.push_back(std::string(error.what()) + " Field No " + wwTableRtable.FieldByName("NO").AsString());
      action = engine::TDataAction::daFail;
    };
  }
  void TearDown() override {
    wwTableRtable.Close();
    ReportCompany::TearDown();
  }

  // The company with RTABLE (indexed as the suite indexes it: "NO", and unique on NO2 when asked) and others.
  void MakeCatalogue(Rows rows, std::vector<TableSpec> others = {}, bool uniqueNo2 = false) {
    others.push_back(Rtable(std::move(rows)));
    MakeFreeCompany(others);
    Index("RTABLE", {{"NO", "NO"}});
    if (uniqueNo2) Index("RTABLE", {{"NO2", "NO2"}}, true);
  }

  std::map<std::string, std::string> Catalogue() {
    std::map<std::string, std::string> rows;
    for (const std::string& row : RowsOf("RTABLE", kColumns)) rows[row.substr(3, row.find('|') - 3)] = row;
    return rows;
  }

  engine::TAdsTable wwTableRtable{"wwTableRtable", "Form1"};
  std::vector<std::string> postErrors;
};

TEST_F(ReportFields, ARegistrationOverwritesEveryColumnAlsoWithEmptyTextsAndAppendsANewNumber) {
  MakeCatalogue({{{"NO", "1250"}, {"NO2", "77"}, {"HEADING", "OLD"}, {"DATABASE1", "ALLW"}, {"FIELD", "F"},
                  {"CODE", "C"}, {"WIDTH", "99"}, {"TYPE1", "A"}, {"HIDE_WAGE", "T"}}});
  RegisterReportField(wwTableRtable, {"1250", "", "STARTDATE", "EMP_ALW", "STARTDATE", "", "10", "D", "F"});
  RegisterReportField(wwTableRtable, {"9921", "", "STIN2", "EMPLOYEE", "STIN2", "", "40", "A", "F"});
  EXPECT_THAT(RowsOf("RTABLE", kColumns),
              ElementsAre("NO=1250|NO2=|HEADING=STARTDATE|DATABASE1=EMP_ALW|FIELD=STARTDATE|CODE=|WIDTH=10|TYPE1=D|"
                          "HIDE_WAGE=F",
                          "NO=9921|NO2=|HEADING=STIN2|DATABASE1=EMPLOYEE|FIELD=STIN2|CODE=|WIDTH=40|TYPE1=A|"
                          "HIDE_WAGE=F"));
  // Closed, and without its filter: only the template update switches it on again.
  EXPECT_FALSE(wwTableRtable.Active());
  EXPECT_FALSE(wwTableRtable.Filtered());
  EXPECT_THAT(postErrors, IsEmpty());
}

TEST_F(ReportFields, AFailedPostIsReportedGivenUpAndTheNextRegistrationIsWritten) {
  MakeCatalogue({{{"NO", "9"}, {"NO2", "61"}}}, {}, true);
  EXPECT_NO_THROW(RegisterReportField(wwTableRtable, ListRegistrations("70")[0]));  // NO2 "61" is taken
  ASSERT_EQ(postErrors.size(), 1u);
  EXPECT_THAT(postErrors[0], ::testing::EndsWith(" Field No 70"));
  EXPECT_FALSE(wwTableRtable.Active());
  RegisterReportField(wwTableRtable, ListRegistrations("9920")[0]);
  EXPECT_THAT(RowsOf("RTABLE", {"NO"}), ElementsAre("NO=9", "NO=9920"));
}

TEST_F(ReportFields, ACompanyWithoutTheCatalogueTakesNoRegistrationAndNoTemplateUpdate) {
  MakeFreeCompany({});
  EXPECT_NO_THROW(RegisterReportField(wwTableRtable, ListRegistrations("1250")[0]));
  EXPECT_NO_THROW(UpdateReportTemplates(Window(), wwTableRtable));
  EXPECT_FALSE(wwTableRtable.Active());
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

// The numbers each block of lists D and B registers, in order.
TEST(ReportFieldPlaces, TheListsRegisterTheirRowsAtTheirPlaces) {
  std::map<std::string, std::string> places;
  for (const ColumnList* list : {&ListD(), &ListB(), &ListN()})
    for (const ColumnBlock& block : *list)
      for (const ListEntry& entry : block.entries)
        if (const auto* fields = std::get_if<ReportFieldRows>(&entry)) {
          std::string& numbers = places[std::string(block.name)];
          for (const ReportField& f : ListRegistrations(fields->numbers))
            numbers += (numbers.empty() ? "" : " ") + std::string(f.no);
        }
  const std::map<std::string, std::string> expected = {
      {"D1", "1250"},
      {"D4", "70"},
      {"D7", "1256 1257 55 8 4"},
      {"D8", "165 9920 9921 9922"},
      {"D9", "9900 9919 9048 9049 9050 9051 9052 9053 9054 9055 9056 54 27"},
      {"D13", "9048 9049 9050 9051 9052 9053 9054 9055 9056 150"},
      {"B5", "564 565 566 567 568 569 570 571 573"},
      {"B7", "9076 9077 9078 9079 70"},
  };
  EXPECT_EQ(places, expected);
  EXPECT_THROW(ListRegistrations("1250, 12345"), std::invalid_argument);
}

TEST_F(ReportFields, TheTemplateUpdateOnAnEmptyCatalogueAppendsItsRowsAndRepairsNothingThatIsMissing) {
  MakeCatalogue({}, {{"FAMILY", [](TFieldDefs& f) { f.Add("IC_PASSPORT_NUM", FT::ftString, 10); }}});
  UpdateReportTemplates(Window(), wwTableRtable);
  const auto rows = Catalogue();
  // 33 rows of the keyed steps that append, 96 registrations, and 1225 after them (256 is a registration).
  EXPECT_EQ(rows.size(), 130u);
  EXPECT_EQ(rows.at("1212"),
            "NO=1212|NO2=|HEADING=CURRENCY|DATABASE1=EMPLOYEE|FIELD=FCURR_CODE|CODE=|WIDTH=8|TYPE1=A|HIDE_WAGE=");
  EXPECT_EQ(rows.at("251"),
            "NO=251|NO2=850|HEADING=PAY STATUS|DATABASE1=EMPSERV|FIELD=EMPSTATUS|CODE=|WIDTH=8|TYPE1=A|HIDE_WAGE=");
  EXPECT_EQ(rows.at("1215"), "NO=1215|NO2=|HEADING=DEPARTMENT DESC|DATABASE1=TRAINING|FIELD=DEP-DESC|"
                             "CODE=DEPARTMENT|WIDTH=30|TYPE1=A|HIDE_WAGE=");
  EXPECT_EQ(rows.at("68"),
            "NO=68|NO2=60|HEADING=LOCATION|DATABASE1=EMPLOYEE|FIELD=LOCATION_CODE|CODE=|WIDTH=8|TYPE1=A|HIDE_WAGE=");
  for (const char* repairedOnly : {"1059", "1060", "1054", "1103", "734", "735", "852", "981", "710", "722", "870",
                                   "742", "743", "405", "406", "938", "80"})
    EXPECT_EQ(rows.count(repairedOnly), 0u) << repairedOnly;
  EXPECT_THAT(FieldsOf("FAMILY"), ElementsAre("IC_PASSPORT_NUM:ftString:16"));
  EXPECT_FALSE(wwTableRtable.Active());
  EXPECT_TRUE(wwTableRtable.Filtered());
  EXPECT_THAT(postErrors, IsEmpty());
}

TEST_F(ReportFields, TheTemplateUpdateRepairsRowsThatAreThereAndKeepsWhatItDoesNotSet) {
  MakeCatalogue({{{"NO", "1212"}, {"NO2", "5"}, {"HEADING", "MY CURRENCY"}, {"FIELD", "CURR"}, {"WIDTH", "3"}},
                 {{"NO", "710"}, {"HEADING", "GONE"}},
                 {{"NO", "1059"}, {"HEADING", "WARD"}, {"CODE", "OLD"}},
                 {{"NO", "1215"}, {"HEADING", "MINE"}, {"DATABASE1", "OTHER"}},
                 {{"NO", "80"}, {"HEADING", "GRADE"}, {"WIDTH", "8"}},
                 {{"NO", "1200"}, {"HEADING", "KEPT AS IT IS"}}});
  // The list's registration of 1250 comes first in a run; the template update's later one holds.
  RegisterReportField(wwTableRtable, ListRegistrations("1250")[0]);
  UpdateReportTemplates(Window(), wwTableRtable);
  const auto rows = Catalogue();
  EXPECT_EQ(rows.at("1212"),
            "NO=1212|NO2=900|HEADING=MY CURRENCY|DATABASE1=|FIELD=CURR|CODE=|WIDTH=3|TYPE1=|HIDE_WAGE=");
  EXPECT_EQ(rows.count("710"), 0u);
  EXPECT_EQ(rows.at("1059"), "NO=1059|NO2=|HEADING=WARD|DATABASE1=|FIELD=|CODE=WARD_CLASS|WIDTH=|TYPE1=|HIDE_WAGE=");
  EXPECT_EQ(rows.at("1215"), "NO=1215|NO2=|HEADING=MINE|DATABASE1=OTHER|FIELD=DEP-DESC|CODE=DEPARTMENT|WIDTH=30|"
                             "TYPE1=A|HIDE_WAGE=");
  EXPECT_EQ(rows.at("80"), "NO=80|NO2=|HEADING=JOB GRADE|DATABASE1=|FIELD=|CODE=|WIDTH=8|TYPE1=|HIDE_WAGE=");
  EXPECT_EQ(rows.at("1200"), "NO=1200|NO2=|HEADING=KEPT AS IT IS|DATABASE1=|FIELD=|CODE=|WIDTH=|TYPE1=|HIDE_WAGE=");
  EXPECT_EQ(rows.at("1250"), "NO=1250|NO2=|HEADING=STARTDATE|DATABASE1=EMP_ALW|FIELD=STARTDATE|CODE=|WIDTH=8|"
                             "TYPE1=A|HIDE_WAGE=F");
  // Without FAMILY its request is skipped and the update goes on.
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_TRUE(wwTableRtable.Filtered());
}

}  // namespace
}  // namespace kv::upgrade::testing
