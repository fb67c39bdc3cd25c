#include "app/demo/identity.h"

#include <stdexcept>

namespace kv::demo {

char IdentityCheckLetter(char prefix, std::string_view sevenDigits) {
  static constexpr int kWeights[7] = {2, 7, 6, 5, 4, 3, 2};
  static constexpr std::string_view kCitizenLetters = "JZIHGFEDCBA";   // S and T series
  static constexpr std::string_view kForeignerLetters = "XWUTRQPNMLK"; // F and G series
  if (sevenDigits.size() != 7) return '\0';
  int sum = 0;
  for (std::size_t i = 0; i < 7; ++i) {
    const char c = sevenDigits[i];
    if (c < '0' || c > '9') return '\0';
    sum += (c - '0') * kWeights[i];
  }
  switch (prefix) {
    case 'S': return kCitizenLetters[static_cast<std::size_t>(sum % 11)];
    case 'T': return kCitizenLetters[static_cast<std::size_t>((sum + 4) % 11)];
    case 'F': return kForeignerLetters[static_cast<std::size_t>(sum % 11)];
    case 'G': return kForeignerLetters[static_cast<std::size_t>((sum + 4) % 11)];
    default: return '\0';
  }
}

std::string MakeIdentityNumber(char prefix, std::string_view sevenDigits) {
  const char check = IdentityCheckLetter(prefix, sevenDigits);
  if (check == '\0') throw std::invalid_argument("not an identity number series or not seven digits");
  std::string number(1, prefix);
  number += sevenDigits;
  number += check;
  return number;
}

bool IsValidIdentityNumber(std::string_view number) {
  if (number.size() != 9) return false;
  const char check = IdentityCheckLetter(number[0], number.substr(1, 7));
  return check != '\0' && check == number[8];
}

}  // namespace kv::demo
