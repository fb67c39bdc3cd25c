// The report writer's conversions: free-field labels, formula variables, field catalogue repairs and the
// allowance renumbering with the report columns that show the allowances.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "conversions/report_writer.h"
#include "upgrade/report_tables.h"

namespace kv::conversions::testing {
namespace {

using namespace kv::upgrade::testing;

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class ReportWriter : public ReportCompany {};

TEST_F(ReportWriter, FreeFieldLabelsAreAddedForTheFieldsNoModuleHasAndOnlyOnce) {
  MakeFreeCompany({{"FREEFIELD",
                    [](TFieldDefs& f) {
                      f.Add("MODULE", FT::ftString, 8);
                      f.Add("LINE", FT::ftString, 2);
                      f.Add("CTLFIELD", FT::ftString, 10);
                      f.Add("DESCRIPTION", FT::ftString, 40);
                      f.Add("CAPTION", FT::ftString, 40);
                    },
                    {{{"MODULE", "EMP"}, {"LINE", "3"}, {"CTLFIELD", "FIELD12"}, {"CAPTION", "Shoe size"}}}}});
  AddFreeFieldLabels(AdsTable1);
  AddFreeFieldLabels(AdsTable1);
  EXPECT_THAT(RowsOf("FREEFIELD", {"MODULE", "LINE", "CTLFIELD", "DESCRIPTION", "CAPTION"}),
              ElementsAre("MODULE=EMP|LINE=3|CTLFIELD=FIELD12|DESCRIPTION=|CAPTION=Shoe size",
                          "MODULE=UPD|LINE=1|CTLFIELD=FIELD11|DESCRIPTION=<Description11>|CAPTION=<Description11>",
                          "MODULE=UPD|LINE=1|CTLFIELD=FIELD13|DESCRIPTION=<Description13>|CAPTION=<Description13>",
                          "MODULE=UPD|LINE=1|CTLFIELD=FIELD14|DESCRIPTION=<Description14>|CAPTION=<Description14>",
                          "MODULE=UPD|LINE=1|CTLFIELD=FIELD15|DESCRIPTION=<Description15>|CAPTION=<Description15>"));
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(ReportWriter, FormulaVariablesAreAddedWhenAbsentAndASecondRunAddsNothing) {
  MakeFreeCompany({{"FORMULA",
                    [](TFieldDefs& f) {
                      f.Add("FIELD", FT::ftString, 10);
                      f.Add("DESC", FT::ftString, 40);
                      f.Add("FIELDTABLE", FT::ftString, 20);
                      f.Add("TABLE", FT::ftString, 20);
                    },
                    {{{"FIELD", "VA61"}, {"DESC", "BONUS DAYS"}, {"FIELDTABLE", "BONUS"}, {"TABLE", "EMPSERV"}}}}});
  Index("FORMULA", {{"FIELD", "FIELD"}});
  AddFormulaVariables(AdsTable1);
  AddFormulaVariables(AdsTable1);
  const auto rows = RowsOf("FORMULA", {"FIELD", "DESC", "FIELDTABLE", "TABLE"});
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0], "FIELD=VA61|DESC=BONUS DAYS|FIELDTABLE=BONUS|TABLE=EMPSERV");
  EXPECT_EQ(rows[1], "FIELD=VA60|DESC=FREE NUMERIC1|FIELDTABLE=NUMERIC1|TABLE=EMPMISC");
  EXPECT_EQ(rows[2], "FIELD=VA62|DESC=FREE NUMERIC3|FIELDTABLE=NUMERIC3|TABLE=EMPMISC");
  EXPECT_EQ(rows[9], "FIELD=VA69|DESC=FREE NUMERIC10|FIELDTABLE=NUMERIC10|TABLE=EMPMISC");
  EXPECT_EQ(rows[10], "FIELD=VA70|DESC=Working Day Per month|FIELDTABLE=|TABLE=");
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_EQ(AdsTable1.IndexFieldNames(), "");
}

TEST_F(ReportWriter, ReportFieldRepairsChangeTheRowsThereAndSkipTheMissingOne) {
  MakeFreeCompany({Rtable({{{"NO", "30"}, {"CODE", "DEPT"}},
                           {{"NO", "51"}},
                           {{"NO", "57"}},
                           {{"NO", "69"}, {"CODE", "OCC"}, {"WIDTH", "20"}},
                           {{"NO", "9"}, {"TYPE1", "A"}, {"HIDE_WAGE", "F"}, {"WIDTH", "12"}},
                           {{"NO", "31"}, {"CODE", "MINE"}}})});
  Index("RTABLE", {{"NO", "NO"}});
  FixReportFields(AdsTable1);
  EXPECT_THAT(RowsOf("RTABLE", {"NO", "CODE", "WIDTH", "TYPE1", "HIDE_WAGE"}),
              ElementsAre("NO=30|CODE=DEPARTMENT|WIDTH=|TYPE1=|HIDE_WAGE=", "NO=51|CODE=CATEGORY|WIDTH=|TYPE1=|HIDE_WAGE=",
                          "NO=57|CODE=COST_CENTRE|WIDTH=|TYPE1=|HIDE_WAGE=",
                          "NO=69|CODE=OCCUPATION|WIDTH=20|TYPE1=|HIDE_WAGE=", "NO=9|CODE=|WIDTH=12|TYPE1=N|HIDE_WAGE=T",
                          "NO=31|CODE=MINE|WIDTH=|TYPE1=|HIDE_WAGE="));
}

TEST_F(ReportWriter, ACompanyWithoutTheTablesIsLeftAsItIs) {
  MakeFreeCompany({});
  EXPECT_NO_THROW(AddFreeFieldLabels(AdsTable1));
  EXPECT_NO_THROW(AddFormulaVariables(AdsTable1));
  EXPECT_NO_THROW(FixReportFields(AdsTable1));
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_EQ(AdsTable1.IndexFieldNames(), "");
}

class Allowances : public ReportCompany {
 protected:
  void SetUp() override {
    ReportCompany::SetUp();
    // As the window places them.
    for (engine::TAdsTable* t : {&wwTableRtable, &wwTableRep, &wwTableAllw, &wwTableTrnno})
      t->SetAdsConnection(&AdsConnection1);
    wwTableRtable.SetTableName("RTABLE.ADT");
    wwTableRtable.SetIndexFieldNames("NO");
    wwTableRtable.SetFilter("database1='ALLW'");
    wwTableRtable.SetFiltered(true);
    wwTableRep.SetTableName("RTPDETL.ADT");
    wwTableRep.SetIndexFieldNames("RPTCODE;ID");
    wwTableRep.SetFilter("database1='ALLW'");
    wwTableRep.SetFiltered(true);
    wwTableAllw.SetTableName("ALLOWNCE");
    wwTableAllw.SetIndexFieldNames("ALLOW_CODE;YEAR");
    wwTableTrnno.SetTableName("TRNNO");
  }
  void TearDown() override {
    for (engine::TAdsTable* t : {&wwTableRtable, &wwTableRep, &wwTableAllw, &wwTableTrnno}) t->Close();
    ReportCompany::TearDown();
  }

  void MakeCompany() {
    MakeFreeCompany(
        {Rtable({{{"NO", "900"}, {"HEADING", "OLD TRANSPORT"}, {"DATABASE1", "ALLW"}, {"FIELD", "B"}, {"CODE", "AMOUNT"}},
                 {{"NO", "901"}, {"HEADING", "GONE"}, {"DATABASE1", "ALLW"}, {"FIELD", "Z"}, {"CODE", "AMOUNT"}},
                 {{"NO", "2"}, {"HEADING", "EMPLOYEE NAME"}, {"DATABASE1", "EMPLOYEE"}, {"FIELD", "EMP_NAME"}}}),
         {"ALLOWNCE",
          [](TFieldDefs& f) {
            f.Add("ALLOW_CODE", FT::ftString, 8);
            f.Add("YEAR", FT::ftString, 4);
            f.Add("DESC", FT::ftString, 30);
            f.Add("TRNNO", FT::ftInteger);
          },
          {{{"ALLOW_CODE", "B"}, {"YEAR", "2010"}, {"DESC", "TRANSPORT"}, {"TRNNO", "900"}},
           {{"ALLOW_CODE", "A"}, {"YEAR", "2011"}, {"DESC", "MEAL 2011"}, {"TRNNO", "7"}},
           {{"ALLOW_CODE", "A"}, {"YEAR", "2010"}, {"DESC", "MEAL"}, {"TRNNO", "3"}}}},
         {"RTPDETL",
          [](TFieldDefs& f) {
            f.Add("RPTCODE", FT::ftString, 8);
            f.Add("ID", FT::ftInteger);
            f.Add("DATABASE1", FT::ftString, 12);
            f.Add("FIELD", FT::ftString, 30);
            f.Add("CODE", FT::ftString, 20);
            f.Add("COL", FT::ftInteger);
          },
          {{{"RPTCODE", "PAY"}, {"ID", "1"}, {"DATABASE1", "EMPLOYEE"}, {"FIELD", "EMP_NAME"}, {"COL", "5"}},
           {{"RPTCODE", "PAY"}, {"ID", "2"}, {"DATABASE1", "ALLW"}, {"FIELD", "B"}, {"CODE", "AMOUNT"}, {"COL", "900"}},
           {{"RPTCODE", "PAY"}, {"ID", "3"}, {"DATABASE1", "ALLW"}, {"FIELD", "A"}, {"CODE", "AMOUNT"}}}},
         {"TRNNO", [](TFieldDefs& f) { f.Add("TRNNO", FT::ftInteger); }, {{{"TRNNO", "902"}}}}});
    Index("RTABLE", {{"NO", "NO"}, {"DATABASE1", "DATABASE1;FIELD;CODE"}});
    Index("ALLOWNCE", {{"ALLOW_CODE", "ALLOW_CODE;YEAR"}});
    Index("RTPDETL", {{"RPTCODE", "RPTCODE;ID"}});
  }

  void Renumber() { RenumberAllowanceColumns({wwTableRtable, wwTableRep, wwTableAllw, wwTableTrnno}); }

  void ExpectRenumbered() {
    EXPECT_THAT(RowsOf("ALLOWNCE", {"ALLOW_CODE", "YEAR", "TRNNO"}),
                UnorderedElementsAre("ALLOW_CODE=A|YEAR=2010|TRNNO=1500", "ALLOW_CODE=A|YEAR=2011|TRNNO=1500",
                                     "ALLOW_CODE=B|YEAR=2010|TRNNO=1501"));
    EXPECT_THAT(RowsOf("TRNNO", {"TRNNO"}), ElementsAre("TRNNO=1502"));
    // One row per allowance code, headed by the description of its last year.
    EXPECT_THAT(RowsOf("RTABLE", {"NO", "HEADING", "DATABASE1", "FIELD", "CODE", "WIDTH", "TYPE1", "HIDE_WAGE"}),
                UnorderedElementsAre(
                    "NO=2|HEADING=EMPLOYEE NAME|DATABASE1=EMPLOYEE|FIELD=EMP_NAME|CODE=|WIDTH=|TYPE1=|HIDE_WAGE=",
                    "NO=1500|HEADING=MEAL 2011|DATABASE1=ALLW|FIELD=A|CODE=AMOUNT|WIDTH=12|TYPE1=N|HIDE_WAGE=T",
                    "NO=1501|HEADING=TRANSPORT|DATABASE1=ALLW|FIELD=B|CODE=AMOUNT|WIDTH=12|TYPE1=N|HIDE_WAGE=T"));
    EXPECT_THAT(RowsOf("RTPDETL", {"ID", "COL"}), ElementsAre("ID=1|COL=2", "ID=2|COL=1501", "ID=3|COL=1500"));
    for (engine::TAdsTable* t : {&wwTableRtable, &wwTableRep, &wwTableAllw, &wwTableTrnno})
      EXPECT_FALSE(t->Active()) << t->Name();
    EXPECT_TRUE(wwTableRtable.Filtered());
    EXPECT_TRUE(wwTableRep.Filtered());
    EXPECT_EQ(wwTableRtable.IndexFieldNames(), "NO");
  }

  engine::TAdsTable wwTableRtable{"wwTableRtable", "Form1"};
  engine::TAdsTable wwTableRep{"wwTableRep", "Form1"};
  engine::TAdsTable wwTableAllw{"wwTableAllw", "Form1"};
  engine::TAdsTable wwTableTrnno{"wwTableTrnno", "Form1"};
};

TEST_F(Allowances, CodesGetNumbersFrom1500AndTheReportColumnsPointAtTheirFieldsAgainTwiceTheSame) {
  MakeCompany();
  Renumber();
  ExpectRenumbered();
  Renumber();
  ExpectRenumbered();
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(Allowances, WithoutAllowancesTheAllowanceFieldsGoAndTheNextFreeNumberIs1500) {
  MakeCompany();
  wwTableAllw.Open();
  while (!wwTableAllw.Eof()) wwTableAllw.Delete();
  wwTableAllw.Close();
  Renumber();
  EXPECT_THAT(RowsOf("RTABLE", {"NO"}), ElementsAre("NO=2"));
  EXPECT_THAT(RowsOf("TRNNO", {"TRNNO"}), ElementsAre("TRNNO=1500"));
}

}  // namespace
}  // namespace kv::conversions::testing
