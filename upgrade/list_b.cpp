// List B: the column requests that follow list D. B1 to B7 run before the company's missing tables are made
// (B2 to B5 only on data of version 8.90 or older), B8 and B9 after them, at the places the run driver gives.

#include "upgrade/list_notation.h"

namespace kv::upgrade {

using namespace notation;

const ColumnList& ListB() {
  static const ColumnList list = {
      {.name = "B1",
       .entries = {
           ChangeRow{"COLUMN1", kClear, "COLUMN61 to COLUMN100 I 8"},
           ChangeRow{"NSTRANS", kClear, "MTH1 AS 5; MTH2 AS 5; MTH3 AS 5; MTH4 AS 5; MTH5 AS 5; MTH6 AS 5; "
                                        "EMPER_CODE AS 15; STARTDAY C 2"},
       }},
      {.name = "B2",
       .gates = {Gate::DataVersionAtMost89000},
       .entries = {
           ChangeRow{"IR8AR", kEncrypted, "PROFIT_BEFORE_2003 $ 8; PROFIT_AFTER_2003 $ 8; BATCH_IND C 1"},
           ChangeRow{"IRDX8A", kEncrypted, "INCOME_TAX C 1"},
           StepEntry{Step::AddFormulaVariables},
           StepEntry{Step::CopyLevy2004To2005},
       }},
      {.name = "B3",
       .gates = {Gate::DataVersionAtMost89000},
       .entries = {
           ChangeRow{"IR8AR", kEncrypted, "USERID C 8"},
           ChangeRow{"PASS", kEncrypted, "APPROVED C 1; APPROVAL_BY C 16; APPROVED_DATE D 10"},
           ChangeRow{"USERAUDIT", kEncrypted, "FIELD_NAME AS 60"},
           ChangeRow{"VACCINATION", kClear, "FOOD_HANDLER IC 1; FOOD_HYGIENE IC 1; VACCINATION_REQ IC 1"},
           ChangeRow{"CTRSETUP", kClear, "IOCODE C 30; PROFIT_CENTER C 30; GLDESC C 40"},
           ChangeRow{"GLCOST", kClear, "COST_CENTRE_DESC C 40"},
           ChangeRow{"ZUDEDIRU", kEncrypted, "DELETION_FLAG C 1"},
           ChangeRow{"RP_HTRX", kEncrypted, "PERCENT $ 1; WKHOUR $ 1"},
           ChangeRow{"P_HIST4", kClear, "PAYCODE1 C 8; PAYCODE2 C 8; DIAGNOSIS C 8; MEDICAL_CODE C 8; "
                                        "MEDICAL_DATE D 8; VISIT_DATE D 8; CLAIM_AMOUNT $ 8; CO_PAYMENT L 1; "
                                        "EMPLOYER_AMOUNT $ 8; EMPLOYEE_AMOUNT $ 8; PERIOD_TO_TRANSFER C 6; "
                                        "CYCLE C 1; ALLW_DED_CODE C 8; REMARK C 60; IS_ALLOWANCE L 1; SUBCODE C 8"},
           ChangeRow{"TRAPLAN", kClear, "CERTIFIED_DATE D 8"},
           ChangeRow{"PAYPARA", kClear, "SVSCODE C 8; CFCODE C 8; CFAMOUNT $ 8"},
           ChangeRow{"EXRATE", kClear, "EXCODE C 8"},
           ChangeRow{"RTPHD", kClear, "USERID C 8; EXCLUSIVE C 1"},
           ChangeRow{"IR8APARA", kClear, "EMAIL_ADDR C 60"},
           ChangeRow{"IRDX8A", kEncrypted, "EXEMPT_IND C 1; EXEMPT_INCOME $ 8; INC_BORNE_ER $ 8; INC_BORNE_EE $ 8; "
                                           "RETRENCH_APPROVED C 1; RETRENCH_APPR_DATE D 1; "
                                           "CESSATION_PROVISIONS C 1; NO_OF_EMP_SHARE I 8"},
           ChangeRow{"TRNNO", kClear, "BANK_PATH C 250"},
           ChangeRow{"CODE", kClear, "MAPCODE C 8; ALLOW_CODE C 8"},
           ChangeRow{"EMPMISC", kEncrypted, "HOBBY_1 C 8; HOBBY_2 C 8; HOBBY_3 C 8"},
           ChangeRow{"E_EMPMISC", kEncrypted, "HOBBY_1 C 8; HOBBY_2 C 8; HOBBY_3 C 8"},
           ChangeRow{"TRAINING", kClear, "CERTIFIED_DATE D 8"},
           ChangeRow{"EMP_PROS", kEncrypted, "NEXT_INCR_DATE D 8"},
           ChangeRow{"E_EMP_PROS", kEncrypted, "NEXT_INCR_DATE D 8"},
           ChangeRow{"EMPLOYEE", kEncrypted, "FWL1TOFWL2 C 8; FWLCHGDATE D 8"},
           ChangeRow{"E_EMPLOYEE", kEncrypted, "FWL1TOFWL2 C 8; FWLCHGDATE D 8"},
           ChangeRow{"EMPLOYEE", kEncrypted, "LANG_SPOKEN_1 C 8; LANG_SPOKEN_2 C 8; LANG_SPOKEN_3 C 8; "
                                             "LANG_WRITTEN_1 C 8; LANG_WRITTEN_2 C 8; LANG_WRITTEN_3 C 8"},
           ChangeRow{"E_EMPLOYEE", kEncrypted, "LANG_SPOKEN_1 C 8; LANG_SPOKEN_2 C 8; LANG_SPOKEN_3 C 8; "
                                               "LANG_WRITTEN_1 C 8; LANG_WRITTEN_2 C 8; LANG_WRITTEN_3 C 8; "
                                               "FWL1TOFWL2 C 8; FWLCHGDATE D 8"},
           ChangeRow{"EMP_PROS", kEncrypted, "DIVISION C 8; OLD_DIVISION C 8; OLD_CATEGORY C 8; "
                                             "OLD_DEPARTMENT C 8; OLD_COMPANY C 8; OLD_SECTION C 8; "
                                             "OLD_COST_CENTRE C 8; OLD_PROGRESSION C 8; OLD_SCALE C 8; "
                                             "OLD_OCCUPATION C 8; OLD_GRADE C 8; OLD_JOBGRADE C 8; "
                                             "NEXT_INCR_DATE D 8"},
           ChangeRow{"E_EMP_PROS", kEncrypted, "NEXT_INCR_DATE D 8; OLD_CATEGORY C 8; OLD_DEPARTMENT C 8; "
                                               "OLD_COMPANY C 8; OLD_SECTION C 8; OLD_COST_CENTRE C 8; "
                                               "OLD_PROGRESSION C 8; OLD_SCALE C 8; OLD_OCCUPATION C 8; "
                                               "OLD_GRADE C 8; OLD_JOBGRADE C 8"},
           ChangeRow{"EMPSERV", kEncrypted, "DIVISION C 8; OLD_DIVISION C 8; OLD_CATEGORY C 8; OLD_DEPARTMENT C 8; "
                                            "OLD_COMPANY C 8; OLD_SECTION C 8; OLD_COST_CENTRE C 8; "
                                            "OLD_PROGRESSION C 8; OLD_SCALE C 8; OLD_OCCUPATION C 8; "
                                            "OLD_GRADE C 8; OLD_JOBGRADE C 8"},
           StepEntry{Step::FillCareerHistory},
       }},
      {.name = "B4",
       .gates = {Gate::DataVersionAtMost89000},
       .entries = {
           ChangeRow{"P_HTRX", kEncrypted, "CHEQAMT $ 1; BANKAMT $ 1; CASHAMT $ 1"},
           StepEntry{Step::FillBankAmounts},
       }},
      {.name = "B5",
       .gates = {Gate::DataVersionAtMost89000},
       .entries = {
           ChangeRow{"NSTRANS", kClear, "MTH1 AS 5; MTH2 AS 5; MTH3 AS 5; MTH4 AS 5; MTH5 AS 5; MTH6 AS 5; "
                                        "EMPER_CODE AS 15; STARTDAY C 2"},
           ChangeRow{"WKLEAVE", kClear, "YTDENT $ 8; FULLENT $ 8"},
           ChangeRow{"GLHEADER", kClear, "CATEGORY AS 12; PROFIT_CENTER C 16"},
           ChangeRow{"LEAVESET", kClear, "INIT_CF I 8; INIT_ADJU I 8; INIT_DAY I 8; INIT_ROUND I 8"},
           ChangeRow{"TRAINING", kClear, "TRAINING_AREA C 4; RESIGNATION_AREA C 8; EDUCATION_LEVEL C 8; "
                                         "SALARY_RANGE $ 1; AGE_RANGE $ 1; CITIZEN_LEVEL C 8; CERTIFIED_DATE D 8"},
           ChangeRow{"TABLE_REF", kClear, "DOCNAME C 100; LINE I 100; RATE $ 1; HRS $ 1"},
           ChangeRow{"EXCELTEMPLATE", kClear, "DOCNAME C 8; PAYCODE C 8; SEQ_NO I 8"},
           ChangeRow{"P_HIST5", kEncrypted, "DESCR C 40"},
           ChangeRow{"EXCELTEMPLATE", kClear, "PAYCODE AS 10"},
           ChangeRow{"PAYPARA", kClear, "COMPUTE_RESIDENCE C 1"},
           ChangeRow{"EMPSERV", kEncrypted, "LAST_SALARY $ 1; LAST_INCREMENT $ 1; CODE C 8"},
           ChangeRow{"EMPLEAVE", kClear, "MODIFIED_DATE D 1"},
           ReportFieldRows{"564, 565, 566, 567, 568, 569, 570, 571, 573"},
           ChangeRow{"COLUMN1", kClear, "COLUMN41 to COLUMN60 I 8"},
       }},
      {.name = "B6",
       .entries = {
           StepEntry{Step::UpdateTerminationStatus, Gate::TerminationStatusTicked},
           ChangeRow{"IRDX8A", kEncrypted, "AVRENT_EMPLOYEE1 $ 8; INTEREST_PAYMENT1 $ 8; LIFE_INSURANCE1 $ 8; "
                                           "FREE_HOLIDAY1 $ 8; EDUCATIOANL_EXPENSE1 $ 8; NON_MONETORY_AWARD1 $ 8; "
                                           "CLUD_FEE1 $ 8; ASSET_GAIN1 $ 8; VEHICLE_COST1 $ 8; CAR_BENEFIT1 $ 8; "
                                           "OTHER_BENEFIT1 $ 8"},
           StepEntry{Step::ResetLeaveEntitlements, Gate::LeaveResetTicked},
       }},
      {.name = "B7",
       .entries = {
           ReportFieldRows{"9076, 9077, 9078, 9079, 70"},
       }},
      {.name = "B8",
       .guard = Guard::Ignored,
       .entries = {
           StepEntry{Step::PrepareEmailProfile},
           ChangeRow{"EMAILPROFILE", kClear, "DATAPATH AS 250; LOGIN_REQUIRED C 5; LOTUS_PASSWORD C 25; "
                                             "LOTUS_FILE_NAME C 50; LOTUS_SERVER_NAME C 50; LOTUS_USER_NAME C 50"},
       }},
      {.name = "B9",
       .entries = {
           ChangeRow{"EMPGL_LINE", kClear, "DESCR C 30"},
       }},
  };
  return list;
}

}  // namespace kv::upgrade
