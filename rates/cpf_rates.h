#pragma once
// The CPF rate loaders: each writes one fixed rate set into a company's CPF tables through the window's own
// objects, which the console passes in (this layer sits below the window and never sees it).
//
//   LoadCpf2013Rates      the 2013 rows into CPFNEW2, each only when absent (counted by SQL through AdsQuery1)
//   LoadVoluntaryCpf2007  the 2007 voluntary-scheme rows into CPFNEW, each only when absent, then the five
//                         "VOL" n class rows of 2010 into FW_LEVY through AdsTable1
//   LoadCpf2007Rates      the 2007 rows into CPFNEW, overwriting the rates of rows already there
//
// Nothing is caught: an engine failure ends the loader where it happened, the rows written before it stay, and
// a later run completes the set.

#include "engine/query.h"
#include "engine/table.h"

namespace kv::rates {

// The window's objects the loaders work through, all on the company connection AdsConnection1.
struct RateTables {
  engine::TAdsQuery& AdsQuery1;    // the 2013 loader's count and insert statements; left closed
  engine::TAdsTable& AdsTableCPF;  // "CPFNEW", order "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM"; left open
  engine::TAdsTable& AdsTable1;    // work table, exclusive; the voluntary loader uses it on FW_LEVY and closes it
};

void LoadCpf2013Rates(const RateTables& tables);
void LoadVoluntaryCpf2007(const RateTables& tables);
void LoadCpf2007Rates(const RateTables& tables);

}  // namespace kv::rates
