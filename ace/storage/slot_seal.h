#pragma once
// How an encrypted table seals a record slot's payload. The seal binds the payload to its record number and to
// the slot's status byte, so that a slot copied to another place, or a live record hidden by turning its status
// byte to "deleted" (or a deleted one brought back), does not open: the file is reported damaged. Tables sealed
// before the status byte was bound (no status-bound flag in the header) bind only the record number; they open
// as they are and take the bound layout with their next whole-table rewrite.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ace/core/cipher.h"

namespace ace::storage {

struct TableHeader;

// The key of an encrypted table for password. With a split salt (every table encrypted now) the password's key
// is derived (Argon2id) with the salt's first half and the table's key made from it with the second half: the
// tables a process encrypts with one password share the first half, so they cost one derivation between them,
// and each still has a key of its own.
Cipher TableCipher(std::string_view password, const TableHeader& header);
// Gives header, about to be encrypted anew, a split salt and the check value of its key; returns the key.
Cipher NewTableKey(TableHeader& header, std::string_view password);

// The check value a table header keeps for its key, one per layout, so that the layout mark cannot be turned
// back without the key (see CheckTableKey).
Cipher::Check TableKeyCheck(const Cipher& cipher, bool statusBound);

enum class KeyVerdict { kRight, kWrong, kLayoutChanged };
// Whether cipher is the table's key. kLayoutChanged: it is, but the header's layout mark was altered.
KeyVerdict CheckTableKey(const Cipher& cipher, bool statusBound, const Cipher::Check& stored);

// Seals size bytes of payload for slot recno with the given status into out (size + Cipher::kOverhead bytes).
void SealSlot(const Cipher& cipher, bool statusBound, std::uint64_t recno, std::uint8_t status,
              const std::uint8_t* payload, std::size_t size, std::uint8_t* out);
// Opens the slot (its status byte, then payloadSize + Cipher::kOverhead sealed bytes) into out; false when it was
// changed, moved, or its status byte does not match.
bool OpenSlot(const Cipher& cipher, bool statusBound, std::uint64_t recno, const std::uint8_t* slot,
              std::size_t payloadSize, std::uint8_t* out);

}  // namespace ace::storage
