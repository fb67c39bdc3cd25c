#include "app/demo/demo_tables.h"

#include <stdexcept>
#include <string>

#include "support/strings.h"

namespace kv::demo {
namespace {

using engine::TFieldType;
constexpr TFieldType S = TFieldType::ftString;
constexpr TFieldType Int = TFieldType::ftInteger;
constexpr TFieldType Flt = TFieldType::ftFloat;
constexpr TFieldType Cur = TFieldType::ftCurrency;
constexpr TFieldType Dat = TFieldType::ftDate;
constexpr TFieldType Auto = TFieldType::ftAutoInc;
constexpr TFieldType Memo = TFieldType::ftMemo;
constexpr TFieldType Blob = TFieldType::ftBlob;

// --- the registry in the data path ---

constexpr FieldSpec kMcompanyFields[] = {
    {"COMPANY_CODE", S, 8}, {"COMPANY_NAME", S, 40}, {"TOTAL_STAFF", Int}, {"PAYROLL_ACCESS_NO", Int},
    {"MERGE", S, 1},        {"BACKUPDATE2", Dat},    {"BACKUPDATE", Dat},
};
constexpr IndexSpec kMcompanyIndexes[] = {{"PRIMARY", "COMPANY_CODE", true}};

// --- a company of data version 8.50 ---
// Columns that the release's column lists add are left out, so that those lists find work; the exceptions are
// the columns the run's own statements need today (rbItem's ID, TRAINING's DEPARTMENT, MEDSCH's CLAIMTYPE,
// SUBCLAIM, ITEMTYPE, SUBLIMIT), which give way to the lists once those run before the statements.

// Company parameters: one row, whose VERSION is the data version. COMPANY is narrower than the 60 characters
// the upgrade widens it to.
constexpr FieldSpec kPayparaFields[] = {
    {"VERSION", Cur},           {"COMPANY", S, 40},       {"ADDRESS1", S, 40},    {"ADDRESS2", S, 40},
    {"ADDRESS3", S, 40},        {"POSTAL_CODE", S, 8},    {"TEL_NO", S, 20},      {"FAX_NO", S, 20},
    {"EMAIL", S, 40},           {"REGISTRATION_NO", S, 12}, {"CPF_SUBMISSION_NO", S, 18},
    {"IRAS_TAX_REF", S, 12},    {"BANK_ID", S, 8},        {"BANK_BRANCH", S, 8},  {"BANK_AC_NO", S, 20},
    {"CURRENT_YEAR", S, 4},     {"CURRENT_PERIOD", S, 6}, {"PAYDAY", Int},
};

// Yearly payroll parameters, keyed by YEAR.
constexpr FieldSpec kPaypara1Fields[] = {
    {"YEAR", S, 4},          {"COMPANY", S, 40},      {"MASTER", S, 10},       {"SDF_MAX", Cur},
    {"SDF_MIN", Cur},        {"SDF", Cur},            {"CPF_OW_CEILING", Cur}, {"CPF_AW_CEILING", Cur},
    {"WORKING_DAYS", Flt},   {"WORKING_HOURS", Flt},  {"OT_RATE1", Flt},       {"OT_RATE2", Flt},
    {"BONUS_MONTH", S, 2},
};
constexpr IndexSpec kPaypara1Indexes[] = {{"YEAR", "YEAR", true}};

constexpr FieldSpec kEmployeeFields[] = {
    {"EMP_NO", S, 12},            {"EMP_NAME", S, 40},           {"EMP_ALIAS", S, 20},
    {"NEW_IC", S, 12},            {"OLD_IC", S, 16},             {"SEX", S, 1},
    {"SEX_TITLE", S, 4},          {"BIRTH_DATE", Dat},           {"RACE", S, 8},
    {"RELIGION", S, 8},           {"MARITAL_STATUS", S, 1},      {"NATIONALITY", S, 3},
    {"CITIZENSHIP", S, 1},        {"PR_DATE", Dat},              {"ADDRESS1", S, 40},
    {"ADDRESS2", S, 40},          {"ADDRESS3", S, 40},           {"POSTAL_CODE", S, 8},
    {"TEL_NO", S, 20},            {"MOBILE_NO", S, 20},          {"EMAIL_AC_NO", S, 40},
    {"HIRED_DATE", Dat},          {"CONFIRM_DATE", Dat},         {"TERMINATION_DATE", Dat},
    {"TERMINATION_STATUS", S, 1}, {"TERMINATION_REASON", S, 8},  {"DIVISION_CODE", S, 8},
    {"DEPARTMENT_CODE", S, 8},    {"SECTION_CODE", S, 8},        {"COST_CENTRE_CODE", S, 8},
    {"CATEGORY_CODE", S, 8},      {"JOB_GRADE_CODE", S, 8},      {"OCCUPATION_CODE", S, 8},
    {"LOCATION_CODE", S, 8},      {"PAY_GROUP", S, 8},           {"BASIC_SALARY", Cur},
    {"SALARY_TYPE", S, 1},        {"BANK_ID", S, 8},             {"BANK_BRANCH_CODE", S, 8},
    {"BANK_AC_NO", S, 20},        {"PAY_MODE", S, 1},            {"INCOME_TAX_AC_NO", S, 12},
    {"EMP_PASS_TYPE", S, 2},      {"EMP_PASS_AC_NO", S, 12},     {"EMP_PASS_ISSUE_DATE", Dat},
    {"EMP_PASS_EXPIRE_DATE", Dat}, {"PASSPORT_NO", S, 16},       {"PASSPORT_EXPIRE_DATE", Dat},
    {"CPF_CATEGORY", S, 8},       {"FUND_CLASS", S, 1},          {"FUND_CODE", S, 8},
    {"IS_EPF_OLD", S, 1},         {"SUPERVISOR_CODE", S, 12},    {"SPOUSE_NAME", S, 40},
    {"SPOUSE_NEW_IC", S, 12},     {"SPOUSE_DOB", Dat},           {"SPOUSE_JOB_CODE", S, 8},
    {"SPOUSE_PHONE", S, 20},      {"EMG_CONTACT", S, 40},        {"EMG_CONTACT_RELATION", S, 8},
    {"EMG_TEL", S, 20},           {"DEPENDENT_CHILD", Int},      {"PHOTO_ID", Blob},
    {"SPOUSE_MPHONE", S, 20},     {"SPOUSE_EMAIL", S, 40},       {"SPOUSE_PGR", S, 20},
    {"STOP_IND", S, 1},           {"CHANGE_DATE", Dat},
};
constexpr IndexSpec kEmployeeIndexes[] = {
    {"EMP_NO", "EMP_NO", true}, {"EMP_NAME", "EMP_NAME"}, {"NEW_IC", "NEW_IC"}};

// Payroll history: one row per employee, period ("YYYYMM") and cycle.
constexpr FieldSpec kPHtrxFields[] = {
    {"PERIOD", S, 6},        {"CYCLE", S, 1},          {"EMPCODE", S, 12},      {"PAYDAY", Flt},
    {"DAILY_RATE", Cur},     {"HOURLY_RATE", Cur},     {"BASIC", Cur},          {"NPL_AMT", Cur},
    {"ABSENT_AMT", Cur},     {"OTAMT", Cur},           {"TOTAL_ALLOWANCE", Cur}, {"TOTAL_DEDUCTION", Cur},
    {"GROSS_WAGE", Cur},     {"CPF_WAGE", Cur},        {"CPFOWWAGE", Cur},      {"CPFAWWAGE", Cur},
    {"CPFEMPEE", Cur},       {"CPFEMPER", Cur},        {"TOTAL_CPF", Cur},      {"FWL", Cur},
    {"SDF", Cur},            {"FUND_AMT", Cur},        {"NETT_WAGE", Cur},      {"DEPARTMENT", S, 8},
    {"COSTCENTE", S, 8},     {"CATEGORY", S, 8},       {"COMPANY", S, 8},       {"SECTION", S, 8},
    {"JOB_GRADE", S, 8},
};
constexpr IndexSpec kPHtrxIndexes[] = {{"EMPCODE", "EMPCODE;PERIOD;CYCLE", true}, {"PERIOD", "PERIOD"}};

// Public holidays, searched by the suite on financial year, date and state.
constexpr FieldSpec kPublicFields[] = {{"FINPERIOD", S, 4}, {"DATE", Dat}, {"STATE", S, 8}, {"DESC", S, 40}};
constexpr IndexSpec kPublicIndexes[] = {{"DATE", "DATE"}, {"FINPERIOD", "FINPERIOD;DATE;STATE"}};

// Foreign worker levy and CPF class rows per year, keyed on year, class and category as before the levy rows
// were split into parts of the year. DESC is wider than the 40 characters the release sets it to.
constexpr FieldSpec kFwLevyFields[] = {
    {"YEAR", S, 4},      {"CLASS", S, 10},        {"CATEGORY", S, 3},   {"DESC", S, 50},
    {"DAILY_RATE", Cur}, {"MAX_PER_MTH", Cur},    {"PERIOD_PART", S, 2},
};
constexpr IndexSpec kFwLevyIndexes[] = {{"PRIMARY", "YEAR;CLASS;CATEGORY"}};

// The report builder's items (the catalogue's rbItem) with the ID the report writer numbers them by.
constexpr FieldSpec kRbItemFields[] = {
    {"ItemId", Auto},   {"FolderId", Int},  {"Name", S, 60},     {"USERID", S, 8},   {"Size", Int},
    {"ItemType", Int},  {"Modified", Flt},  {"Deleted", Flt},    {"Template", Blob}, {"ID", Int},
};

// The report writer's field catalogue.
constexpr FieldSpec kRtableFields[] = {
    {"NO", S, 8},    {"NO2", S, 8},  {"HEADING", S, 30}, {"DATABASE1", S, 12}, {"FIELD", S, 30},
    {"CODE", S, 20}, {"WIDTH", Int}, {"TYPE1", S, 1},    {"HIDE_WAGE", S, 1},
};
constexpr IndexSpec kRtableIndexes[] = {{"NO", "NO"}, {"DATABASE1", "DATABASE1;FIELD;CODE"}};

constexpr FieldSpec kTrainingFields[] = {
    {"EMP_CODE", S, 12},  {"COURSE_CODE", S, 8}, {"COURSE_DESC", S, 40}, {"INSTITUTE", S, 40},
    {"START_DATE", Dat},  {"END_DATE", Dat},     {"HOURS", Flt},         {"COURSE_FEE", Cur},
    {"SPONSORED", S, 1},  {"DEPARTMENT", S, 8},
};
constexpr IndexSpec kTrainingIndexes[] = {{"EMP_CODE", "EMP_CODE;START_DATE"}};

// Claim set-up header. Deliberately without an index on SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE, which the
// upgrade makes.
constexpr FieldSpec kMedschFields[] = {
    {"SCHEME_CODE", S, 8}, {"CLAIM_CODE", S, 8}, {"SUBCLAIM", S, 8}, {"CLAIMTYPE", S, 1}, {"TRNNO", S, 12},
    {"ITEMTYPE", S, 1},    {"SUBLIMIT", Cur},    {"DESC", S, 40},    {"MAX_CLAIM", Cur},
};
constexpr IndexSpec kMedschIndexes[] = {{"SCHEME_CODE", "SCHEME_CODE;CLAIM_CODE"}};

// Transfers (the catalogue's TRANSFER).
constexpr FieldSpec kTransferFields[] = {
    {"EMP_NO", S, 12},   {"EFFECTIVE_DATE", Dat}, {"LOCATION", S, 8}, {"DIVISION", S, 8},  {"DEPARTMENT", S, 8},
    {"COST_CENTRE", S, 8}, {"BRANCH", S, 8},      {"SECTION", S, 8},  {"PAY_GROUP", S, 8}, {"REMARKS", Memo},
};
constexpr IndexSpec kTransferIndexes[] = {
    {"EMP_NO", "EMP_NO;EFFECTIVE_DATE"}, {"EMP_NO2", "EMP_NO;EFFECTIVE_DATE", false, true}};

// The suite's users. PASSWORD and PRINTER are narrower than the upgrade makes them.
constexpr FieldSpec kPassFields[] = {
    {"USERID", S, 8},  {"PASSWORD", S, 10},   {"USERNAME", S, 40}, {"ACCESS_GROUP", S, 8},
    {"PRINTER", S, 2}, {"LAST_LOGIN", Dat},   {"DISABLED", S, 1},
};
constexpr IndexSpec kPassIndexes[] = {{"USERID", "USERID", true}};

// Fixed allowances per employee.
constexpr FieldSpec kEmpAlwFields[] = {
    {"EMP_CODE", S, 12}, {"ALLOW_CODE", S, 8}, {"DESC", S, 30}, {"AMOUNT", Cur}, {"CPF_PAYABLE", S, 1},
    {"TAXABLE", S, 1},
};
constexpr IndexSpec kEmpAlwIndexes[] = {{"EMP_CODE", "EMP_CODE;ALLOW_CODE"}};

// The login table (the catalogue's SYSCONT.ADT).
constexpr FieldSpec kSyscontFields[] = {{"LOG", S, 8}, {"USERID", S, 8}, {"PASSWORD", S, 8}};
constexpr IndexSpec kSyscontIndexes[] = {{"LOG", "LOG;USERID", true}, {"USERID", "USERID;PASSWORD"}};

// Loan redemption schedules (the catalogue's loans_red).
constexpr FieldSpec kLoansRedFields[] = {
    {"ID", Auto},                {"LINKID", Int},          {"TOTAL_PRINCIPAL_AMT", Flt}, {"BF_PRINCIPAL_AMOUNT", Flt},
    {"NO_OF_INSTALLMENT", Flt},  {"MONTHLY_PRINCIPAL", Flt}, {"BALANCE", Flt},           {"INTEREST_AMT", Flt},
    {"TOTAL_MONTHLY_PAY", Flt},  {"TOTAL_INSTALLMENT", Flt}, {"EMP_NO", S, 12},          {"PERIOD", S, 6},
    {"BALANCE_OF_INSTALLMENT", Flt},
};
constexpr IndexSpec kLoansRedIndexes[] = {{"LINKID", "LINKID;NO_OF_INSTALLMENT"}};

// Saved employee queries, one row per condition. STATUS and STATUS2 are narrower than the upgrade makes them.
constexpr FieldSpec kQueryFields[] = {
    {"CODE", S, 8},   {"ID", Int},         {"STATUS", S, 1}, {"FIELDNO", Int},   {"DESCRIPTION", S, 30},
    {"OP", S, 2},     {"VALUE", S, 40},    {"STATUS2", S, 1}, {"RELATION", S, 3}, {"TYPE", S, 1},
    {"FIELD", S, 30},
};
constexpr IndexSpec kQueryIndexes[] = {{"CODE", "CODE;ID"}};

// The report writer's labels of the free fields of EMPMISC.
constexpr FieldSpec kFreeFieldFields[] = {
    {"MODULE", S, 8}, {"LINE", S, 2}, {"CTLFIELD", S, 10}, {"DESCRIPTION", S, 40}, {"CAPTION", S, 40},
};

// Variables of the pay formulas: a name, and the table column it stands for.
constexpr FieldSpec kFormulaFields[] = {{"FIELD", S, 10}, {"DESC", S, 40}, {"FIELDTABLE", S, 20}, {"TABLE", S, 12}};
constexpr IndexSpec kFormulaIndexes[] = {{"FIELD", "FIELD"}};

// Report layouts: one row per column, COL the field catalogue number it shows.
constexpr FieldSpec kRtpdetlFields[] = {
    {"RPTCODE", S, 8}, {"ID", Int},         {"DATABASE1", S, 12}, {"FIELD", S, 30},
    {"CODE", S, 20},   {"HEADING", S, 30},  {"COL", Int},
};
constexpr IndexSpec kRtpdetlIndexes[] = {{"RPTCODE", "RPTCODE;ID"}};

// Allowance codes per year; TRNNO is the allowance's report field number.
constexpr FieldSpec kAllowanceFields[] = {{"ALLOW_CODE", S, 8}, {"YEAR", S, 4}, {"DESC", S, 30}, {"TRNNO", Int}};
constexpr IndexSpec kAllowanceIndexes[] = {{"ALLOW_CODE", "ALLOW_CODE;YEAR"}};

// Running numbers: TRNNO is the next free report field number.
constexpr FieldSpec kTrnnoFields[] = {{"TRNNO", Int}};

// Claim templates, one row per line (the catalogue's CLMTMPL).
constexpr FieldSpec kClmtmplFields[] = {
    {"TMPLNO", Int},        {"FIELDNAME", S, 40}, {"FIELDDESC", S, 40},  {"INPUTSIZE", Int},
    {"DISPSIZE", Int},      {"ASS_CTRL", S, 8},   {"VALUE", S, 40},      {"LOOKCAT", S, 8},
    {"FIELDNO", Int},       {"PAGETAKE", S, 5},   {"COLSIZE", Int},      {"COLTYPE", Int},
    {"WANTED", TFieldType::ftBoolean}, {"REMOVE", TFieldType::ftBoolean}, {"ONCHANGE", S, 250},
    {"MAPFIELD", S, 8},
};
constexpr IndexSpec kClmtmplIndexes[] = {{"TMPLNO1", "TMPLNO;FIELDNO"}, {"TMPLNO2", "TMPLNO;FIELDNAME"}};

// --- shipped in the update archive ---

// The general-ledger account groups the release ships; the suite replaces a company's copy with it.
constexpr FieldSpec kGtableFields[] = {{"CODE", S, 8}, {"DESC", S, 40}, {"GLTYPE", S, 1}};
constexpr IndexSpec kGtableIndexes[] = {{"CODE", "CODE", true}};

// --- the records the conversions and the employee record walk work on ---

// Career progression records, one per change of position or pay; the previous-state columns come with the
// release's lists.
constexpr FieldSpec kEmpProsFields[] = {
    {"EMP_CODE", S, 12},   {"ID", Int},           {"PROGRESSION_DATE", Dat}, {"PAY_EFFECTIVE_DATE", Dat},
    {"CODE", S, 8},        {"CATEGORY", S, 8},    {"DEPARTMENT", S, 8},      {"SECTION", S, 8},
    {"COST_CENTRE", S, 8}, {"OCCUPATION", S, 8},  {"NEW_SALARY", Cur},       {"OLD_SALARY", Cur},
};
constexpr IndexSpec kEmpProsIndexes[] = {{"EMP_CODE", "EMP_CODE;PAY_EFFECTIVE_DATE;ID"},
                                         {"PROGRESS", "EMP_CODE;PROGRESSION_DATE"}};

constexpr FieldSpec kCodeFields[] = {
    {"CATEGORY", S, 8}, {"CODE", S, 8}, {"DESC", S, 30}, {"N1CLAIM", S, 8}, {"METHOD", S, 1}};
constexpr IndexSpec kCodeIndexes[] = {{"CATEGORY", "CATEGORY;CODE"}};

constexpr FieldSpec kYtdemplFields[] = {{"EMP_NO", S, 12}, {"YEAR", S, 4}, {"CPFOWWAGE", Cur}, {"CPFAWWAGE", Cur}};

// Banks, and the employees' own accounts (several a pay cycle).
constexpr FieldSpec kPayBankFields[] = {{"BANK_ID", S, 8}, {"BANK_BRANCH", S, 8}, {"BANK_NAME", S, 40}};
constexpr IndexSpec kPayBankIndexes[] = {{"BANK_ID", "BANK_ID;BANK_BRANCH"}};
constexpr FieldSpec kEmpBnkFields[] = {
    {"EMP_CODE", S, 12}, {"BANK_ID", S, 8}, {"BANK_AC_NO", S, 20}, {"CYCLE", S, 1}, {"BANK_BRANCH", S, 8}};
constexpr IndexSpec kEmpBnkIndexes[] = {{"EMP_CODE", "EMP_CODE;BANK_ID;BANK_AC_NO;CYCLE"}};

// Pay-group periods: a pay group with its own cut-off dates has a row a period; others go by calendar months.
constexpr FieldSpec kPgrpTrxFields[] = {{"PAY_GROUP", S, 8}, {"PERIOD", S, 6}, {"START_DATE", Dat}, {"END_DATE", Dat}};
constexpr IndexSpec kPgrpTrxIndexes[] = {{"PAY_GROUP", "PAY_GROUP;PERIOD"}};

// Appraisals and their lines; the release numbers them.
constexpr FieldSpec kApprFields[] = {{"EMP_CODE", S, 12}, {"APPRAISAL_DATE", Dat}, {"APPRAISER", S, 12}};
constexpr FieldSpec kApprdtlFields[] = {
    {"EMPCODE", S, 12}, {"APPRAISAL_DATE", Dat}, {"DATE_SERIALNUM", Int}, {"QUESTION", S, 40}, {"SCORE", Int}};
constexpr IndexSpec kApprdtlIndexes[] = {{"EMPCODE", "EMPCODE;APPRAISAL_DATE;DATE_SERIALNUM"}};
constexpr FieldSpec kEducateFields[] = {
    {"EMP_CODE", S, 12}, {"ID", Int}, {"QUALIFICATION", S, 40}, {"INSTITUTE", S, 40}, {"YEAR", S, 4}};
// Report reminder settings.
constexpr FieldSpec kAutosetFields[] = {
    {"RPTTYPE", S, 3},   {"REPCODE", S, 2},      {"REPDESC", S, 40}, {"ENABLED", TFieldType::ftBoolean},
    {"FIELDNAME", S, 30}, {"DATABASENAME", S, 30}, {"VALUE", S, 10}};
constexpr IndexSpec kAutosetIndexes[] = {{"RPTTYPE", "RPTTYPE;REPCODE"}};

// What the employee record walk opens for every company: family members, employment and other details,
// supervisors' self-service set-up, and cost centre splits per period.
constexpr FieldSpec kFamilyFields[] = {
    {"EMP_CODE", S, 12},        {"IC_PASSPORT_NUM", S, 16}, {"NAME", S, 30},       {"RELATIONSHIP", S, 8},
    {"SEX", S, 1},              {"BIRTH_DATE", Dat},        {"OCCUPATION_CODE", S, 8}, {"PHONE_NUM", S, 20},
    {"MOBILE_PHONE", S, 20},    {"E-MAIL_ADDRESS", S, 40},  {"PAGER_NO", S, 20},   {"PR_IND", S, 1},
    {"INSTITUTE", S, 8},        {"BIRTH_COUNTRY", S, 8},    {"RELIGION", S, 8},
};
constexpr IndexSpec kFamilyIndexes[] = {{"EMP_CODE", "EMP_CODE;IC_PASSPORT_NUM"}};
constexpr FieldSpec kEmploymtFields[] = {
    {"EMP_NO", S, 12}, {"UNIT", S, 8}, {"TENURE_SERV", S, 8}, {"EXPIRY_DATE", Dat}, {"REMARK", S, 8}};
constexpr FieldSpec kEmpmiscFields[] = {{"EMP_NO", S, 12}, {"BOOLEAN10", S, 1}, {"CHAR1", S, 8}};
constexpr IndexSpec kByEmpNo[] = {{"EMP_NO", "EMP_NO"}};
constexpr FieldSpec kSetupFields[] = {
    {"Empid", S, 12},  {"Empcom", S, 8},   {"MODE", S, 10},    {"CAT", S, 8},
    {"subcom", S, 8},  {"subcode", S, 12}, {"Empname", S, 40}, {"Repemail", S, 80}};
constexpr IndexSpec kSetupIndexes[] = {{"EMPID", "Empid;Empcom"}};
constexpr FieldSpec kCostctrFields[] = {{"EMPCODE", S, 12}, {"PERIOD", S, 6}, {"COST_CENTRE", S, 8}, {"PERCENT", Cur}};
constexpr IndexSpec kCostctrIndexes[] = {{"EMPCODE", "EMPCODE;PERIOD;COST_CENTRE"}};

// --- leave, claims, access and tax records, keyed as the suite has kept them since before 8.50 ---
// The columns the release's lists add come on top; the keys are what the release indexes anew.

// Leave applications and the leave taken, day by day.
constexpr FieldSpec kEmpleaveFields[] = {
    {"EMPCODE", S, 12}, {"LEAVE_CODE", S, 8}, {"START_DATE", Dat}, {"END_DATE", Dat}, {"ID", Int},
    {"DAYS", Flt},      {"REMARKS", S, 40},   {"REFERENCE", S, 40}, {"STATUS", S, 1},
};
constexpr IndexSpec kEmpleaveIndexes[] = {{"EMPCODE", "EMPCODE;START_DATE"}};
constexpr FieldSpec kLeavTrxFields[] = {
    {"LEAVE_CODE", S, 8}, {"EMPCODE", S, 12}, {"DATE", Dat}, {"ID", Int}, {"DAYS", Flt}, {"REMARKS", S, 40},
};
constexpr IndexSpec kLeavTrxIndexes[] = {{"EMPCODE", "EMPCODE;LEAVE_CODE;DATE"}};
// Leave settings per period and leave code.
constexpr FieldSpec kLeavesetFields[] = {{"PERIOD", S, 6}, {"LEAVE_CODE", S, 8}, {"ENTITLE", Flt}, {"CARRY", Flt}};
constexpr IndexSpec kLeavesetIndexes[] = {{"PERIOD", "PERIOD"}};

// The claim set-up's source: the tiers of each scheme and claim code, numbered by ID.
constexpr FieldSpec kMedTableFields[] = {
    {"CATEGORY", S, 8}, {"MEDICAL_CODE", S, 8}, {"ID", Int}, {"MAX_CLAIM", Cur}, {"FROM", Cur}, {"TO", Cur},
};
constexpr IndexSpec kMedTableIndexes[] = {{"CATEGORY", "CATEGORY;MEDICAL_CODE;ID"}};
// The tiers of the claim set-up rows (MEDSCH's TRNNO), numbered 1 to 10 within their row.
constexpr FieldSpec kMedTblFields[] = {{"TRNNO", S, 12}, {"ID", Int}, {"MAX_CLAIM", Cur}, {"FROM", Cur}, {"TO", Cur}};
constexpr IndexSpec kMedTblIndexes[] = {{"TRNNO", "TRNNO;ID"}};
// Sub-claims of a claim code with their limits.
constexpr FieldSpec kAloclaimFields[] = {{"MEDICAL", S, 8}, {"CODE", S, 8}, {"DESC", S, 30}, {"MAX_CLAIM", Cur}};
constexpr IndexSpec kAloclaimIndexes[] = {{"MEDICAL", "MEDICAL;CODE"}};
// Values offered in the suite's drop-down lists.
constexpr FieldSpec kListFields[] = {{"LIST_NAME", S, 20}, {"VALUE", S, 20}};
// Leave entitlements per employee, leave code and year; CURRENT is the entitlement of the current year.
constexpr FieldSpec kEmpentFields[] = {
    {"EMP_NO", S, 12}, {"LEAVE_CODE", S, 8}, {"YEAR", S, 4}, {"ENTITLE", Cur}, {"CURRENT", Cur}};
constexpr IndexSpec kEmpentIndexes[] = {{"EMP_NO", "EMP_NO;LEAVE_CODE;YEAR"}};

// Medical claims per employee and bill.
constexpr FieldSpec kMedicalFields[] = {
    {"EMPCODE", S, 12}, {"CLAIM_DATE", Dat}, {"MEDICAL_CODE", S, 8}, {"CLINIC", S, 40}, {"AMOUNT", Cur},
};
constexpr IndexSpec kMedicalIndexes[] = {{"EMPCODE", "EMPCODE;CLAIM_DATE"}};

// The users' rights per menu, and the payroll queries' conditions.
constexpr FieldSpec kPassworkFields[] = {{"USER", S, 8}, {"MENU", S, 30}, {"ACCESS", S, 1}};
constexpr IndexSpec kPassworkIndexes[] = {{"USER", "USER"}};
constexpr FieldSpec kPqueryFields[] = {
    {"CODE", S, 8}, {"ID", Int}, {"FIELD", S, 30}, {"OP", S, 2}, {"VALUE", S, 40}};
constexpr IndexSpec kPqueryIndexes[] = {{"CODE", "CODE;ID"}};

// Allowances of the payroll history per user's run.
constexpr FieldSpec kPHist1Fields[] = {
    {"USERID", S, 8}, {"EMPCODE", S, 12}, {"ID", Int}, {"ALW_CODE", S, 8}, {"DESC01", S, 30}, {"AMOUNT", Cur},
};
constexpr IndexSpec kPHist1Indexes[] = {{"EMPCODE", "EMPCODE;ID"}};

// The employees' yearly income for the tax return; the tax tables are kept per employee and year.
constexpr IndexSpec kTaxIndexes[] = {{"EMPCODE", "EMPCODE;YEAR"}};
constexpr FieldSpec kIr8arFields[] = {
    {"EMPCODE", S, 12}, {"YEAR", S, 4}, {"TYPE", S, 1}, {"GROSS_SALARY", Cur}, {"BONUS", Cur},
};
// The other tax tables: benefits in kind (IRDX8A), submissions (IR8AREC), CPF on wages over the ceiling (IR8S)
// and refunds (IRREFUND).
constexpr FieldSpec kIrdx8aFields[] = {{"EMPCODE", S, 12}, {"YEAR", S, 4}, {"AVRENT_EMPLOYEE", Cur}};
constexpr FieldSpec kIr8arecFields[] = {{"EMPCODE", S, 12}, {"YEAR", S, 4}, {"SUBMITTED", Dat}, {"STATUS", S, 1}};
constexpr FieldSpec kIr8sFields[] = {{"EMPCODE", S, 12}, {"YEAR", S, 4}, {"ORD_WAGE", Cur}};
constexpr FieldSpec kIrrefundFields[] = {{"EMPCODE", S, 12}, {"YEAR", S, 4}, {"REFUND_AMT", Cur}, {"REFUND_DATE", Dat}};
// The income tax bands per year and kind of taxpayer.
constexpr FieldSpec kIncometbFields[] = {
    {"YEAR", S, 4}, {"FORWHAT", S, 8}, {"FROM", Cur}, {"TO", Cur}, {"RATE", Flt}};

// --- work tables ---

// A work table a restructuring left behind (the clean-up deletes "TEMP_*" names).
constexpr FieldSpec kTempEmpFields[] = {{"EMP_NO", S, 12}, {"EMP_NAME", S, 40}, {"BASIC_SALARY", Cur}};
// A table of the company's own whose name merely looks like a backup's; it must survive the clean-up.
constexpr FieldSpec kBakeryFields[] = {{"ITEM_CODE", S, 8}, {"DESC", S, 40}, {"PRICE", Cur}};
constexpr IndexSpec kBakeryIndexes[] = {{"ITEM_CODE", "ITEM_CODE", true}};
// A time-stamped copy in the installation's work folder, with an index so that its .ADI is there too.
constexpr FieldSpec kWorkCopyFields[] = {{"EMP_NO", S, 12}, {"PERIOD", S, 6}, {"AMOUNT", Cur}};
constexpr IndexSpec kWorkCopyIndexes[] = {{"EMP_NO", "EMP_NO;PERIOD"}};

constexpr TableSpec kTables[] = {
    {"mcompany.ADT", kMcompanyFields, kMcompanyIndexes},
    {"PAYPARA", kPayparaFields, {}},
    {"PAYPARA1", kPaypara1Fields, kPaypara1Indexes},
    {"EMPLOYEE", kEmployeeFields, kEmployeeIndexes},
    {"P_HTRX", kPHtrxFields, kPHtrxIndexes},
    {"PUBLIC", kPublicFields, kPublicIndexes},
    {"FW_LEVY", kFwLevyFields, kFwLevyIndexes},
    {"rbItem", kRbItemFields, {}},
    {"RTABLE", kRtableFields, kRtableIndexes},
    {"TRAINING", kTrainingFields, kTrainingIndexes},
    {"MEDSCH", kMedschFields, kMedschIndexes},
    {"TRANSFER", kTransferFields, kTransferIndexes},
    {"PASS", kPassFields, kPassIndexes},
    {"EMP_ALW", kEmpAlwFields, kEmpAlwIndexes},
    {"SYSCONT.ADT", kSyscontFields, kSyscontIndexes},
    {"loans_red", kLoansRedFields, kLoansRedIndexes},
    {"QUERY", kQueryFields, kQueryIndexes},
    {"FREEFIELD", kFreeFieldFields, {}},
    {"FORMULA", kFormulaFields, kFormulaIndexes},
    {"RTPDETL", kRtpdetlFields, kRtpdetlIndexes},
    {"ALLOWNCE", kAllowanceFields, kAllowanceIndexes},
    {"TRNNO", kTrnnoFields, {}},
    {"CLMTMPL", kClmtmplFields, kClmtmplIndexes},
    {"EMP_PROS", kEmpProsFields, kEmpProsIndexes},
    {"CODE", kCodeFields, kCodeIndexes},
    {"YTDEMPL", kYtdemplFields, {}},
    {"pay_bank", kPayBankFields, kPayBankIndexes},
    {"EMP_BNK", kEmpBnkFields, kEmpBnkIndexes},
    {"PGRP_TRX", kPgrpTrxFields, kPgrpTrxIndexes},
    {"APPR", kApprFields, {}},
    {"APPRDTL", kApprdtlFields, kApprdtlIndexes},
    {"EDUCATE", kEducateFields, {}},
    {"AUTOSET", kAutosetFields, kAutosetIndexes},
    {"FAMILY", kFamilyFields, kFamilyIndexes},
    {"EMPLOYMT", kEmploymtFields, kByEmpNo},
    {"EMPMISC", kEmpmiscFields, kByEmpNo},
    {"SETUP", kSetupFields, kSetupIndexes},
    {"COSTCTR", kCostctrFields, kCostctrIndexes},
    {"EMPLEAVE", kEmpleaveFields, kEmpleaveIndexes},
    {"LEAV_TRX", kLeavTrxFields, kLeavTrxIndexes},
    {"LEAVESET", kLeavesetFields, kLeavesetIndexes},
    {"MEDICAL", kMedicalFields, kMedicalIndexes},
    {"PASSWORK", kPassworkFields, kPassworkIndexes},
    {"PQUERY", kPqueryFields, kPqueryIndexes},
    {"P_HIST1", kPHist1Fields, kPHist1Indexes},
    {"IR8AR", kIr8arFields, kTaxIndexes},
    {"IRDX8A", kIrdx8aFields, kTaxIndexes},
    {"IR8AREC", kIr8arecFields, kTaxIndexes},
    {"IR8S", kIr8sFields, kTaxIndexes},
    {"IRREFUND", kIrrefundFields, kTaxIndexes},
    {"MEDTABLE", kMedTableFields, kMedTableIndexes},
    {"MEDTBL", kMedTblFields, kMedTblIndexes},
    {"ALOCLAIM", kAloclaimFields, kAloclaimIndexes},
    {"LIST", kListFields, {}},
    {"EMPENT", kEmpentFields, kEmpentIndexes},
    {"INCOMETB", kIncometbFields, {}},
    {"TEMP_EMP.ADT", kTempEmpFields, {}},
    {"BAKERY.ADT", kBakeryFields, kBakeryIndexes},
    {"WORKCOPY", kWorkCopyFields, kWorkCopyIndexes},
    {"GTABLE", kGtableFields, kGtableIndexes},
};

}  // namespace

std::span<const TableSpec> DemoTables() { return kTables; }

const TableSpec& DemoTable(std::string_view name) {
  for (const TableSpec& t : kTables)
    if (kv::SameText(t.name, name)) return t;
  throw std::out_of_range("no demo table layout named " + std::string(name));
}

}  // namespace kv::demo
