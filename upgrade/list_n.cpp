// List N, the new-fields list: the last and longest list of column requests, run after the company's missing
// tables are made. N1 always; N2 when "Update New fields" is ticked; N3 to N19 only on data older than 8.60.

#include "upgrade/list_notation.h"

namespace kv::upgrade {

using namespace notation;

const ColumnList& ListN() {
  static const ColumnList list = {
      {.name = "N1",
       .entries = {
           ChangeRow{"WKCSTREC", kEncrypted, "BONUS $ 1; INCENTIVE $ 1; BONUS_CPFEMPER $ 1; "
                                             "INCENTIVE_CPFEMPER $ 1; GROSSTOTAL $ 1; NETT_WAGE $ 1; TOTAL $ 8; "
                                             "DEDUCTION $ 8; REIMBURSE $ 8"},
           ChangeRow{"WKLEAVE", kClear, "FORFEIT Z 1; COST_CENTRE_CODE C 8; COMPANY_CODE C 8; SECTION_CODE C 8; "
                                        "DIVISION_CODE C 8; YTDENT $ 8; TAKEN_MTH01 $ 8; TAKEN_MTH02 $ 8; "
                                        "TAKEN_MTH03 $ 8; TAKEN_MTH04 $ 8; TAKEN_MTH05 $ 8; TAKEN_MTH06 $ 8; "
                                        "TAKEN_MTH07 $ 8; TAKEN_MTH08 $ 8; TAKEN_MTH09 $ 8; TAKEN_MTH10 $ 8; "
                                        "TAKEN_MTH11 $ 8; TAKEN_MTH12 $ 8"},
       }},
      {.name = "N2",
       .gates = {Gate::NewFieldsTicked},
       .entries = {
           ChangeRow{"EMPLEAVE", kClear, "SEND_WHO C 12"},
       }},
      {.name = "N3",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"APPD8B", kClear, "SHARE_TYPE C 4"},
           ChangeRow{"ACHIEVE", kClear, "AMOUNT Z 1"},
           ChangeRow{"INSURAN", kClear, "TRNNO I 1"},
           ChangeRow{"BENEFIT", kClear, "TRNNO I 1"},
           ChangeRow{"RBITEM", kClear, "ADVANCE C 1; USERID C 8"},
           ChangeRow{"RBFOLDER", kClear, "USERID C 8"},
           ChangeRow{"RBITEM", kClear, "ID I 1"},
           ChangeRow{"RBFIELD", kEncrypted, "Hide_wage C 1"},
           ChangeRow{"RBTABLE", kEncrypted, "ID C 20"},
           ChangeRow{"MEDISAVE", kClear, "BF $ 1; EMP_NAME C 40; CONSUME $ 1"},
       }},
      {.name = "N4",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .guard = Guard::ShownAfterWords,
       .entries = {
           StepEntry{Step::EncryptWkcstrec},
           ChangeRow{"WKCSTREC", kEncrypted, "NETT_WAGE $ 1"},
       }},
      {.name = "N5",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .guard = Guard::ShownAfterWords,
       .words = "TRNNO.adt ",
       .entries = {
           ChangeRow{"TRNNO", kClear, "AUTO1 I 1; AUTO2 I 1; AUTO3 I 1; AUTO4 I 1; AUTO5 I 1; AUTO6 I 1; "
                                      "AUTO16 I 1; AUTO17 I 1; MEDICAL_NO I 1; DATABASE_NAME2 C 40"},
       }},
      {.name = "N6",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"PUBLIC", kClear, "STATE C 8"},
           ChangeRow{"GLTYPE", kClear, "BREAKITEM C 1"},
           ChangeRow{"MEDSCH", kClear, "CLAIMTYPE C 1; SUBCLAIM C 8; SUBLIMIT $ 1; ITEMTYPE C 1"},
           ChangeRow{"DISC", kClear, "ACTION_DATE D 1; NEXT_REVIEW_DATE D 1; DEMERIT_POINT_IND C 1; "
                                     "STOP_INCREMENT_IND C 1; DISC_ACTION_EFFDATE D 1; RESTORE_DATE D 1; "
                                     "DEMERIT_POINT $ 1"},
           ChangeRow{"PAYPARA1", kEncrypted, "REST_GRP C 1; CODE1 C 1; CODE2 C 1; CODE3 C 1; CODE4 C 1; CODE5 C 1; "
                                             "CODE6 C 1; CODE7 C 1; CODE8 C 1; CODE10 C 1; CODE9 C 1; ADDFUND C 1; "
                                             "DEF_MVCP $ 1; LINK_CLAIM C 1; CODE11 C 1; CODE12 C 1; CODE13 C 1; "
                                             "CODE14 C 1; CODE15 C 1; CODE16 C 1; CODE17 C 1; CODE18 C 1; "
                                             "CODE19 C 1; CODE20 C 1; REST_NSP C 1; OT_HRS_CEILING $ 1; "
                                             "CHRIS_F1 C 5; CHRIS_F2 C 35"},
           ChangeRow{"PAYPARA", kClear, "SCORE $ 8; DOC_FOLDER C 150; LOANCODE C 8; BACKUP_RESTORE C 1; "
                                        "SERV_DEC_CODE1 C 8; SERV_DEC_CODE2 C 8; PAYMENT_CODE1 C 8; "
                                        "PAYMENT_CODE2 C 8; SERV_POINT C 1; SERV_POINT2 C 1; CREATEDB C 1"},
           ChangeRow{"WKLEAVE", kClear, "FORFEIT Z 1; COST_CENTRE_CODE C 8; COMPANY_CODE C 8; SECTION_CODE C 8; "
                                        "DIVISION_CODE C 8; YTDENT $ 8; TAKEN_MTH01 $ 8; TAKEN_MTH02 $ 8; "
                                        "TAKEN_MTH03 $ 8; TAKEN_MTH04 $ 8; TAKEN_MTH05 $ 8; TAKEN_MTH06 $ 8; "
                                        "TAKEN_MTH07 $ 8; TAKEN_MTH08 $ 8; TAKEN_MTH09 $ 8; TAKEN_MTH10 $ 8; "
                                        "TAKEN_MTH11 $ 8; TAKEN_MTH12 $ 8"},
           ChangeRow{"P_HIST3", kEncrypted, "COL_VAL13 $ 1; COL_VAL14 $ 1; COL_VAL15 $ 1; COL_VAL16 $ 1; "
                                            "COL_VAL17 $ 1; COL_VAL18 $ 1; COL_VAL19 $ 1; COL_VAL20 $ 1; "
                                            "COL_VAL21 $ 1; EMP_NAME C 40"},
           ChangeRow{"LEAV_TRX", kClear, "IDLIEU I 1"},
           ChangeRow{"GLPARA", kClear, "CODE C 8; ID I 1; FLAG C 1"},
           ChangeRow{"ALOCLAIM", kClear, "BENEFIT_SCHEME C 8"},
           ChangeRow{"MEMBER", kClear, "EXPIRY_DATE D 1; REMARKS C 50"},
           ChangeRow{"PGRP_HDR", kClear, "HOURWORK $ 1"},
           ChangeRow{"PAYPARA", kClear, "TIMECLKFILE C 50; ALWCODE1 C 8; ALWCODE2 C 8; PAYMODE C 1; PAYAMT $ 1; "
                                        "REPAYMTH I 1; CVP_MONTH I 1; CVPCODE C 8"},
           ChangeRow{"EMPSERV", kEncrypted, "COMPANY C 8; GROSS_WAGE $ 1; EMPSTATUS C 8; SVC $ 1; SVCTOTAL $ 1; "
                                            "GRADE C 8"},
           StepEntry{Step::DeleteEmpservBackup},
       }},
      {.name = "N7",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"LEAV_SET", kClear, "APPLY_NOTICE_PRD C 1"},
           ChangeRow{"EMPLOYMT", kEncrypted, "TERM_REASON C 50; STATE C 8; WRITTEN C 40; SPOKEN C 40; "
                                             "RE_HIRED C 1; REASON_HIRE1 C 80; REASON_HIRE2 C 80; "
                                             "REASON_HIRE3 C 80; REASON_HIRE4 C 80; REASON_HIRE1 AS 80; "
                                             "REASON_HIRE2 AS 80; REASON_HIRE3 AS 80; REASON_HIRE4 AS 80"},
           ChangeRow{"PAYPARA", kClear, "ANNUALCODE C 8; DAYENCASH $ 1; FESTIVAL C 1; STYPE C 1; ENCASH_MTD C 1; "
                                        "CYCLE C 1; COMPUTE_RESIDENCE C 1"},
           ChangeRow{"ALLOWNCE", kClear, "GLCODE C 30; BFIELD C 30; GROUPCODE C 8; BACK_ALLOW C 8; RATE $ 1; "
                                         "IS_GROSS C 1; RPTCODE C 8; GL_IDENTIFIER C 1; PAYCODE C 1"},
           ChangeRow{"PAYPARA2", kEncrypted, "TYPE C 3"},
           StepEntry{Step::FillPaypara2Type},
       }},
      {.name = "N8",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"YTDEMPL", kEncrypted, "MSOADDWAGE $ 1; CPFMAXBAL $ 1; MSOADD $ 1; UNIONWAGE $ 1"},
           ChangeRow{"EMP_BNK", kEncrypted, "CYCLE C 1"},
           ChangeRow{"BOTABLE", kClear, "VARBONUS1 C 8; VARBONUS2 C 8; HIRED_BEFORE D 1; TERMINATE_AFTER D 1; "
                                        "ROUNDING I 1; ALLOWNPL I 1; CONFIRM_DUE C 1; UNIONTABLE C 1; "
                                        "EXCLUDE_NPL C 1; EXCLUDE_ABS C 1; EXCLUDE_ANN C 1; EXCLUDE_SICK C 1; "
                                        "AWS_INDICATOR C 1; UNION_TALBE C 1; BONUSCODE C 8; UNIONCODE C 8"},
           ChangeRow{"BONUS", kClear, "DEDUCT $ 1; VAR_BONUS1 $ 1; VAR_BONUS2 $ 1; HOURLY_FACTOR $ 1; PAYDAY $ 1; "
                                      "USERID C 8; COSTCENTRE C 8; CPFEE $ 1"},
       }},
      {.name = "N9",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .guard = Guard::ShownAfterWords,
       .words = "BONUS FIELD REPTYPE ",
       .entries = {
           ChangeRow{"BONUS", kClear, "REPTYPE C 2"},
       }},
      {.name = "N10",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           StepEntry{Step::TakeSalaryTotal},
           ChangeRow{"EMP_PROS", kClear, "MVP2000_INDICATOR C 1; NEXT_INCR_DATE D 1; GROSS_PAY $ 1; "
                                         "SALARY_SCALE C 8; HOLDER_INDICATOR C 1; CONFIDENTIAL C 1; "
                                         "HOLDER_INDICATOR C 1; SCALE_INDICATOR C 1; MVP_INDICATOR C 1; "
                                         "NEXT_INCR_VALUE $ 1; MKT_ADJ_INDICATOR C 1; MVP2000_INDICATOR C 1; "
                                         "MAA_AMOUNT $ 1; INCRE_REVIEW_DATE D 1; COMPANY C 8; MVP $ 1; "
                                         "MVP2000 $ 1; GROSS_WAGE $ 1; NEXT_INCR_PAY $ 1; SALTYPE C 1; "
                                         "PERCENT $ 1; STEP I 1; REV_NEW_SALARY $ 1; JOBGRADE C 8; GRADE C 8; "
                                         "SVCTOTAL $ 1; SVC $ 1"},
           StepEntry{Step::CheckSalaryTotal},
           StepEntry{Step::EmptyRpHtrx},
           StepEntry{Step::ResetEPayslipPasswords, Gate::EPayslipResetTicked},
           StepEntry{Step::DecryptEmployee},
       }},
      {.name = "N11",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"EMPLOYEE", kClear, "RELIEFGRP C 1; TEL_EXT I 1; CHKLVREP C 1; ADV_ON C 1; EMG_ID C 12; "
                                         "EMG_ALIAS C 30; EMG_TEL2 C 20; EMG_ADDR21 C 40; EMG_ADDR22 C 40; "
                                         "EMG_ADDR23 C 40; EMG_POSTAL2 C 8; DOBCTRY C 8; LEAVE_SCHEME C 8; "
                                         "BENEFIT_SCHEME C 8; EMG_SAME_ADDR_IND C 1; HRLEVEL C 12; "
                                         "SUPERVISOR2 C 12; USERID C 12; FWL1TOFLW2 C 8; FWLCHGDATE D 8; "
                                         "APPLYSTP C 1; SURNAME C 20; APSCODE C 12; NS_SERVICE C 1; STOP_IND C 1; "
                                         "STOP_STDATE D 1; STOP_ENDDATE D 1; QUERYRP2 C 8; QUERYRP C 8; "
                                         "EMAIL_AC_NO AS 50; RENEWAL C 1; EMP_PASS_CANCEL D 1; CORPID C 15; "
                                         "COMPANY_CODE C 8; WP_TYPE C 2; EP_TYPE C 2; SEX_TITLE AS 8; "
                                         "CVP_SCHEME C 1"},
           StepEntry{Step::EncryptEmployee},
       }},
      {.name = "N12",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"SETUP", kEncrypted, "QUERYRP C 8; CHKLVREP C 1; QUERYRP2 C 8; ALIAS C 30"},
           StepEntry{Step::CycleEmpAlwEncryption},
       }},
      {.name = "N13",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"FAMILY", kClear, "IC_PASSPORT_NUM AS 1; DEP_INDICATOR C 1; RACE C 8; CITIZENSHIP C 8; "
                                       "EMPLOYER_NAME C 40; BIRTH_COUNTRY C 8; RESIDE_HOMECTY C 1; RELIGION C 8; "
                                       "PR_IND C 1; CHILD_NO I 1; DEP_AGE C 30"},
           ChangeRow{"PASS", kEncrypted, "APPROVED C 1; APPROVAL_BY C 16; APPROVED_DATE D 10; PRINTERNAME C 80; "
                                         "ENABLED_AUTO C 1; BACKUP C 1; EFF_DATE D 1; ACCESS_DATE D 1; "
                                         "ACCESS_LOCK C 1; EMPID C 12; APPLYPWD C 1; LOCK_BASIC C 1; "
                                         "RENEW_PERIOD I 1; ENABLED_ALLOW C 1; ACCESS_LEVEL C 1; ENABLEDF9 C 1; "
                                         "ENABLED_CAREER C 1; LOCKED L 1; accessnum I 1; PASSWORD AS 20"},
           ChangeRow{"PAYPARA1", kEncrypted, "MASTER AS 20"},
           ChangeRow{"BONUS", kClear, "CPFER $ 8; DEPARTMENT C 8; COMPANY C 8; PAYTYPE C 4; TOTAL $ 8"},
           ChangeRow{"MEDICAL", kClear, "COST_CENTRE C 8; PATIENT_TYPE C 1; PREILLNESS C 1; EE_DEP C 16; "
                                        "VISIT_DATE D 1; FROM_DATE D 1; TO_DATE D 1; BILL_NO C 20; REASON C 50; "
                                        "BATCH C 6; GST_AMOUNT $ 4; NOTE C 255; APPROVED_DATE D 8; "
                                        "APPROVED_PERSON C 12; APPLY_DATE D 8; APPLY_PERSON C 12; C1 $ 4; C2 $ 4; "
                                        "C3 $ 4; C4 $ 4; C5 $ 4; C6 $ 4; PRJ_CODE C 8; JOB_CODE C 8; STATUS C 1; "
                                        "DEAL_CODE C 8; DEAL_AMT $ 4; COUNTRY_CODE C 8; MEDICAL_NO C 12; "
                                        "EXG_RATE $ 4; REF_NO C 30; DAYALLOW C 8; DAYFREQ $ 4; OTTYPE $ 4; "
                                        "OTTYPE $ 4; HRFREQ $ 4; BNO I 1"},
           ChangeRow{"CODE", kClear, "LEAVE_IND C 1; MAXBF $ 1; PERIOD_APPLY I 1; LONG_DESC C 80; DESC IC 60; "
                                     "MAPCODE C 8"},
           ChangeRow{"RTPDETL", kClear, "FIXALLW C 8; PARA1 C 8"},
           ChangeRow{"WKRPT", kClear, "FIXALLW C 8; PARA1 C 8"},
           ChangeRow{"BENEFIT", kClear, "DATE_FROZEN D 1; AMOUNT_PAYABLE $ 1"},
           ChangeRow{"APP_GRADE_SETUP", kClear, "GRADE AS 8"},
           ChangeRow{"APPRDTL", kClear, "PERCENT $ 12; WPERCENT $ 12; HEADER C 12; SECTION C 8; ID I 12"},
           ChangeRow{"APP_GRADE_SETUP", kClear, "JOB_GRADE C 8"},
           ChangeRow{"JOBGRADE", kClear, "HEADER C 12; SECTION C 8; PERCENT $ 12"},
           ChangeRow{"EMPLAN", kClear, "SECCODE C 8; TYPE C 1"},
           ChangeRow{"MAPAPPR", kClear, "WEIGHT $ 8"},
           ChangeRow{"GLCODE", kClear, "GLTYPE C 1; SEQ I 1; CONTROL C 1"},
           ChangeRow{"APPR", kClear, "OVERALL_SCORE $ 8; OVERALL_GRADE C 8; RANK C 8; ID I 12"},
           ChangeRow{"APPRDTL", kClear, "SECTION C 8; ID I 12"},
           ChangeRow{"tempIncrement", kClear, "WAGE_CODE C 8"},
           ChangeRow{"increReport", kClear, "WAGE_CODE C 8; OLD_ACCUMCVP $ 8; MVC_ADJUST $ 8; NEW_ACCUMCVP $ 8"},
           ChangeRow{"PPARA_PR", kClear, "OTH1 C 8; OTH2 C 8; OTH3 C 8; OTH4 C 8; OTH5 C 8"},
           ChangeRow{"GLCOST", kClear, "LINE I 1; FORMAT_AMOUNT C 12; CHAR1 C 40; CHAR2 C 40; DESCR C 60; "
                                       "GLLINE C 2; CREDIT $ 2; DEBIT $ 2; DEPARTMENT C 8; PROJECT C 8; "
                                       "DIVISION C 8; LOCATION C 8; COST_CENTRE_DESC C 40"},
           ChangeRow{"PQUERY", kClear, "QTYPE C 1"},
           ChangeRow{"P_DTRXLV", kEncrypted, "TYPE C 1"},
           ChangeRow{"OTSHIFTREST", kEncrypted, "P_REST_DAY_1L $ 1; REST_DAY_2L $ 1"},
           ChangeRow{"TRAINING", kClear, "DEPARTMENT C 8; TRN_MODE C 1; INFECTION_INDICATOR C 1; TIMEIN T 1; "
                                         "TIMEOUT T 1"},
           ChangeRow{"TRAPLAN", kClear, "TRN_MODE C 1; INFECTION_INDICATOR C 1; TIMEIN T 1; TIMEOUT T 1"},
           ChangeRow{"BENEFIT", kClear, "OCCASION_DATE D 8; RELATIONSHIP C 15; NAME C 40"},
           ChangeRow{"PROMPT", kClear, "DESCR2 C 40; DESCRIPTION C 40"},
           ChangeRow{"TRAPLAN", kClear, "DEPARTMENT C 8; CERTIFIED_DATE D 8"},
           ChangeRow{"CHGALW", kClear, "EFFDATE D 1; STARTDATE D 1; ENDDATE D 1; IS_PCB C 1"},
           ChangeRow{"CODE", kClear, "ADV_ON I 1; APY_MSG C 40; SATNUM I 1; URGENTDY I 1; VAR_BUDGET C 1; "
                                     "MAPCLAIM C 8; CDOON I 1"},
           ChangeRow{"PAYPARA", kClear, "COMPANY C 50"},
           ChangeRow{"ALOCLAIM", kClear, "MAX_PERCENT C 1"},
           ChangeRow{"CLAIMGRP", kClear, "DESCFLD C 40"},
           ChangeRow{"CLAIMGRP", kClear, "drop DESC"},
           ChangeRow{"CASUAL", kEncrypted, "BATCHNO AS 12; SECTION_CODE C 8"},
           ChangeRow{"PASSWORK", kClear, "DELETE_FLAG C 1; WRITE_FLAG C 1; WRITE_MODE C 1; DELETE_MODE C 1"},
           ChangeRow{"PASSTBL", kEncrypted, "READ_MODE C 1; WRITE_MODE C 1; READ_MODE C 1; DELETE_MODE C 1"},
           ChangeRow{"LOANS", kEncrypted, "INTEREST_PERCENT $ 1; LOAN_TYPE C 15"},
           ChangeRow{"IRAS", kEncrypted, "APPROW $ 1; APPRAW $ 1"},
           ChangeRow{"IR8AR", kEncrypted, "USERID C 8; MOSQ $ 1; GRATUITY1 $ 1; GRATUITY2 $ 1; GRATUITY3 $ 1; "
                                          "GRATUITY4 $ 1; GRATUITY5 $ 1; OTHER_FUND $ 1; BATCH_IND C 1"},
           ChangeRow{"BLOCKLV", kClear, "QUERYID C 8"},
           ChangeRow{"P_HIST4", kClear, "SEC_CODE C 8; DIV_CODE C 8; COMPANY_CODE C 8; SDF $ 8; FWL $ 8; "
                                        "CPFEMPER $ 8"},
           ChangeRow{"PAYPARA", kClear, "FIELD1 C 20; FIELD2 C 20; MSG1 C 20; MSG2 C 20; MSG3 C 20; "
                                        "TEMPLATE_FILE1 C 150; TEMPLATE_FILE2 C 150; TEMPLATE C 8; "
                                        "TAX_PERCENT $ 1; WEBSVR C 40; MAILSVR C 40; ATTACHED C 1; "
                                        "TRANS_CODE1 C 8; TRANS_CODE2 C 8; CLMBASED C 3; ATTEMPT I 1; "
                                        "MIN_PASSWORD I 1; ISMASTER I 1; NO_OF_USES I 1; MASTER_EXPIRED_DATE D 1"},
           ChangeRow{"INTPASS", kEncrypted, "CHANGE_DATE D 8; T1 L 8; T2 L 8; T3 L 8; T4 L 8; T5 L 8; T6 L 8; "
                                            "T7 L 8"},
           ChangeRow{"EMPLEAVE", kClear, "MDFNO I 1; AUTOINC + 1"},
           ChangeRow{"CODE", kClear, "AUTOAPPR I 1"},
           ChangeRow{"CLAIMPRM", kClear, "T1CURR1 C 20; T1CURR2 C 20; T1CURR3 C 20; T1STR1 C 20; T1STR2 C 20; "
                                         "T1STR3 C 20; T2CURR1 C 20; T2CURR2 C 20; T2CURR3 C 20; T2STR1 C 20; "
                                         "T2STR2 C 20; T2STR3 C 20"},
           ChangeRow{"DEAL_REP", kClear, "MEDICAL_DATE D 8; COST_CENTRE C 8; JOB_CODE C 8; STATUS C 1; "
                                         "EMP_NAME C 40; R1 C 1; R2 C 1; R3 C 1; R4 C 1; R5 C 1; R6 C 1; R7 C 1"},
           ChangeRow{"CLMTMPL", kClear, "MAPFIELD C 40"},
           ChangeRow{"LVPOLICY", kClear, "CODE AS 12; CCEMP_NO C 12"},
           ChangeRow{"CODE", kClear, "PH $ 1; CH $ 1; SARS C 1; CC_GROUP C 1; MAX_MONTH $ 4; FIL C 2; MAP_REL C 8; "
                                     "APPRFILE C 20; CCEMP C 20; APPRBYHR I 1; SUPPDOC_SENDDAY I 1; "
                                     "SUPPDOC_SENDHR I 1; SUPPDOC I 1; HALFNUM I 1; BLOCKLVL I 1"},
           ChangeRow{"EMPMISC", kEncrypted, "LOCKED I 1; ACCESSDATE D 1; ACCESSNUM I 1"},
           ChangeRow{"SETUP", kEncrypted, "LOCKED I 1; ACCESSDATE D 1; ACCESSNUM I 1"},
           ChangeRow{"EMPLEAVE", kClear, "SUPPDOC_SENDDATE D 1; SUPPDOC_SENDHR I 1; AUTOINC + 1; APPLIER C 12; "
                                         "HR_RECOMMEND C 1; USERID C 8; BATCH C 6; APPROVED_DATE D 1; OFF_DAY $ 1; "
                                         "SENT L 1; cdoff C 12; CRVR C 12; MATE C 20; MARRIAGE D 8; OVERSEAS C 1; "
                                         "COUNTRY C 20; CTY_REMARKS C 50; HOSPITAL C 1; PATIENTS C 50; AMPM C 2"},
       }},
      {.name = "N14",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000, Gate::ApprovalFlowTicked},
       .entries = {
           ChangeRow{"", kEncrypted, "SUPERVISOR_CODE C 12; SUPERVISOR_CODE2 C 12; SUPERVISOR_CODE3 C 12; "
                                     "STIN C 12; STIN2 C 12; STIN3 C 12"},
           ChangeRow{"EMPLEAVE", kClear, "SUPERVISOR_CODE C 12; SUPERVISOR_CODE2 C 12; SUPERVISOR_CODE3 C 12; "
                                         "STIN C 12; STIN2 C 12; STIN3 C 12"},
       }},
      {.name = "N15",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"EMPLEAVE", kClear, "ISURGENT L 1"},
       }},
      {.name = "N16",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000, Gate::CasualdPresent},
       .entries = {
           ChangeRow{"CASUALD", kClear, "CDAC $ 20; MOSQ $ 20; EUCF $ 20; SINDA $ 20; COMC $ 20"},
       }},
      {.name = "N17",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"EMP_ALW", kEncrypted, "STARTDATE D 4; EFFDATE D 4; ENDDATE D 4; CURR_CODE C 8"},
           ChangeRow{"SHARE", kClear, "DYEAR C 4; EXPIRY_DATE D 8; NO_CANCEL $ 4; BALANCE $ 4; "
                                      "TOTAL_EXER_PRICE $ 4; COST_CENTRE_CODE C 12; OCCUPATION_CODE C 12; "
                                      "SERVICE_YEAR $ 4; VPERIOD C 50; INCNUM I 4"},
           ChangeRow{"TRAINBAL", kClear, "EMPCODE C 12"},
           ChangeRow{"STANDIN", kClear, "EMPCODE C 12"},
           ChangeRow{"DISC", kClear, "COMPANY_CODE C 8"},
           ChangeRow{"ACHIEVE", kClear, "COMPANY_CODE C 8"},
           ChangeRow{"EMPBONUS", kEncrypted, "ACT_AWCPFEMPEE $ 8; ACT_AWCPFEMPER $ 8"},
           ChangeRow{"RP_HTRX", kEncrypted, "VOLCPFEE $ 1; VOLCPFER $ 1; TOTAL_GROSS $ 1; BONUS_CPFEE $ 1; "
                                            "BONUS_CPFER $ 1; BONUS_TOTALCPF $ 1; GP_BASIC $ 1; GP_ALLOWANCE $ 1; "
                                            "GP_ALLOWNONCPF $ 1; GP_DEDUCTION $ 1; GP_DEDUCTNONCPF $ 1; "
                                            "GP_BONUS $ 1; PERCENT $ 1; GP_OVERTIME $ 1; GRPNUM1 to GRPNUM70 $ 1"},
           ChangeRow{"BATCH", kClear, "LOCK C 1; DEPARTMENT C 8"},
           ChangeRow{"LEAVESET", kClear, "SCHEME C 8; INIT_CF I 8; INIT_ADJU I 8; INIT_DAY I 8; INIT_ROUND I 8"},
           ChangeRow{"PPARA_SF", kClear, "PAYCODE C 1"},
           ChangeRow{"ALLOCATE", kClear, "LEAVE_CODE C 8"},
           ChangeRow{"CUSTOM", kClear, "MODULE C 30; PARAMETER C 30; PARAMETER_VALUE C 30"},
           ChangeRow{"WKCOST", kClear, "DEPARTMENT C 8"},
           ChangeRow{"LOANS_RED", kEncrypted, "ADJUST_AMT1 $ 1; ADJUST_AMT2 $ 1; ADJUST_AMT3 $ 1"},
           ChangeRow{"QUERY", kClear, "STATUS AS 3; STATUS2 AS 3"},
       }},
      {.name = "N18",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           StepEntry{Step::CloseCodeTables},
           ChangeRow{"CODE", kClear, "MAPFIELD C 8"},
           StepEntry{Step::FillCodeMapField, Gate::Always, Guard::ShownAfterWords},
           StepEntry{Step::FillCodeLongDesc, Gate::Always, Guard::ShownAfterWords},
           StepEntry{Step::FillEmpProsGrade, Gate::Always, Guard::ShownAfterWords},
           StepEntry{Step::DecryptEmpmisc},
       }},
      {.name = "N19",
       .gates = {Gate::NewFieldsTicked, Gate::DataVersionBelow86000},
       .entries = {
           ChangeRow{"EMPMISC", kClear, "CHECKFLAG1 L 1; CHECKFLAG2 L 1; CHECKFLAG3 L 1; CHECKFLAG4 L 1; "
                                        "CHECKFLAG5 L 1; CHECKFLAG6 L 1; CHECKFLAG7 L 1; CHECKFLAG8 L 1; "
                                        "CHECKFLAG9 L 1; CHECKFLAG10 L 1; CONFIRM L 1; N1CLAIM C 12; N2CLAIM C 12; "
                                        "N3CLAIM C 12; DEMERIT_INDICATOR C 1; EXCLUDE60 C 1; AWS_IND C 1"},
           StepEntry{Step::EncryptEmpmisc},
       }},
      // Whatever CheckBox1 says: the levy roll-forward from 2007 to 2008, a second time on data older than 8.60.
      {.name = "N levy",
       .entries = {
           StepEntry{Step::CopyLevy2007To2008},
           StepEntry{Step::CopyLevy2007To2008, Gate::DataVersionBelow86000},
       }},
  };
  return list;
}

}  // namespace kv::upgrade
