#include "ace/storage/slot_seal.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <span>
#include <string>

#include "ace/storage/table_header.h"

namespace ace::storage {

namespace {

constexpr char kLegacyLabel[] = "kv8 table key check";
constexpr char kStatusBoundLabel[] = "kv8 table key check, status bound";

// The associated data: the record number (8 bytes, little-endian), then the status byte when it is bound.
std::size_t Binding(bool statusBound, std::uint64_t recno, std::uint8_t status, std::uint8_t out[9]) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(recno >> (8 * i));
  if (!statusBound) return 8;
  out[8] = status;
  return 9;
}

constexpr std::size_t kHalf = Cipher::kSaltSize / 2;
// Fills the Argon2id salt's second half when the salt is split.
constexpr std::uint8_t kSplitPad[kHalf] = {'k', 'v', '8', 's', 'p', 'l', 'i', 't'};

// The first half of the salt for new tables of a password: one per password in a process, kept under a hash.
std::array<std::uint8_t, kHalf> SharedHalf(std::string_view password) {
  static std::mutex mutex;
  static std::map<std::string, std::array<std::uint8_t, kHalf>> halves;
  std::string id(crypto_generichash_BYTES, '\0');
  crypto_generichash(reinterpret_cast<unsigned char*>(id.data()), id.size(),
                     reinterpret_cast<const unsigned char*>(password.data()), password.size(), nullptr, 0);
  std::lock_guard lock(mutex);
  auto [it, made] = halves.try_emplace(id);
  if (made) {
    const Cipher::Salt fresh = Cipher::NewSalt();
    std::copy_n(fresh.begin(), kHalf, it->second.begin());
  }
  return it->second;
}

}  // namespace

Cipher TableCipher(std::string_view password, const TableHeader& header) {
  if (!header.splitSalt) return Cipher::Derive(password, header.salt);
  Cipher::Salt first{};
  std::copy_n(header.salt.begin(), kHalf, first.begin());
  std::copy_n(kSplitPad, kHalf, first.begin() + kHalf);
  return Cipher::Derive(password, first).Subkey(std::span<const std::uint8_t>(header.salt.data() + kHalf, kHalf));
}

Cipher NewTableKey(TableHeader& header, std::string_view password) {
  const auto shared = SharedHalf(password);
  const Cipher::Salt own = Cipher::NewSalt();
  std::copy(shared.begin(), shared.end(), header.salt.begin());
  std::copy_n(own.begin(), kHalf, header.salt.begin() + kHalf);
  header.splitSalt = true;
  const Cipher cipher = TableCipher(password, header);
  header.check = TableKeyCheck(cipher, header.statusBound);
  return cipher;
}

Cipher::Check TableKeyCheck(const Cipher& cipher, bool statusBound) {
  return statusBound ? cipher.CheckValueFor(kStatusBoundLabel) : cipher.CheckValueFor(kLegacyLabel);
}

KeyVerdict CheckTableKey(const Cipher& cipher, bool statusBound, const Cipher::Check& stored) {
  if (TableKeyCheck(cipher, statusBound) == stored) return KeyVerdict::kRight;
  return TableKeyCheck(cipher, !statusBound) == stored ? KeyVerdict::kLayoutChanged : KeyVerdict::kWrong;
}

void SealSlot(const Cipher& cipher, bool statusBound, std::uint64_t recno, std::uint8_t status,
              const std::uint8_t* payload, std::size_t size, std::uint8_t* out) {
  std::uint8_t ad[9];
  cipher.Seal(payload, size, std::span<const std::uint8_t>(ad, Binding(statusBound, recno, status, ad)), out);
}

bool OpenSlot(const Cipher& cipher, bool statusBound, std::uint64_t recno, const std::uint8_t* slot,
              std::size_t payloadSize, std::uint8_t* out) {
  std::uint8_t ad[9];
  return cipher.Open(slot + 1, payloadSize + Cipher::kOverhead,
                     std::span<const std::uint8_t>(ad, Binding(statusBound, recno, slot[0], ad)), out);
}

}  // namespace ace::storage
