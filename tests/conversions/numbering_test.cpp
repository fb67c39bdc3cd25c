// Appraisals and education records numbered from the company's running numbers.

#include <gmock/gmock.h>

#include "conversions/employee_records.h"
#include "conversions/records_fixture.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;

// An appraisal numbered far above 65,535 passes its own number to its lines, uncut; one numbered 0 takes the
// next auto6. A second run numbers nothing again.
TEST_F(Records, AppraisalsTakeRunningNumbersAndTheirLinesTheSameWholeNumber) {
  Make("APPR", {{"ID", FT::ftInteger}, {"EMP_CODE", FT::ftString, 12}, {"APPRAISAL_DATE", FT::ftDate}}, {},
       {{{"ID", "0"}, {"EMP_CODE", "E1"}, {"APPRAISAL_DATE", "2009-06-30"}},
        {{"ID", "70000"}, {"EMP_CODE", "E2"}, {"APPRAISAL_DATE", "2009-06-30"}},
        {{"EMP_CODE", "E1"}, {"APPRAISAL_DATE", "2009-12-31"}}});
  Make("APPRDTL", {{"EMPCODE", FT::ftString, 12}, {"APPRAISAL_DATE", FT::ftDate}, {"DATE_SERIALNUM", FT::ftInteger},
                   {"ID", FT::ftInteger}},
       {"DTL=EMPCODE;APPRAISAL_DATE;DATE_SERIALNUM"},
       {{{"EMPCODE", "E1"}, {"APPRAISAL_DATE", "2009-06-30"}, {"DATE_SERIALNUM", "1"}},
        {{"EMPCODE", "E1"}, {"APPRAISAL_DATE", "2009-06-30"}, {"DATE_SERIALNUM", "2"}},
        {{"EMPCODE", "E1"}, {"APPRAISAL_DATE", "2009-12-31"}, {"DATE_SERIALNUM", "1"}},
        {{"EMPCODE", "E2"}, {"APPRAISAL_DATE", "2009-06-30"}, {"DATE_SERIALNUM", "1"}},
        {{"EMPCODE", "E2"}, {"APPRAISAL_DATE", "2009-07-01"}, {"DATE_SERIALNUM", "1"}, {"ID", "5"}}});
  Make("TRNNO", {{"AUTO1", FT::ftInteger}, {"AUTO6", FT::ftInteger}}, {}, {{{"AUTO1", "0"}, {"AUTO6", "41"}}});
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  NumberAppraisals(w);
  NumberAppraisals(w);
  EXPECT_THAT(RowsOf("APPR", {"EMP_CODE", "ID"}), ElementsAre("EMP_CODE=E1|ID=42", "EMP_CODE=E2|ID=70000",
                                                               "EMP_CODE=E1|ID=43"));
  EXPECT_THAT(RowsOf("APPRDTL", {"EMPCODE", "APPRAISAL_DATE", "ID"}),
              ElementsAre("EMPCODE=E1|APPRAISAL_DATE=2009-06-30|ID=42", "EMPCODE=E1|APPRAISAL_DATE=2009-06-30|ID=42",
                          "EMPCODE=E1|APPRAISAL_DATE=2009-12-31|ID=43",
                          "EMPCODE=E2|APPRAISAL_DATE=2009-06-30|ID=70000",
                          "EMPCODE=E2|APPRAISAL_DATE=2009-07-01|ID=5"));
  EXPECT_THAT(RowsOf("TRNNO", {"AUTO6"}), ElementsAre("AUTO6=43"));
  for (engine::TAdsTable* t : {&AdsTableAppr, &wwTableTrnno, &AdsTable3}) EXPECT_FALSE(t->Active());
}

TEST_F(Records, EducationRecordsNumberedZeroTakeTheNextAuto1) {
  Make("EDUCATE", {{"EMP_CODE", FT::ftString, 12}, {"ID", FT::ftInteger}}, {},
       {{{"EMP_CODE", "E1"}, {"ID", "0"}}, {{"EMP_CODE", "E2"}, {"ID", "7"}}, {{"EMP_CODE", "E3"}}});
  Make("TRNNO", {{"AUTO1", FT::ftInteger}, {"AUTO6", FT::ftInteger}}, {}, {{{"AUTO1", "10"}}});
  AdsConnection1.Connect();
  RecordObjects w = Objects();
  NumberEducationRecords(w);
  NumberEducationRecords(w);
  EXPECT_THAT(RowsOf("EDUCATE", {"EMP_CODE", "ID"}), ElementsAre("EMP_CODE=E1|ID=11", "EMP_CODE=E2|ID=7",
                                                                  "EMP_CODE=E3|ID=12"));
  EXPECT_THAT(RowsOf("TRNNO", {"AUTO1"}), ElementsAre("AUTO1=12"));
}

}  // namespace
}  // namespace kv::conversions::testing
