#include "ace/storage/slot_seal.h"

#include <span>

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

}  // namespace

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
