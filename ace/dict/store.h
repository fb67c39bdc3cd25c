#pragma once
// The dictionary's inside, shared by the files of the Dictionary class and not for callers: a session on the
// SQLite file that names the file and the operation in every failure, prepared statements, transactions, and
// the rows of objects (tables, procedures) and accessors (users, groups) found by name.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "ace/core/error.h"
#include "ace/dict/dictionary.h"

namespace ace::dict::store {

std::string Quote(std::string_view name);

// libsodium, made ready once before its first use (password hashes, the secret).
void EnsureSodium();
// The stored hash of a password (Argon2id, the work of Cipher::Derive).
std::string HashPassword(std::string_view password);

// What a failure says about where it happened: the dictionary file and the operation.
struct Session {
  sqlite3* db;
  const std::string& path;
  std::string doing;

  std::string Where() const { return "dictionary " + Quote(path) + " (" + std::string(doing) + ")"; }
  // The AceError for an SQLite result code: damaged, busy, read-only, out of memory or an I/O failure.
  [[noreturn]] void Raise(int rc) const;
};

class Statement {
 public:
  Statement(const Session& session, const char* sql);
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::string_view text);
  Statement& Bind(int index, std::int64_t value);
  Statement& BindNull(int index);
  bool Step();  // true while there is a row to read
  void Run() {
    while (Step()) {
    }
  }
  std::string Text(int column) const;
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  void Check(int rc) const {
    if (rc != SQLITE_OK) session_.Raise(rc);
  }
  const Session& session_;
  sqlite3_stmt* stmt_ = nullptr;
};

inline void Exec(const Session& session, const char* sql) { Statement(session, sql).Run(); }

// Runs body in one transaction: committed when it returns, rolled back when it throws. A writer takes the
// write lock at the start (BEGIN IMMEDIATE), so two writers queue on the busy timeout instead of one of them
// failing when it later tries to upgrade a read lock.
template <typename Body>
auto InTransaction(const Session& session, bool write, Body&& body) {
  Exec(session, write ? "BEGIN IMMEDIATE" : "BEGIN");
  try {
    if constexpr (std::is_void_v<decltype(body())>) {
      body();
      Exec(session, "COMMIT");
    } else {
      auto result = body();
      Exec(session, "COMMIT");
      return result;
    }
  } catch (...) {
    if (sqlite3_get_autocommit(session.db) == 0) sqlite3_exec(session.db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

// A handle on the file with the settings every use needs: extended codes, a busy timeout so that writers
// queue, and foreign keys on (removals cascade to properties, indexes and rights).
sqlite3* OpenHandle(const std::string& path, int flags);

// kInvalidArgument for an empty name, one over kMaxNameLength or one holding a zero character.
void CheckName(std::string_view what, std::string_view name);

struct ObjectRow {
  std::int64_t id = 0;
  char kind = 'T';  // 'T' table, 'P' procedure
  std::string name;
};

struct AccessorRow {
  std::int64_t id = 0;
  char kind = 'U';  // 'U' user, 'G' group
  std::string name;
  std::string description;
  std::string passwordHash;
};

std::optional<ObjectRow> FindObject(const Session& s, std::string_view name);
std::optional<AccessorRow> FindAccessor(const Session& s, std::string_view name);
// kObjectNotFound naming what was looked for when there is no such object or accessor of that kind.
ObjectRow RequireObject(const Session& s, std::string_view name);
ObjectRow RequireTable(const Session& s, std::string_view name);
ObjectRow RequireProcedure(const Session& s, std::string_view name);
AccessorRow RequireAccessor(const Session& s, std::string_view name);
AccessorRow RequireUser(const Session& s, std::string_view name);
AccessorRow RequireGroup(const Session& s, std::string_view name);
void RequireFreeAccessorName(const Session& s, std::string_view name);

// A new object of a kind ('T' or 'P') under a name no table or procedure has (kObjectExists otherwise); its id.
std::int64_t InsertObject(const Session& s, char objectKind, std::string_view name);
// A new user or group; hash is the password hash of a user, nullopt for a group. Its id.
std::int64_t InsertAccessor(const Session& s, char accessorKind, std::string_view name, std::string_view description,
                            const std::optional<std::string>& hash);

}  // namespace ace::dict::store
