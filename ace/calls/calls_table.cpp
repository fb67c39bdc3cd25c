// Tables: open, close, create, delete, pack, zap; encryption; field and index descriptions; index creation.

#include <algorithm>

#include "ace/ace.h"
#include "ace/core/table_name.h"
#include "ace/calls/field_definition.h"
#include "ace/calls/handles.h"
#include "ace/calls/table_access.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace ace {

using detail::Guard;
using detail::Registry;

namespace detail {

stdfs::path TablePath(const ConnectionObject* connection, std::string_view name) {
  std::string suite(name);
  const bool absolute = (suite.size() >= 2 && suite[1] == ':') || (!suite.empty() && (suite[0] == '\\' || suite[0] == '/'));
  if (!absolute) {
    if (connection == nullptr) Fail(code::kInvalidArgument, "table " + suite + " needs a connection or a full path");
    suite = connection->folder.string() + "/" + suite;
  }
  if (kv::fs::FileNamePart(suite).find('.') == std::string::npos) suite += ".ADT";
  return kv::fs::Resolve(suite);
}

void RequireRight(const TableObject& table, char right) {
  if (!table.checkRights || table.dictionaryName.empty()) return;
  const ConnectionObject& c = Registry::Get().Connection(table.connection);
  if (!c.dictionary || c.administrator) return;
  if (!c.dict->HasRight(c.user, table.dictionaryName, right)) {
    static constexpr struct { char letter; const char* what; } kWhat[] = {
        {'R', "read"}, {'W', "change"}, {'I', "add records to"}, {'D', "delete records of"}, {'A', "alter"}};
    std::string what = "use";
    for (const auto& w : kWhat)
      if (w.letter == right) what = w.what;
    Fail(code::kAccessDenied, "user " + c.user + " has no right to " + what + " table " + table.dictionaryName);
  }
}

bool GiveDictionaryKey(ConnectionObject& c, const std::string& name, storage::Table& table) {
  if (!table.Header().encrypted) return false;
  const std::string secret = c.dict->EncryptionSecret();
  if (c.dict->GetTableProperty(name, dict::kPropertyEncrypted) == 1) {
    table.GivePassword(secret);
    return true;
  }
  try {
    table.GivePassword(secret);
  } catch (const AceError& e) {
    if (e.Code() == code::kWrongPassword) return false;  // a password of its own
    throw;
  }
  try {
    c.dict->SetTableProperty(name, dict::kPropertyEncrypted, 1);
  } catch (const AceError& e) {
    if (e.Code() != code::kReadOnly && e.Code() != code::kTableInUse) throw;  // written by a later open
  }
  return true;
}

void ForgetLostIndexes(ConnectionObject& c, const std::string& name, storage::Table& table) {
  for (const dict::IndexEntry& entry : c.dict->Indexes(name)) {
    if (!entry.file.empty()) {
      const std::string file = kv::fs::FileNamePart(entry.file);
      if (!kv::SameText(file.substr(0, file.find('.')), table.Name())) continue;
    }
    if (table.FindTag(entry.tag) >= 0) continue;
    try {
      c.dict->RemoveIndex(name, entry.tag);
    } catch (const AceError& e) {
      if (e.Code() == code::kReadOnly || e.Code() == code::kTableInUse) return;
      if (e.Code() != code::kIndexNotFound) throw;  // another user forgot it first
    }
  }
}

}  // namespace detail

namespace {

void RequireAdt(std::uint16_t type) {
  if (type == table_type::kAdt || type == table_type::kDefault) return;
  Fail(code::kInvalidArgument, std::string("table type ") + std::to_string(type) + (type == table_type::kCdx ? " (CDX)" : " (NTX)") +
                                   " is not supported by this engine: only ADT tables (type 3)");
}

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

ResultCode AdsOpenTable(AdsHandle connection, std::string_view name, std::string_view alias, std::uint16_t tableType,
                        std::uint16_t charType, std::uint16_t lockType, std::uint16_t rightsCheck,
                        std::uint32_t openMode, AdsHandle* table) {
  ACE_TRACE("AdsOpenTable", std::to_string(connection) + ", " + Quote(name) + ", " + Quote(alias) + ", " +
                            std::to_string(tableType) + ", " + std::to_string(charType) + ", " + std::to_string(lockType) +
                            ", " + std::to_string(rightsCheck) + ", " + std::to_string(openMode));
  return Guard([&] {
    if (table == nullptr) Fail(code::kInvalidArgument, "AdsOpenTable needs a place for the handle");
    *table = 0;
    Registry& r = Registry::Get();
    detail::ConnectionObject* c = connection ? &r.Connection(connection) : nullptr;
    detail::TableObject t;
    t.connection = connection;
    t.name = std::string(name);
    storage::Table::Options options{.exclusive = (openMode & open_mode::kExclusive) != 0,
                                     .readOnly = (openMode & open_mode::kReadOnly) != 0};
    options.batchAppends = options.exclusive;  // AdsCloseTable closes with Table::Close, which reports the last batch
    stdfs::path path;
    if (c && c->dictionary && tableType == table_type::kDefault) {
      // "EMPLOYEE.ADT" and "EMPLOYEE" name one table, whichever of the two the dictionary registered.
      auto entry = c->dict->FindTable(name);
      const std::string text(name);
      if (!entry && HasAdtExtension(text)) entry = c->dict->FindTable(WithoutAdtExtension(text));
      if (!entry && kv::fs::FileNamePart(text).find('.') == std::string::npos) entry = c->dict->FindTable(text + ".ADT");
      if (!entry) Fail(code::kNotInDictionary, "table " + text + " is not in the data dictionary");
      t.dictionaryName = entry->name;
      t.checkRights = rightsCheck != rights_check::kIgnore;
      path = kv::fs::Resolve(c->folder.string() + "/" + entry->file);
      detail::RequireRight(t, 'R');
    } else {
      RequireAdt(tableType);
      path = detail::TablePath(c, name);
    }
    t.table = storage::Table::Open(path, options);
    if (!t.dictionaryName.empty()) {
      t.dictionaryKey = detail::GiveDictionaryKey(*c, t.dictionaryName, *t.table);
      detail::ForgetLostIndexes(*c, t.dictionaryName, *t.table);
    }
    *table = r.Add(std::move(t));
  });
}

ResultCode AdsCloseTable(AdsHandle table) {
  ACE_TRACE("AdsCloseTable", std::to_string(table));
  return Guard([&] {
    Registry& r = Registry::Get();
    detail::TableObject& t = r.Table(table);
    std::unique_ptr<storage::Table> open = std::move(t.table);
    r.RemoveTable(table);
    // The handle is gone either way; a close that could not write everything says what is missing.
    if (open) open->Close();
  });
}

ResultCode AdsGetTableType(AdsHandle table, std::uint16_t* type) {
  ACE_TRACE("AdsGetTableType", std::to_string(table));
  return Guard([&] {
    const auto& t = Registry::Get().Table(table);
    if (type) *type = t.table->Header().tableType;
  });
}

ResultCode AdsGetTableFileName(AdsHandle table, std::string* path) {
  return Guard([&] {
    const auto& t = Registry::Get().Table(table);
    if (path) *path = t.table->Path().string();
  });
}

ResultCode AdsCreateTable(AdsHandle connection, std::string_view name, std::string_view alias,
                          std::uint16_t tableType, std::uint16_t charType, std::uint16_t lockType,
                          std::uint16_t rightsCheck, std::uint16_t memoBlockSize, std::string_view fields,
                          AdsHandle* table) {
  ACE_TRACE("AdsCreateTable", std::to_string(connection) + ", " + Quote(name) + ", " + Quote(alias) + ", " +
                              std::to_string(tableType) + ", " + std::to_string(charType) + ", " +
                              std::to_string(lockType) + ", " + std::to_string(rightsCheck) + ", " +
                              std::to_string(memoBlockSize) + ", " + Quote(fields));
  return Guard([&] {
    if (table == nullptr) Fail(code::kInvalidArgument, "AdsCreateTable needs a place for the handle");
    *table = 0;
    RequireAdt(tableType);
    Registry& r = Registry::Get();
    detail::ConnectionObject* c = connection ? &r.Connection(connection) : nullptr;
    const std::vector<FieldSpec> specs = ParseFieldDefinitions(fields);
    const stdfs::path path = detail::TablePath(c, name);
    detail::TableObject t;
    t.connection = connection;
    t.name = std::string(name);
    // Batched appends: the table is closed by AdsCloseTable, which reports the last batch.
    const storage::Table::Options options{.exclusive = true, .batchAppends = true};
    t.table = storage::Table::Create(path, specs, static_cast<std::uint8_t>(charType == 2 ? 2 : 1), options);
    if (c && c->dictionary) {
      // A table made through a dictionary connection belongs to the dictionary from the start.
      dict::TableEntry entry;
      entry.name = kv::fs::FileNamePart(name);
      const auto dot = entry.name.find('.');
      if (dot != std::string::npos && kv::SameText(entry.name.substr(dot), ".ADT")) entry.name.resize(dot);
      std::error_code ec;
      entry.file = stdfs::relative(path, c->folder, ec).string();
      if (ec || entry.file.empty()) entry.file = path.string();
      entry.charType = charType == 2 ? 2 : 1;
      try {
        c->dict->AddTable(entry);
      } catch (...) {
        t.table.reset();
        storage::Table::Drop(path);
        throw;
      }
      t.dictionaryName = entry.name;
      t.checkRights = rightsCheck != rights_check::kIgnore;
    }
    *table = r.Add(std::move(t));
  });
}

ResultCode AdsDeleteTable(AdsHandle table) {
  ACE_TRACE("AdsDeleteTable", std::to_string(table));
  return Guard([&] {
    Registry& r = Registry::Get();
    detail::TableObject& t = r.Table(table);
    detail::RequireRight(t, 'D');
    const stdfs::path path = t.table->Path();
    t.table.reset();
    r.RemoveTable(table);
    storage::Table::Drop(path);
  });
}

ResultCode AdsPackTable(AdsHandle table) {
  ACE_TRACE("AdsPackTable", std::to_string(table));
  return Guard([&] { Registry::Get().Table(table).table->Pack(); });
}

ResultCode AdsZapTable(AdsHandle table) {
  ACE_TRACE("AdsZapTable", std::to_string(table));
  return Guard([&] {
    auto& t = Registry::Get().Table(table);
    detail::RequireRight(t, 'D');
    t.table->Zap();
  });
}

namespace {

// The dictionary connection of a table opened or made through a dictionary; null for a free table. Such a table
// is encrypted with the dictionary's key, never with a password of the caller's: the dictionary gives the key
// to every later open, by name, and to statements.
detail::ConnectionObject* DictionaryOfTable(const detail::TableObject& t) {
  if (t.dictionaryName.empty() || t.connection == 0) return nullptr;
  detail::ConnectionObject& c = Registry::Get().Connection(t.connection);
  return c.dictionary ? &c : nullptr;
}

}  // namespace

ResultCode AdsEnableEncryption(AdsHandle table, std::string_view password) {
  ACE_TRACE("AdsEnableEncryption", std::to_string(table) + ", *");
  return Guard([&] {
    detail::TableObject& t = Registry::Get().Table(table);
    if (t.dictionaryKey)
      Fail(code::kEncryptionUnchanged, "table " + t.dictionaryName + " has the data dictionary's key already");
    // A clear dictionary table needs no password: EncryptTable uses the dictionary's key. One encrypted with a
    // password of its own still takes that password.
    if (DictionaryOfTable(t) && !t.table->Header().encrypted)
      Fail(code::kEncryptionUnchanged, "table " + t.dictionaryName + " is encrypted with the data dictionary's key, not a password");
    if (!t.table->GivePassword(password)) Fail(code::kEncryptionUnchanged, "the password was given already");
  });
}

ResultCode AdsEncryptTable(AdsHandle table) {
  ACE_TRACE("AdsEncryptTable", std::to_string(table));
  return Guard([&] {
    detail::TableObject& t = Registry::Get().Table(table);
    detail::ConnectionObject* c = DictionaryOfTable(t);
    if (c == nullptr || t.table->Header().encrypted) {
      t.table->Encrypt();
      return;
    }
    detail::RequireRight(t, 'A');
    if (!c->dict->FindTable(t.dictionaryName))
      Fail(code::kNotInDictionary, "table " + t.dictionaryName + " is not in the data dictionary any more");
    // The files first, then the property, as property 214 itself does: a crash in between leaves a table that
    // the dictionary's key opens, and the next open through the dictionary writes the property.
    t.table->GivePassword(c->dict->EncryptionSecret());
    t.table->Encrypt();
    t.dictionaryKey = true;
    c->dict->SetTableProperty(t.dictionaryName, dict::kPropertyEncrypted, 1);
  });
}

ResultCode AdsDecryptTable(AdsHandle table) {
  ACE_TRACE("AdsDecryptTable", std::to_string(table));
  return Guard([&] {
    detail::TableObject& t = Registry::Get().Table(table);
    detail::ConnectionObject* c = DictionaryOfTable(t);
    if (c == nullptr || !t.dictionaryKey) {
      t.table->Decrypt();
      return;
    }
    detail::RequireRight(t, 'A');
    t.table->Decrypt();
    t.dictionaryKey = false;
    c->dict->SetTableProperty(t.dictionaryName, dict::kPropertyEncrypted, 0);
  });
}

ResultCode AdsIsTableEncrypted(AdsHandle table, bool* encrypted) {
  ACE_TRACE("AdsIsTableEncrypted", std::to_string(table));
  return Guard([&] {
    const bool is = Registry::Get().Table(table).table->IsEncrypted();
    if (encrypted) *encrypted = is;
  });
}

// --- field descriptions ---

namespace {

const storage::FieldDescriptor& FieldOf(storage::Table& table, std::string_view name) {
  const int i = table.Header().FindField(name);
  if (i < 0) Fail(code::kFieldNotFound, "table " + table.Name() + " has no field '" + std::string(name) + "'");
  return table.Header().fields[i];
}

}  // namespace

ResultCode AdsGetNumFields(AdsHandle table, std::uint16_t* count) {
  return Guard([&] {
    const auto n = Registry::Get().Table(table).table->Header().fields.size();
    if (count) *count = static_cast<std::uint16_t>(n);
  });
}

ResultCode AdsGetFieldName(AdsHandle table, std::uint16_t number, std::string* name) {
  return Guard([&] {
    const auto& fields = Registry::Get().Table(table).table->Header().fields;
    if (number == 0 || number > fields.size()) Fail(code::kFieldNotFound, "there is no field number " + std::to_string(number));
    if (name) *name = fields[number - 1].name;
  });
}

ResultCode AdsGetFieldType(AdsHandle table, std::string_view field, std::uint16_t* type) {
  ACE_TRACE("AdsGetFieldType", std::to_string(table) + ", " + Quote(field));
  return Guard([&] {
    const auto& f = FieldOf(*Registry::Get().Table(table).table, field);
    if (type) *type = static_cast<std::uint16_t>(f.type);
  });
}

ResultCode AdsGetFieldLength(AdsHandle table, std::string_view field, std::uint32_t* length) {
  return Guard([&] {
    const auto& f = FieldOf(*Registry::Get().Table(table).table, field);
    if (length) *length = FieldDataSize(f);
  });
}

ResultCode AdsGetFieldDecimals(AdsHandle table, std::string_view field, std::uint16_t* decimals) {
  return Guard([&] {
    const auto& f = FieldOf(*Registry::Get().Table(table).table, field);
    if (decimals) *decimals = f.decimals;
  });
}

// --- indexes ---

ResultCode AdsCreateIndex61(AdsHandle table, std::string_view file, std::string_view tag, std::string_view expression,
                            std::string_view condition, std::string_view whileCondition, std::uint32_t options,
                            std::uint32_t pageSize, AdsHandle* index) {
  ACE_TRACE("AdsCreateIndex61", std::to_string(table) + ", " + Quote(file) + ", " + Quote(tag) + ", " + Quote(expression) +
                                ", " + Quote(condition) + ", " + Quote(whileCondition) + ", " + std::to_string(options) +
                                ", " + std::to_string(pageSize));
  return Guard([&] {
    if (index) *index = 0;
    Registry& r = Registry::Get();
    detail::TableObject& t = r.Table(table);
    if (!file.empty() && !kv::SameText(stdfs::path(std::string(file)).stem().string(), t.table->Path().stem().string()))
      Fail(code::kInvalidArgument, "separate index files are not supported: tags live in the table's own index file");
    if (!kv::TrimBlanks(condition).empty() || !kv::TrimBlanks(whileCondition).empty())
      Fail(code::kInvalidArgument, "conditional indexes are not supported by this engine");
    if (tag.empty()) Fail(code::kInvalidArgument, "an index tag needs a name");
    if (pageSize != 0 && (pageSize < 512 || pageSize > 8192))
      Fail(code::kInvalidArgument, "index page size " + std::to_string(pageSize) + " is outside 512 to 8192");
    detail::RequireRight(t, 'A');
    t.table->CreateTag(std::string(tag), std::string(expression), options, static_cast<std::uint16_t>(pageSize ? pageSize : 512));
    if (t.connection && r.Connection(t.connection).dictionary && !t.dictionaryName.empty()) {
      dict::IndexEntry entry{std::string(tag), std::string(expression), options, ""};
      r.Connection(t.connection).dict->AddIndex(t.dictionaryName, entry);
    }
    const AdsHandle h = r.Add(detail::IndexObject{table, std::string(tag)});
    if (index) *index = h;
  });
}

ResultCode AdsGetNumIndexes(AdsHandle table, std::uint16_t* count) {
  return Guard([&] {
    const auto n = Registry::Get().Table(table).table->Tags().size();
    if (count) *count = static_cast<std::uint16_t>(n);
  });
}

ResultCode AdsGetIndexHandleByOrder(AdsHandle table, std::uint16_t number, AdsHandle* index) {
  return Guard([&] {
    Registry& r = Registry::Get();
    const auto tags = r.Table(table).table->Tags();
    if (number == 0 || number > tags.size()) Fail(code::kIndexNotFound, "there is no index number " + std::to_string(number));
    const AdsHandle h = r.Add(detail::IndexObject{table, tags[number - 1].name});
    if (index) *index = h;
  });
}

ResultCode AdsGetIndexHandle(AdsHandle table, std::string_view tag, AdsHandle* index) {
  return Guard([&] {
    Registry& r = Registry::Get();
    auto& t = r.Table(table);
    const int i = t.table->FindTag(tag);
    if (i < 0) Fail(code::kIndexNotFound, "table " + t.table->Name() + " has no index tag " + std::string(tag));
    const AdsHandle h = r.Add(detail::IndexObject{table, t.table->Tags()[i].name});
    if (index) *index = h;
  });
}

namespace {

storage::TagDefinition TagOf(AdsHandle index) {
  Registry& r = Registry::Get();
  const auto& i = r.Index(index);
  auto& t = r.Table(i.table);
  const int n = t.table->FindTag(i.tag);
  if (n < 0) Fail(code::kIndexNotFound, "table " + t.table->Name() + " has no index tag " + i.tag);
  return t.table->Tags()[n];
}

}  // namespace

ResultCode AdsGetIndexName(AdsHandle index, std::string* name) {
  return Guard([&] { if (name) *name = TagOf(index).name; });
}

ResultCode AdsGetIndexExpr(AdsHandle index, std::string* expression) {
  return Guard([&] { if (expression) *expression = TagOf(index).expression; });
}

ResultCode AdsGetIndexOptions(AdsHandle index, std::uint32_t* options) {
  return Guard([&] { if (options) *options = TagOf(index).options; });
}

ResultCode AdsGetIndexPageSize(AdsHandle index, std::uint32_t* pageSize) {
  return Guard([&] { if (pageSize) *pageSize = TagOf(index).pageSize; });
}

ResultCode AdsDeleteIndex(AdsHandle index) {
  ACE_TRACE("AdsDeleteIndex", std::to_string(index));
  return Guard([&] {
    Registry& r = Registry::Get();
    const auto i = r.Index(index);
    auto& t = r.Table(i.table);
    detail::RequireRight(t, 'A');
    t.table->DropTag(i.tag);
    if (t.connection && r.Connection(t.connection).dictionary && !t.dictionaryName.empty()) {
      try {
        r.Connection(t.connection).dict->RemoveIndex(t.dictionaryName, i.tag);
      } catch (const AceError& e) {
        if (e.Code() != code::kIndexNotFound) throw;
      }
    }
  });
}

}  // namespace ace
