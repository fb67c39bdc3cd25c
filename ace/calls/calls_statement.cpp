// SQL statements and record filters.

#include "ace/ace.h"
#include "ace/calls/handles.h"
#include "ace/sql/executor.h"
#include "ace/sql/parser.h"
#include "ace/calls/statement.h"
#include "support/strings.h"

namespace ace {

using detail::Guard;
using detail::Registry;

namespace {

std::string H(AdsHandle h) { return std::to_string(h); }
std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

void RequireAdtStatement(const detail::StatementObject& s) {
  if (s.options.tableType != table_type::kAdt && s.options.tableType != table_type::kDefault)
    Fail(code::kInvalidArgument, "table type " + std::to_string(s.options.tableType) +
                                     " is not supported by this engine: statements use ADT tables (type 3)");
}

void Prepare(detail::StatementObject& s, std::string_view text) {
  s.prepared.reset();
  s.text = std::string(text);
  s.prepared = std::make_shared<const sql::Statement>(sql::Parse(text));
}

void Execute(AdsHandle statement, AdsHandle* cursor) {
  if (cursor) *cursor = 0;
  Registry& r = Registry::Get();
  detail::StatementObject& s = r.Statement(statement);
  if (!s.prepared) Fail(code::kInvalidArgument, "statement " + H(statement) + " has no prepared text: AdsPrepareSQL comes first");
  RequireAdtStatement(s);
  detail::ConnectionCatalog catalog(s.connection, s);
  sql::ExecuteOptions options;
  options.live = !s.options.readOnly;
  sql::ExecuteResult result = sql::Execute(s.prepared, s.parameters, catalog, options);
  s.rows = result.rows;
  s.liveCursor = 0;
  if (!result.cursor) return;
  detail::TableObject t;
  t.keepAlive = result.scratch;
  t.connection = s.connection;
  t.statement = statement;
  t.name = result.onTable ? result.cursor->Name() : "";
  if (result.onTable) {
    // Edits through a live cursor need the user's rights on the table, as edits through a table handle do.
    t.dictionaryName = catalog.LastDictionaryName();
    t.checkRights = s.options.rightsCheck != rights_check::kIgnore;
  }
  t.table = std::move(result.cursor);
  t.baseFilter = std::move(result.filter);
  const AdsHandle h = r.Add(std::move(t));
  s.cursors.insert(h);
  if (result.onTable) s.liveCursor = h;
  if (cursor) *cursor = h;
}

}  // namespace

ResultCode AdsSetFilter(AdsHandle table, std::string_view expression) {
  ACE_TRACE("AdsSetFilter", H(table) + ", " + Quote(expression));
  return Guard([&] {
    detail::TableObject& t = Registry::Get().Table(table);
    if (kv::TrimBlanks(expression).empty()) {
      t.table->SetFilter(t.baseFilter);
      return;
    }
    std::function<bool()> filter = sql::MakeRecordFilter(*t.table, expression);
    if (t.baseFilter) filter = [base = t.baseFilter, filter] { return base() && filter(); };
    t.table->SetFilter(std::move(filter));
  });
}

ResultCode AdsClearFilter(AdsHandle table) {
  ACE_TRACE("AdsClearFilter", H(table));
  return Guard([&] {
    detail::TableObject& t = Registry::Get().Table(table);
    t.table->SetFilter(t.baseFilter);
  });
}

ResultCode AdsCreateSQLStatement(AdsHandle connection, AdsHandle* statement) {
  ACE_TRACE("AdsCreateSQLStatement", H(connection));
  return Guard([&] {
    if (statement == nullptr) Fail(code::kInvalidArgument, "AdsCreateSQLStatement needs a place for the handle");
    *statement = 0;
    Registry& r = Registry::Get();
    r.Connection(connection);
    detail::StatementObject s;
    s.connection = connection;
    *statement = r.Add(std::move(s));
  });
}

ResultCode AdsStmtSetOptions(AdsHandle statement, const StatementOptions& options) {
  ACE_TRACE("AdsStmtSetOptions", H(statement) + ", lock " + std::to_string(options.lockType) + ", char " +
                                 std::to_string(options.charType) + ", rights " + std::to_string(options.rightsCheck) +
                                 ", " + (options.readOnly ? "read-only" : "live") + ", type " +
                                 std::to_string(options.tableType) + (options.constrained ? ", constrained" : "") +
                                 (options.readAllColumns ? ", all columns" : ""));
  return Guard([&] { Registry::Get().Statement(statement).options = options; });
}

ResultCode AdsStmtGetOptions(AdsHandle statement, StatementOptions* options) {
  return Guard([&] {
    const auto& s = Registry::Get().Statement(statement);
    if (options) *options = s.options;
  });
}

ResultCode AdsPrepareSQL(AdsHandle statement, std::string_view text) {
  ACE_TRACE("AdsPrepareSQL", H(statement) + ", " + Quote(text));
  return Guard([&] { Prepare(Registry::Get().Statement(statement), text); });
}

ResultCode AdsGetParameterNames(AdsHandle statement, std::vector<std::string>* names) {
  return Guard([&] {
    const auto& s = Registry::Get().Statement(statement);
    if (!s.prepared) Fail(code::kInvalidArgument, "statement " + H(statement) + " has no prepared text");
    if (names) *names = sql::ParameterNames(*s.prepared);
  });
}

ResultCode AdsSetParameter(AdsHandle statement, std::string_view name, const Value& value) {
  ACE_TRACE("AdsSetParameter", H(statement) + ", " + Quote(name));
  return Guard([&] {
    std::string_view bare = kv::TrimBlanks(name);
    if (!bare.empty() && bare.front() == ':') bare.remove_prefix(1);
    if (bare.empty()) Fail(code::kInvalidArgument, "a parameter needs a name");
    Registry::Get().Statement(statement).parameters.Set(bare, value);
  });
}

ResultCode AdsClearParameters(AdsHandle statement) {
  ACE_TRACE("AdsClearParameters", H(statement));
  return Guard([&] { Registry::Get().Statement(statement).parameters = {}; });
}

ResultCode AdsExecuteSQL(AdsHandle statement, AdsHandle* cursor) {
  ACE_TRACE("AdsExecuteSQL", H(statement));
  return Guard([&] { Execute(statement, cursor); });
}

ResultCode AdsExecuteSQLDirect(AdsHandle statement, std::string_view text, AdsHandle* cursor) {
  ACE_TRACE("AdsExecuteSQLDirect", H(statement) + ", " + Quote(text));
  return Guard([&] {
    if (cursor) *cursor = 0;
    Prepare(Registry::Get().Statement(statement), text);
    Execute(statement, cursor);
  });
}

ResultCode AdsCloseSQLStatement(AdsHandle statement) {
  ACE_TRACE("AdsCloseSQLStatement", H(statement));
  return Guard([&] {
    Registry& r = Registry::Get();
    r.Statement(statement);
    r.RemoveStatement(statement);
  });
}

ResultCode AdsStmtSetTablePassword(AdsHandle statement, std::string_view table, std::string_view password) {
  ACE_TRACE("AdsStmtSetTablePassword", H(statement) + ", " + Quote(table) + ", *");
  return Guard([&] {
    if (detail::TableKey(table).empty()) Fail(code::kInvalidArgument, "a table password needs a table name");
    Registry::Get().Statement(statement).tablePasswords[detail::TableKey(table)] = std::string(password);
  });
}

ResultCode AdsStmtEnableEncryption(AdsHandle statement, std::string_view password) {
  ACE_TRACE("AdsStmtEnableEncryption", H(statement) + ", *");
  return Guard([&] { Registry::Get().Statement(statement).generalPassword = std::string(password); });
}

ResultCode AdsStmtClearTablePasswords(AdsHandle statement) {
  ACE_TRACE("AdsStmtClearTablePasswords", H(statement));
  return Guard([&] { Registry::Get().Statement(statement).tablePasswords.clear(); });
}

}  // namespace ace
