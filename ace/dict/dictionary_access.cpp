// The dictionary's users, groups and rights, and logging in.
#include "ace/dict/dictionary.h"

#include <sodium.h>

#include <cctype>

#include "ace/dict/key_slots.h"
#include "ace/dict/store.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::dict {

using namespace store;

namespace {

constexpr std::string_view kTableLetters = "RWIDA";
constexpr std::string_view kProcedureLetters = "X";

bool PasswordMatches(const std::string& hash, std::string_view password) {
  EnsureSodium();
  return !hash.empty() && crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::vector<std::string> GroupsOf(const Session& s, std::int64_t userId) {
  Statement q(s,
              "SELECT a.name FROM memberships m JOIN accessors a ON a.id = m.group_id WHERE m.user_id = ?1 "
              "ORDER BY a.id");
  q.Bind(1, userId);
  std::vector<std::string> names;
  while (q.Step()) names.push_back(q.Text(0));
  return names;
}

UserEntry MakeUser(const Session& s, const AccessorRow& row) {
  return UserEntry{row.name, row.description, GroupsOf(s, row.id), kv::SameText(row.name, kAdminUser)};
}

std::string_view LettersOf(char objectKind) { return objectKind == 'T' ? kTableLetters : kProcedureLetters; }

// The rights text in its stored form: each allowed letter once, in the order of the kind's letter set.
std::string NormaliseRights(const Session& s, const ObjectRow& object, std::string_view rights) {
  const std::string_view allowed = LettersOf(object.kind);
  std::string seen;
  for (char c : rights) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (allowed.find(upper) == std::string_view::npos)
      Fail(code::kBadRights, "rights text " + Quote(rights) + " holds " + Quote(std::string_view(&c, 1)) +
                                 ", which is no right on " + (object.kind == 'T' ? "table " : "procedure ") +
                                 Quote(object.name) + " (allowed: " + std::string(allowed) + ") in " + s.Where());
    seen += upper;
  }
  std::string result;
  for (char letter : allowed)
    if (seen.find(letter) != std::string::npos) result += letter;
  return result;
}

// The letters a user holds on an object: its own and those of every group it belongs to; all of them for
// ADSSYS, whatever was granted.
std::string EffectiveLetters(const Session& s, const ObjectRow& object, const AccessorRow& user) {
  const std::string_view allowed = LettersOf(object.kind);
  if (kv::SameText(user.name, kAdminUser)) return std::string(allowed);
  Statement q(s,
              "SELECT letters FROM rights WHERE object_id = ?1 AND (accessor_id = ?2 OR accessor_id IN "
              "(SELECT group_id FROM memberships WHERE user_id = ?2))");
  q.Bind(1, object.id).Bind(2, user.id);
  std::string have;
  while (q.Step()) have += q.Text(0);
  std::string result;
  for (char letter : allowed)
    if (have.find(letter) != std::string::npos) result += letter;
  return result;
}

}  // namespace

UserEntry Dictionary::Login(std::string_view user, std::string_view password) {
  const Session s{db_, path_, "logging in"};
  struct Found {
    std::optional<AccessorRow> row;
    std::optional<KeySlot> slot;
    std::optional<std::string> clearSecret;
  };
  const Found found = InTransaction(s, false, [&] {
    Found f{FindAccessor(s, user), std::nullopt, ClearSecret(s)};
    if (f.row) f.slot = FindKeySlot(s, f.row->id);
    return f;
  });
  // A user with a key slot is the one whose password opens it; one without (a dictionary of the earlier format)
  // is checked against the password hash.
  std::optional<std::string> secret;
  bool matches = false;
  if (found.row && found.row->kind == 'U') {
    if (found.slot) {
      secret = UnwrapSecret(*found.slot, found.row->name, password);
      matches = secret.has_value();
    } else {
      matches = PasswordMatches(found.row->passwordHash, password);
    }
  }
  // One text for an unknown user and a wrong password, so that a failed login does not tell which users exist.
  if (!matches)
    Fail(code::kDictionaryLoginFailed,
         "login to dictionary " + Quote(kv::fs::FileNamePart(path_)) + " failed: unknown user " + Quote(user) + " or wrong password");
  if (!secret && found.clearSecret) {
    secret = found.clearSecret;
    // The user's first login since the file was of the earlier format: the secret goes into the user's slot now.
    // A file that cannot be written at this moment keeps the clear secret until a later login.
    const KeySlot slot = WrapSecret(found.row->name, password, *secret);
    try {
      const Session w{db_, path_, "moving the secret of user " + Quote(found.row->name) + " into a key slot"};
      InTransaction(w, true, [&] { PutKeySlot(w, found.row->id, slot); });
    } catch (const AceError& e) {
      if (e.Code() != code::kReadOnly && e.Code() != code::kTableInUse) throw;
    }
  }
  secret_ = secret.value_or(std::string());
  return InTransaction(s, false, [&] { return MakeUser(s, *found.row); });
}

void Dictionary::SetPassword(std::string_view user, std::string_view password) {
  const Session s{db_, path_, "setting the password of user " + Quote(user)};
  const std::string secret = EncryptionSecret();
  const std::string hash = HashPassword(password);
  const AccessorRow row = InTransaction(s, false, [&] { return RequireUser(s, user); });
  const KeySlot slot = WrapSecret(row.name, password, secret);  // outside the transaction: the slow part
  InTransaction(s, true, [&] {
    const std::int64_t id = RequireUser(s, user).id;  // still there
    Statement q(s, "UPDATE accessors SET password_hash = ?1 WHERE id = ?2");
    q.Bind(1, hash).Bind(2, id).Run();
    PutKeySlot(s, id, slot);
  });
}

void Dictionary::DropUser(std::string_view user) {
  const Session s{db_, path_, "dropping user " + Quote(user)};
  if (kv::SameText(user, kAdminUser)) Fail(code::kInvalidArgument, "the user ADSSYS cannot be dropped from " + s.Where());
  InTransaction(s, true, [&] {
    Statement q(s, "DELETE FROM accessors WHERE id = ?1");
    q.Bind(1, RequireUser(s, user).id).Run();
    DropClearSecretWhenCovered(s);
  });
}

void Dictionary::CreateUser(std::string_view group, std::string_view user, std::string_view password,
                            std::string_view description) {
  const Session s{db_, path_, "creating user " + Quote(user)};
  CheckName("user", user);
  if (!group.empty()) CheckName("group", group);
  // Outside the transaction: they are the slow part.
  const KeySlot slot = WrapSecret(user, password, EncryptionSecret());
  const std::string hash = HashPassword(password);
  InTransaction(s, true, [&] {
    RequireFreeAccessorName(s, user);
    std::optional<std::int64_t> groupId;
    if (!group.empty()) {
      if (auto existing = FindAccessor(s, group)) {
        if (existing->kind != 'G')
          Fail(code::kObjectExists, "cannot put user " + Quote(user) + " into " + Quote(existing->name) +
                                        ", which is a user, not a group, in " + s.Where());
        groupId = existing->id;
      } else {
        groupId = InsertAccessor(s, 'G', group, "", std::nullopt);
      }
    }
    const std::int64_t userId = InsertAccessor(s, 'U', user, description, hash);
    PutKeySlot(s, userId, slot);
    if (groupId) {
      Statement q(s, "INSERT INTO memberships(user_id, group_id) VALUES (?1, ?2)");
      q.Bind(1, userId).Bind(2, *groupId).Run();
    }
  });
}

void Dictionary::CreateGroup(std::string_view group, std::string_view description) {
  const Session s{db_, path_, "creating group " + Quote(group)};
  CheckName("group", group);
  InTransaction(s, true, [&] {
    RequireFreeAccessorName(s, group);
    InsertAccessor(s, 'G', group, description, std::nullopt);
  });
}

void Dictionary::AddToGroup(std::string_view user, std::string_view group) {
  const Session s{db_, path_, "adding user " + Quote(user) + " to group " + Quote(group)};
  InTransaction(s, true, [&] {
    const AccessorRow u = RequireUser(s, user);
    const AccessorRow g = RequireGroup(s, group);
    Statement q(s, "INSERT OR IGNORE INTO memberships(user_id, group_id) VALUES (?1, ?2)");
    q.Bind(1, u.id).Bind(2, g.id).Run();
  });
}

void Dictionary::RemoveFromGroup(std::string_view user, std::string_view group) {
  const Session s{db_, path_, "removing user " + Quote(user) + " from group " + Quote(group)};
  InTransaction(s, true, [&] {
    const AccessorRow u = RequireUser(s, user);
    const AccessorRow g = RequireGroup(s, group);
    Statement q(s, "DELETE FROM memberships WHERE user_id = ?1 AND group_id = ?2");
    q.Bind(1, u.id).Bind(2, g.id).Run();
    if (sqlite3_changes(db_) == 0)
      Fail(code::kObjectNotFound, "user " + Quote(u.name) + " is not a member of group " + Quote(g.name) + " in " +
                                      s.Where());
  });
}

std::vector<UserEntry> Dictionary::Users() const {
  const Session s{db_, path_, "listing users"};
  return InTransaction(s, false, [&] {
    std::vector<AccessorRow> rows;
    {
      Statement q(s, "SELECT id, name, description FROM accessors WHERE kind = 'U' ORDER BY id");
      while (q.Step()) rows.push_back(AccessorRow{q.Int(0), 'U', q.Text(1), q.Text(2), {}});
    }
    std::vector<UserEntry> users;
    for (const AccessorRow& row : rows) users.push_back(MakeUser(s, row));
    return users;
  });
}

std::vector<GroupEntry> Dictionary::Groups() const {
  const Session s{db_, path_, "listing groups"};
  return InTransaction(s, false, [&] {
    Statement q(s, "SELECT name, description FROM accessors WHERE kind = 'G' ORDER BY id");
    std::vector<GroupEntry> groups;
    while (q.Step()) groups.push_back(GroupEntry{q.Text(0), q.Text(1)});
    return groups;
  });
}

void Dictionary::SetRights(std::string_view object, std::string_view accessor, std::string_view rights) {
  const Session s{db_, path_, "setting rights of " + Quote(accessor) + " on " + Quote(object)};
  InTransaction(s, true, [&] {
    const ObjectRow o = RequireObject(s, object);
    const AccessorRow a = RequireAccessor(s, accessor);
    const std::string letters = NormaliseRights(s, o, rights);
    if (letters.empty()) {
      Statement q(s, "DELETE FROM rights WHERE object_id = ?1 AND accessor_id = ?2");
      q.Bind(1, o.id).Bind(2, a.id).Run();
    } else {
      Statement q(s,
                  "INSERT INTO rights(object_id, accessor_id, letters) VALUES (?1, ?2, ?3) "
                  "ON CONFLICT(object_id, accessor_id) DO UPDATE SET letters = excluded.letters");
      q.Bind(1, o.id).Bind(2, a.id).Bind(3, letters).Run();
    }
  });
}

std::string Dictionary::Rights(std::string_view object, std::string_view accessor) const {
  const Session s{db_, path_, "reading rights of " + Quote(accessor) + " on " + Quote(object)};
  return InTransaction(s, false, [&] {
    const ObjectRow o = RequireObject(s, object);
    const AccessorRow a = RequireAccessor(s, accessor);
    Statement q(s, "SELECT letters FROM rights WHERE object_id = ?1 AND accessor_id = ?2");
    q.Bind(1, o.id).Bind(2, a.id);
    return q.Step() ? q.Text(0) : std::string();
  });
}

std::string Dictionary::EffectiveRights(std::string_view user, std::string_view object) const {
  const Session s{db_, path_, "checking rights of " + Quote(user) + " on " + Quote(object)};
  return InTransaction(s, false, [&] {
    const ObjectRow o = RequireObject(s, object);
    return EffectiveLetters(s, o, RequireUser(s, user));
  });
}

bool Dictionary::HasRight(std::string_view user, std::string_view object, char letter) const {
  const Session s{db_, path_, "checking right " + Quote(std::string_view(&letter, 1)) + " of " + Quote(user) +
                                  " on " + Quote(object)};
  return InTransaction(s, false, [&] {
    const ObjectRow o = RequireObject(s, object);
    const AccessorRow u = RequireUser(s, user);
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (LettersOf(o.kind).find(upper) == std::string_view::npos)
      Fail(code::kBadRights, Quote(std::string_view(&letter, 1)) + " is no right on " +
                                 (o.kind == 'T' ? "table " : "procedure ") + Quote(o.name) + " (rights: " +
                                 std::string(LettersOf(o.kind)) + ") in " + s.Where());
    return EffectiveLetters(s, o, u).find(upper) != std::string::npos;
  });
}

}  // namespace ace::dict
