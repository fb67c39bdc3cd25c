#include "conversions/code_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion_fixture.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Row = std::vector<std::pair<std::string, std::string>>;

Row Code(const std::string& category, const std::string& code, const std::string& description) {
  return {{"CATEGORY", category}, {"CODE", code}, {"DESC", description}};
}

TableSpec CodeTable(std::vector<Row> rows) {
  return {"CODE",
          [](TFieldDefs& f) {
            f.Add("CATEGORY", FT::ftString, 8);
            f.Add("CODE", FT::ftString, 8);
            f.Add("DESC", FT::ftString, 30);
            f.Add("METHOD", FT::ftString, 1);
          },
          std::move(rows)};
}

class CodeTables : public Conversion {
 protected:
  void SetUp() override {
    Company::SetUp();
    Place(AdsTableCode);
    AdsTableCode.SetTableName("CODE.ADT");
    AdsTableCode.SetIndexFieldNames("CATEGORY;CODE");
    AdsTableCode.SetExclusive(true);
    Place(AdsQuerySQL);
  }
  void TearDown() override {
    AdsTableCode.Close();
    AdsQuerySQL.Close();
    Company::TearDown();
  }

  std::vector<std::string> Codes() { return RowsOf("CODE", {"CATEGORY", "CODE", "DESC", "METHOD"}); }

  engine::TAdsTable AdsTableCode{"AdsTableCode", "Form1"};
  engine::TAdsQuery AdsQuerySQL{"AdsQuerySQL", "Form1"};
};

TEST_F(CodeTables, LeaveCodesAreAddedOnceAndExistingOnesKept) {
  MakeFreeCompany({CodeTable({Code("LEA", "INFANT", "Infant care (own text)")})});
  AddIndexes("CODE", {{"CATEGORY", "CATEGORY;CODE"}});
  AdsTable1.SetExclusive(true);
  AddLeaveCodes(AdsTable1);
  AddLeaveCodes(AdsTable1);
  EXPECT_THAT(Codes(), ElementsAre("CATEGORY=LEA|CODE=INFANT|DESC=Infant care (own text)|METHOD=",
                                   "CATEGORY=LEA|CODE=ECHILD|DESC=Enhanced Child Care Leave|METHOD=W"));
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(CodeTables, CompaniesWithoutTheTablesAreLeftAlone) {
  MakeFreeCompany({});
  ace::AdsTraceStart();
  AddLeaveCodes(AdsTable1);
  FixListValues(AdsTable1);
  EXPECT_THAT(ace::AdsTraceStop(), IsEmpty());
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(CodeTables, ListValuesBeginningWithDrLoseTheirR) {
  const std::pair<const char*, const char*> cases[] = {
      {"DR5", "D5"}, {"DR", "D"},     {"DR12", "D1"}, {"D5", "D5"},
      {"dr5", "dr5"}, {"XDR5", "XDR5"}, {"", ""},      {"R5", "R5"},
  };
  std::vector<Row> rows;
  for (const auto& c : cases) rows.push_back({{"VALUE", c.first}});
  MakeFreeCompany({{"LIST", [](TFieldDefs& f) { f.Add("VALUE", FT::ftString, 10); }, rows}});
  FixListValues(AdsTable1);
  std::vector<std::string> expected;
  for (const auto& c : cases) expected.push_back(std::string("VALUE=") + c.second);
  EXPECT_EQ(RowsOf("LIST", {"VALUE"}), expected);
  FixListValues(AdsTable1);  // what it made does not begin with "DR"
  EXPECT_EQ(RowsOf("LIST", {"VALUE"}), expected);
}

TEST_F(CodeTables, FamilyCodesFromOccupationsAndRelations) {
  MakeFreeCompany({
      CodeTable({Code("OCU", "ENG", "Engineer"), Code("OCU", "TECH", "Technician"), Code("RE", "SPOUSE", "Husband or wife"),
                 Code("SOU", "TECH", "Technician (kept)")}),
      {"FAMILY",
       [](TFieldDefs& f) {
         f.Add("EMP_NO", FT::ftString, 12);
         f.Add("OCCUPATION_CODE", FT::ftString, 8);
       },
       {{{"EMP_NO", "E1"}, {"OCCUPATION_CODE", "ENG"}},
        {{"EMP_NO", "E2"}, {"OCCUPATION_CODE", "STUDENT"}},  // no "OCU" code of its own
        {{"EMP_NO", "E2"}},                                  // no occupation
        {{"EMP_NO", "E3"}, {"OCCUPATION_CODE", "ENG"}},
        {{"EMP_NO", "E4"}, {"OCCUPATION_CODE", "TECH"}}}},
      {"EMPLOYEE",
       [](TFieldDefs& f) {
         f.Add("EMP_NO", FT::ftString, 12);
         f.Add("EMG_CONTACT_RELATION", FT::ftString, 8);
       },
       {{{"EMP_NO", "E1"}, {"EMG_CONTACT_RELATION", "SPOUSE"}},
        {{"EMP_NO", "E2"}, {"EMG_CONTACT_RELATION", "PARENT"}},
        {{"EMP_NO", "E3"}},
        {{"EMP_NO", "E4"}, {"EMG_CONTACT_RELATION", "PARENT"}}},
       true},
  });
  AddIndexes("CODE", {{"CATEGORY", "CATEGORY;CODE"}});
  for (int run = 0; run < 2; ++run) AddFamilyCodes(AdsTableCode, AdsQuery1, AdsConnection1);
  EXPECT_THAT(Codes(), ElementsAre("CATEGORY=OCU|CODE=ENG|DESC=Engineer|METHOD=",
                                   "CATEGORY=OCU|CODE=TECH|DESC=Technician|METHOD=",
                                   "CATEGORY=RE|CODE=SPOUSE|DESC=Husband or wife|METHOD=",
                                   "CATEGORY=SOU|CODE=TECH|DESC=Technician (kept)|METHOD=",
                                   "CATEGORY=SOU|CODE=ENG|DESC=Engineer|METHOD=",
                                   "CATEGORY=SOU|CODE=STUDENT|DESC=STUDENT|METHOD=",
                                   "CATEGORY=RE|CODE=PARENT|DESC=PARENT|METHOD="));
  EXPECT_FALSE(AdsTableCode.Active());
  EXPECT_FALSE(AdsQuery1.Active());
  EXPECT_TRUE(FileEncrypted("EMPLOYEE"));
}

TEST_F(CodeTables, LeaveEntitlementsAreResetToZero) {
  MakeFreeCompany({{"EMPENT",
                    [](TFieldDefs& f) {
                      f.Add("EMP_NO", FT::ftString, 12);
                      f.Add("CURRENT", FT::ftCurrency);
                    },
                    {{{"EMP_NO", "E1"}, {"CURRENT", "14"}}, {{"EMP_NO", "E2"}, {"CURRENT", "7.5"}}, {{"EMP_NO", "E3"}}}}});
  ResetLeaveEntitlements(AdsQuerySQL);
  EXPECT_THAT(RowsOf("EMPENT", {"EMP_NO", "CURRENT"}),
              ElementsAre("EMP_NO=E1|CURRENT=0", "EMP_NO=E2|CURRENT=0", "EMP_NO=E3|CURRENT=0"));
  EXPECT_EQ(AdsQuerySQL.SQL().Text(), "UPDATE EMPENT SET CURRENT=0\r\n");
  EXPECT_EQ(AdsQuerySQL.StatementHandle(), 0u);
}

}  // namespace
}  // namespace kv::conversions::testing
