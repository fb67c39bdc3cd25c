#pragma once
// The data dictionary store: one company's CODE.add file, an SQLite database (schema in docs/formats/add.md).
//
// It keeps the registered tables with their properties and index tags, the users and groups with their
// password hashes, the rights of each accessor on each table or procedure, the registered procedures, and the
// dictionary's own encryption secret. The engine calls (AdsDDAddTable, AdsDDFindFirstObject, AdsConnect60 on
// a .add path, ...) are a thin layer over this class.
//
// Every method reads or writes the file itself: nothing is cached, so two Dictionary objects on one file, in
// one process or in two, see each other's changes at once. Every change is one SQLite transaction: a failure
// changes nothing. A writer that finds the file busy waits (up to kBusyTimeoutMs) instead of failing.
//
// Names of tables, procedures, users, groups and index tags are kept as given and found without regard to
// (ASCII) letter case. Tables and procedures share one name space (an object of a rights text is named
// without its kind), and so do users and groups (an accessor is named without its kind).
//
// Failures are AceError: kObjectNotFound / kObjectExists / kIndexNotFound / kIndexExists for names,
// kBadRights, kBadProperty, kInvalidArgument for arguments, kDictionaryLoginFailed, kNotADictionary and
// kDictionaryDamaged for the file, kTableInUse when the file stays locked by another user, kReadOnly when it
// cannot be written, kIoError otherwise.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ace/core/kinds.h"

struct sqlite3;

namespace ace::dict {

// The administrative user every dictionary holds; it has every right on every object, whatever is granted.
inline constexpr std::string_view kAdminUser = "ADSSYS";

// Longest name of any object (the object search hands names out through a buffer of this many characters).
inline constexpr std::size_t kMaxNameLength = 200;

// How long a change waits for another user's transaction before it gives up with kTableInUse.
inline constexpr int kBusyTimeoutMs = 10000;

// Table properties by engine number; each is a 16-bit value, 0 when never set.
inline constexpr std::uint16_t kPropertyAutoCreate = 203;  // 1 on, 0 off
inline constexpr std::uint16_t kPropertyEncrypted = 214;   // 1: the table is encrypted with EncryptionSecret()

// Object kinds of FindObjects. 1, 5 and 8 are the numbers the tool passes; the others are ours.
namespace kind {
inline constexpr std::uint16_t kTable = 1;       // every registered table; no parent
inline constexpr std::uint16_t kIndex = 5;       // the index tags of the parent table
inline constexpr std::uint16_t kUser = 8;        // every user; with a parent group, that group's members
inline constexpr std::uint16_t kGroup = 100;     // every group; with a parent user, the groups it belongs to
inline constexpr std::uint16_t kProcedure = 101; // every registered procedure; no parent
}  // namespace kind

struct TableEntry {
  std::string name;          // as registered, for instance "EMPLOYEE" or "EMPLOYEE.ADT"
  std::string file;          // relative to the dictionary's folder, as given ("EMPLOYEE.ADT")
  int tableType = table_type::kAdt;  // ace/core/kinds.h
  int charType = char_type::kAnsi;
  std::string indexFiles;    // as given, "" for none
  std::string comment;
  std::string defaultIndex;  // tag name, "" for none
  bool operator==(const TableEntry&) const = default;
};

struct IndexEntry {
  std::string tag;         // as given (leading blanks included)
  std::string expression;  // key expression, for instance "EMPCODE;PAYCODE" or "UPPER(NAME)"
  std::uint32_t options = 0;  // the engine's option bits, kept as given
  std::string file;        // index file relative to the dictionary's folder, "" for the table's own
  bool operator==(const IndexEntry&) const = default;
};

struct UserEntry {
  std::string name;
  std::string description;
  std::vector<std::string> groups;  // names of the groups it belongs to, by name
  bool administrator = false;       // the user ADSSYS
};

struct GroupEntry {
  std::string name;
  std::string description;
  bool operator==(const GroupEntry&) const = default;
};

struct ProcedureEntry {
  std::string name;      // "eQuillon"
  std::string library;   // the library file as written, "...\eQuillon.aep"
  std::string function;  // entry point in the library, "ProcessTiming"
  std::string input;     // input parameters as the statement lists them, "company CHAR(255), dd CHAR(2)"
  std::string output;    // output parameters likewise, "err_no CHAR(12)"
  std::string comment;
  bool operator==(const ProcedureEntry&) const = default;
};

class Dictionary {
 public:
  // Makes a new dictionary file at hostPath holding the user ADSSYS (with adminPassword) and a fresh random
  // encryption secret. kFileExists when a file is there already; kFileNotFound when its folder is missing.
  static Dictionary Create(const std::string& hostPath, std::string_view adminPassword);
  // Opens an existing dictionary file. kNotADictionary when there is no file or it is not one of ours;
  // kDictionaryDamaged when it is damaged.
  static Dictionary Open(const std::string& hostPath);

  Dictionary(Dictionary&& other) noexcept;
  Dictionary& operator=(Dictionary&& other) noexcept;
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  ~Dictionary();

  const std::string& Path() const { return path_; }  // the host path of the .add file
  std::string Folder() const;  // its folder, ending with "/": registered files are relative to it

  // The secret with which registered tables are encrypted (property 214): 64 hexadecimal characters, made
  // at random by Create, never derived from a password, and kept in the file only wrapped for each user
  // (key_slots.h). Known after Create or a Login; kAccessDenied before.
  std::string EncryptionSecret() const;

  // The user record when name and password match; otherwise kDictionaryLoginFailed with one text for an
  // unknown user and a wrong password alike. Opens the user's key slot, so the secret is known afterwards.
  UserEntry Login(std::string_view user, std::string_view password);

  // Tables. AddTable: kObjectExists when a table or procedure has that name; table type 1 to 3 and character
  // type 1 or 2, else kInvalidArgument. RemoveTable forgets the table with its properties, indexes and rights
  // (files on disk are the caller's business).
  void AddTable(const TableEntry& table);
  void RemoveTable(std::string_view name);
  std::optional<TableEntry> FindTable(std::string_view name) const;
  std::vector<TableEntry> Tables() const;  // in order of registration

  // Table properties 203 and 214 (each 0 or 1); any other number is kBadProperty.
  std::uint16_t GetTableProperty(std::string_view table, std::uint16_t property) const;
  void SetTableProperty(std::string_view table, std::uint16_t property, std::uint16_t value);

  // Index tags registered under a table. kIndexExists / kIndexNotFound for the tag; removing the table's
  // default tag clears its default index.
  void AddIndex(std::string_view table, const IndexEntry& index);
  void RemoveIndex(std::string_view table, std::string_view tag);
  std::vector<IndexEntry> Indexes(std::string_view table) const;
  // The tag a table is ordered by when its user names no other ("" for none).
  void SetDefaultIndex(std::string_view table, std::string_view tag);  // in order of registration

  // Users and groups. CreateUser makes the group first when it is named and missing ("" for none);
  // kObjectExists when a user or group already has the name.
  // Each needs the secret (after Create or a Login) for the user's key slot.
  void CreateUser(std::string_view group, std::string_view user, std::string_view password,
                  std::string_view description);
  // A new password: its hash and the user's key slot are written again. kObjectNotFound for no such user.
  void SetPassword(std::string_view user, std::string_view password);
  // Drops the user with its memberships, rights and key slot; ADSSYS cannot be dropped (kInvalidArgument).
  void DropUser(std::string_view user);
  void CreateGroup(std::string_view group, std::string_view description);
  void AddToGroup(std::string_view user, std::string_view group);       // no change when already a member
  void RemoveFromGroup(std::string_view user, std::string_view group);  // kObjectNotFound when not a member
  std::vector<UserEntry> Users() const;    // ADSSYS first, then in order of creation
  std::vector<GroupEntry> Groups() const;  // in order of creation

  // Rights. A rights text is a set of letters (either case, any order, repeats allowed; "" takes every right
  // away): on a table R read, W write, I insert, D delete, A alter; on a procedure X execute. Any other letter
  // is kBadRights. SetRights replaces what the accessor (user or group) had on the object.
  void SetRights(std::string_view object, std::string_view accessor, std::string_view rights);
  std::string Rights(std::string_view object, std::string_view accessor) const;  // the accessor's own, "RWIDA" order
  std::string EffectiveRights(std::string_view user, std::string_view object) const;  // own and groups'
  bool HasRight(std::string_view user, std::string_view object, char letter) const;  // ADSSYS always

  // Procedures. kObjectExists when a table or procedure has the name; DropProcedure also drops its rights.
  void AddProcedure(const ProcedureEntry& procedure);
  void DropProcedure(std::string_view name);
  std::optional<ProcedureEntry> FindProcedure(std::string_view name) const;
  std::vector<ProcedureEntry> Procedures() const;  // in order of registration

  // Names of the objects of a kind (see ace::dict::kind) as one snapshot; an empty list when there are none.
  // kInvalidArgument for an unknown kind or a parent the kind does not take; kObjectNotFound for a missing
  // parent.
  std::vector<std::string> FindObjects(std::uint16_t objectKind, std::string_view parent = {}) const;

 private:
  Dictionary(sqlite3* db, std::string path, std::string secret);

  sqlite3* db_ = nullptr;
  std::string path_;
  std::string secret_;
};

}  // namespace ace::dict
