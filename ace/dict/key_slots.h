#pragma once
// The secret that encrypts a dictionary's tables, kept at rest: never in the file as it is, but wrapped once per
// user (a key slot, as disk encryption keeps them) under a key derived from that user's password. Logging in
// opens the user's slot; creating a user or setting a password writes a slot; dropping a user drops it. A copy of
// the file alone therefore opens no table: it takes a user's password as well.
//
// Dictionaries of format 1 kept the secret in clear text in the meta table. They still open: a user without a
// slot logs in by the password hash and gets the clear secret, and that login writes the user's slot. The clear
// secret is removed in the transaction that leaves no user without a slot.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ace/dict/store.h"

namespace ace::dict::store {

inline constexpr const char* kKeySlotsSchema =
    "CREATE TABLE IF NOT EXISTS key_slots(accessor_id INTEGER PRIMARY KEY REFERENCES accessors(id) ON DELETE CASCADE,"
    " salt TEXT NOT NULL, wrapped TEXT NOT NULL)";

// A slot as stored: the salt of the password's key and the sealed secret, both as hexadecimal text.
struct KeySlot {
  std::string salt;
  std::string wrapped;
};

// Wraps secret for user under password. It derives a key (the slow part): call it outside transactions.
KeySlot WrapSecret(std::string_view user, std::string_view password, std::string_view secret);
// The secret, or nullopt when password does not open the slot (a wrong password, or a slot not made for user).
std::optional<std::string> UnwrapSecret(const KeySlot& slot, std::string_view user, std::string_view password);

// The slot of an accessor; nullopt when it has none (or the file has no slots yet).
std::optional<KeySlot> FindKeySlot(const Session& s, std::int64_t accessorId);
// Writes (or replaces) a user's slot, making the slots table first in a file of format 1, and removes the
// clear secret of such a file once every user has a slot. Inside a write transaction.
void PutKeySlot(const Session& s, std::int64_t accessorId, const KeySlot& slot);
// Removes the clear secret when every user has a slot. Inside a write transaction.
void DropClearSecretWhenCovered(const Session& s);
// The clear secret of a file of format 1 not yet (wholly) moved into slots.
std::optional<std::string> ClearSecret(const Session& s);

}  // namespace ace::dict::store
