#include "ace/dict/dictionary.h"

#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <type_traits>
#include <utility>

#include "ace/core/error.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::dict {

namespace {

constexpr std::string_view kMagic = "KV8 ACE data dictionary";
constexpr int kFormatVersion = 1;
constexpr std::size_t kSecretBytes = 32;
// SQLite's application_id header field, so that tools such as file(1) can tell our files apart: "KVDD".
constexpr int kApplicationId = 0x4B564444;

constexpr std::string_view kTableLetters = "RWIDA";
constexpr std::string_view kProcedureLetters = "X";

// One statement per entry, run in order by Create. Tables and procedures share the objects table so that a
// rights row can name either, and both disappear with their rights and properties by cascade.
constexpr std::array<const char*, 11> kSchema = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE objects(id INTEGER PRIMARY KEY, kind TEXT NOT NULL CHECK(kind IN ('T','P')),"
    " name TEXT NOT NULL UNIQUE COLLATE NOCASE)",
    "CREATE TABLE tables(object_id INTEGER PRIMARY KEY REFERENCES objects(id) ON DELETE CASCADE,"
    " file TEXT NOT NULL, table_type INTEGER NOT NULL, char_type INTEGER NOT NULL,"
    " index_files TEXT NOT NULL, comment TEXT NOT NULL, default_index TEXT NOT NULL)",
    "CREATE TABLE table_properties(object_id INTEGER NOT NULL REFERENCES tables(object_id) ON DELETE CASCADE,"
    " number INTEGER NOT NULL, value INTEGER NOT NULL, PRIMARY KEY(object_id, number)) WITHOUT ROWID",
    "CREATE TABLE indexes(id INTEGER PRIMARY KEY,"
    " object_id INTEGER NOT NULL REFERENCES tables(object_id) ON DELETE CASCADE,"
    " tag TEXT NOT NULL COLLATE NOCASE, expression TEXT NOT NULL, options INTEGER NOT NULL, file TEXT NOT NULL,"
    " UNIQUE(object_id, tag))",
    "CREATE TABLE procedures(object_id INTEGER PRIMARY KEY REFERENCES objects(id) ON DELETE CASCADE,"
    " library TEXT NOT NULL, function TEXT NOT NULL, input TEXT NOT NULL, output TEXT NOT NULL,"
    " comment TEXT NOT NULL)",
    "CREATE TABLE accessors(id INTEGER PRIMARY KEY, kind TEXT NOT NULL CHECK(kind IN ('U','G')),"
    " name TEXT NOT NULL UNIQUE COLLATE NOCASE, description TEXT NOT NULL, password_hash TEXT)",
    "CREATE TABLE memberships(user_id INTEGER NOT NULL REFERENCES accessors(id) ON DELETE CASCADE,"
    " group_id INTEGER NOT NULL REFERENCES accessors(id) ON DELETE CASCADE,"
    " PRIMARY KEY(user_id, group_id)) WITHOUT ROWID",
    "CREATE INDEX memberships_by_group ON memberships(group_id)",
    "CREATE TABLE rights(object_id INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE,"
    " accessor_id INTEGER NOT NULL REFERENCES accessors(id) ON DELETE CASCADE, letters TEXT NOT NULL,"
    " PRIMARY KEY(object_id, accessor_id)) WITHOUT ROWID",
    "CREATE INDEX rights_by_accessor ON rights(accessor_id)",
};

constexpr std::array<std::string_view, 9> kSchemaTables = {
    "meta", "objects", "tables", "table_properties", "indexes", "procedures", "accessors", "memberships",
    "rights"};

void EnsureSodium() {
  static const int ready = sodium_init();
  if (ready < 0) Fail(code::kInternal, "libsodium could not be initialised");
}

std::string Quote(std::string_view name) { return "'" + std::string(name) + "'"; }

// What a failure says about where it happened: the dictionary file and the operation.
struct Session {
  sqlite3* db;
  const std::string& path;
  std::string doing;

  std::string Where() const { return "dictionary " + Quote(path) + " (" + std::string(doing) + ")"; }

  [[noreturn]] void Raise(int rc) const {
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
};

class Statement {
 public:
  Statement(const Session& session, const char* sql) : session_(session) {
    const int rc = sqlite3_prepare_v2(session_.db, sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) session_.Raise(rc);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::string_view text) {
    Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Bind(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Statement& BindNull(int index) {
    Check(sqlite3_bind_null(stmt_, index));
    return *this;
  }
  // True while there is a row to read.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    session_.Raise(rc);
  }
  void Run() {
    while (Step()) {
    }
  }
  std::string Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text == nullptr ? std::string()
                           : std::string(reinterpret_cast<const char*>(text),
                                         static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
  }
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  void Check(int rc) const {
    if (rc != SQLITE_OK) session_.Raise(rc);
  }
  const Session& session_;
  sqlite3_stmt* stmt_ = nullptr;
};

void Exec(const Session& session, const char* sql) { Statement(session, sql).Run(); }

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

void CheckName(std::string_view what, std::string_view name) {
  if (name.empty()) Fail(code::kInvalidArgument, "a " + std::string(what) + " needs a name");
  if (name.size() > kMaxNameLength)
    Fail(code::kInvalidArgument, std::string(what) + " name " + Quote(name.substr(0, 40)) + "... is longer than " +
                                     std::to_string(kMaxNameLength) + " characters");
  if (name.find('\0') != std::string_view::npos)
    Fail(code::kInvalidArgument, std::string(what) + " name " + Quote(name) + " holds a zero character");
}

std::string FileName(const std::string& path) { return kv::fs::FileNamePart(path); }

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

ObjectRow RequireObject(const Session& s, std::string_view name) {
  auto row = FindObject(s, name);
  if (!row) Fail(code::kObjectNotFound, "no table or procedure " + Quote(name) + " in " + s.Where());
  return *row;
}

ObjectRow RequireTable(const Session& s, std::string_view name) {
  auto row = FindObject(s, name);
  if (!row || row->kind != 'T') Fail(code::kObjectNotFound, "no table " + Quote(name) + " in " + s.Where());
  return *row;
}

ObjectRow RequireProcedure(const Session& s, std::string_view name) {
  auto row = FindObject(s, name);
  if (!row || row->kind != 'P') Fail(code::kObjectNotFound, "no procedure " + Quote(name) + " in " + s.Where());
  return *row;
}

AccessorRow RequireAccessor(const Session& s, std::string_view name) {
  auto row = FindAccessor(s, name);
  if (!row) Fail(code::kObjectNotFound, "no user or group " + Quote(name) + " in " + s.Where());
  return *row;
}

AccessorRow RequireUser(const Session& s, std::string_view name) {
  auto row = FindAccessor(s, name);
  if (!row || row->kind != 'U') Fail(code::kObjectNotFound, "no user " + Quote(name) + " in " + s.Where());
  return *row;
}

AccessorRow RequireGroup(const Session& s, std::string_view name) {
  auto row = FindAccessor(s, name);
  if (!row || row->kind != 'G') Fail(code::kObjectNotFound, "no group " + Quote(name) + " in " + s.Where());
  return *row;
}

void RequireFreeObjectName(const Session& s, std::string_view name) {
  if (auto row = FindObject(s, name))
    Fail(code::kObjectExists, std::string(row->kind == 'T' ? "a table" : "a procedure") + " named " +
                                  Quote(row->name) + " is already in " + s.Where());
}

void RequireFreeAccessorName(const Session& s, std::string_view name) {
  if (auto row = FindAccessor(s, name))
    Fail(code::kObjectExists, std::string(row->kind == 'U' ? "a user" : "a group") + " named " +
                                  Quote(row->name) + " is already in " + s.Where());
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
  // The lowest work factors: the suite logs in to a dictionary many times in one run, and the file itself is
  // the thing to protect, not a network login.
  std::array<char, crypto_pwhash_STRBYTES> out{};
  if (crypto_pwhash_str(out.data(), password.data(), password.size(), crypto_pwhash_OPSLIMIT_MIN,
                        crypto_pwhash_MEMLIMIT_MIN) != 0)
    Fail(code::kOutOfMemory, "no memory to hash a dictionary password");
  return std::string(out.data());
}

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

TableEntry ReadTable(const Statement& q, int first) {
  return TableEntry{q.Text(first),
                    q.Text(first + 1),
                    static_cast<int>(q.Int(first + 2)),
                    static_cast<int>(q.Int(first + 3)),
                    q.Text(first + 4),
                    q.Text(first + 5),
                    q.Text(first + 6)};
}

constexpr const char* kTableColumns =
    "SELECT o.name, t.file, t.table_type, t.char_type, t.index_files, t.comment, t.default_index "
    "FROM objects o JOIN tables t ON t.object_id = o.id ";

constexpr const char* kProcedureColumns =
    "SELECT o.name, p.library, p.function, p.input, p.output, p.comment "
    "FROM objects o JOIN procedures p ON p.object_id = o.id ";

ProcedureEntry ReadProcedure(const Statement& q) {
  return ProcedureEntry{q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5)};
}

void CheckProperty(const Session& s, std::string_view table, std::uint16_t property) {
  if (property != kPropertyAutoCreate && property != kPropertyEncrypted)
    Fail(code::kBadProperty, "table property " + std::to_string(property) + " of " + Quote(table) +
                                 " is not one this engine keeps (203 auto-create, 214 encryption) in " + s.Where());
}

bool IsHexSecret(std::string_view text) {
  return text.size() == 2 * kSecretBytes &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::string NewSecret() {
  EnsureSodium();
  std::array<unsigned char, kSecretBytes> bytes{};
  randombytes_buf(bytes.data(), bytes.size());
  std::array<char, 2 * kSecretBytes + 1> hex{};
  sodium_bin2hex(hex.data(), hex.size(), bytes.data(), bytes.size());
  sodium_memzero(bytes.data(), bytes.size());
  return std::string(hex.data(), 2 * kSecretBytes);
}

// A handle on the file with the settings every use needs: extended codes, a busy timeout so that writers
// queue, and foreign keys on (removals cascade to properties, indexes and rights).
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
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  return db;
}

// Checks that the file is one of our dictionaries, readable throughout, and answers its secret.
std::string CheckFile(const Session& s) {
  return InTransaction(s, false, [&] {
    {
      Statement check(s, "PRAGMA quick_check(1)");
      if (check.Step() && check.Text(0) != "ok") {
        std::string finding = check.Text(0);
        std::replace(finding.begin(), finding.end(), '\n', ' ');
        Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": " + finding);
      }
    }
    auto hasTable = [&](std::string_view name) {
      Statement q(s, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
      q.Bind(1, name);
      return q.Step();
    };
    if (!hasTable("meta"))
      Fail(code::kNotADictionary, "file " + Quote(s.path) + " is not a data dictionary (it has no meta table)");
    auto meta = [&](std::string_view key) -> std::optional<std::string> {
      Statement q(s, "SELECT value FROM meta WHERE key = ?1");
      q.Bind(1, key);
      if (!q.Step()) return std::nullopt;
      return q.Text(0);
    };
    if (meta("magic") != std::string(kMagic))
      Fail(code::kNotADictionary, "file " + Quote(s.path) + " is not a data dictionary (its meta table has no " +
                                      Quote(kMagic) + " mark)");
    const auto version = meta("version");
    if (version != std::to_string(kFormatVersion))
      Fail(code::kNotADictionary, "dictionary file " + Quote(s.path) + " has format version " +
                                      Quote(version.value_or("none")) + "; this engine reads version " +
                                      std::to_string(kFormatVersion));
    for (std::string_view table : kSchemaTables)
      if (!hasTable(table))
        Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": its table " + Quote(table) + " is missing");
    const auto secret = meta("secret");
    if (!secret || !IsHexSecret(*secret))
      Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": its encryption secret is missing or malformed");
    if (!FindAccessor(s, kAdminUser))
      Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": the user ADSSYS is missing");
    return *secret;
  });
}

}  // namespace

Dictionary::Dictionary(sqlite3* db, std::string path, std::string secret)
    : db_(db), path_(std::move(path)), secret_(std::move(secret)) {}

Dictionary::Dictionary(Dictionary&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)), secret_(std::move(other.secret_)) {}

Dictionary& Dictionary::operator=(Dictionary&& other) noexcept {
  if (this != &other) {
    sqlite3_close(db_);
    db_ = std::exchange(other.db_, nullptr);
    path_ = std::move(other.path_);
    secret_ = std::move(other.secret_);
  }
  return *this;
}

Dictionary::~Dictionary() { sqlite3_close(db_); }

Dictionary Dictionary::Create(const std::string& hostPath, std::string_view adminPassword) {
  const std::string path = kv::fs::Resolve(hostPath).string();
  if (kv::fs::FileExists(path) || kv::fs::FolderExists(path))
    Fail(code::kFileExists, "cannot create dictionary " + Quote(path) + ": a file of that name exists");
  const std::string folder = kv::fs::FolderPart(path);
  if (!folder.empty() && !kv::fs::FolderExists(folder))
    Fail(code::kFileNotFound, "cannot create dictionary " + Quote(path) + ": its folder does not exist");

  sqlite3* db = OpenHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  bool madeByOther = false;
  try {
    const Session s{db, path, "creating it"};
    // The rollback journal (not WAL) keeps everything in the one .add file after each transaction, which is
    // all a backup of the company folder copies.
    Exec(s, "PRAGMA journal_mode = DELETE");
    std::string secret = NewSecret();
    InTransaction(s, true, [&] {
      Statement existing(s, "SELECT count(*) FROM sqlite_master");
      if (existing.Step() && existing.Int(0) != 0) {
        madeByOther = true;  // another process created it between our check and our open
        Fail(code::kFileExists, "cannot create dictionary " + Quote(path) + ": it was created meanwhile");
      }
      for (const char* sql : kSchema) Exec(s, sql);
      Exec(s, ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
      const std::array<std::pair<std::string_view, std::string>, 3> rows = {
          std::pair<std::string_view, std::string>{"magic", std::string(kMagic)},
          {"version", std::to_string(kFormatVersion)},
          {"secret", secret}};
      for (const auto& [key, value] : rows) {
        Statement insert(s, "INSERT INTO meta(key, value) VALUES (?1, ?2)");
        insert.Bind(1, key).Bind(2, value).Run();
      }
      InsertAccessor(s, 'U', kAdminUser, "administrator", HashPassword(adminPassword));
    });
    return Dictionary(db, path, std::move(secret));
  } catch (...) {
    sqlite3_close(db);
    if (!madeByOther) kv::fs::DeleteFile(path);
    throw;
  }
}

Dictionary Dictionary::Open(const std::string& hostPath) {
  const std::string path = kv::fs::Resolve(hostPath).string();
  if (!kv::fs::FileExists(path)) Fail(code::kNotADictionary, "there is no dictionary file " + Quote(path));
  sqlite3* db = OpenHandle(path, SQLITE_OPEN_READWRITE);
  try {
    std::string secret = CheckFile(Session{db, path, "opening it"});
    return Dictionary(db, path, std::move(secret));
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
}

std::string Dictionary::Folder() const { return kv::fs::FolderPart(path_); }

std::string Dictionary::EncryptionSecret() const { return secret_; }

UserEntry Dictionary::Login(std::string_view user, std::string_view password) const {
  const Session s{db_, path_, "logging in"};
  const auto row = InTransaction(s, false, [&] { return FindAccessor(s, user); });
  // One text for an unknown user and a wrong password, so that a failed login does not tell which users exist.
  if (!row || row->kind != 'U' || !PasswordMatches(row->passwordHash, password))
    Fail(code::kDictionaryLoginFailed,
         "login to dictionary " + Quote(FileName(path_)) + " failed: unknown user " + Quote(user) + " or wrong password");
  return InTransaction(s, false, [&] { return MakeUser(s, *row); });
}

void Dictionary::AddTable(const TableEntry& table) {
  const Session s{db_, path_, "registering table " + Quote(table.name)};
  CheckName("table", table.name);
  if (table.file.empty()) Fail(code::kInvalidArgument, "table " + Quote(table.name) + " needs a file name");
  if (table.tableType < kTableTypeNtx || table.tableType > kTableTypeAdt)
    Fail(code::kInvalidArgument, "table " + Quote(table.name) + ": table type " + std::to_string(table.tableType) +
                                     " is none of 1 (NTX), 2 (CDX), 3 (ADT)");
  if (table.charType != kCharTypeAnsi && table.charType != kCharTypeOem)
    Fail(code::kInvalidArgument, "table " + Quote(table.name) + ": character type " +
                                     std::to_string(table.charType) + " is neither 1 (ANSI) nor 2 (OEM)");
  InTransaction(s, true, [&] {
    RequireFreeObjectName(s, table.name);
    Statement object(s, "INSERT INTO objects(kind, name) VALUES ('T', ?1)");
    object.Bind(1, table.name).Run();
    Statement row(s,
                  "INSERT INTO tables(object_id, file, table_type, char_type, index_files, comment, default_index) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    row.Bind(1, sqlite3_last_insert_rowid(db_))
        .Bind(2, table.file)
        .Bind(3, std::int64_t{table.tableType})
        .Bind(4, std::int64_t{table.charType})
        .Bind(5, table.indexFiles)
        .Bind(6, table.comment)
        .Bind(7, table.defaultIndex)
        .Run();
  });
}

void Dictionary::RemoveTable(std::string_view name) {
  const Session s{db_, path_, "removing table " + Quote(name)};
  InTransaction(s, true, [&] {
    const ObjectRow table = RequireTable(s, name);
    Statement q(s, "DELETE FROM objects WHERE id = ?1");
    q.Bind(1, table.id).Run();
  });
}

std::optional<TableEntry> Dictionary::FindTable(std::string_view name) const {
  const Session s{db_, path_, "finding table " + Quote(name)};
  return InTransaction(s, false, [&]() -> std::optional<TableEntry> {
    Statement q(s, (std::string(kTableColumns) + "WHERE o.name = ?1").c_str());
    q.Bind(1, name);
    if (!q.Step()) return std::nullopt;
    return ReadTable(q, 0);
  });
}

std::vector<TableEntry> Dictionary::Tables() const {
  const Session s{db_, path_, "listing tables"};
  return InTransaction(s, false, [&] {
    Statement q(s, (std::string(kTableColumns) + "ORDER BY o.id").c_str());
    std::vector<TableEntry> tables;
    while (q.Step()) tables.push_back(ReadTable(q, 0));
    return tables;
  });
}

std::uint16_t Dictionary::GetTableProperty(std::string_view table, std::uint16_t property) const {
  const Session s{db_, path_, "reading property " + std::to_string(property) + " of table " + Quote(table)};
  CheckProperty(s, table, property);
  return InTransaction(s, false, [&] {
    const ObjectRow row = RequireTable(s, table);
    Statement q(s, "SELECT value FROM table_properties WHERE object_id = ?1 AND number = ?2");
    q.Bind(1, row.id).Bind(2, std::int64_t{property});
    return static_cast<std::uint16_t>(q.Step() ? q.Int(0) : 0);
  });
}

void Dictionary::SetTableProperty(std::string_view table, std::uint16_t property, std::uint16_t value) {
  const Session s{db_, path_, "setting property " + std::to_string(property) + " of table " + Quote(table)};
  CheckProperty(s, table, property);
  if (value > 1)
    Fail(code::kBadProperty, "table property " + std::to_string(property) + " of " + Quote(table) +
                                 " takes 0 or 1, not " + std::to_string(value));
  InTransaction(s, true, [&] {
    const ObjectRow row = RequireTable(s, table);
    Statement q(s,
                "INSERT INTO table_properties(object_id, number, value) VALUES (?1, ?2, ?3) "
                "ON CONFLICT(object_id, number) DO UPDATE SET value = excluded.value");
    q.Bind(1, row.id).Bind(2, std::int64_t{property}).Bind(3, std::int64_t{value}).Run();
  });
}

void Dictionary::AddIndex(std::string_view table, const IndexEntry& index) {
  const Session s{db_, path_, "registering index " + Quote(index.tag) + " of table " + Quote(table)};
  CheckName("index tag", index.tag);
  InTransaction(s, true, [&] {
    const ObjectRow row = RequireTable(s, table);
    Statement existing(s, "SELECT tag FROM indexes WHERE object_id = ?1 AND tag = ?2");
    existing.Bind(1, row.id).Bind(2, index.tag);
    if (existing.Step())
      Fail(code::kIndexExists, "table " + Quote(row.name) + " already has an index " + Quote(existing.Text(0)) +
                                   " in " + s.Where());
    Statement q(s,
                "INSERT INTO indexes(object_id, tag, expression, options, file) VALUES (?1, ?2, ?3, ?4, ?5)");
    q.Bind(1, row.id)
        .Bind(2, index.tag)
        .Bind(3, index.expression)
        .Bind(4, std::int64_t{index.options})
        .Bind(5, index.file)
        .Run();
  });
}

void Dictionary::RemoveIndex(std::string_view table, std::string_view tag) {
  const Session s{db_, path_, "removing index " + Quote(tag) + " of table " + Quote(table)};
  InTransaction(s, true, [&] {
    const ObjectRow row = RequireTable(s, table);
    Statement q(s, "DELETE FROM indexes WHERE object_id = ?1 AND tag = ?2");
    q.Bind(1, row.id).Bind(2, tag).Run();
    if (sqlite3_changes(db_) == 0)
      Fail(code::kIndexNotFound, "table " + Quote(row.name) + " has no index " + Quote(tag) + " in " + s.Where());
    Statement clear(s, "UPDATE tables SET default_index = '' WHERE object_id = ?1 AND default_index = ?2 COLLATE NOCASE");
    clear.Bind(1, row.id).Bind(2, tag).Run();
  });
}

void Dictionary::SetDefaultIndex(std::string_view table, std::string_view tag) {
  const Session s{db_, path_, "setting the default index of table " + Quote(table)};
  InTransaction(s, true, [&] {
    const ObjectRow row = RequireTable(s, table);
    Statement q(s, "UPDATE tables SET default_index = ?2 WHERE object_id = ?1");
    q.Bind(1, row.id).Bind(2, tag).Run();
  });
}

std::vector<IndexEntry> Dictionary::Indexes(std::string_view table) const {
  const Session s{db_, path_, "listing indexes of table " + Quote(table)};
  return InTransaction(s, false, [&] {
    const ObjectRow row = RequireTable(s, table);
    Statement q(s, "SELECT tag, expression, options, file FROM indexes WHERE object_id = ?1 ORDER BY id");
    q.Bind(1, row.id);
    std::vector<IndexEntry> indexes;
    while (q.Step())
      indexes.push_back(IndexEntry{q.Text(0), q.Text(1), static_cast<std::uint32_t>(q.Int(2)), q.Text(3)});
    return indexes;
  });
}

void Dictionary::CreateUser(std::string_view group, std::string_view user, std::string_view password,
                            std::string_view description) {
  const Session s{db_, path_, "creating user " + Quote(user)};
  CheckName("user", user);
  if (!group.empty()) CheckName("group", group);
  const std::string hash = HashPassword(password);  // outside the transaction: it is the slow part
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

void Dictionary::AddProcedure(const ProcedureEntry& procedure) {
  const Session s{db_, path_, "registering procedure " + Quote(procedure.name)};
  CheckName("procedure", procedure.name);
  if (procedure.library.empty() || procedure.function.empty())
    Fail(code::kInvalidArgument, "procedure " + Quote(procedure.name) + " needs a library and a function name");
  InTransaction(s, true, [&] {
    RequireFreeObjectName(s, procedure.name);
    Statement object(s, "INSERT INTO objects(kind, name) VALUES ('P', ?1)");
    object.Bind(1, procedure.name).Run();
    Statement row(s,
                  "INSERT INTO procedures(object_id, library, function, input, output, comment) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    row.Bind(1, sqlite3_last_insert_rowid(db_))
        .Bind(2, procedure.library)
        .Bind(3, procedure.function)
        .Bind(4, procedure.input)
        .Bind(5, procedure.output)
        .Bind(6, procedure.comment)
        .Run();
  });
}

void Dictionary::DropProcedure(std::string_view name) {
  const Session s{db_, path_, "dropping procedure " + Quote(name)};
  InTransaction(s, true, [&] {
    const ObjectRow row = RequireProcedure(s, name);
    Statement q(s, "DELETE FROM objects WHERE id = ?1");
    q.Bind(1, row.id).Run();
  });
}

std::optional<ProcedureEntry> Dictionary::FindProcedure(std::string_view name) const {
  const Session s{db_, path_, "finding procedure " + Quote(name)};
  return InTransaction(s, false, [&]() -> std::optional<ProcedureEntry> {
    Statement q(s, (std::string(kProcedureColumns) + "WHERE o.name = ?1").c_str());
    q.Bind(1, name);
    if (!q.Step()) return std::nullopt;
    return ReadProcedure(q);
  });
}

std::vector<ProcedureEntry> Dictionary::Procedures() const {
  const Session s{db_, path_, "listing procedures"};
  return InTransaction(s, false, [&] {
    Statement q(s, (std::string(kProcedureColumns) + "ORDER BY o.id").c_str());
    std::vector<ProcedureEntry> procedures;
    while (q.Step()) procedures.push_back(ReadProcedure(q));
    return procedures;
  });
}

std::vector<std::string> Dictionary::FindObjects(std::uint16_t objectKind, std::string_view parent) const {
  const Session s{db_, path_, "searching objects of kind " + std::to_string(objectKind)};
  auto noParent = [&] {
    if (!parent.empty())
      Fail(code::kInvalidArgument, "objects of kind " + std::to_string(objectKind) + " have no parent, but " +
                                       Quote(parent) + " was given, in " + s.Where());
  };
  auto names = [&](Statement& q) {
    std::vector<std::string> result;
    while (q.Step()) result.push_back(q.Text(0));
    return result;
  };
  return InTransaction(s, false, [&] {
    switch (objectKind) {
      case kind::kTable: {
        noParent();
        Statement q(s, "SELECT name FROM objects WHERE kind = 'T' ORDER BY id");
        return names(q);
      }
      case kind::kProcedure: {
        noParent();
        Statement q(s, "SELECT name FROM objects WHERE kind = 'P' ORDER BY id");
        return names(q);
      }
      case kind::kIndex: {
        if (parent.empty())
          Fail(code::kInvalidArgument, "a search for indexes needs the table as its parent, in " + s.Where());
        Statement q(s, "SELECT tag FROM indexes WHERE object_id = ?1 ORDER BY id");
        q.Bind(1, RequireTable(s, parent).id);
        return names(q);
      }
      case kind::kUser: {
        if (parent.empty()) {
          Statement q(s, "SELECT name FROM accessors WHERE kind = 'U' ORDER BY id");
          return names(q);
        }
        Statement q(s,
                    "SELECT a.name FROM memberships m JOIN accessors a ON a.id = m.user_id WHERE m.group_id = ?1 "
                    "ORDER BY a.id");
        q.Bind(1, RequireGroup(s, parent).id);
        return names(q);
      }
      case kind::kGroup: {
        if (parent.empty()) {
          Statement q(s, "SELECT name FROM accessors WHERE kind = 'G' ORDER BY id");
          return names(q);
        }
        Statement q(s,
                    "SELECT a.name FROM memberships m JOIN accessors a ON a.id = m.group_id WHERE m.user_id = ?1 "
                    "ORDER BY a.id");
        q.Bind(1, RequireUser(s, parent).id);
        return names(q);
      }
      default:
        Fail(code::kInvalidArgument, "object kind " + std::to_string(objectKind) +
                                         " is none of 1 (tables), 5 (indexes), 8 (users), 100 (groups), "
                                         "101 (procedures), in " +
                                         s.Where());
    }
  });
}

}  // namespace ace::dict
