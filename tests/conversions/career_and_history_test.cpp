// Career history (the OLD_ columns) and the payroll history rows that take the career record in force.

#include <gmock/gmock.h>

#include "conversions/employee_records.h"
#include "conversions/records_fixture.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;

const std::vector<Field> kEmployee = {
    {"EMP_NO", FT::ftString, 12}, {"DIVISION_CODE", FT::ftString, 8}, {"PAY_GROUP", FT::ftString, 8}};

std::vector<Field> CareerFields() {
  std::vector<Field> f = {{"EMP_CODE", FT::ftString, 12}, {"PROGRESSION_DATE", FT::ftDate},
                          {"PAY_EFFECTIVE_DATE", FT::ftDate}, {"ID", FT::ftInteger}};
  for (const char* n : {"DIVISION", "CATEGORY", "DEPARTMENT", "COMPANY", "SECTION", "COST_CENTRE", "CODE",
                        "SALARY_SCALE", "OCCUPATION", "GRADE", "JOBGRADE", "OLD_DIVISION", "OLD_CATEGORY",
                        "OLD_DEPARTMENT", "OLD_COMPANY", "OLD_SECTION", "OLD_COST_CENTRE", "OLD_PROGRESSION",
                        "OLD_SCALE", "OLD_OCCUPATION", "OLD_GRADE", "OLD_JOBGRADE"})
    f.push_back({n, FT::ftString, 8});
  return f;
}
const std::vector<std::string> kCareerIndexes = {"PROG=EMP_CODE;PROGRESSION_DATE",
                                                 "PAY=EMP_CODE;PAY_EFFECTIVE_DATE;ID"};

TEST_F(Records, EachCareerRecordHoldsThePrecedingStateAndTheEarliestItsOwn) {
  Make("EMPLOYEE", kEmployee, {"EMP_NO=EMP_NO"},
       {{{"EMP_NO", "E1"}, {"DIVISION_CODE", "DIVE1"}}, {{"EMP_NO", "E2"}, {"DIVISION_CODE", "DIVE2"}}}, true);
  // Made out of date order: the walk goes by progression date.
  Make("EMP_PROS", CareerFields(), kCareerIndexes,
       {{{"EMP_CODE", "E1"}, {"PROGRESSION_DATE", "2005-01-01"}, {"CODE", "PROMO"}, {"GRADE", "G2"},
         {"DEPARTMENT", "SALES"}},
        {{"EMP_CODE", "E1"}, {"PROGRESSION_DATE", "2003-01-01"}, {"CODE", "HIRE"}, {"GRADE", "G1"},
         {"DEPARTMENT", "ADMIN"}, {"DIVISION", "NORTH"}},
        {{"EMP_CODE", "E1"}, {"PROGRESSION_DATE", "2007-01-01"}, {"CODE", "TRANS"}, {"GRADE", "G2"},
         {"DEPARTMENT", "OPS"}},
        {{"EMP_CODE", "E2"}, {"PROGRESSION_DATE", "2008-06-01"}, {"CODE", "HIRE"}, {"GRADE", "G5"}}},
       true);
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  FillCareerHistory(w);
  FillCareerHistory(w);  // idempotent on its own results
  EXPECT_THAT(RowsOf("EMP_PROS", {"EMP_CODE", "DIVISION", "CODE", "OLD_PROGRESSION", "OLD_GRADE", "OLD_DEPARTMENT",
                                  "OLD_DIVISION"},
                     "EMP_CODE;PROGRESSION_DATE"),
              ElementsAre("EMP_CODE=E1|DIVISION=NORTH|CODE=HIRE|OLD_PROGRESSION=HIRE|OLD_GRADE=G1|"
                          "OLD_DEPARTMENT=ADMIN|OLD_DIVISION=NORTH",
                          "EMP_CODE=E1|DIVISION=DIVE1|CODE=PROMO|OLD_PROGRESSION=HIRE|OLD_GRADE=G1|"
                          "OLD_DEPARTMENT=ADMIN|OLD_DIVISION=NORTH",
                          "EMP_CODE=E1|DIVISION=DIVE1|CODE=TRANS|OLD_PROGRESSION=PROMO|OLD_GRADE=G2|"
                          "OLD_DEPARTMENT=SALES|OLD_DIVISION=DIVE1",
                          // The first record of the next employee holds its own state, its filled division too.
                          "EMP_CODE=E2|DIVISION=DIVE2|CODE=HIRE|OLD_PROGRESSION=HIRE|OLD_GRADE=G5|"
                          "OLD_DEPARTMENT=|OLD_DIVISION=DIVE2"));
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_FALSE(AdsTableEmp.Active());
}

TEST_F(Records, AnEmptyCareerTableIsLeftAsItIs) {
  Make("EMPLOYEE", kEmployee, {"EMP_NO=EMP_NO"}, {{{"EMP_NO", "E1"}}}, true);
  Make("EMP_PROS", CareerFields(), kCareerIndexes, {}, true);
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  FillCareerHistory(w);
  EXPECT_TRUE(RowsOf("EMP_PROS", {"EMP_CODE"}).empty());
  EXPECT_FALSE(AdsTable1.Active());
}

class History : public Records {
 protected:
  void MakeCompany(const std::vector<Row>& careers, const std::vector<Row>& periods) {
    Make("EMPLOYEE", kEmployee, {"EMP_NO=EMP_NO"},
         {{{"EMP_NO", "E1"}, {"PAY_GROUP", "MONTHLY"}}, {{"EMP_NO", "E2"}, {"PAY_GROUP", "WEEKLY"}}}, true);
    Make("EMP_PROS", CareerFields(), kCareerIndexes, careers, true);
    Make("PGRP_TRX", {{"PAY_GROUP", FT::ftString, 8}, {"PERIOD", FT::ftString, 6}, {"START_DATE", FT::ftDate},
                      {"END_DATE", FT::ftDate}},
         {"GRP=PAY_GROUP;PERIOD"}, periods);
    std::vector<Row> rows;
    for (const char* employee : {"E1", "E2"})
      for (const char* period : {"200612", "200701", "201102", "201103"})
        rows.push_back({{"EMPCODE", employee}, {"PERIOD", period}, {"CYCLE", "1"}, {"CATEGORY", "OLD"},
                        {"DEPARTMENT", "OLD"}, {"COMPANY", "OLD"}, {"COSTCENTE", "OLD"}});
    Make("P_HTRX", {{"EMPCODE", FT::ftString, 12}, {"PERIOD", FT::ftString, 6}, {"CYCLE", FT::ftString, 1},
                    {"CATEGORY", FT::ftString, 8}, {"DEPARTMENT", FT::ftString, 8}, {"COMPANY", FT::ftString, 8},
                    {"COSTCENTE", FT::ftString, 8}},
         {"EMPCODE=EMPCODE;PERIOD;CYCLE"}, rows, true);
    AdsConnection1.Connect();
  }
  std::vector<std::string> History_() {
    return RowsOf("P_HTRX", {"EMPCODE", "PERIOD", "DEPARTMENT", "COSTCENTE", "CATEGORY", "COMPANY"},
                  "EMPCODE;PERIOD;CYCLE");
  }
};

Row Career(const char* employee, const char* date, int id, const char* department) {
  return {{"EMP_CODE", employee}, {"PAY_EFFECTIVE_DATE", date}, {"ID", std::to_string(id)},
          {"DEPARTMENT", department}, {"COST_CENTRE", std::string("C") + department}, {"CATEGORY", "CAT"},
          {"COMPANY", "ABC"}};
}

// E1's February 2011 has no pay-group row: the calendar month ends on the 28th, so a change on the 28th is in
// force and one on 1 March is not. E2's March 2011 pay period ends on 20 March by its pay group's row. Rows
// before 200701 are never touched; a row without a career record on or before its period end keeps its values.
TEST_F(History, RowsFrom200701TakeTheCareerRecordInForceAtTheirPeriodEnd) {
  MakeCompany({Career("E1", "2006-01-01", 1, "D0601"), Career("E1", "2011-02-28", 2, "D1102"),
               Career("E1", "2011-03-01", 3, "D1103"), Career("E2", "2011-03-15", 4, "W0315"),
               Career("E2", "2011-03-25", 5, "W0325")},
              {{{"PAY_GROUP", "WEEKLY"}, {"PERIOD", "201103"}, {"START_DATE", "2011-02-21"},
                {"END_DATE", "2011-03-20"}}});
  // An earlier step left the employee table open on its last record: the walk still starts at the first.
  AdsTableEmp.Open();
  AdsTableEmp.EnableEncryption(engine::kTablePassword);
  AdsTableEmp.Last();
  RecordObjects w = Objects();
  UpdateTransactionRecords(w);
  EXPECT_THAT(History_(),
              ElementsAre("EMPCODE=E1|PERIOD=200612|DEPARTMENT=OLD|COSTCENTE=OLD|CATEGORY=OLD|COMPANY=OLD",
                          "EMPCODE=E1|PERIOD=200701|DEPARTMENT=D0601|COSTCENTE=CD0601|CATEGORY=CAT|COMPANY=ABC",
                          "EMPCODE=E1|PERIOD=201102|DEPARTMENT=D1102|COSTCENTE=CD1102|CATEGORY=CAT|COMPANY=ABC",
                          "EMPCODE=E1|PERIOD=201103|DEPARTMENT=D1103|COSTCENTE=CD1103|CATEGORY=CAT|COMPANY=ABC",
                          "EMPCODE=E2|PERIOD=200612|DEPARTMENT=OLD|COSTCENTE=OLD|CATEGORY=OLD|COMPANY=OLD",
                          "EMPCODE=E2|PERIOD=200701|DEPARTMENT=OLD|COSTCENTE=OLD|CATEGORY=OLD|COMPANY=OLD",
                          "EMPCODE=E2|PERIOD=201102|DEPARTMENT=OLD|COSTCENTE=OLD|CATEGORY=OLD|COMPANY=OLD",
                          "EMPCODE=E2|PERIOD=201103|DEPARTMENT=W0315|COSTCENTE=CW0315|CATEGORY=CAT|COMPANY=ABC"));
  EXPECT_EQ(progress.front(), "Updating P_HTRX :E1 Period 200701");
  for (engine::TAdsTable* t : {&AdsTableEmp, &AdsTableCareer, &AdsTableHTRX, &wwTableGrpTrx}) EXPECT_FALSE(t->Active());
}

}  // namespace
}  // namespace kv::conversions::testing
