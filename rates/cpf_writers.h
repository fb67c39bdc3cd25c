#pragma once
// The three writers of CPF rate rows. None catches anything: an engine failure (table or column missing, a
// unique key broken, a lock refused) goes to the caller, and rows written before it stay.
//
//   AddCpf2Rate  CPFNEW2, insert if absent: an SQL count on YEAR, CPF_CAT, CPF_AGE_TYPE and AGE_FROM, then an
//                insert of all 49 columns when it is 0. The query is left open on a count that found the row and
//                closed after an insert.
//   AddCpfRate   CPFNEW, insert if absent: FindKey on YEAR, CPF_CAT, CPF_AGE_TYPE (the leading three fields of
//                the order "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM"), so a row with another AGE_FROM counts as there.
//   PutCpfRate   CPFNEW, overwrite: the same search; a found row gets the 37 rate columns SALARY_TO1 .. EMP_E%1
//                and keeps its AGE_CODE, DESC, AGE_FROM and AGE_TO; a missing row is appended whole.
//
// The CPFNEW writers need AdsTableCPF open on that order (the loaders close and open it once per set) and
// leave it open on the row they searched for or wrote.

#include "engine/query.h"
#include "engine/table.h"
#include "rates/cpf_rate_row.h"

namespace kv::rates {

void AddCpf2Rate(engine::TAdsQuery& AdsQuery1, const CpfRateRow& row);
void AddCpfRate(engine::TAdsTable& AdsTableCPF, const CpfRateRow& row);
void PutCpfRate(engine::TAdsTable& AdsTableCPF, const CpfRateRow& row);

}  // namespace kv::rates
