#pragma once
// Authenticated encryption of table data (records, memo blocks, index pages) with libsodium's
// XChaCha20-Poly1305. A key is derived from a secret (the table password, or a dictionary's own key text) and a
// per-table salt kept in the table's header; the header also keeps a check value so that a wrong secret is
// recognised at once. The secret itself is never written anywhere.
//
// Each sealed unit carries its own random nonce and tag (kOverhead bytes) and is bound to its place by an
// associated number (for example the record number or page number): a unit copied to another place does not
// open.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ace {

class Cipher {
 public:
  static constexpr std::size_t kKeySize = 32;
  static constexpr std::size_t kSaltSize = 16;
  static constexpr std::size_t kCheckSize = 16;
  static constexpr std::size_t kNonceSize = 24;
  static constexpr std::size_t kTagSize = 16;
  static constexpr std::size_t kOverhead = kNonceSize + kTagSize;

  // Work of one key derivation (Argon2id), here and for the dictionary's password hashes: the common minimum
  // of 19 MiB and 2 passes. Derived keys are cached in the process, so a table opened many times costs one.
  static constexpr unsigned long long kDerivePasses = 2;
  static constexpr std::size_t kDeriveMemory = std::size_t{19} << 20;

  using Salt = std::array<std::uint8_t, kSaltSize>;
  using Check = std::array<std::uint8_t, kCheckSize>;

  static Salt NewSalt();
  // Derives the key for secret and salt (cached per process, so reopening a table costs nothing).
  static Cipher Derive(std::string_view secret, const Salt& salt);

  // A key of its own for each label, made from this one without a derivation's work.
  Cipher Subkey(std::span<const std::uint8_t> label) const;

  // The value stored in a header to recognise the right secret.
  const Check& CheckValue() const { return check_; }
  // A check value of its own for each label: a header that stores the one of its layout's label shows, to anyone
  // who has the key, that its layout mark was not changed by someone who has not.
  Check CheckValueFor(std::string_view label) const;

  // Seals size bytes of plain text into out, which must hold size + kOverhead bytes.
  void Seal(const std::uint8_t* plain, std::size_t size, std::uint64_t place, std::uint8_t* out) const;
  // Opens sealedSize bytes (kOverhead included) into out (sealedSize - kOverhead bytes); false when the unit was
  // changed, belongs to another place or was sealed with another key.
  bool Open(const std::uint8_t* sealed, std::size_t sealedSize, std::uint64_t place, std::uint8_t* out) const;
  // The same with the associated data given whole, for units bound to more than a number.
  void Seal(const std::uint8_t* plain, std::size_t size, std::span<const std::uint8_t> bound, std::uint8_t* out) const;
  bool Open(const std::uint8_t* sealed, std::size_t sealedSize, std::span<const std::uint8_t> bound,
            std::uint8_t* out) const;

 private:
  std::array<std::uint8_t, kKeySize> key_{};
  Check check_{};
};

}  // namespace ace
