#pragma once
// Numbers written as text, read one way wherever the engine meets them: text stored into a numeric field, text
// compared with a number in a statement, and AsFloat / AsInteger on a character field of the component objects.

#include <cstdint>
#include <optional>
#include <string_view>

namespace ace {

// A plain decimal number: blanks (spaces, tabs, line breaks) around it ignored, at most one sign, digits with at
// most one decimal point, at least one digit ("12", " -12.50 ", "+.5", "7."). Anything else is no number:
// exponents ("1e3"), "nan", "inf", hexadecimal ("0x10"), thousands separators ("1,000"), blank text, and digits
// beyond what a double holds. Payroll values are never written in those forms, and reading them would let
// values no one meant pass into money columns unnoticed.
std::optional<double> NumberFromText(std::string_view text);

// The same texts without a decimal point, read exactly as a 64-bit integer ("9223372036854775807" is not
// rounded through a double); nullopt for any other text and for a whole number past the 64-bit range.
std::optional<std::int64_t> WholeNumberFromText(std::string_view text);

}  // namespace ace
