// The dictionary file (making, opening, checking it), its tables with their properties and indexes, its
// procedures, and object searches. Users, groups and rights are in dictionary_access.cpp.
#include "ace/dict/dictionary.h"

#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "ace/core/error.h"
#include "ace/dict/key_slots.h"
#include "ace/dict/store.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::dict {

using namespace store;

namespace {

constexpr std::string_view kMagic = "KV8 ACE data dictionary";
// Format 2 keeps the table secret in key slots (key_slots.h); files of format 1 are read and moved over.
constexpr int kFormatVersion = 2;
constexpr int kClearSecretVersion = 1;
constexpr std::size_t kSecretBytes = 32;
// SQLite's application_id header field, so that tools such as file(1) can tell our files apart: "KVDD".
constexpr int kApplicationId = 0x4B564444;

// One statement per entry, run in order by Create. Tables and procedures share the objects table so that a
// rights row can name either, and both disappear with their rights and properties by cascade.
constexpr std::array<const char*, 12> kSchema = {
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
    kKeySlotsSchema,
};

constexpr std::array<std::string_view, 9> kSchemaTables = {
    "meta", "objects", "tables", "table_properties", "indexes", "procedures", "accessors", "memberships",
    "rights"};

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

// Checks that the file is one of our dictionaries and readable throughout.
void CheckFile(const Session& s) {
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
    const bool clearSecret = version == std::to_string(kClearSecretVersion);
    if (version != std::to_string(kFormatVersion) && !clearSecret)
      Fail(code::kNotADictionary, "dictionary file " + Quote(s.path) + " has format version " +
                                      Quote(version.value_or("none")) + "; this engine reads versions " +
                                      std::to_string(kClearSecretVersion) + " and " + std::to_string(kFormatVersion));
    for (std::string_view table : kSchemaTables)
      if (!hasTable(table))
        Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": its table " + Quote(table) + " is missing");
    if (!clearSecret && !hasTable("key_slots"))
      Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": its table 'key_slots' is missing");
    // A file of format 1, and one whose users are not all moved into key slots yet, still hold the clear secret.
    const auto secret = meta("secret");
    if ((clearSecret && !secret) || (secret && !IsHexSecret(*secret)))
      Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": its encryption secret is missing or malformed");
    if (!FindAccessor(s, kAdminUser))
      Fail(code::kDictionaryDamaged, "damaged " + s.Where() + ": the user ADSSYS is missing");
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
    const KeySlot adminSlot = WrapSecret(kAdminUser, adminPassword, secret);
    const std::string adminHash = HashPassword(adminPassword);
    InTransaction(s, true, [&] {
      Statement existing(s, "SELECT count(*) FROM sqlite_master");
      if (existing.Step() && existing.Int(0) != 0) {
        madeByOther = true;  // another process created it between our check and our open
        Fail(code::kFileExists, "cannot create dictionary " + Quote(path) + ": it was created meanwhile");
      }
      for (const char* sql : kSchema) Exec(s, sql);
      Exec(s, ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
      const std::array<std::pair<std::string_view, std::string>, 2> rows = {
          std::pair<std::string_view, std::string>{"magic", std::string(kMagic)},
          {"version", std::to_string(kFormatVersion)}};
      for (const auto& [key, value] : rows) {
        Statement insert(s, "INSERT INTO meta(key, value) VALUES (?1, ?2)");
        insert.Bind(1, key).Bind(2, value).Run();
      }
      PutKeySlot(s, InsertAccessor(s, 'U', kAdminUser, "administrator", adminHash), adminSlot);
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
    CheckFile(Session{db, path, "opening it"});
    return Dictionary(db, path, std::string());
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
}

std::string Dictionary::Folder() const { return kv::fs::FolderPart(path_); }

std::string Dictionary::EncryptionSecret() const {
  if (secret_.empty())
    Fail(code::kAccessDenied, "the encrypted tables of dictionary " + Quote(kv::fs::FileNamePart(path_)) +
                                  " cannot be opened: no user holding its key has logged in");
  return secret_;
}

void Dictionary::AddTable(const TableEntry& table) {
  const Session s{db_, path_, "registering table " + Quote(table.name)};
  CheckName("table", table.name);
  if (table.file.empty()) Fail(code::kInvalidArgument, "table " + Quote(table.name) + " needs a file name");
  if (table.tableType < table_type::kNtx || table.tableType > table_type::kAdt)
    Fail(code::kInvalidArgument, "table " + Quote(table.name) + ": table type " + std::to_string(table.tableType) +
                                     " is none of 1 (NTX), 2 (CDX), 3 (ADT)");
  if (table.charType != char_type::kAnsi && table.charType != char_type::kOem)
    Fail(code::kInvalidArgument, "table " + Quote(table.name) + ": character type " +
                                     std::to_string(table.charType) + " is neither 1 (ANSI) nor 2 (OEM)");
  InTransaction(s, true, [&] {
    const std::int64_t id = InsertObject(s, 'T', table.name);
    Statement row(s,
                  "INSERT INTO tables(object_id, file, table_type, char_type, index_files, comment, default_index) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    row.Bind(1, id)
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

void Dictionary::AddProcedure(const ProcedureEntry& procedure) {
  const Session s{db_, path_, "registering procedure " + Quote(procedure.name)};
  CheckName("procedure", procedure.name);
  if (procedure.library.empty() || procedure.function.empty())
    Fail(code::kInvalidArgument, "procedure " + Quote(procedure.name) + " needs a library and a function name");
  InTransaction(s, true, [&] {
    const std::int64_t id = InsertObject(s, 'P', procedure.name);
    Statement row(s,
                  "INSERT INTO procedures(object_id, library, function, input, output, comment) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    row.Bind(1, id)
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
