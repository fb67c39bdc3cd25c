#include "engine/query.h"

#include <cctype>

#include "engine/connection.h"
#include "engine/cursor.h"
#include "support/strings.h"

namespace kv::engine {

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

void TStringList::SetText(std::string_view text) {
  lines_.clear();
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines_.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines_.push_back(line);
}

std::vector<std::string> ParameterNamesOf(std::string_view text) {
  std::vector<std::string> names;
  auto known = [&](const std::string& n) {
    for (const std::string& k : names)
      if (kv::SameText(k, n)) return true;
    return false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\'' || c == '"' || c == '[') {
      const char close = c == '[' ? ']' : c;
      for (++i; i < text.size(); ++i) {
        if (text[i] != close) continue;
        if (i + 1 < text.size() && text[i + 1] == close) { ++i; continue; }  // doubled: one character
        break;
      }
    } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const auto end = text.find("*/", i + 2);
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else if (c == ':' && i + 1 < text.size() &&
               (std::isalpha(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '_')) {
      std::size_t j = i + 1;
      while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_')) ++j;
      std::string name(text.substr(i + 1, j - i - 1));
      if (!known(name)) names.push_back(std::move(name));
      i = j - 1;
    }
  }
  return names;
}

TAdsQuery::TAdsQuery(std::string name, std::string ownerName) : TAdsDataSet(std::move(name), std::move(ownerName)) {}

TAdsQuery::~TAdsQuery() {
  try {
    Close();
  } catch (...) {
  }
  if (statement_) ace::AdsCloseSQLStatement(statement_);
  statement_ = 0;
}

void TAdsQuery::SyncParams() {
  const std::string text = sql_.Text();
  if (paramsSynced_ && text == paramsText_) return;
  std::vector<TParam> next;
  for (const std::string& name : ParameterNamesOf(text)) {
    TParam p(name);
    for (const TParam& old : params_)
      if (kv::SameText(old.Name(), name) && old.Bound()) p.SetValue(old.Value());
    next.push_back(std::move(p));
  }
  params_ = std::move(next);
  if (text != paramsText_) prepared_ = false;
  paramsText_ = text;
  paramsSynced_ = true;
}

std::vector<std::string> TAdsQuery::ParamNames() {
  SyncParams();
  std::vector<std::string> names;
  for (const TParam& p : params_) names.push_back(p.Name());
  return names;
}

TParam& TAdsQuery::ParamByName(std::string_view name) {
  SyncParams();
  if (!name.empty() && name.front() == ':') name.remove_prefix(1);
  for (TParam& p : params_)
    if (kv::SameText(p.Name(), name)) return p;
  Refuse("Parameter '" + std::string(name) + "' not found");
}

void TAdsQuery::Prepare() {
  RequireInactive();
  SyncParams();
  prepared_ = true;
}

ace::AdsHandle TAdsQuery::EnsureStatement() {
  if (statement_) return statement_;
  TAdsConnection* c = ResolveConnection();
  if (!c) Refuse("The DatabaseName property has not been assigned a value.");
  if (!c->IsConnected()) c->Connect();
  if (c->Handle() == 0) Refuse("Internal Error: invalid connection handle.");
  ace::AdsHandle h = 0;
  if (!Check(ace::AdsCreateSQLStatement(c->Handle(), &h))) return 0;
  statement_ = h;
  return statement_;
}

ace::AdsHandle TAdsQuery::Run(bool& ok) {
  ok = false;
  const ace::AdsHandle st = EnsureStatement();
  if (!st) return 0;
  const auto& o = AdsTableOptions;
  ace::StatementOptions options;
  options.lockType = LockTypeCode(o.AdsLockType);
  options.charType = CharTypeCode(o.AdsCharType);
  options.rightsCheck = o.RightsCode();
  options.readOnly = !RequestLive;
  options.tableType = ace::table_type::kAdt;
  options.constrained = true;
  options.readAllColumns = true;
  if (!Check(ace::AdsStmtSetOptions(st, options))) return 0;
  SyncParams();
  if (!Check(ace::AdsPrepareSQL(st, sql_.Text()))) return 0;
  prepared_ = true;
  for (const TParam& p : params_)
    if (p.Bound() && !Check(ace::AdsSetParameter(st, p.Name(), p.Value()))) return 0;
  ace::AdsHandle cursor = 0;
  if (!Check(ace::AdsExecuteSQL(st, &cursor))) return 0;
  ok = true;
  return cursor;
}

void TAdsQuery::ExecSQL() {
  WaitCursor wait(kv::ui::Cursor::SqlWait);
  bool ok = false;
  const ace::AdsHandle cursor = Run(ok);
  if (cursor) Check(ace::AdsCloseTable(cursor));
}

ace::AdsHandle TAdsQuery::OpenCursor() {
  WaitCursor wait(kv::ui::Cursor::SqlWait);
  bool ok = false;
  const ace::AdsHandle cursor = Run(ok);
  if (ok && cursor == 0) Refuse("The statement did not return a result set");
  return cursor;
}

void TAdsQuery::CloseCursor(ace::AdsHandle cursor) { Check(ace::AdsCloseTable(cursor)); }

void TAdsQuery::CloseStatement() {
  RequireInactive();
  if (!statement_) return;
  const ace::AdsHandle st = statement_;
  statement_ = 0;
  prepared_ = false;
  const ace::ResultCode r = ace::AdsCloseSQLStatement(st);
  if (r != ace::code::kStatementClosed) Check(r);
}

void TAdsQuery::ConnectionClosing() {
  Close();
  if (statement_) ace::AdsCloseSQLStatement(statement_);
  statement_ = 0;
  prepared_ = false;
}

std::uint64_t TAdsQuery::RowsAffected() {
  if (!statement_) return 0;
  std::uint64_t count = 0;
  Check(ace::AdsGetRecordCount(statement_, &count));
  return count;
}

void TAdsQuery::SetTablePassword(std::string_view table, std::string_view password) {
  const ace::AdsHandle st = EnsureStatement();
  if (st) Check(ace::AdsStmtSetTablePassword(st, table, password));
}

void TAdsQuery::EnableStatementEncryption(std::string_view password) {
  const ace::AdsHandle st = EnsureStatement();
  if (st) Check(ace::AdsStmtEnableEncryption(st, password));
}

void TAdsQuery::ClearTablePasswords() {
  const ace::AdsHandle st = EnsureStatement();
  if (st) Check(ace::AdsStmtClearTablePasswords(st));
}

}  // namespace kv::engine
