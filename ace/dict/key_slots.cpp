#include "ace/dict/key_slots.h"

#include <sodium.h>

#include <vector>

#include "ace/core/cipher.h"
#include "support/strings.h"

namespace ace::dict::store {

namespace {

// The sealed secret is bound to the user it was wrapped for, so a slot copied to another user does not open.
std::vector<std::uint8_t> Binding(std::string_view user) {
  const std::string label = "kv8 dictionary key slot of " + kv::UpperCase(std::string(user));
  return std::vector<std::uint8_t>(label.begin(), label.end());
}

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  std::string out(2 * size + 1, '\0');
  sodium_bin2hex(out.data(), out.size(), bytes, size);
  out.pop_back();
  return out;
}

std::optional<std::vector<std::uint8_t>> FromHex(const std::string& text) {
  std::vector<std::uint8_t> out(text.size() / 2);
  std::size_t length = 0;
  if (text.size() % 2 != 0 ||
      sodium_hex2bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length, nullptr) != 0 ||
      length != out.size())
    return std::nullopt;
  return out;
}

bool HasSlotsTable(const Session& s) {
  Statement q(s, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'key_slots'");
  return q.Step();
}

}  // namespace

KeySlot WrapSecret(std::string_view user, std::string_view password, std::string_view secret) {
  const Cipher::Salt salt = Cipher::NewSalt();
  const Cipher key = Cipher::Derive(password, salt);
  std::vector<std::uint8_t> sealed(secret.size() + Cipher::kOverhead);
  const std::vector<std::uint8_t> bound = Binding(user);
  key.Seal(reinterpret_cast<const std::uint8_t*>(secret.data()), secret.size(), bound, sealed.data());
  return KeySlot{Hex(salt.data(), salt.size()), Hex(sealed.data(), sealed.size())};
}

std::optional<std::string> UnwrapSecret(const KeySlot& slot, std::string_view user, std::string_view password) {
  const auto salt = FromHex(slot.salt);
  const auto sealed = FromHex(slot.wrapped);
  if (!salt || salt->size() != Cipher::kSaltSize || !sealed || sealed->size() <= Cipher::kOverhead) return std::nullopt;
  Cipher::Salt s;
  std::copy(salt->begin(), salt->end(), s.begin());
  std::string secret(sealed->size() - Cipher::kOverhead, '\0');
  if (!Cipher::Derive(password, s).Open(sealed->data(), sealed->size(), Binding(user),
                                        reinterpret_cast<std::uint8_t*>(secret.data())))
    return std::nullopt;
  return secret;
}

std::optional<KeySlot> FindKeySlot(const Session& s, std::int64_t accessorId) {
  if (!HasSlotsTable(s)) return std::nullopt;
  Statement q(s, "SELECT salt, wrapped FROM key_slots WHERE accessor_id = ?1");
  q.Bind(1, accessorId);
  if (!q.Step()) return std::nullopt;
  return KeySlot{q.Text(0), q.Text(1)};
}

void PutKeySlot(const Session& s, std::int64_t accessorId, const KeySlot& slot) {
  if (!HasSlotsTable(s)) {
    Exec(s, kKeySlotsSchema);
    Exec(s, "UPDATE meta SET value = '2' WHERE key = 'version'");
  }
  Statement q(s, "INSERT OR REPLACE INTO key_slots(accessor_id, salt, wrapped) VALUES (?1, ?2, ?3)");
  q.Bind(1, accessorId).Bind(2, slot.salt).Bind(3, slot.wrapped).Run();
  DropClearSecretWhenCovered(s);
}

void DropClearSecretWhenCovered(const Session& s) {
  if (!HasSlotsTable(s)) return;
  Statement uncovered(s,
                      "SELECT count(*) FROM accessors a WHERE a.kind = 'U' AND NOT EXISTS "
                      "(SELECT 1 FROM key_slots k WHERE k.accessor_id = a.id)");
  if (uncovered.Step() && uncovered.Int(0) == 0) Exec(s, "DELETE FROM meta WHERE key = 'secret'");
}

std::optional<std::string> ClearSecret(const Session& s) {
  Statement q(s, "SELECT value FROM meta WHERE key = 'secret'");
  if (!q.Step()) return std::nullopt;
  return q.Text(0);
}

}  // namespace ace::dict::store
