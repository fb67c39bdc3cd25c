#include "catalogue/catalogue.h"

#include <string_view>
#include <utility>
#include <vector>

// Tables 67 to 130 of the company creation order, then SUPVRTBL (the shared supervisor table in "SHARE_FOLDER")
// and mcompany.ADT (the company registry). Numbered runs stay runs; names, sizes, keys and message names are
// spelled exactly as the engine and the user get them, odd cases included (mapAppr, lvaudit, the comma in the
// SETTLEMENT key, the day columns of TEMPPAYGROUP in the order 21 to 31, then 1 to 20).

namespace kv::catalogue {
namespace {

using enum TFieldType;
using Files = std::vector<std::string_view>;

FieldDef S(std::string_view name, int size) { return FieldDef{name, ftString, size}; }
FieldDef Int(std::string_view name) { return FieldDef{name, ftInteger}; }
FieldDef Flt(std::string_view name) { return FieldDef{name, ftFloat}; }
FieldDef Cur(std::string_view name) { return FieldDef{name, ftCurrency}; }
FieldDef Date(std::string_view name) { return FieldDef{name, ftDate}; }
FieldDef Time(std::string_view name) { return FieldDef{name, ftTime}; }
FieldDef Bool(std::string_view name) { return FieldDef{name, ftBoolean}; }
FieldDef Auto(std::string_view name) { return FieldDef{name, ftAutoInc}; }
FieldDef Memo(std::string_view name) { return FieldDef{name, ftMemo}; }

FieldRun Run(int first, int last, std::vector<FieldDef> pattern) { return {first, last, std::move(pattern)}; }

IndexDef Plain(std::string_view name, std::string_view key) { return {name, key, IndexKind::Plain}; }
IndexDef Unique(std::string_view name, std::string_view key) { return {name, key, IndexKind::Unique}; }
IndexDef Descending(std::string_view name, std::string_view key) { return {name, key, IndexKind::Descending}; }

}  // namespace

const std::vector<TableDefinition>& TablesSixtySevenToOneThirty() {
  static const std::vector<TableDefinition> tables{
      // 67. MAPAPPR
      {.number = 67,
       .name = "MAPAPPR",
       .fields = {S("HEADER", 12), S("CRITERIA", 12), S("SECTION", 8), Cur("WEIGHT"), Auto("ID")},
       .indexes = {Unique("HEADER", "SECTION;HEADER;CRITERIA")},
       .messageName = "mapAppr.adt",
       .deletionSet = Files{"mapAppr.ADT", "mapAppr.ADM", "mapAppr.ADI"}},
      // 68. TYPE_LIST
      {.number = 68,
       .name = "TYPE_LIST",
       .fields = {S("TYPE", 10), S("CATEGORY", 20), S("BASED_ON", 8)},
       .indexes = {Plain("TYPE", "TYPE;BASED_ON"), Plain("CATEGORY", "TYPE;CATEGORY;BASED_ON"),
                   Plain("CATEGORY2", "CATEGORY;BASED_ON")},
       .messageName = "TYPE_LIST.ADT"},
      // 69. CATEGORY
      {.number = 69,
       .name = "CATEGORY",
       .fields = {S("TYPE", 8), S("TYPE_DESC", 30), Flt("SALARY"), Flt("SERVICE_RATE"), Flt("CVP"), Flt("BONUS"),
                  Flt("DAYS")},
       .indexes = {Plain("TYPE", "TYPE")},
       .messageName = "CATEGORY.ADT"},
      // 70. tempHeadCounts
      {.number = 70,
       .name = "tempHeadCounts",
       .fields = {S("DEPT", 8), S("SECTION", 8), S("SECT_DESC", 30), S("OCCU", 8), S("OCCU_DESC", 30), Int("ACTUAL"),
                  Int("BUDGETED"), S("CATEGORY", 10), S("TYPE", 8)},
       .indexes = {Plain("DEPT", "DEPT;SECTION;OCCU;CATEGORY")},
       .messageName = "tempHeadCounts.adt"},
      // 71. budgetReport
      {.number = 71,
       .name = "budgetReport",
       .fields = {S("DEPARTMENT", 10), S("SECTION", 10), S("DESIGNATION", 10), Int("B_HEADS"), Flt("BUDGETED"),
                  Int("A_HEADS"), Flt("ACTUAL"), Flt("PROJ_CVP"), Flt("PROJ_BONUS"), S("USERID", 20), S("TYPE", 8)},
       .indexes = {Plain("DEPARTMENT", "DEPARTMENT;SECTION;DESIGNATION")},
       .messageName = "budgetReport.adt"},
      // 72. REPORT_ACC
      {.number = 72,
       .name = "REPORT_ACC",
       .fields = {Int("REPORT_ID"), S("USERID", 12)},
       .indexes = {Unique("REPORT_ID", "REPORT_ID;USERID")},
       .messageName = "REPORT_ACC.adt"},
      // 73. RP_HTRX
      {.number = 73,
       .name = "RP_HTRX",
       .fields = {S("PERIOD", 6), S("CYCLE", 1), S("EMPCODE", 12), Flt("PAYDAY"), Cur("DAILY_RATE"),
                  Cur("HOURLY_RATE"), Cur("BASIC"), Cur("NPL_AMT"), Cur("ABSENT_AMT"), Cur("LATENESS_AMT"),
                  Cur("TOTAL_NPL"), Cur("CPFEMPEE"), Cur("CPFEMPER"), Cur("FWL"), Cur("SDF"), Cur("GROSS_WAGE"),
                  Cur("CPF_WAGE"), Cur("NETT_WAGE"), Cur("OTAMT"), Cur("SHIFTAMT"), Cur("RESTAMT"),
                  Cur("TOTAL_ALLOWANCE"), Cur("TOTAL_DEDUCTION"), Flt("ANLV_CUR"), Flt("NONCPFWAGE"), Flt("MSO"),
                  Flt("SICKLV_CUR"), Flt("FWL_CPFWAGE"), Flt("SICKLV_BAL"), Cur("TOTAL_CPF"), Cur("NVC"),
                  Cur("BASICNVC"), S("DEPARTMENT", 8), S("COSTCENTE", 8), S("CATEGORY", 8), S("COMPANY", 8),
                  S("SECTION", 8), S("JOB_GRADE", 8), Run(1, 200, {Cur("FIELD_NO")}), Cur("NPL_DAY_C"),
                  Cur("NPL_DAY_L"), Cur("ABS_DAY_C"), Cur("ABS_DAY_L"), Cur("NPL_HOUR_C"), Cur("NPL_HOUR_L"),
                  Run(1, 8, {Cur("OT_HRS")}), Run(1, 10, {Cur("SHIFT")}), Cur("RESTDAY05"), Cur("RESTDAY10"),
                  Cur("RESTDAY20"), Run(1, 8, {Cur("OT_RATE")}), Run(1, 8, {Cur("OT_AMT")}),
                  Run(1, 10, {Cur("SHIFTAMT")}), Cur("RESTAMT05"), Cur("RESTAMT10"), Cur("RESTAMT20"),
                  Cur("CPFOWWAGE"), Cur("CPFAWWAGE"), Cur("AWWAGE_EARNED"), Cur("VOLCPFEE"), Cur("VOLCPFER"),
                  Cur("TOTAL_GROSS"), Cur("BONUS_CPFEE"), Cur("BONUS_CPFER"), Cur("BONUS_TOTALCPF"), Cur("GP_BASIC"),
                  Cur("GP_ALLOWANCE"), Cur("GP_DEDUCTION"), Cur("GP_BONUS"), Cur("GP_OVERTIME")},
       .indexes = {Unique("EMPCODE", "EMPCODE;PERIOD;CYCLE")},
       .messageName = "RP_HTRX.adt",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
      // 74. RW_MAP_AW
      {.number = 74,
       .name = "RW_MAP_AW",
       .fields = {Int("FIELD_NO"), S("ALLOW_CODE", 8)},
       .indexes = {Unique("USERID", "ALLOW_CODE"), Plain("USERID2", "FIELD_NO")},
       .messageName = "RW_MAP_AW.adt"},
      // 75. RW_USER
      {.number = 75,
       .name = "RW_USER",
       .fields = {S("USERID", 12), S("SUPERUSER", 2)},
       .indexes = {Unique("USERID", "USERID")},
       .messageName = "RW_USER.adt",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
      // 76. TRANSFER
      {.number = 76,
       .name = "TRANSFER",
       .fields = {S("EMP_NO", 12), Date("EFFECTIVE_DATE"), S("LOCATION", 8), S("DIVISION", 8), S("DEPARTMENT", 8),
                  S("COST_CENTRE", 8), S("BRANCH", 8), S("SECTION", 8), S("PAY_GROUP", 8), Memo("REMARKS")},
       .indexes = {Plain("EMP_NO", "EMP_NO;EFFECTIVE_DATE"), Descending("EMP_NO2", "EMP_NO;EFFECTIVE_DATE")},
       .messageName = "TRANSFER.adt",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
      // 77. WKEMPL
      {.number = 77,
       .name = "WKEMPL",
       .fields = {S("USERID", 8), S("EMP_NO", 12), S("EMP_NAME", 40), Flt("BONUS_FACTOR"), Flt("BONUS_AMT"),
                  Flt("QUANTUM"), Flt("INCREMENT_AMT"), Flt("AMT1"), Flt("AMT2")},
       .indexes = {Unique("WKEMP1", "USERID;EMP_NO"), Plain("WKEMP2", "UPPER(USERID);UPPER(EMP_NAME)")},
       .messageName = "WKEMPL.ADT",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
      // 78. TEMPLEAVE
      {.number = 78,
       .name = "TEMPLEAVE",
       .fields = {S("LEAVE_CODE", 8), S("EMPCODE", 12), Date("DATE"), S("YEAR", 4), S("MONTH", 2), S("PERIOD", 6),
                  S("CYCLE", 1), Flt("DAY"), Flt("HOUR"), S("APPROVED", 1), S("C_L_TYPE", 1), Flt("ID"),
                  S("APPLY", 1), S("OTHERCODE", 8), Flt("AVAIL"), S("FINPERIOD", 6)},
       .indexes = {Plain("LEAVE_CODE", "LEAVE_CODE;EMPCODE;DATE")},
       .messageName = "TEMPLEAVE.adt"},
      // 79. APPGROUP
      {.number = 79,
       .name = "APPGROUP",
       .fields = {S("GROUP_CODE", 8), S("EMP_NO", 12), Int("LEVEL")},
       .messageName = "APPGROUP.adt"},
      // 80. LVAUDIT
      {.number = 80,
       .name = "LVAUDIT",
       .fields = {S("USERID", 12), Date("CDATE"), Time("CTIME"), S("ACTION", 6), S("TABLENM", 15), S("FIELDNM", 20),
                  S("OLDVALUE", 40), S("NEWVALUE", 40), S("EMPCODE", 12)},
       .indexes = {Plain("USERID", "USERID;CDATE;CTIME;ACTION")},
       .messageName = "LVAUDIT.adt",
       .deletionSet = Files{"lvaudit.ADT", "lvaudit.ADM", "lvaudit.ADI"}},
      // 81. INSPLAN
      {.number = 81,
       .name = "INSPLAN",
       .fields = {S("INSURANCE_CODE", 8), Auto("INS_NO"), Date("START_DATE"), Date("END_DATE"), S("REMARK_2", 50),
                  Cur("INSURED_AMOUNT"), Cur("PREMIUM"), Bool("INCLUDE_FAMILY"), S("REMARK_1", 50), S("DETAILS", 50),
                  Bool("INSURANCE_COVERED"), Flt("PERIOD"), S("WC_TYPE", 8), S("PLAN_CLASS", 8), S("UPDATE", 1),
                  Int("TRNNO")},
       .indexes = {Unique("PRIMARY", "INSURANCE_CODE;INS_NO")},
       .messageName = "INSPLAN.ADT"},
      // 82. BENPLAN
      {.number = 82,
       .name = "BENPLAN",
       .fields = {S("BENEFIT_CODE", 8), Date("ISSUED_DATE"), Auto("DATE_SERIALNUM"), Date("RETURN_DATE"),
                  S("ISSUED_BY", 12), Int("QUANTITY"), Flt("AMOUNT"), S("REMARK1", 50), S("REMARK2", 50),
                  S("DESCRIPTION", 50), Date("DATE_FROZEN"), Flt("AMOUNT_PAYABLE"), Date("OCCASION_DATE"),
                  S("RELATIONSHIP", 15), S("NAME", 40), Int("BEN_NO"), Int("TRNNO"), S("UPDATE", 1)},
       .indexes = {Plain("BENEFIT_CODE", "BENEFIT_CODE;TRNNO")},
       .messageName = "BENPLAN.ADT"},
      // 83. LEAVECC
      {.number = 83,
       .name = "LEAVECC",
       .fields = {S("EMPCODE", 12), Date("START_DATE"), S("LEAVE_CODE", 8), Int("ID"), S("EMAIL_AC_NO", 50)},
       .indexes = {Plain("EMPCODE", "EMAIL_AC_NO;EMPCODE;START_DATE;LEAVE_CODE;ID"),
                   Plain("EMPCODE1", "EMPCODE;START_DATE;LEAVE_CODE;ID")},
       .messageName = "LEAVECC.adt"},
      // 84. leavecdo
      {.number = 84,
       .name = "leavecdo",
       .fields = {S("EMPCODE", 12), Date("START_DATE"), S("LEAVE_CODE", 8), Int("ID"), S("EMP_NO", 12)},
       .indexes = {Plain("EMPCODE", "EMPCODE;START_DATE;LEAVE_CODE;ID;EMP_NO")},
       .messageName = "leavecdo.adt"},
      // 85. P_HIST7
      {.number = 85,
       .name = "P_HIST7",
       .fields = {S("USERID", 8), S("FIELD1", 8), S("FIELD2", 12), S("FLDID1", 12), Auto("ID"),
                  Run(1, 3, {S("COL_DESC", 30), Cur("COL_VAL")}), S("FLDID2", 12), S("FLDID3", 12), S("DESCR", 30),
                  Flt("FREQ"), Flt("FREQ2"), S("TYPE", 2)},
       .indexes = {Plain("USERID", "USERID;FIELD1;FIELD2;TYPE;FLDID1;ID"),
                   Plain("USERID2", "USERID;FIELD1;FIELD2;TYPE;ID")},
       .messageName = "P_HIST7.adt"},
      // 86. LOAN_ADJUST
      {.number = 86,
       .name = "LOAN_ADJUST",
       .fields = {S("USERID", 12), S("PERIOD", 6), Flt("ADJUST_AMT1"), Flt("ADJUST_AMT2"), Flt("ADJUST_AMT3")},
       .indexes = {Plain("USERID", "USERID;PERIOD")},
       .messageName = "LOAN_ADJUST.adt"},
      // 87. PASSSAVE
      {.number = 87,
       .name = "PASSSAVE",
       .fields = {S("ID", 12), S("COMPANY", 8), Auto("NUMTIME"), S("PASSWORD", 12), Date("CHANGE_DATE")},
       .indexes = {Descending("ID", "ID;COMPANY;CHANGE_DATE;NUMTIME")},
       .messageName = "PASSSAVE.ADT",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
      // 88. EMPCLAIM
      {.number = 88,
       .name = "EMPCLAIM",
       .fields = {S("EMPCODE", 12), S("YEAR", 4), S("MEDICAL_CODE", 8), S("CATEGORY", 4), Flt("ENTITLE"),
                  Flt("TAKEN"), Flt("BALANCE")},
       .indexes = {Unique("EMPCODE", "EMPCODE;YEAR;MEDICAL_CODE")},
       .messageName = "EMPCLAIM.ADT"},
      // 89. WKBLOCK
      {.number = 89,
       .name = "WKBLOCK",
       .fields = {S("DEPARTMENT_CODE", 8), S("EMP_NO", 12), S("EMP_NAME", 40), Date("HIRED_DATE"),
                  S("OCCUPATION_CODE", 8), Date("TERMINATION_DATE"), S("LEAVE_CODE", 8), Date("START_DATE"),
                  Date("END_DATE"), Flt("DAY"), S("STATUS", 8), S("REMARKS", 40), S("CATEGORY_CODE", 8)},
       .messageName = "WKBLOCK.adt"},
      // 90. POINT
      {.number = 90,
       .name = "POINT",
       .fields = {S("CATEGORY", 8), S("SCORE_CODE", 8), S("DESCR", 30), Flt("FROM_POINT"), Flt("TO_POINT")},
       .messageName = "POINT.ADT"},
      // 91. DISCREP
      {.number = 91,
       .name = "DISCREP",
       .fields = {S("EMP_CODE", 12), Date("OFFENCE_DATE"), S("OFFENCE_CODE", 8), S("ACTION_CODE", 8),
                  S("REMARK1", 50), S("REMARK2", 50), S("DESCRIPTION", 50), S("REFERENCE", 20), Date("ACTION_DATE"),
                  Date("NEXT_REVIEW_DATE"), S("DEMERIT_POINT_IND", 1), S("STOP_INCREMENT_IND", 1),
                  Date("DISC_ACTION_EFFDATE"), Date("RESTORE_DATE"), Flt("DEMERIT_POINT"), S("COMPANY_CODE", 8),
                  S("USERID", 8), S("SCORE_CODE", 8)},
       .messageName = "DISCREP.ADT"},
      // 92. EXCELTEMPLATE
      {.number = 92,
       .name = "EXCELTEMPLATE",
       .fields = {S("TABLENAME", 20), S("FIELD_CODE", 30), S("COLUMN_NO", 4), S("VALUE", 255), S("MAPCODE", 8),
                  S("MAPDESC", 255), S("MAP_COLUMN_NO", 4), S("FIELD_TYPE", 8), S("DEFAULT", 30)},
       .indexes = {Plain("TABLENAME", "TABLENAME")},
       .messageName = "EXCELTEMPLATE.ADT"},
      // 93. nsremarks
      {.number = 93,
       .name = "nsremarks",
       .fields = {S("USERID", 8), S("PERIOD", 6), S("EMP_NO", 12), S("REMARKS", 250), S("EMP_NAME", 40),
                  Date("DTE_SAT_OFF"), S("ALLOW_CODE", 8)},
       .indexes = {Plain("USERID", "USERID;PERIOD;EMP_NO")},
       .messageName = "nsremarks.adt"},
      // 94. NSTRANS
      {.number = 94,
       .name = "NSTRANS",
       .fields = {S("USERID", 8), S("EMPER_CODE", 8), S("NRIC", 9), Date("TRG_START"), Date("TRG_END"),
                  Flt("NS_WORK_DAYS"), S("JOB_TITLE", 40), Date("DTE_EMP"), Date("DTE_SAT_OFF"), S("ITEM", 40),
                  Run(1, 6, {S("MTH", 5)}), Run(1, 6, {S("AMT", 11)}), S("FORCLASS", 2), S("FORCODE", 1),
                  S("TOTAL_ITEM", 2), S("ITEM_AMT", 11), Flt("CASE_CLAIM_AMT"), Flt("BATCH_CLAIM_AMT"), S("REM", 100),
                  S("FORSTRING", 40), S("EMPCODE", 12)},
       .indexes = {Plain("USERID", "USERID"), Plain("EMPCODE", "EMPCODE")},
       .messageName = "NSTRANS.ADT"},
      // 95. EXRATE
      {.number = 95,
       .name = "EXRATE",
       .fields = {S("PERIOD", 6), Flt("EX_RATE"), S("CURR", 8)},
       .indexes = {Unique("CURR", "CURR;PERIOD"), Plain("PERIOD", "CURR;PERIOD")},
       .messageName = "EXRATE.ADT"},
      // 96. RPTRX
      {.number = 96,
       .name = "RPTRX",
       .fields = {S("EMPCODE", 12), S("PERIOD", 6), S("CYCLE", 1), S("PAYCODE", 8), Cur("DAYS"), Cur("HOURS"),
                  Cur("AMOUNT"), Cur("AMOUNT_ER"), S("TRX_TYPE", 1), Cur("RATE"), S("WAGE_TYPE", 1),
                  S("DEPT_CODE", 8), S("COSTCENTRE_CODE", 8), S("COMP_CODE", 8), S("SECT_CODE", 8),
                  S("CATE_CODE", 8)},
       .indexes = {Plain("EMPCODE", "EMPCODE;PERIOD;CYCLE;PAYCODE")},
       .messageName = "RPTRX.ADT"},
      // 97. RPEXP
      {.number = 97,
       .name = "RPEXP",
       .fields = {S("CODE", 20), S("DESCRIPTION", 40), Auto("SEQNO"), Memo("MEMO"), S("PARAMETER1", 20),
                  S("PARAMETER2", 20), S("PARAMETER3", 20), S("OUTPUT_PARAMETER", 20), S("PARAMETER4", 20),
                  S("PARAMETER5", 20)},
       .indexes = {Unique("CODE", "CODE;SEQNO")},
       .messageName = "RPEXP.ADT"},
      // 98. RPEXPH
      {.number = 98,
       .name = "RPEXPH",
       .fields = {S("CODE", 20), Auto("SEQNO"), S("FIELD", 40), S("OPERATION", 20), S("VALUE", 80), S("REL1", 10),
                  S("REL2", 10)},
       .indexes = {Unique("CODE", "CODE;SEQNO")},
       .messageName = "RPEXPH.ADT"},
      // 99. STDATE
      {.number = 99,
       .name = "STDATE",
       .fields = {S("STATE_CODE", 8), Date("DATE"), S("WORKCODE", 1), S("RACE_CODE", 8)},
       .indexes = {Plain("STATE_CODE", "STATE_CODE;DATE")},
       .messageName = "STDATE.ADT"},
      // 100. USEPS
      {.number = 100,
       .name = "USEPS",
       .fields = {S("USERID", 8), S("PASSWORD", 20), Date("DATE"), Auto("SEQNO")},
       .indexes = {Plain("DATE", "USERID;DATE"), Descending("USERID", "USERID;PASSWORD;DATE")},
       .messageName = "USEPS.ADT",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
      // 101. RP_MAP
      {.number = 101,
       .name = "RP_MAP",
       .fields = {S("FieldName", 60), S("MAPFIELD", 60), S("Tablename", 30)},
       .indexes = {Plain("FIELDNAME", "FieldName"), Plain("MAPFIELD", "MAPFIELD")},
       .messageName = "RP_MAP.ADT"},
      // 102. RP_MAPHD
      {.number = 102,
       .name = "RP_MAPHD",
       .fields = {S("FIELD", 8), S("DESCR", 30)},
       .indexes = {Plain("FIELD", "FIELD")},
       .messageName = "RP_MAPHD.ADT"},
      // 103. ERRORLOG
      {.number = 103,
       .name = "ERRORLOG",
       .fields = {S("USERID", 8), S("MSG", 255)},
       .messageName = "ERRORLOG.ADT"},
      // 104. CONTR_FUND
      {.number = 104,
       .name = "CONTR_FUND",
       .fields = {S("YEAR", 4), S("EMP_NO", 15), S("CATEGORY", 4), Cur("CODE1_AMT"), Cur("CODE2_AMT"),
                  Cur("TOTAL_AMT"), S("MODIFIED_BY", 8), Date("MODIFIED_DATE"), Time("MODIFIED_TIME")},
       .indexes = {Unique("YEAR", "YEAR;EMP_NO;CATEGORY")},
       .messageName = "CONTR_FUND.adt"},
      // 105. MEDLVRPT
      {.number = 105,
       .name = "MEDLVRPT",
       .fields = {S("USERID", 8), S("YEAR", 4), S("DEPT", 8), Int("ID"),
                  Run(1, 12,
                      {Flt("WORKING_DAYS"), Int("HEAD_COUNT"), Flt("NO_OFDAYS"), Flt("CO_PERCENT"), Flt("DEPT_PERCENT")})},
       .indexes = {Plain("USERID", "USERID;YEAR;DEPT;ID")},
       .messageName = "MEDLVRPT.adt"},
      // 106. DIEM
      {.number = 106,
       .name = "DIEM",
       .fields = {S("CODE", 8), S("DESCR", 30), Cur("RATE")},
       .indexes = {Unique("CODE", "CODE")},
       .messageName = "DIEM.ADT"},
      // 107. APPRREP
      {.number = 107,
       .name = "APPRREP",
       .fields = {S("EMP_NO", 12), S("HEADER_CODE", 8), S("CRITERIA", 30), S("HEADER_DESC", 30), Flt("SCORE_YR1"),
                  Flt("SCORE_YR2"), Flt("SCORE_YR3"), Memo("MEMO1"), Memo("MEMO2"), Memo("MEMO3"), S("REC_TYPE", 1),
                  S("CRITERIA_DESC", 40)},
       .indexes = {Unique("PRIMARY", "EMP_NO;HEADER_CODE;CRITERIA")},
       .messageName = "APPRREP.ADT"},
      // 108. P_HIST3A
      {.number = 108,
       .name = "P_HIST3A",
       .fields = {S("USERID", 8), S("DEPT_CODE", 8), S("CAT_CODE", 8), S("CST_CODE", 8), S("EMP_CODE", 12),
                  Auto("ID"), Run(1, 12, {S("COL_DESC", 10), Cur("COL_VAL")}), Run(13, 21, {Cur("COL_VAL")}),
                  S("EMP_NAME", 40)},
       .indexes = {Plain("USERID", "USERID;DEPT_CODE;CST_CODE")},
       .messageName = "P_HIST3A.ADT"},
      // 109. CHEQUETRX
      {.number = 109,
       .name = "CHEQUETRX",
       .fields = {S("EMPCODE", 12), S("PERIOD", 6), S("CYCLE", 1), S("CHEQNO", 20), S("REMARKS", 100), Cur("AMOUNT"),
                  S("REFERENCE", 20), S("REASONS", 20), S("BANKID", 4)},
       .indexes = {Plain("EMPCODE", "EMPCODE;PERIOD;CYCLE")},
       .messageName = "CHEQUETRX.ADT"},
      // 110. EMAILPROFILE
      {.number = 110,
       .name = "EMAILPROFILE",
       .fields = {S("USERID", 8), S("IP", 50), S("NAME", 50), S("EMAIL", 50), S("PWD", 50), S("DATAPATH", 250),
                  S("PROTOCAL", 6), S("FILETYPE", 10), S("PASSREAD", 10), S("DESC1", 40), S("DESC2", 40),
                  S("DESC3", 40), Memo("MEMO"), Memo("MEMO2"), Memo("MEMO3")},
       .indexes = {Unique("USERID", "USERID")},
       .messageName = "EMAILPROFILE.ADT"},
      // 111. IRASTXT
      {.number = 111,
       .name = "IRASTXT",
       .fields = {Int("ITEM"), S("TYPE", 1), S("FILE", 5), S("VALUE", 100), S("FORMAT_RESULT", 100), S("EMPCODE", 15),
                  Int("TOTAL_LEN"), Int("ACTUAL_LEN")},
       .messageName = "IRASTXT.adt"},
      // 112. IRAS_NAT_2007
      {.number = 112,
       .name = "IRAS_NAT_2007",
       .fields = {S("IRAS_NAT_CODE", 3), S("NATIONALITY", 30), S("COUNTRY", 40)},
       .indexes = {Plain("IRAS_NAT_CODE", "IRAS_NAT_CODE")},
       .messageName = "IRAS_NAT_2007.adt"},
      // 113. IRAS_ADDR
      {.number = 113,
       .name = "IRAS_ADDR",
       .fields = {S("EMP_NO", 12), S("EMP_NAME", 40), S("OLD_ADDR1", 40), S("OLD_ADDR2", 40), S("OLD_ADDR3", 40),
                  S("POSTAL_CODE", 6), S("NATIONAL_CODE", 6), S("TYPE_OF_ADDRESS", 2), S("UNFORMATTED_ADDR1", 30),
                  S("UNFORMATTED_ADDR2", 30), S("UNFORMATTED_ADDR3", 30), S("BLOCK_NO", 10), S("HOUSE_NO", 10),
                  S("STREET_NAME", 32), S("LEVEL_NO", 3), S("UNIT_NO", 5), S("COUNTRY_CODE", 5),
                  S("TYPE_OF_ADDRESS_ON_IRAS", 1), S("ERR", 1), S("ERR_REASON", 300)},
       .indexes = {Plain("EMP_NO", "EMP_NO")},
       .messageName = "IRAS_ADDR.adt"},
      // 114. IR8ARTBL
      {.number = 114,
       .name = "IR8ARTBL",
       .fields = {S("IR8AYEAR", 4), S("EMPCODE", 12), S("TYPE", 1), Cur("BONUS"), Cur("GROSSWAGE"), Cur("ENTERAMT"),
                  Cur("TRANSAMT"), Cur("OTHERAMT"), Cur("FUNDAMT"), S("ISSINDA", 1), S("ISCDAC", 1), S("ISMOSQ", 1),
                  S("ISEUCF", 1), S("ISCOMC", 1), Cur("NSPAMT"), Cur("GRATUITYAMT"), Cur("RETIREAMT"),
                  Cur("PENSIONAMT"), Cur("COMMISSIONAMT"), Cur("TOTAL"), Cur("VALUEINKIND"), S("PAIDCPF", 1),
                  Cur("DIRECTORFEE"), Cur("VARIANCE"), Cur("CPFEE"), Cur("FOOD"), Cur("PAYMENT_IN_LIEU"),
                  Cur("LEAVEPAY"), Cur("VOLEMPEE"), Cur("VOLEMPER"), Cur("PROFIT"), S("USERID", 8), Cur("MOSQ"),
                  Run(1, 5, {Cur("GRATUITY")}), Cur("OTHER_FUND")},
       .indexes = {Unique("PRIMARY", "IR8AYEAR;EMPCODE;TYPE")},
       .messageName = "IR8ARTBL.ADT"},
      // 115. CPFNEW
      {.number = 115,
       .name = "CPFNEW",
       .fields = {S("YEAR", 4), S("CPF_CAT", 8), S("CPF_AGE_TYPE", 2), S("AGE_CODE", 1), S("DESC", 50),
                  Flt("AGE_FROM"), Flt("AGE_TO"), Run(1, 5, {Cur("SALARY_TO")}), Cur("S5_AW_EE"), Cur("S5_AW_ER"),
                  Cur("S1_ER%"), Cur("S1_MINUS_EE"), Cur("S1_MINUS_ER"), Cur("S1_ADD_EE"), Cur("S1_ADD_ER"),
                  Cur("S2_ER%"), Cur("S2_MINUS_EE"), Cur("S2_MINUS_ER"), Cur("S2_ADD_EE"), Cur("S2_ADD_ER"),
                  Cur("S1_EE%"), Cur("S2_EE%"), Cur("S3_EE%"), Cur("S4_EE%"), Cur("S3_ER%"), Cur("S5_EE_OW"),
                  Cur("S5_ER_OW"), Cur("S4_ER%"), Cur("S3_MINUS_EE"), Cur("S4_MINUS_EE"), Cur("S3_MINUS_ER"),
                  Cur("S4_MINUS_ER"), Cur("S3_ADD_EE"), Cur("S4_ADD_EE"), Cur("S3_ADD_ER"), Cur("S4_ADD_ER"),
                  Cur("S5_MAXWAGE_EE"), Cur("S5_MAXWAGE_ER"), Cur("EMP_R%1"), Cur("EMP_E%1")},
       .indexes = {Plain("YEAR", "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM")},
       .messageName = "CPFNEW.adt",
       .after = AfterCreation::Cpf2007Rates},
      // 116. TEMPPAYGROUP
      {.number = 116,
       .name = "TEMPPAYGROUP",
       .fields = {S("PAYGROUP", 12), S("YEAR", 4), Int("MONTH"), Run(21, 31, {S("", 8)}), Run(1, 9, {S("", 8)}),
                  S("10", 9), Run(11, 20, {S("", 8)}), S("TYPE", 1)},
       .indexes = {Plain("PAYGROUP", "PAYGROUP;YEAR;MONTH;TYPE")},
       .messageName = "TEMPPAYGROUP.ADT"},
      // 117. IR8A_ADJ
      {.number = 117,
       .name = "IR8A_ADJ",
       .fields = {S("IRYEAR", 4), S("EMPCODE", 12), S("TYPE", 1), S("BATCH_IND", 1), Cur("BONUS"), Cur("GROSSWAGE"),
                  Cur("ENTERAMT"), Cur("TRANSAMT"), Cur("OTHERAMT"), Cur("FUNDAMT"), S("ISSINDA", 1), S("ISCDAC", 1),
                  S("ISMOSQ", 1), S("ISEUCF", 1), S("ISCOMC", 1), Cur("NSPAMT"), Cur("GRATUITYAMT"), Cur("RETIREAMT"),
                  Cur("PENSIONAMT"), Cur("COMMISSIONAMT"), Cur("TOTAL"), Cur("VALUEINKIND"), S("PAIDCPF", 1),
                  Cur("DIRECTORFEE"), Cur("VARIANCE"), Cur("CPFEE"), Cur("FOOD"), Cur("PAYMENT_IN_LIEU"),
                  Cur("LEAVEPAY"), Cur("VOLEMPEE"), Cur("VOLEMPER"), Cur("PROFIT"), Cur("MOSQ"),
                  Run(1, 5, {Cur("GRATUITY")}), Cur("OTHER_FUND"), Cur("PROFIT_BEFORE_2003"),
                  Cur("PROFIT_AFTER_2003")},
       .indexes = {Plain("IRYEAR", "IRYEAR;EMPCODE;TYPE")},
       .messageName = "IR8A_ADJ.ADT",
       .encryption = EncryptionRule::FreeTableAfterIndexes},
      // 118. APPD2X
      {.number = 118,
       .name = "APPD2X",
       .fields = {S("EMP_NO", 12), S("YEAR", 4), Int("GRPID"), S("TYPE", 8), Auto("INC_NO"), S("RCB_NO", 15),
                  S("COMPY_NAME", 40), Date("DATE_SOG"), Date("DATE_ESO"), Cur("PRICE_SO"), Cur("MKT_VAL_SOG"),
                  Cur("MKT_VAL_ESO"), Flt("NUM_SHARE_ACQ"), Cur("EESOP"), Cur("CSOP"), Cur("GROSS_NQTE"),
                  Cur("GROSS_SOG"), S("REMARK1", 100), S("REMARK2", 100), S("SHARE_TYPE", 4), Cur("ERIS"),
                  Date("DATE_EXP"), S("EXERCISE_TYPE", 1)},
       .indexes = {Unique("PRIMARY", "EMP_NO;YEAR;GRPID;TYPE;INC_NO")},
       .messageName = "APPD2X.ADT"},
      // 119. APPD3X
      {.number = 119,
       .name = "APPD3X",
       .fields = {S("EMP_NO", 12), S("YEAR", 4), Int("GRPID"), S("TYPE", 8), Auto("INC_NO"), S("RCB_NO", 15),
                  S("COMPY_NAME", 40), Date("DATE_SOG"), Date("DATE_ESO"), Cur("PRICE_SO"), Cur("MKT_VAL_SOG"),
                  Cur("MKT_VAL_ESO"), Flt("NUM_SHARE_ACQ"), Cur("EESOP"), Cur("CSOP"), Cur("GROSS_NQTE"),
                  Cur("GROSS_SOG"), S("REMARK1", 100), S("REMARK2", 100), S("SHARE_TYPE", 4), Cur("ERIS"),
                  Date("DATE_EXP"), Date("DATE_ACCRUAL"), S("EXERCISE_TYPE", 1)},
       .indexes = {Unique("PRIMARY", "EMP_NO;YEAR;GRPID;TYPE;INC_NO")},
       .messageName = "APPD3X.ADT"},
      // 120. IR21PARAM
      {.number = 120,
       .name = "IR21PARAM",
       .fields = {S("TELEPHONE", 30), S("FAX", 30), S("MOBILE", 30), S("CONTACTNAME", 50), S("DESIGNATION", 50),
                  S("USERID", 8), S("AUTHORISED_PERSON", 50), S("EMAIL", 80), Date("ERIS_DATE")},
       .indexes = {Unique("USERID", "USERID")},
       .messageName = "IR21PARAM.ADT",
       .existing = ExistingRule::IndexTopUp},
      // 121. SETTLEMENT
      {.number = 121,
       .name = "SETTLEMENT",
       .fields = {S("CURR_CODE", 8), S("SETTLEMENT_AC_NO", 20), S("BANKNAME", 40), S("ADDR", 250), S("SWIFTCODE", 16),
                  S("BANKCODE", 8), S("BRANCHCODE", 4)},
       .indexes = {Unique("CURR_CODE", "BANKCODE,CURR_CODE")},
       .messageName = "SETTLEMENT.ADT",
       .existing = ExistingRule::DropWhenForced,
       .deletionSet = Files{}},
      // 122. AD_TEMP
      {.number = 122,
       .name = "AD_TEMP",
       .fields = {S("USERID", 8), S("CODE", 20), S("FIELDNAME", 20), S("PKEY", 40), Cur("COST"), Cur("F_COST")},
       .indexes = {Plain("PKEY", "USERID;CODE;FIELDNAME;PKEY")},
       .messageName = "AD_TEMP",
       .existing = ExistingRule::DropWhenForced,
       .deletionSet = Files{}},
      // 123. IRASDIAGNOSTIC
      {.number = 123,
       .name = "IRASDIAGNOSTIC",
       .fields = {Auto("SEQID"), Memo("CONTENT")},
       .messageName = "IRASDIAGNOSTIC.ADT",
       .existing = ExistingRule::DropWhenForced,
       .deletionSet = Files{}},
      // 124. BATCHNO
      {.number = 124,
       .name = "BATCHNO",
       .fields = {S("EMP_NO", 12), S("PERIOD", 12), S("CYCLE", 1), Auto("BATCHNO")},
       .indexes = {Plain("PRIMARY", "EMP_NO;PERIOD;CYCLE")},
       .messageName = "BATCHNO.ADT"},
      // 125. RP_MAPP_HIST
      {.number = 125,
       .name = "RP_MAPP_HIST",
       .fields = {S("PAYCODE", 60), S("PERIOD", 6), S("FIELDNAME", 60), S("FIELDNAMEYTD", 60), S("DESCRIPTION", 60),
                  Int("DESC_ORDER")},
       .indexes = {Unique("PRIMARY", "PAYCODE;PERIOD")},
       .messageName = "RP_MAPP_HIST"},
      // 126. UPDATETBL
      {.number = 126,
       .name = "UPDATETBL",
       .fields = {S("Module", 20), S("Table", 30), S("Field Name", 40), S("OTHER", 10)},
       .indexes = {Plain("MODULE", "Module")},
       .messageName = "UPDATETBL"},
      // 127. PASSTBL2
      {.number = 127,
       .name = "PASSTBL2",
       .fields = {S("ID", 8), S("CATEGORY", 15), Int("ITEMNO"), Bool("ACCESS"), S("MENU", 30), S("READ_MODE", 1),
                  S("WRITE_MODE", 1), S("DELETE_MOD", 1), S("DELETE_MODE", 1)},
       .indexes = {Unique("PRIMARY", "ID;CATEGORY;ITEMNO"), Plain("PASSTBL1", "UPPER(ID);UPPER(MENU)")},
       .messageName = "PASSTBL2.ADT"},
      // 128. PAYPARA6
      {.number = 128,
       .name = "PAYPARA6",
       .fields = {S("CODE", 8), Run(1, 7, {S("PARA", 50)}), S("PARA8", 30)},
       .indexes = {Unique("CODE", "CODE")},
       .messageName = "PAYPARA6.ADT"},
      // 129. BONDS
      {.number = 129,
       .name = "BONDS",
       .fields = {S("EMP_NO", 12), Date("START_DATE"), Date("END_DATE"), S("DESCR", 50), Flt("AMOUNT")},
       .messageName = "BONDS.adt"},
      // 130. CPFTRX
      {.number = 130,
       .name = "CPFTRX",
       .fields = {S("PPERIOD", 6), S("PERIOD", 6), S("EMPCODE", 12), Flt("CPFOWWAGE"), Flt("CPFAWWAGE"),
                  Flt("ACTUAL_AW_PAID"), S("FUND_LEVY", 8), Flt("AGE"), Flt("CPF_RATE_EE"), Flt("CPF_RATE_ER"),
                  Flt("CPFWAGE"), S("FORMULA", 250), S("CPFGROUP", 1), Flt("CPFEE"), Flt("CPFER")},
       .indexes = {Unique("PRIMARY", "PPERIOD;EMPCODE;PERIOD"), Plain("PPERIOD", "PPERIOD"),
                   Plain("PERIOD", "PERIOD"), Plain("EMPCODE", "EMPCODE")},
       .messageName = "CPFTRX.adt",
       .encryption = EncryptionRule::FreeTableBeforeIndexes},
  };
  return tables;
}

// CreateSupvrTbl makes this table by its own steps: it has no dictionary login, and an existing SUPVRTBL gets
// its index file rebuilt (the reindex rule) instead of being kept as it is.
const TableDefinition& SupvrtblDefinition() {
  static const TableDefinition table{
      .name = "SUPVRTBL",
      .fields = {S("EMP_NO", 12), S("EMP_NAME", 40), S("TYPE", 2), S("DATABASE", 8)},
      .indexes = {Unique("EMP_NO", "EMP_NO"), Plain("EMP_NAME", "EMP_NAME")},
      .messageName = "SUPVRTBL.ADT"};
  return table;
}

const TableDefinition& McompanyDefinition() {
  static const TableDefinition table{
      .name = "mcompany.ADT",
      .fields = {S("COMPANY_CODE", 8), S("COMPANY_NAME", 40), Int("TOTAL_STAFF"), Int("PAYROLL_ACCESS_NO"),
                 S("MERGE", 1), Date("BACKUPDATE2"), Date("BACKUPDATE")},
      .indexes = {Unique("PRIMARY", "COMPANY_CODE")},
      .messageName = "mcompany.ADT"};
  return table;
}

}  // namespace kv::catalogue
