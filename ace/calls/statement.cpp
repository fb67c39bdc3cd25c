#include "ace/calls/statement.h"

#include "ace/core/table_name.h"
#include "ace/sql/lexer.h"
#include "ace/calls/table_access.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::detail {

namespace {

std::string At(const sql::Position& pos) { return " at " + sql::Where(pos); }

}  // namespace

std::string TableKey(std::string_view name) {
  return kv::UpperCase(TableStem(kv::TrimBlanks(name)));
}

ConnectionCatalog::ConnectionCatalog(AdsHandle connection, const StatementObject& statement)
    : connection_(connection), statement_(statement) {}

ConnectionObject& ConnectionCatalog::Connection() { return Registry::Get().Connection(connection_); }

ConnectionCatalog::Located ConnectionCatalog::Locate(const sql::TableRef& table) {
  ConnectionObject& c = Connection();
  Located where;
  if (c.dictionary) {
    std::optional<dict::TableEntry> entry = c.dict->FindTable(table.name);
    if (!entry) entry = c.dict->FindTable(TableKey(table.name));
    if (entry) {
      where.path = kv::fs::Resolve(c.folder.string() + "/" + entry->file);
      where.dictionaryName = entry->name;
      return where;
    }
  }
  where.path = TablePath(&c, table.name);
  if (!kv::fs::HostFileExists(where.path))
    Fail(code::kSqlUnknownTable, "Table " + table.name + " does not exist" +
                                     (c.dictionary ? " in the data dictionary or in " : " in ") + c.folder.string() +
                                     At(table.pos));
  return where;
}

void ConnectionCatalog::RequireTableRight(const Located& where, char right) {
  TableObject probe;
  probe.connection = connection_;
  probe.dictionaryName = where.dictionaryName;
  probe.checkRights = statement_.options.rightsCheck != rights_check::kIgnore;
  RequireRight(probe, right);
}

std::unique_ptr<storage::Table> ConnectionCatalog::Open(const sql::TableRef& table, char right,
                                                        storage::Table::Options options) {
  const Located where = Locate(table);
  RequireTableRight(where, right);
  std::unique_ptr<storage::Table> t = storage::Table::Open(where.path, options);
  lastDictionaryName_ = where.dictionaryName;
  if (!where.dictionaryName.empty()) ForgetLostIndexes(Connection(), where.dictionaryName, *t);
  if (t->Header().encrypted && (where.dictionaryName.empty() || !GiveDictionaryKey(Connection(), where.dictionaryName, *t))) {
    std::string secret;
    if (auto it = statement_.tablePasswords.find(TableKey(table.name)); it != statement_.tablePasswords.end()) {
      secret = it->second;
    } else if (auto own = statement_.tablePasswords.find(TableKey(t->Name())); own != statement_.tablePasswords.end()) {
      secret = own->second;
    } else {
      secret = statement_.generalPassword;
    }
    if (secret.empty())
      Fail(code::kPasswordRequired, "Table " + t->Name() + " is encrypted: the statement has no password for it" +
                                        At(table.pos));
    t->GivePassword(secret);
  }
  return t;
}

void ConnectionCatalog::DropTable(const sql::TableRef& table) {
  const Located where = Locate(table);
  RequireTableRight(where, 'D');
  if (kv::fs::HostFileExists(where.path)) storage::Table::Drop(where.path);
  if (!where.dictionaryName.empty()) Connection().dict->RemoveTable(where.dictionaryName);
}

void ConnectionCatalog::TagAdded(const sql::TableRef& table, const storage::TagDefinition& tag) {
  const Located where = Locate(table);
  if (where.dictionaryName.empty()) return;
  Connection().dict->AddIndex(where.dictionaryName, dict::IndexEntry{tag.name, tag.expression, tag.options, ""});
}

void ConnectionCatalog::TagRemoved(const sql::TableRef& table, const std::string& tag) {
  const Located where = Locate(table);
  if (where.dictionaryName.empty()) return;
  try {
    Connection().dict->RemoveIndex(where.dictionaryName, tag);
  } catch (const AceError& e) {
    if (e.Code() != code::kIndexNotFound) throw;  // a tag the dictionary never knew
  }
}

void ConnectionCatalog::TagsReplaced(const sql::TableRef& table, const std::vector<storage::TagDefinition>&,
                                     const std::vector<storage::TagDefinition>& after) {
  const Located where = Locate(table);
  if (where.dictionaryName.empty()) return;
  dict::Dictionary& d = *Connection().dict;
  // Only what the dictionary knows is kept in step: a registered tag that went is removed, one whose key
  // changed (a renamed field) is registered anew.
  for (const dict::IndexEntry& registered : d.Indexes(where.dictionaryName)) {
    const storage::TagDefinition* now = nullptr;
    for (const storage::TagDefinition& tag : after)
      if (kv::SameText(tag.name, registered.tag)) now = &tag;
    if (now && now->expression == registered.expression) continue;
    d.RemoveIndex(where.dictionaryName, registered.tag);
    if (now) d.AddIndex(where.dictionaryName, dict::IndexEntry{now->name, now->expression, now->options, registered.file});
  }
}

void ConnectionCatalog::CreateProcedure(const sql::CreateProcedureStatement& procedure) {
  ConnectionObject& c = Connection();
  if (!c.dictionary)
    Fail(code::kSqlUnsupported, "CREATE PROCEDURE needs a connection to a data dictionary; " + c.path +
                                    " is a folder of free tables" + At(procedure.name.pos));
  if (!c.administrator)
    Fail(code::kAccessDenied, "user " + c.user + " may not create procedures" + At(procedure.name.pos));
  dict::ProcedureEntry entry;
  entry.name = procedure.name.text;
  entry.function = procedure.entry.text;
  entry.library = procedure.library.text;
  for (const sql::ProcedureParam& p : procedure.params) {
    std::string text = p.name.text + " " + p.type.word;
    if (p.type.length) text += "(" + std::to_string(p.type.length) + ")";
    std::string& list = p.output ? entry.output : entry.input;
    list += (list.empty() ? "" : ", ") + text;
  }
  c.dict->AddProcedure(entry);
}

}  // namespace ace::detail
