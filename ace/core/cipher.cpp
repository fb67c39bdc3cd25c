#include "ace/core/cipher.h"

#include <sodium.h>

#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

namespace ace {

namespace {

void EnsureSodium() {
  static const int ready = sodium_init();
  if (ready < 0) throw std::runtime_error("libsodium could not be initialised");
}

void PlaceBytes(std::uint64_t place, std::uint8_t out[8]) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(place >> (8 * i));
}

}  // namespace

Cipher::Salt Cipher::NewSalt() {
  EnsureSodium();
  Salt salt;
  randombytes_buf(salt.data(), salt.size());
  return salt;
}

Cipher Cipher::Derive(std::string_view secret, const Salt& salt) {
  EnsureSodium();
  static std::mutex mutex;
  static std::map<std::pair<std::string, std::string>, Cipher> cache;
  const auto cacheKey = std::make_pair(std::string(secret), std::string(salt.begin(), salt.end()));
  {
    std::lock_guard lock(mutex);
    if (auto it = cache.find(cacheKey); it != cache.end()) return it->second;
  }
  Cipher cipher;
  // Argon2id with small limits: tables are reopened many times in one run, and the key is cached afterwards.
  if (crypto_pwhash(cipher.key_.data(), cipher.key_.size(), secret.data(), secret.size(), salt.data(),
                    crypto_pwhash_OPSLIMIT_MIN, 1u << 20, crypto_pwhash_ALG_ARGON2ID13) != 0)
    throw std::runtime_error("key derivation ran out of memory");
  static constexpr char kCheckLabel[] = "kv8 table key check";
  crypto_generichash(cipher.check_.data(), cipher.check_.size(), reinterpret_cast<const unsigned char*>(kCheckLabel),
                     sizeof kCheckLabel - 1, cipher.key_.data(), cipher.key_.size());
  std::lock_guard lock(mutex);
  cache.emplace(cacheKey, cipher);
  return cipher;
}

void Cipher::Seal(const std::uint8_t* plain, std::size_t size, std::uint64_t place, std::uint8_t* out) const {
  std::uint8_t ad[8];
  PlaceBytes(place, ad);
  randombytes_buf(out, kNonceSize);
  unsigned long long written = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(out + kNonceSize, &written, plain, size, ad, sizeof ad, nullptr, out,
                                             key_.data());
}

bool Cipher::Open(const std::uint8_t* sealed, std::size_t sealedSize, std::uint64_t place, std::uint8_t* out) const {
  if (sealedSize < kOverhead) return false;
  std::uint8_t ad[8];
  PlaceBytes(place, ad);
  unsigned long long written = 0;
  return crypto_aead_xchacha20poly1305_ietf_decrypt(out, &written, nullptr, sealed + kNonceSize,
                                                    sealedSize - kNonceSize, ad, sizeof ad, sealed,
                                                    key_.data()) == 0;
}

}  // namespace ace
