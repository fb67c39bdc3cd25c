#include "ace/dict/store.h"

#include <sodium.h>

#include <array>

#include "ace/core/cipher.h"

namespace ace::dict::store {

std::string Quote(std::string_view name) { return "'" + std::string(name) + "'"; }

void EnsureSodium() {
  static const int ready = sodium_init();
  if (ready < 0) Fail(code::kInternal, "libsodium could not be initialised");
}

void Session::Raise(int rc) const {
  const std::string detail = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
      Fail(code::kDictionaryDamaged, "damaged " + Where() + ": " + detail);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      Fail(code::kTableInUse, Where() + " stayed locked by another user for " +
                                  std::to_string(kBusyTimeoutMs / 1000) + " seconds: " + detail);
    case SQLITE_READONLY:
      Fail(code::kReadOnly, Where() + " cannot be changed: " + detail);
    case SQLITE_NOMEM:
      Fail(code::kOutOfMemory, "out of memory in " + Where());
    default:
      Fail(code::kIoError, "cannot use " + Where() + ": " + detail);
  }
}

Statement::Statement(const Session& session, const char* sql) : session_(session) {
  const int rc = sqlite3_prepare_v2(session_.db, sql, -1, &stmt_, nullptr);
  if (rc != SQLITE_OK) session_.Raise(rc);
}

Statement& Statement::Bind(int index, std::string_view text) {
  Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
  return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  Check(sqlite3_bind_int64(stmt_, index, value));
  return *this;
}

Statement& Statement::BindNull(int index) {
  Check(sqlite3_bind_null(stmt_, index));
  return *this;
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  session_.Raise(rc);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(stmt_, column);
  return text == nullptr ? std::string()
                         : std::string(reinterpret_cast<const char*>(text),
                                       static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

sqlite3* OpenHandle(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string detail = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    if ((rc & 0xff) == SQLITE_CANTOPEN)
      Fail(code::kNotADictionary, "dictionary file " + Quote(path) + " cannot be opened: " + detail);
    Fail(code::kIoError, "dictionary file " + Quote(path) + " cannot be opened: " + detail);
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  try {
    Exec(Session{db, path, "setting it up"}, "PRAGMA foreign_keys = ON");
    // Removed rows are overwritten, so that the clear secret of an earlier dictionary leaves no trace when it
    // goes into key slots.
    Exec(Session{db, path, "setting it up"}, "PRAGMA secure_delete = ON");
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  return db;
}

void CheckName(std::string_view what, std::string_view name) {
  if (name.empty()) Fail(code::kInvalidArgument, "a " + std::string(what) + " needs a name");
  if (name.size() > kMaxNameLength)
    Fail(code::kInvalidArgument, std::string(what) + " name " + Quote(name.substr(0, 40)) + "... is longer than " +
                                     std::to_string(kMaxNameLength) + " characters");
  if (name.find('\0') != std::string_view::npos)
    Fail(code::kInvalidArgument, std::string(what) + " name " + Quote(name) + " holds a zero character");
}

std::optional<ObjectRow> FindObject(const Session& s, std::string_view name) {
  Statement q(s, "SELECT id, kind, name FROM objects WHERE name = ?1");
  q.Bind(1, name);
  if (!q.Step()) return std::nullopt;
  return ObjectRow{q.Int(0), q.Text(1).empty() ? 'T' : q.Text(1)[0], q.Text(2)};
}

std::optional<AccessorRow> FindAccessor(const Session& s, std::string_view name) {
  Statement q(s, "SELECT id, kind, name, description, password_hash FROM accessors WHERE name = ?1");
  q.Bind(1, name);
  if (!q.Step()) return std::nullopt;
  return AccessorRow{q.Int(0), q.Text(1).empty() ? 'U' : q.Text(1)[0], q.Text(2), q.Text(3), q.Text(4)};
}

namespace {

// The row found, when it is there and of the kind wanted (0: any); kObjectNotFound naming what was looked for.
template <typename Row>
Row Found(const Session& s, std::optional<Row> row, char kind, std::string_view what, std::string_view name) {
  if (!row || (kind != 0 && row->kind != kind))
    Fail(code::kObjectNotFound, "no " + std::string(what) + " " + Quote(name) + " in " + s.Where());
  return *row;
}

}  // namespace

ObjectRow RequireObject(const Session& s, std::string_view name) {
  return Found(s, FindObject(s, name), 0, "table or procedure", name);
}
ObjectRow RequireTable(const Session& s, std::string_view name) {
  return Found(s, FindObject(s, name), 'T', "table", name);
}
ObjectRow RequireProcedure(const Session& s, std::string_view name) {
  return Found(s, FindObject(s, name), 'P', "procedure", name);
}
AccessorRow RequireAccessor(const Session& s, std::string_view name) {
  return Found(s, FindAccessor(s, name), 0, "user or group", name);
}
AccessorRow RequireUser(const Session& s, std::string_view name) {
  return Found(s, FindAccessor(s, name), 'U', "user", name);
}
AccessorRow RequireGroup(const Session& s, std::string_view name) {
  return Found(s, FindAccessor(s, name), 'G', "group", name);
}

void RequireFreeAccessorName(const Session& s, std::string_view name) {
  if (auto row = FindAccessor(s, name))
    Fail(code::kObjectExists, std::string(row->kind == 'U' ? "a user" : "a group") + " named " +
                                  Quote(row->name) + " is already in " + s.Where());
}

std::int64_t InsertObject(const Session& s, char objectKind, std::string_view name) {
  if (auto row = FindObject(s, name))
    Fail(code::kObjectExists, std::string(row->kind == 'T' ? "a table" : "a procedure") + " named " +
                                  Quote(row->name) + " is already in " + s.Where());
  Statement q(s, "INSERT INTO objects(kind, name) VALUES (?1, ?2)");
  q.Bind(1, std::string_view(&objectKind, 1)).Bind(2, name).Run();
  return sqlite3_last_insert_rowid(s.db);
}

std::int64_t InsertAccessor(const Session& s, char accessorKind, std::string_view name, std::string_view description,
                            const std::optional<std::string>& hash) {
  Statement q(s, "INSERT INTO accessors(kind, name, description, password_hash) VALUES (?1, ?2, ?3, ?4)");
  q.Bind(1, std::string_view(&accessorKind, 1)).Bind(2, name).Bind(3, description);
  if (hash) {
    q.Bind(4, *hash);
  } else {
    q.BindNull(4);
  }
  q.Run();
  return sqlite3_last_insert_rowid(s.db);
}


std::string HashPassword(std::string_view password) {
  EnsureSodium();
  // The work of a key derivation: a copy of the file is what an attacker would try passwords against. Logins
  // open the user's key slot (a derivation cached in the process) and need the hash only where there is none.
  std::array<char, crypto_pwhash_STRBYTES> out{};
  if (crypto_pwhash_str(out.data(), password.data(), password.size(), Cipher::kDerivePasses, Cipher::kDeriveMemory) != 0)
    Fail(code::kOutOfMemory, "no memory to hash a dictionary password");
  return std::string(out.data());
}

}  // namespace ace::dict::store
