// The data dictionary calls, over the dictionary store of the connection.

#include <cstring>
#include <filesystem>
#include <map>

#include "ace/ace.h"
#include "ace/calls/handles.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace ace {

using detail::Guard;
using detail::Registry;

namespace {

struct Search {
  std::vector<std::string> names;
  std::size_t next = 0;
};
std::map<AdsHandle, Search> g_searches;
AdsHandle g_nextSearch = 1;

detail::ConnectionObject& DictionaryOf(AdsHandle connection) {
  detail::ConnectionObject& c = Registry::Get().Connection(connection);
  if (!c.dictionary) Fail(code::kNotADictionary, "connection " + c.path + " is not a data dictionary connection");
  return c;
}

dict::TableEntry TableOf(detail::ConnectionObject& c, std::string_view name) {
  auto entry = c.dict->FindTable(name);
  if (!entry) Fail(code::kNotInDictionary, "table " + std::string(name) + " is not in the data dictionary");
  return *entry;
}

stdfs::path FileOf(const detail::ConnectionObject& c, const dict::TableEntry& entry) {
  return kv::fs::Resolve(c.folder.string() + "/" + entry.file);
}

void RequireAdministrator(const detail::ConnectionObject& c) {
  if (!c.administrator) Fail(code::kAccessDenied, "user " + c.user + " may not change the data dictionary");
}

// Encrypts (on) or decrypts the table's files with the dictionary's own secret. The table must not be open.
void SetTableEncryption(detail::ConnectionObject& c, const dict::TableEntry& entry, bool on) {
  auto table = storage::Table::Open(FileOf(c, entry), {.exclusive = true});
  const std::string secret = c.dict->EncryptionSecret();
  const bool encrypted = table->Header().encrypted;
  if (encrypted) {
    try {
      table->GivePassword(secret);
    } catch (const AceError& e) {
      if (e.Code() != code::kWrongPassword) throw;
      Fail(code::kWrongPassword, "table " + entry.name + " is encrypted with a password of its own, not the dictionary's");
    }
    if (!on) table->Decrypt();
  } else if (on) {
    table->GivePassword(secret);
    table->Encrypt();
  }
}

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

ResultCode AdsDDCreate(std::string_view path, std::string_view adminPassword, std::string_view description,
                       AdsHandle* connection) {
  ACE_TRACE("AdsDDCreate", Quote(path));
  return Guard([&] {
    if (connection) *connection = 0;
    (void)description;
    dict::Dictionary::Create(kv::fs::Resolve(path).string(), adminPassword);
    AdsHandle h = 0;
    const ResultCode r = AdsConnect60(path, 3, dict::kAdminUser, adminPassword, 0, &h);
    if (r != 0) {
      ResultCode code = 0;
      std::string text;
      AdsGetLastError(&code, &text);
      Fail(r, text);
    }
    if (connection) *connection = h;
  });
}

ResultCode AdsDDAddTable(AdsHandle connection, std::string_view name, std::string_view file, std::uint16_t tableType,
                         std::uint16_t charType, std::string_view indexFiles, std::string_view comment) {
  ACE_TRACE("AdsDDAddTable", std::to_string(connection) + ", " + Quote(name) + ", " + Quote(file) + ", " +
                             std::to_string(tableType) + ", " + std::to_string(charType) + ", " + Quote(indexFiles) +
                             ", " + Quote(comment));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    RequireAdministrator(c);
    if (tableType != 3) Fail(code::kInvalidArgument, "only ADT tables (type 3) can be added to the dictionary");
    dict::TableEntry entry;
    entry.name = std::string(name);
    entry.file = std::string(file);
    entry.tableType = tableType;
    entry.charType = charType == 2 ? 2 : 1;
    entry.indexFiles = std::string(indexFiles);
    entry.comment = std::string(comment);
    const stdfs::path path = FileOf(c, entry);
    if (!kv::fs::HostFileExists(path))
      Fail(code::kFileNotFound, "table file " + std::string(file) + " is not in the dictionary's folder");
    // The table's tags come along, so the dictionary knows its indexes.
    auto table = storage::Table::Open(path, {.readOnly = true});
    c.dict->AddTable(entry);
    for (const auto& tag : table->Tags()) c.dict->AddIndex(entry.name, {tag.name, tag.expression, tag.options, ""});
  });
}

ResultCode AdsDDRemoveTable(AdsHandle connection, std::string_view name, bool deleteFiles) {
  ACE_TRACE("AdsDDRemoveTable", std::to_string(connection) + ", " + Quote(name) + ", " + (deleteFiles ? "true" : "false"));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    RequireAdministrator(c);
    const dict::TableEntry entry = TableOf(c, name);
    if (c.dict->GetTableProperty(entry.name, dict::kPropertyEncrypted) == 1 && !deleteFiles) {
      // Files that leave the dictionary could not be opened without its secret: they leave in clear.
      SetTableEncryption(c, entry, false);
    }
    c.dict->RemoveTable(entry.name);
    if (deleteFiles) storage::Table::Drop(FileOf(c, entry));
  });
}

ResultCode AdsDDSetTableProperty(AdsHandle connection, std::string_view table, std::uint16_t property,
                                 const void* value, std::uint16_t length, std::uint16_t validation,
                                 std::string_view failTable) {
  std::uint16_t v = 0;
  if (value && length == 2) std::memcpy(&v, value, 2);
  ACE_TRACE("AdsDDSetTableProperty", std::to_string(connection) + ", " + Quote(table) + ", " + std::to_string(property) +
                                     ", " + std::to_string(v) + ", " + std::to_string(length) + ", " +
                                     std::to_string(validation) + ", " + Quote(failTable));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    RequireAdministrator(c);
    const dict::TableEntry entry = TableOf(c, table);
    if (property == dd_property::kDefaultIndex) {
      c.dict->SetDefaultIndex(entry.name, value ? std::string(static_cast<const char*>(value), length) : "");
      return;
    }
    if (value == nullptr || length != 2)
      Fail(code::kBadProperty, "property " + std::to_string(property) + " takes a 16-bit value of length 2");
    if (property == dd_property::kEncryption) {
      if (v > 1) Fail(code::kBadProperty, "property 214 takes 0 or 1");
      if (c.dict->GetTableProperty(entry.name, property) != v) SetTableEncryption(c, entry, v == 1);
    }
    c.dict->SetTableProperty(entry.name, property, v);
  });
}

ResultCode AdsDDGetTableProperty(AdsHandle connection, std::string_view table, std::uint16_t property, void* value,
                                 std::uint16_t* length) {
  ACE_TRACE("AdsDDGetTableProperty", std::to_string(connection) + ", " + Quote(table) + ", " + std::to_string(property));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    const dict::TableEntry entry = TableOf(c, table);
    if (length == nullptr || value == nullptr) Fail(code::kInvalidArgument, "no room given for the property value");
    if (property == dd_property::kDefaultIndex) {
      const std::size_t n = std::min<std::size_t>(entry.defaultIndex.size(), *length);
      std::memcpy(value, entry.defaultIndex.data(), n);
      *length = static_cast<std::uint16_t>(n);
      return;
    }
    if (*length < 2) Fail(code::kInvalidArgument, "property " + std::to_string(property) + " needs 2 bytes");
    const std::uint16_t v = c.dict->GetTableProperty(entry.name, property);
    std::memcpy(value, &v, 2);
    *length = 2;
  });
}

ResultCode AdsDDCreateUser(AdsHandle connection, std::string_view group, std::string_view user,
                           std::string_view password, std::string_view description) {
  ACE_TRACE("AdsDDCreateUser", std::to_string(connection) + ", " + Quote(group) + ", " + Quote(user) + ", *, " + Quote(description));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    RequireAdministrator(c);
    c.dict->CreateUser(group, user, password, description);
  });
}

ResultCode AdsDDSetObjectAccessRights(AdsHandle connection, std::string_view object, std::string_view accessor,
                                      std::string_view rights) {
  ACE_TRACE("AdsDDSetObjectAccessRights", std::to_string(connection) + ", " + Quote(object) + ", " + Quote(accessor) + ", " + Quote(rights));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    RequireAdministrator(c);
    c.dict->SetRights(object, accessor, rights);
  });
}

ResultCode AdsDDGetObjectAccessRights(AdsHandle connection, std::string_view object, std::string_view accessor,
                                      std::string* rights) {
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    const std::string text = c.dict->Rights(object, accessor);
    if (rights) *rights = text;
  });
}

ResultCode AdsDDFindFirstObject(AdsHandle connection, std::uint16_t kind, std::string_view parent, std::string* name,
                                AdsHandle* search) {
  ACE_TRACE("AdsDDFindFirstObject", std::to_string(connection) + ", " + std::to_string(kind) + ", " + Quote(parent));
  return Guard([&] {
    if (search) *search = 0;
    detail::ConnectionObject& c = DictionaryOf(connection);
    Search s{c.dict->FindObjects(kind, parent), 0};
    if (s.names.empty()) Fail(code::kNoMoreObjects, "no objects of kind " + std::to_string(kind));
    std::string first = s.names[s.next++];
    if (first.size() > kMaxObjectName) first.resize(kMaxObjectName);
    if (name) *name = first;
    const AdsHandle h = g_nextSearch++;
    g_searches[h] = std::move(s);
    if (search) *search = h;
  });
}

ResultCode AdsDDFindNextObject(AdsHandle connection, AdsHandle search, std::string* name) {
  ACE_TRACE("AdsDDFindNextObject", std::to_string(connection) + ", " + std::to_string(search));
  return Guard([&] {
    DictionaryOf(connection);
    auto it = g_searches.find(search);
    if (it == g_searches.end()) Fail(code::kInvalidHandle, "search " + std::to_string(search) + " is not open");
    Search& s = it->second;
    if (s.next >= s.names.size()) Fail(code::kNoMoreObjects, "no more objects");
    std::string next = s.names[s.next++];
    if (next.size() > kMaxObjectName) next.resize(kMaxObjectName);
    if (name) *name = next;
  });
}

ResultCode AdsDDFindClose(AdsHandle connection, AdsHandle search) {
  ACE_TRACE("AdsDDFindClose", std::to_string(connection) + ", " + std::to_string(search));
  return Guard([&] {
    DictionaryOf(connection);
    if (g_searches.erase(search) == 0) Fail(code::kInvalidHandle, "search " + std::to_string(search) + " is not open");
  });
}

ResultCode AdsDDDeleteIndex(AdsHandle connection, std::string_view table, std::string_view tag) {
  ACE_TRACE("AdsDDDeleteIndex", std::to_string(connection) + ", " + Quote(table) + ", " + Quote(tag));
  return Guard([&] {
    detail::ConnectionObject& c = DictionaryOf(connection);
    RequireAdministrator(c);
    const dict::TableEntry entry = TableOf(c, table);
    auto open = storage::Table::Open(FileOf(c, entry), {.exclusive = true});
    if (c.dict->GetTableProperty(entry.name, dict::kPropertyEncrypted) == 1) open->GivePassword(c.dict->EncryptionSecret());
    const bool inFile = open->FindTag(tag) >= 0;
    if (inFile) open->DropTag(std::string(tag));
    try {
      c.dict->RemoveIndex(entry.name, tag);
    } catch (const AceError& e) {
      if (e.Code() != code::kIndexNotFound || !inFile) throw;
    }
  });
}

}  // namespace ace
