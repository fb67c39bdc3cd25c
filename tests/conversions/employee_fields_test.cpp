// The conversions that rewrite fields of the employee and bank tables: POSB accounts, termination status, the
// slashes of identity numbers and the cost centre of career records.

#include <gmock/gmock.h>

#include "conversions/employee_records.h"
#include "conversions/records_fixture.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<Field> kEmployee = {{"EMP_NO", FT::ftString, 12},
                                      {"BANK_ID", FT::ftString, 8},
                                      {"BANK_BRANCH_CODE", FT::ftString, 8},
                                      {"BANK_AC_NO", FT::ftString, 20},
                                      {"TERMINATION_STATUS", FT::ftString, 1},
                                      {"TERMINATION_DATE", FT::ftDate},
                                      {"NEW_IC", FT::ftString, 12},
                                      {"INCOME_TAX_AC_NO", FT::ftString, 12},
                                      {"COST_CENTRE_CODE", FT::ftString, 8}};

TEST_F(Records, PosbAccountsBecomeDbsOnceAndTheBankIsAddedOnce) {
  Make("EMPLOYEE", kEmployee, {"EMP_NO=EMP_NO"},
       {{{"EMP_NO", "E1"}, {"BANK_ID", "POSB"}, {"BANK_BRANCH_CODE", "123"}, {"BANK_AC_NO", "456789"}},
        {{"EMP_NO", "E2"}, {"BANK_ID", "9812"}, {"BANK_BRANCH_CODE", "555"}, {"BANK_AC_NO", "1234567"}},
        {{"EMP_NO", "E3"}, {"BANK_ID", "7339"}, {"BANK_BRANCH_CODE", "501"}, {"BANK_AC_NO", "654321"}}},
       true);
  Make("EMP_BNK", {{"EMP_CODE", FT::ftString, 12}, {"BANK_ID", FT::ftString, 8}, {"BANK_AC_NO", FT::ftString, 20},
                   {"CYCLE", FT::ftString, 1}, {"BANK_BRANCH", FT::ftString, 8}},
       {"EMP_CODE=EMP_CODE;BANK_ID;BANK_AC_NO;CYCLE"},
       {{{"EMP_CODE", "E1"}, {"BANK_ID", "POSB"}, {"BANK_AC_NO", "111111"}, {"CYCLE", "1"}, {"BANK_BRANCH", "020"}},
        {{"EMP_CODE", "E1"}, {"BANK_ID", "POSB"}, {"BANK_AC_NO", "222222"}, {"CYCLE", "2"}, {"BANK_BRANCH", "030"}},
        {{"EMP_CODE", "E2"}, {"BANK_ID", "OCBC"}, {"BANK_AC_NO", "333333"}, {"CYCLE", "1"}, {"BANK_BRANCH", "040"}}},
       true);
  Make("pay_bank", {{"BANK_ID", FT::ftString, 8}, {"BANK_BRANCH", FT::ftString, 8}, {"BANK_NAME", FT::ftString, 40}},
       {"BANK=BANK_ID;BANK_BRANCH"}, {{{"BANK_ID", "7339"}, {"BANK_BRANCH", "501"}, {"BANK_NAME", "OCBC"}}});
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  UpdatePOSB(w);
  UpdatePOSB(w);  // a second run lengthens nothing again and adds no second bank row

  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO", "BANK_ID", "BANK_BRANCH_CODE", "BANK_AC_NO"}),
              ElementsAre("EMP_NO=E1|BANK_ID=7171|BANK_BRANCH_CODE=081|BANK_AC_NO=123456789",
                          "EMP_NO=E2|BANK_ID=7171|BANK_BRANCH_CODE=081|BANK_AC_NO=1234567",
                          "EMP_NO=E3|BANK_ID=7339|BANK_BRANCH_CODE=501|BANK_AC_NO=654321"));
  EXPECT_THAT(RowsOf("EMP_BNK", {"EMP_CODE", "BANK_ID", "BANK_BRANCH", "BANK_AC_NO"}),
              ElementsAre("EMP_CODE=E1|BANK_ID=7171|BANK_BRANCH=081|BANK_AC_NO=020111111",
                          "EMP_CODE=E1|BANK_ID=7171|BANK_BRANCH=081|BANK_AC_NO=030222222",
                          "EMP_CODE=E2|BANK_ID=OCBC|BANK_BRANCH=040|BANK_AC_NO=333333"));
  EXPECT_THAT(RowsOf("pay_bank", {"BANK_ID", "BANK_BRANCH", "BANK_NAME"}),
              ElementsAre("BANK_ID=7339|BANK_BRANCH=501|BANK_NAME=OCBC",
                          "BANK_ID=7171|BANK_BRANCH=081|BANK_NAME=DBS BANK"));
}

TEST_F(Records, TerminationStatusFollowsTheDateOnlyWhereThereIsNone) {
  Make("EMPLOYEE", kEmployee, {},
       {{{"EMP_NO", "E1"}, {"TERMINATION_DATE", "2009-03-31"}},
        {{"EMP_NO", "E2"}},
        {{"EMP_NO", "E3"}, {"TERMINATION_STATUS", "F"}, {"TERMINATION_DATE", "2009-03-31"}},
        {{"EMP_NO", "E4"}, {"TERMINATION_STATUS", "T"}}},
       true);
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  UpdateTerminationStatus(w);
  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO", "TERMINATION_STATUS"}),
              ElementsAre("EMP_NO=E1|TERMINATION_STATUS=T", "EMP_NO=E2|TERMINATION_STATUS=F",
                          "EMP_NO=E3|TERMINATION_STATUS=F", "EMP_NO=E4|TERMINATION_STATUS=T"));
}

TEST_F(Records, SlashesLeaveIdentityNumbersFromTheFirstEmployeeOnAndOneCharacterStays) {
  Make("EMPLOYEE", kEmployee, {"EMP_NO=EMP_NO"},
       {{{"EMP_NO", "E1"}, {"NEW_IC", "S1234/567/A"}, {"INCOME_TAX_AC_NO", "/S1234567A/"}},
        {{"EMP_NO", "E2"}, {"NEW_IC", "/"}, {"INCOME_TAX_AC_NO", "G7654321X"}}},
       true);
  AdsConnection1.Connect();
  // An earlier step left the employee table open on its last record: the walk still starts at the first.
  AdsTableEmp.Open();
  AdsTableEmp.EnableEncryption(engine::kTablePassword);
  AdsTableEmp.Last();
  RecordObjects w = Objects();
  RemoveNricSlashes(w);
  EXPECT_FALSE(AdsTableEmp.Active());
  EXPECT_THAT(RowsOf("EMPLOYEE", {"NEW_IC", "INCOME_TAX_AC_NO"}),
              ElementsAre("NEW_IC=S1234567A|INCOME_TAX_AC_NO=S1234567A", "NEW_IC=/|INCOME_TAX_AC_NO=G7654321X"));
  EXPECT_THAT(progress, ElementsAre("UPDATING : S1234/567/A", "UPDATING : /"));
}

// The statement joins two tables that a free-table company keeps encrypted: it carries the password for both.
TEST_F(Records, CostCentreStatementReadsTheEncryptedTablesOfAFreeTableCompany) {
  Make("EMPLOYEE", kEmployee, {"EMP_NO=EMP_NO"},
       {{{"EMP_NO", "E1"}, {"COST_CENTRE_CODE", "CC10"}}, {{"EMP_NO", "E2"}, {"COST_CENTRE_CODE", "CC20"}}}, true);
  Make("EMP_PROS", {{"EMP_CODE", FT::ftString, 12}, {"COST_CENTRE", FT::ftString, 8}}, {},
       {{{"EMP_CODE", "E1"}, {"COST_CENTRE", "OLD"}}, {{"EMP_CODE", "E2"}}, {{"EMP_CODE", "E9"}, {"COST_CENTRE", "X"}}},
       true);
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  ConvertCostCentre(w);
  EXPECT_THAT(RowsOf("EMP_PROS", {"EMP_CODE", "COST_CENTRE"}),
              ElementsAre("EMP_CODE=E1|COST_CENTRE=CC10", "EMP_CODE=E2|COST_CENTRE=CC20", "EMP_CODE=E9|COST_CENTRE=X"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(Records, ACompanyWithoutTheTablesHasNothingToConvert) {
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  UpdatePOSB(w);
  UpdateTerminationStatus(w);
  ConvertCostCentre(w);
  RemoveNricSlashes(w);
  FillCareerHistory(w);
  UpdateTransactionRecords(w);
  NumberAppraisals(w);
  NumberEducationRecords(w);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_FALSE(AdsTable1.Active());
}

}  // namespace
}  // namespace kv::conversions::testing
