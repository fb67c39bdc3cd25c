#pragma once
// The three fixed CPF rate sets, each in the order its loader writes it:
//   Cpf2013Rows            88 rows of 2013 for CPFNEW2
//   VoluntaryCpf2007Rows   30 rows of 2007, "VOL1" .. "VOL5" bands 1 to 6, for CPFNEW
//   Cpf2007Rows            61 rows of 2007 for CPFNEW ("PR1" .. "PEN" bands 1 to 6, then "MPF")

#include <vector>

#include "rates/cpf_rate_row.h"

namespace kv::rates {

const std::vector<CpfRateRow>& Cpf2013Rows();
const std::vector<CpfRateRow>& VoluntaryCpf2007Rows();
const std::vector<CpfRateRow>& Cpf2007Rows();

}  // namespace kv::rates
