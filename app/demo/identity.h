#pragma once
// Singapore identity numbers of the right shape: an NRIC ("S" or "T" + seven digits + check letter) for
// citizens and permanent residents, a FIN ("F" or "G" + seven digits + check letter) for foreigners. The check
// letter follows the published checksum: the digits weighted 2, 7, 6, 5, 4, 3, 2, plus 4 for the "T" and "G"
// series, taken modulo 11, and looked up in the series' letter table.

#include <string>
#include <string_view>

namespace kv::demo {

// The check letter for a prefix ('S', 'T', 'F' or 'G') and seven digits; '\0' for anything else.
char IdentityCheckLetter(char prefix, std::string_view sevenDigits);

// Prefix + digits + check letter ("S1234567D"). The digits must be seven decimal digits.
std::string MakeIdentityNumber(char prefix, std::string_view sevenDigits);

// True for a nine-character number of one of the four series whose check letter is right.
bool IsValidIdentityNumber(std::string_view number);

}  // namespace kv::demo
