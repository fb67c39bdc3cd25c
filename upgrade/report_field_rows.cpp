// The registrations of lists D and B: the catalogue rows of the columns those lists add, written at the list's
// places ("numbers 1256, 1257, 55, 8"). Nine texts a row: NO, NO2, HEADING, DATABASE1, FIELD, CODE, WIDTH,
// TYPE1, HIDE_WAGE; an empty text is written empty.

#include "upgrade/report_field_rows.h"

namespace kv::upgrade {

namespace {

constexpr ReportField kListRows[] = {
    // D1
    {"1250", "", "STARTDATE", "EMP_ALW", "STARTDATE", "", "10", "D", "F"},
    // D4, B7
    {"70", "61", "Original Hired Date", "EMPLOYEE", "ORIGINAL_HIRED_DATE", "", "10", "D", "F"},
    // D7
    {"1256", "", "MODIFIED_DATE", "EMPLEAVE", "MODIFIED_DATE", "", "10", "D", "F"},
    {"1257", "", "EXPIRY_DATE", "TRAINING", "EXPIRY_DATE", "", "10", "D", "F"},
    {"55", "50", "DEPENDANT CHILDREN", "EMPLOYEE", "DEPENDENT_CHILD", "", "5", "N", "F"},
    {"8", "8", "CITIZEN CODE", "EMPLOYEE", "CITIZEN_CODE", "", "8", "A", "F"},
    {"4", "4", "BATCH NO", "EMPLOYEE", "BATCH_NO", "", "12", "A", "F"},
    // D8
    {"165", "105", "SUPERVISOR2", "EMPLOYEE", "SUPERVISOR_CODE2", "", "12", "A", "F"},
    {"9920", "", "STIN1", "EMPLOYEE", "STIN", "", "40", "A", "F"},
    {"9921", "", "STIN2", "EMPLOYEE", "STIN2", "", "40", "A", "F"},
    {"9922", "", "STIN3", "EMPLOYEE", "STIN3", "", "40", "A", "F"},
    // D9 (9048 to 9056 again in D13)
    {"9900", "", "CUSTOMCODE", "FORMULA", "", "", "30", "A", "F"},
    {"9919", "", "ADJUSTMENT", "EMP_LVTX", "TXADJU", "", "8", "N", "F"},
    {"9048", "", "0.5D#RT", "P_DTRXRD", "0.5LDay#", "RATE", "8", "N", "N"},
    {"9049", "", "0.5D#HRS", "P_DTRXRD", "0.5LDay#", "FREQUENCY", "8", "N", "T"},
    {"9050", "", "0.5D#AMT$", "P_DTRXRD", "0.5LDay#", "AMOUNT", "8", "N", "T"},
    {"9051", "", "1.0D#RT", "P_DTRXRD", "1.0LDay#", "RATE", "8", "N", "N"},
    {"9052", "", "1.0D#HRS", "P_DTRXRD", "1.0LDay#", "FREQUENCY", "8", "N", "T"},
    {"9053", "", "1.0D#AMT$", "P_DTRXRD", "1.0LDay#", "AMOUNT", "8", "N", "T"},
    {"9054", "", "2.0D#RT", "P_DTRXRD", "2.0LDay#", "RATE", "8", "N", "N"},
    {"9055", "", "2.0D#HRS", "P_DTRXRD", "2.0LDay#", "FREQUENCY", "8", "N", "T"},
    {"9056", "", "2.0D#AMT$", "P_DTRXRD", "2.0LDay#", "AMOUNT", "8", "N", "T"},
    {"54", "49", "COST_CENTRE_CODE", "EMPLOYEE", "COST_CENTRE_CODE", "", "10", "A", "F"},
    {"27", "25", "DEPARTMENT_CODE", "EMPLOYEE", "DEPARTMENT_CODE", "", "10", "A", "F"},
    // D13
    {"150", "134", "MVC$", "EMPSERV", "NVCAMT", "", "10", "N", "T"},
    // B5
    {"564", "", "VOLCPFEE$", "P_HTRX", "", "VOLCPFEE", "8", "N", "T"},
    {"565", "", "VOLCPFER$", "P_HTRX", "", "VOLCPFER", "8", "N", "T"},
    {"566", "", "CPFOWWAGE$", "YTDEMPL", "", "CPFOWWAGE", "12", "N", "T"},
    {"567", "", "CPFAWWAGE$", "YTDEMPL", "", "CPFAWWAGE", "12", "N", "T"},
    {"568", "", "ACTUAL AW$", "YTDEMPL", "", "ACTUAL_AW_PAID", "12", "N", "T"},
    {"569", "", "CHEQAMT", "P_HTRX", "", "CHEQAMT", "12", "N", "T"},
    {"570", "", "BANKAMT", "P_HTRX", "", "BANKAMT", "12", "N", "T"},
    {"571", "", "CASHAMT", "P_HTRX", "", "CASHAMT", "12", "N", "T"},
    {"573", "", "CHEQNO", "P_HTRX", "", "CHEQNO", "12", "N", "T"},
    // B7
    {"9076", "", "EXPIRY_DATE", "TRAINING", "EXPIRY_DATE", "", "10", "D", "F"},
    {"9077", "", "VALIDPERIOD", "TRAINING", "VALIDPERIOD", "", "8", "N", "F"},
    {"9078", "", "SKILL CODE", "TRAINING", "SKILL_CODE", "", "8", "A", "F"},
    {"9079", "", "SKILL DESC", "TRAINING", "SKILL_CODE", "SKL-DESC", "60", "A", "F"},
};

}  // namespace

std::span<const ReportField> ListRegistrationRows() { return kListRows; }

}  // namespace kv::upgrade
