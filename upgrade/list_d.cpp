// List D: the column requests every company in the normal flow gets first, before its missing tables are made,
// with the steps bound to them. Rows read top to bottom, requests left to right, in the order the run takes them.

#include "upgrade/list_notation.h"

namespace kv::upgrade {

using namespace notation;

const ColumnList& ListD() {
  static const ColumnList list = {
      {.name = "D1",
       .entries = {
           ChangeRow{"GLCOST", kClear, "GL_TYPE C 20; GST_TYPE C 20; FAMOUNT $ 8; EX_RATE $ 8; CLAIM_DATE D 8"},
           ChangeRow{"INCREMENT", kClear, "TYPE C 1"},
           ChangeRow{"CTRSETUP", kClear, "Platform C 10; PROFIT_CENTER1 C 20; Geography C 10"},
           ReportFieldRows{"1250"},
       }},
      {.name = "D2",
       .gates = {Gate::LevyTicked},
       .entries = {
           StepEntry{Step::ShowLevyStart},
           ChangeRow{"FW_LEVY", kClear, "PERIOD_PART C 2"},
           // Rows without a part join part 1 before the key is made on the four fields.
           StepEntry{Step::FillLevyPeriodPart},
           StepEntry{Step::DropLevyKey, Gate::Always, Guard::Ignored},
           StepEntry{Step::CreateLevyKey, Gate::Always, Guard::Ignored},
           StepEntry{Step::LoadLevyTables},
           StepEntry{Step::ShowLevyDone},
       }},
      {.name = "D3",
       .guard = Guard::ShownWithStatement,
       .entries = {
           ChangeRow{"PLACEMENT_SALARY", kClear, "BILLRATE $ 1"},
           ChangeRow{"ZUDORO_CYCLE", kClear, "BILLRATE $ 1"},
       }},
      {.name = "D4",
       .entries = {
           ChangeRow{"EMPLOYEE", kEncrypted, "ORIGINAL_HIRED_DATE D 1"},
           ChangeRow{"EMP_LVTX", kClear, "TXENTITLE_1 $ 1; TXADJU $ 1"},
           ChangeRow{"WKEMPTX", kClear, "TXENTITLE_1 $ 1; TXADJU $ 1"},
           ChangeRow{"TRAPLAN", kClear, "SKILL_CODE C 8"},
           ChangeRow{"TRAINING", kClear, "SKILL_CODE C 8"},
           ChangeRow{"BANKLIST", kEncrypted, "EMP_STATUS C 4; BANK_CODE C 12; PERCENT $ 16"},
           ReportFieldRows{"70"},
           ChangeRow{"PAYPARA", kClear, "VAR_SERVICE C 8"},
           ChangeRow{"CODE", kClear, "PERCENTS $ 8"},
           ChangeRow{"CASUALD", kClear, "EMPCODE C 12; EMP_NAME C 40; P_DATE D 40; RATE $ 40; VOUCHER C 12; "
                                        "DEPARTMENT_CODE C 8; DEPARTMENT_DESC C 40; AMOUNT $ 8; CASH $ 8; "
                                        "BANK $ 8; CHEQUE $ 8; OTHER $ 8; PERIOD C 6"},
           ChangeRow{"DISC", kClear, "FINE C 8; YARD_FINE C 8; FINE_AMT $ 8; YARD_FINE_AMT $ 8"},
           ChangeRow{"PAYPARA1", kEncrypted, "IS_FIX_OT C 1"},
           ChangeRow{"PASS", kEncrypted, "PRINTER AS 4"},
           ChangeRow{"EMPLOYEE", kEncrypted, "FWL1TOFWL2 C 8; FWLCHGDATE D 8"},
           ChangeRow{"E_EMPLOYEE", kEncrypted, "FWL1TOFWL2 C 8; FWLCHGDATE D 8"},
       }},
      {.name = "D5",
       .guard = Guard::ShownAfterWords,
       .words = "Add Field Function ",
       .entries = {
           ChangeRow{"YTDEMPL", kEncrypted, "ORI_OWWAGE $ 10; ORI_AWWAGE $ 10"},
       }},
      {.name = "D5 fill",
       .entries = {
           StepEntry{Step::FillYtdemplOriginalWages, Gate::Always, Guard::ShownAfterWords,
                     "Update YTDEMPL Function "},
       }},
      {.name = "D6",
       .entries = {
           ChangeRow{"EMP_PROS", kEncrypted, "END_DATE D 8"},
           ChangeRow{"EMPSERV", kEncrypted, "END_DATE D 8"},
           ChangeRow{"MVPTRX", kEncrypted, "CMSG C 40; NMSG $ 8"},
           ChangeRow{"P_HIST3", kEncrypted, "CMSG C 40"},
           ChangeRow{"PAYSLIP", kEncrypted, "AMT3 $ 10"},
           ChangeRow{"PASS", kEncrypted, "PASSWORD AS 20"},
           ChangeRow{"PAYPARA1", kEncrypted, "MASTER AS 20"},
           ChangeRow{"PAYPARA2", kEncrypted, "PAY_MESSAGE1 C 50; PAY_MESSAGE2 C 50"},
           ChangeRow{"P_HIST1", kEncrypted, "LOCATION C 8"},
           ChangeRow{"CASUAL", kEncrypted, "COMPANYCODE C 8"},
           ChangeRow{"CODE", kClear, "DEPARTMENT C 8; LOCK C 1"},
           ChangeRow{"GLCOST", kClear, "GLLINE AS 4"},
           ChangeRow{"GLLINE", kClear, "LINE AS 4; ITEMTEXT C 30"},
           ChangeRow{"GLHEADER", kClear, "LINE AS 4"},
           ChangeRow{"GLBODY", kClear, "LINE AS 4"},
           ChangeRow{"FAMILY", kClear, "EMPLOYER C 60"},
           ChangeRow{"BANKLIST", kClear, "NEW_IC C 16"},
           ChangeRow{"EMPMISC", kEncrypted, "CHAR11 C 30; CHAR12 C 30; CHAR13 C 30; CHAR14 C 30; CHAR15 C 30"},
           StepEntry{Step::AddFreeFieldLabels},
       }},
      {.name = "D7",
       .entries = {
           ChangeRow{"TSubstitute", kClear, "FMTIME T 1; TOTIME T 1; AMPM C 2; LUNCH $ 2"},
           ChangeRow{"CODERATE", kClear, "DESCRIPTION C 40"},
           ChangeRow{"TRNNO", kClear, "TEMP_FOLDER C 250"},
           ChangeRow{"EMP_LVTX", kClear, "TXADJU $ 1"},
           ChangeRow{"FAMILY", kClear, "NAME AS 60"},
           ChangeRow{"EMPLOYEE", kEncrypted, "CITIZEN_CODE C 8"},
           ReportFieldRows{"1256, 1257, 55, 8"},
           ChangeRow{"PASS", kEncrypted, "LOCKTERMDATE C 1"},
           ChangeRow{"IR21AR", kEncrypted, "MOSQAMT $ 1; BEFORE2003 C 1; AFTER2003 C 1"},
           ReportFieldRows{"4"},
           ChangeRow{"GLHEADER", kClear, "ASSIGNMENT C 16"},
           ChangeRow{"PASS", kEncrypted, "COMPANYCODE C 8"},
           StepEntry{Step::DecryptPass},
       }},
      {.name = "D8",
       .entries = {
           ChangeRow{"FAMILY", kClear, "IC_PASSPORT_NUM C 16"},
           ChangeRow{"TRAINING", kClear, "OCCUPATION C 8; SECTION C 8; DIVISION C 8; EXPIRY_DATE D 8; "
                                         "VALIDPERIOD I 8"},
           ChangeRow{"TRAPLAN", kClear, "EXPIRY_DATE D 8; VALIDPERIOD I 8"},
           ChangeRow{"PROMPT", kClear, "DESCR1 AS 100"},
           ChangeRow{"EMPSERV", kEncrypted, "SHIFT_WORKER C 1; JOBLEVEL C 8; SERVICE_GRADE C 8; UNIT C 8; "
                                            "FESTIVAL_ADVANCE C 1; TENURE_SERV C 8; EXPIRY_DATE D 8; STATE D 8"},
           ChangeRow{"WKPROTMP", kClear, "NORMAL_HR3 $ 8; NORMAL_AMT3 $ 8; OT_HR3 $ 8; OT_AMT3 $ 8"},
           ChangeRow{"GLCOST", kClear, "USERID C 8"},
           ChangeRow{"PAYPARA", kClear, "PARA_AMT1 $ 1; PARA_AMT2 $ 1; PARA_AMT3 $ 1; PARA_AMT4 $ 1; "
                                        "PARA_AMT5 $ 1; PARA_AMT6 $ 1; PARA_AMT7 $ 1; PARA_AMT8 $ 1; "
                                        "PARA_AMT9 $ 1; PARA_AMT10 $ 1"},
           ChangeRow{"IR8A_ADJ", kEncrypted, "PROFIT_BEFORE_2003 $ 1; PROFIT_AFTER_2003 $ 1"},
           ReportFieldRows{"165, 9920, 9921, 9922"},
           StepEntry{Step::AddLeaveCodes},
       }},
      {.name = "D9",
       .entries = {
           ReportFieldRows{"9900, 9919, 9048, 9049, 9050, 9051, 9052, 9053, 9054, 9055, 9056"},
           ChangeRow{"TRNNO", kClear, "DATABASE_NAME C 255; DATABASE_NAME AS 255; DATABASE_NAME2 C 255; "
                                      "DATABASE_NAME2 AS 255"},
           ChangeRow{"QUERYHD", kClear, "USERID C 8; OPTION C 4"},
           ChangeRow{"QUERY", kClear, "USERID C 8; OPTION C 4"},
           ReportFieldRows{"54, 27"},
           ChangeRow{"GLCOST", kClear, "COST_CENTRE AS 12"},
           ChangeRow{"TRNNO", kClear, "BCODE1 C 8; BCODE2 C 8; BCODE3 C 8; BCODE4 C 8"},
           ChangeRow{"IR21PARAM", kClear, "ERIS_DATE D 8; EMAIL C 80"},
           ChangeRow{"ALLOCATE", kClear, "CURYR_BF $ 1"},
           ChangeRow{"EMPMISC", kEncrypted, "IR21 C 1"},
           ChangeRow{"EMP_BKDS", kEncrypted, "REMARKS C 100; STATUS C 20; CYCLE C 1"},
       }},
      {.name = "D10",
       .gates = {Gate::EmailAcTicked},
       .entries = {
           ChangeRow{"EMPLOYEE", kEncrypted, "EMAIL_AC_NO AS 80"},
       }},
      {.name = "D11",
       .entries = {
           ChangeRow{"JOBORDER_HD", kClear, "STATUS C 12; MODIFIED_DATE D 1"},
           ChangeRow{"JOBORDER_DTL", kClear, "USERID C 8; STATUS C 12; MODIFIED_DATE D 1"},
           ChangeRow{"JOBORDER_HD", kClear, "PAY_TYPE C 1; DEDUCT $ 1"},
           ChangeRow{"JOBORDER_DTL", kClear, "IS_DEDUCT C 1"},
           ChangeRow{"PAYSLIP", kEncrypted, "AMT3 $ 8"},
           ChangeRow{"IR8APARA", kClear, "ERIS_DATE D 8"},
           ChangeRow{"APPD8B", kClear, "ERIS $ 8"},
           ChangeRow{"EMPMISC", kEncrypted, "NO_SDF C 1; S_CHAR1 C 40; S_CHAR2 C 40; S_CHAR3 C 40; S_CHAR4 C 40; "
                                            "S_CHAR5 C 40"},
           ChangeRow{"EMP_ALW", kEncrypted, "FREQ $ 10; RATE $ 10"},
           StepEntry{Step::LoadVoluntaryCpf2007, Gate::VoluntaryCpfTicked},
       }},
      {.name = "D12",
       .entries = {
           ChangeRow{"GLCOST", kClear, "PAYCODE C 16; HEADER C 30; CST_DESC C 30"},
           ChangeRow{"CODE", kClear, "ENABLVUVEVUINFO I 8; ENABLENOTIFYOTHER I 8"},
           StepEntry{Step::ConvertCostCentre, Gate::CostCentreTicked},
           StepEntry{Step::CorrectPublicHolidays},
       }},
      {.name = "D13",
       .entries = {
           ChangeRow{"GLLINE", kClear, "LINE AS 4; ITEMTEXT C 30; WAGETYPE C 50"},
           ChangeRow{"GLHEADER", kClear, "LINE AS 4"},
           ChangeRow{"GLBODY", kClear, "LINE AS 4"},
           ReportFieldRows{"9048, 9049, 9050, 9051, 9052, 9053, 9054, 9055, 9056"},
           ChangeRow{"CONTR_FUND", kEncrypted, "ADJUST C 1"},
           ChangeRow{"EMPLOYEE", kEncrypted, "OLD_LVSCHEME C 8"},
           ChangeRow{"E_EMPLOYEE", kEncrypted, "OLD_LVSCHEME C 8"},
           ChangeRow{"TABLE_REF", kClear, "CURR_CODE C 8; EXRATE $ 8; FAMOUNT $ 8"},
           ReportFieldRows{"150"},
           StepEntry{Step::FixListValues},
       }},
      {.name = "D14",
       .entries = {
           ChangeRow{"PAYPARA", kClear, "TEMPLATE_FILE3 C 150; COMPANY AS 60"},
           ChangeRow{"PAYPARA1", kEncrypted, "COMPANY AS 60"},
           ChangeRow{"PAYPARA2", kEncrypted, "CSOCSO_NO C 18"},
           ChangeRow{"LV_PAYGRP_SHIFT", kClear, "TIMEIN T 1; TIMEOUT T 1"},
           ChangeRow{"RPTRX", kEncrypted, "DESCRIPTION C 40; YTDAMOUNT $ 1; PAYCODE AS 16"},
           ChangeRow{"IR8APARA", kClear, "METHOD C 1; GROUPID C 1; BOOLEAN1 L 8; BOOLEAN2 L 8"},
           ChangeRow{"IRAS", kEncrypted, "APPROW $ 1; APPRAW $ 1"},
           ChangeRow{"IR8AR", kEncrypted, "USERID C 8; MOSQ $ 1; GRATUITY1 $ 1; GRATUITY2 $ 1; GRATUITY3 $ 1; "
                                          "GRATUITY4 $ 1; GRATUITY5 $ 1; OTHER_FUND $ 1; BATCH_IND C 1"},
           ChangeRow{"PAYPARA", kClear, "CLMBASED C 3; ATTEMPT I 1; MIN_PASSWORD I 1; ISMASTER I 1; "
                                        "NO_OF_USES I 1; MASTER_EXPIRED_DATE D 1; NO_OF_DAYS I 1"},
           ChangeRow{"JOBORDER_HD", kClear, "CONTACT_PERSON C 30; BILL_OTAMT $ 1"},
           ChangeRow{"PAYPARA1", kEncrypted, "REST_NSP C 1"},
           ChangeRow{"EMPCLAIM", kClear, "PERCLAIMLIMIT $ 1"},
           ChangeRow{"MEDICAL", kClear, "AC_CODE C 30; GSTCODE C 8; GSTRATE C 8"},
           ChangeRow{"NSTRANS", kClear, "TIMEIN T 8; TIMEOUT T 8"},
           ChangeRow{"EMPLEAVE", kClear, "TIMEIN T 8; TIMEOUT T 8"},
           ChangeRow{"INTPASS", kEncrypted, "ID AS 12"},
           ChangeRow{"EMPDOC", kClear, "APPR_TYPE C 4"},
           ChangeRow{"COSTCTR", kClear, "MAN_DAYS $ 1"},
           ChangeRow{"WKCSTREC", kEncrypted, "MAN_DAYS $ 1"},
           ChangeRow{"FW_LEVY", kClear, "DESC AS 40"},
           ChangeRow{"IRDX8A", kEncrypted, "VOL_EE $ 1; VOL_ER $ 1; BENEFIT_REMARK C 50; TAX_REMARK C 50; "
                                           "LUMPSUM_DESC1 C 80; LUMPSUM_DESC2 C 80; PR_CONT_STATUS C 1; "
                                           "RENOUNCEMENT_SPR D 1; TAX_REMARK C 80"},
           ChangeRow{"RPTRX", kEncrypted, "FCURR_CODE C 8; CURR_CODE C 8; EXRATE $ 10; FAMOUNT $ 10; CAMOUNT $ 10"},
           ChangeRow{"P_HTRX", kEncrypted, "CHEQNO $ 1"},
           ChangeRow{"RP_HTRX", kEncrypted, "Field_No201 to Field_No300 $ 1; MAP_CTR C 8; MAP_DEPT C 8"},
           ChangeRow{"CODE", kClear, "ISENTITLED C 1"},
           StepEntry{Step::DecryptTrnno},
       }},
      {.name = "D15",
       .entries = {
           ChangeRow{"TRNNO", kClear, "LOAN_REF I 1"},
           ChangeRow{"LOANS_RED", kEncrypted, "ACCUM_INTEREST $ 1; ADJUST_MID $ 1; ADJUST_END $ 1; "
                                              "ADJUST_PERIOD_END C 6; MIDAMOUNT $ 1; ENDAMOUNT $ 1; "
                                              "DEFERED_MID $ 1; DEFERED_END $ 1; ISADJUSTED L 1; ADJUST_REC C 1; "
                                              "ADJUST_PERIOD_MID C 6; ADJUSTMENT_DATE D 6; INTEREST1 $ 1; "
                                              "INTEREST2 $ 1"},
           ChangeRow{"LOANS", kEncrypted, "LOAN_DATE D 1; LOAN_REF C 16"},
           ChangeRow{"LOAN_ADJUST", kClear, "ACCUM_INTEREST $ 1; ADJUST_MID $ 1; ADJUST_END $ 1; "
                                            "ADJUST_PERIOD_END C 6; ADJUST_PERIOD_MID C 6; ISADJUSTED L 1; "
                                            "ADJUSTMENT_DATE D 6"},
           ChangeRow{"FAMILY", kClear, "WORKING_STATUS C 1"},
           ChangeRow{"E_FAMILY", kClear, "WORKING_STATUS C 1"},
           ChangeRow{"PAYPARA2", kEncrypted, "OTH_ACCT_NO2 C 12"},
           ChangeRow{"RP_HTRX", kEncrypted, "BANKAMT $ 1; CHEQAMT $ 1; CASHAMT $ 1; CHEQNO $ 1"},
           ChangeRow{"APPR", kClear, "PERF_SCORE $ 1"},
           ChangeRow{"JOB_HIS", kEncrypted, "CURRENCY C 8; EMPLOYEE_PERCENT $ 1; EMPLOYER_PERCENT $ 1"},
           ChangeRow{"PGRP_TRX", kClear, "TOTAL $ 1"},
           ChangeRow{"PAYPARA1", kEncrypted, "MSOMAX $ 1; MSOADDMAX $ 1; MASTEREL C 12; CFUND_NO_VOL C 18; "
                                             "OTH_ACCT_NO2 C 18"},
           StepEntry{Step::RenumberAllowanceColumns, Gate::RearrangeTicked},
       }},
  };
  return list;
}

}  // namespace kv::upgrade
