#include "ace/core/scratch_secret.h"

#include <sodium.h>

#include <array>
#include <string>

namespace ace {

std::string_view ScratchSecret() {
  static const std::string secret = [] {
    const Cipher::Salt a = Cipher::NewSalt(), b = Cipher::NewSalt();  // makes libsodium ready, too
    std::array<std::uint8_t, 2 * Cipher::kSaltSize> bytes{};
    std::copy(a.begin(), a.end(), bytes.begin());
    std::copy(b.begin(), b.end(), bytes.begin() + Cipher::kSaltSize);
    std::string hex(2 * bytes.size() + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes.data(), bytes.size());
    sodium_memzero(bytes.data(), bytes.size());
    hex.pop_back();
    return hex;
  }();
  return secret;
}

const Cipher& ScratchCipher() {
  static const Cipher cipher = Cipher::Derive(ScratchSecret(), Cipher::NewSalt());
  return cipher;
}

}  // namespace ace
