#include "ace/core/cipher.h"

#include <sodium.h>

#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

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
  static std::map<std::string, Cipher> cache;
  // Cached under a hash of secret and salt, so that no password stays in memory in the cache.
  std::string cacheKey(crypto_generichash_BYTES, '\0');
  {
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, cacheKey.size());
    crypto_generichash_update(&state, salt.data(), salt.size());
    crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(secret.data()), secret.size());
    crypto_generichash_final(&state, reinterpret_cast<unsigned char*>(cacheKey.data()), cacheKey.size());
  }
  {
    std::lock_guard lock(mutex);
    if (auto it = cache.find(cacheKey); it != cache.end()) return it->second;
  }
  Cipher cipher;
  if (crypto_pwhash(cipher.key_.data(), cipher.key_.size(), secret.data(), secret.size(), salt.data(), kDerivePasses,
                    kDeriveMemory, crypto_pwhash_ALG_ARGON2ID13) != 0)
    throw std::runtime_error("key derivation ran out of memory");
  cipher.check_ = cipher.CheckValueFor("kv8 table key check");
  std::lock_guard lock(mutex);
  cache.emplace(cacheKey, cipher);
  return cipher;
}

Cipher Cipher::Subkey(std::span<const std::uint8_t> label) const {
  static constexpr char kContext[] = "kv8 table subkey";
  Cipher sub;
  crypto_generichash_state state;
  crypto_generichash_init(&state, key_.data(), key_.size(), sub.key_.size());
  crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(kContext), sizeof kContext - 1);
  crypto_generichash_update(&state, label.data(), label.size());
  crypto_generichash_final(&state, sub.key_.data(), sub.key_.size());
  sub.check_ = sub.CheckValueFor("kv8 table key check");
  return sub;
}

Cipher::Check Cipher::CheckValueFor(std::string_view label) const {
  Check check{};
  crypto_generichash(check.data(), check.size(), reinterpret_cast<const unsigned char*>(label.data()), label.size(),
                     key_.data(), key_.size());
  return check;
}

void Cipher::Seal(const std::uint8_t* plain, std::size_t size, std::uint64_t place, std::uint8_t* out) const {
  std::uint8_t ad[8];
  PlaceBytes(place, ad);
  Seal(plain, size, std::span<const std::uint8_t>(ad), out);
}

bool Cipher::Open(const std::uint8_t* sealed, std::size_t sealedSize, std::uint64_t place, std::uint8_t* out) const {
  std::uint8_t ad[8];
  PlaceBytes(place, ad);
  return Open(sealed, sealedSize, std::span<const std::uint8_t>(ad), out);
}

void Cipher::Seal(const std::uint8_t* plain, std::size_t size, std::span<const std::uint8_t> bound,
                  std::uint8_t* out) const {
  randombytes_buf(out, kNonceSize);
  unsigned long long written = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(out + kNonceSize, &written, plain, size, bound.data(), bound.size(),
                                             nullptr, out, key_.data());
}

bool Cipher::Open(const std::uint8_t* sealed, std::size_t sealedSize, std::span<const std::uint8_t> bound,
                  std::uint8_t* out) const {
  if (sealedSize < kOverhead) return false;
  unsigned long long written = 0;
  return crypto_aead_xchacha20poly1305_ietf_decrypt(out, &written, nullptr, sealed + kNonceSize,
                                                    sealedSize - kNonceSize, bound.data(), bound.size(), sealed,
                                                    key_.data()) == 0;
}

}  // namespace ace
