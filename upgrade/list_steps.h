#pragma once
// The table-level steps of the column lists, carried out for the list walk (column_lists.cpp).

#include <cstdint>
#include <optional>
#include <string_view>

#include "upgrade/column_lists.h"

namespace kv::upgrade {

// What one walk over a list keeps between its steps.
struct ListRunState {
  // EMP_PROS's NEW_SALARY total in units of 1/10000, taken before N10's requests; unset when EMP_PROS is absent.
  std::optional<std::int64_t> salaryTotal;
};

void RunStep(Step step, ListContext& context, ListRunState& state);

// The free table a step leaves encrypted on a free-table company ("WKCSTREC" for EncryptWkcstrec); empty for a
// step that encrypts nothing, or leaves its table clear.
std::string_view TableLeftEncryptedBy(Step step);

}  // namespace kv::upgrade
