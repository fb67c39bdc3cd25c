#pragma once
// The field definition string of AdsCreateTable: "NAME,Type[,length[,decimals]];" for each field, in order.
// Names are kept exactly as written (blanks, "%" and "." included; only "," and ";" cannot be part of a name).
// Types are the ADT type words without regard to case; Char and Raw need a length, Double and CurDouble may give
// decimals (default 2), the other types take no numbers.

#include <string_view>
#include <vector>

#include "ace/core/field_type.h"

namespace ace {

// Throws AceError(kBadFieldDefinition) saying which field is wrong and why.
std::vector<FieldSpec> ParseFieldDefinitions(std::string_view text);

}  // namespace ace
