#include "ace/calls/handles.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/fs.h"
#include "support/strings.h"

namespace ace::detail {

namespace {

struct LastError {
  ResultCode code = 0;
  std::string text;
};
thread_local LastError g_lastError;

std::mutex g_traceMutex;
std::atomic<bool> g_tracing = false;
std::vector<std::string> g_trace;

}  // namespace

Registry& Registry::Get() {
  static Registry registry;
  return registry;
}

AdsHandle Registry::Add(ConnectionObject c) {
  const AdsHandle h = ++next_;
  connections_.emplace(h, std::move(c));
  return h;
}

AdsHandle Registry::Add(TableObject t) {
  const AdsHandle h = ++next_;
  if (auto it = connections_.find(t.connection); it != connections_.end()) it->second.tables.insert(h);
  tables_.emplace(h, std::move(t));
  return h;
}

AdsHandle Registry::Add(IndexObject i) {
  const AdsHandle h = ++next_;
  Table(i.table).indexes.insert(h);
  indexes_.emplace(h, std::move(i));
  return h;
}

AdsHandle Registry::Add(StatementObject s) {
  const AdsHandle h = ++next_;
  Connection(s.connection).statements.insert(h);
  statements_.emplace(h, std::move(s));
  return h;
}

StatementObject& Registry::Statement(AdsHandle h) {
  auto it = statements_.find(h);
  if (it != statements_.end()) return it->second;
  if (closedStatements_.count(h)) Fail(code::kStatementClosed, "statement " + std::to_string(h) + " was closed already");
  Fail(code::kInvalidHandle, "handle " + std::to_string(h) + " is not an SQL statement");
}

bool Registry::IsCursor(AdsHandle h) const {
  auto it = tables_.find(h);
  return it != tables_.end() && it->second.statement != 0;
}

std::uint16_t Registry::KindOf(AdsHandle h) const {
  if (auto c = connections_.find(h); c != connections_.end())
    return c->second.dictionary ? handle_type::kDictionaryConnection : handle_type::kConnection;
  if (IsCursor(h)) return handle_type::kCursor;
  if (IsTable(h)) return handle_type::kTable;
  if (IsIndex(h)) return handle_type::kIndex;
  if (IsStatement(h)) return handle_type::kStatement;
  return 0;
}

void Registry::RemoveStatement(AdsHandle h) {
  auto it = statements_.find(h);
  if (it == statements_.end()) return;
  const std::set<AdsHandle> cursors = it->second.cursors;
  for (AdsHandle cursor : cursors) RemoveTable(cursor);
  if (auto c = connections_.find(it->second.connection); c != connections_.end()) c->second.statements.erase(h);
  statements_.erase(it);
  closedStatements_.insert(h);
}

std::uint64_t RecordCountOf(AdsHandle h) {
  Registry& r = Registry::Get();
  if (r.IsStatement(h)) {
    const StatementObject& s = r.Statement(h);
    if (s.liveCursor != 0 && r.IsTable(s.liveCursor)) return r.Table(s.liveCursor).table->FilteredCount();
    return s.rows;
  }
  TableObject& t = r.Table(r.IsIndex(h) ? r.Index(h).table : h);
  return t.table->HasFilter() ? t.table->FilteredCount() : t.table->RecordCount();
}

ConnectionObject& Registry::Connection(AdsHandle h) {
  auto it = connections_.find(h);
  if (it == connections_.end()) Fail(code::kInvalidHandle, "handle " + std::to_string(h) + " is not a connection");
  return it->second;
}

TableObject& Registry::Table(AdsHandle h) {
  auto it = tables_.find(h);
  if (it == tables_.end()) Fail(code::kInvalidHandle, "handle " + std::to_string(h) + " is not an open table");
  return it->second;
}

IndexObject& Registry::Index(AdsHandle h) {
  auto it = indexes_.find(h);
  if (it == indexes_.end()) Fail(code::kInvalidHandle, "handle " + std::to_string(h) + " is not an index");
  return it->second;
}

void Registry::RemoveTable(AdsHandle h) {
  auto it = tables_.find(h);
  if (it == tables_.end()) return;
  for (AdsHandle i : it->second.indexes) indexes_.erase(i);
  if (auto c = connections_.find(it->second.connection); c != connections_.end()) c->second.tables.erase(h);
  if (auto s = statements_.find(it->second.statement); s != statements_.end()) {
    s->second.cursors.erase(h);
    if (s->second.liveCursor == h) s->second.liveCursor = 0;
  }
  tables_.erase(it);
}

void Registry::RemoveConnection(AdsHandle h) {
  if (auto c = connections_.find(h); c != connections_.end()) {
    const std::set<AdsHandle> statements = c->second.statements;
    for (AdsHandle s : statements) RemoveStatement(s);
  }
  connections_.erase(h);
}

TableObject& Registry::Navigable(AdsHandle h) {
  if (IsIndex(h)) {
    IndexObject& index = Index(h);
    TableObject& t = Table(index.table);
    const int tag = t.table->FindTag(index.tag);
    if (tag < 0) Fail(code::kIndexNotFound, "table " + t.table->Name() + " has no index tag " + index.tag);
    if (t.order != tag || t.table->Order() != tag) {
      t.table->SetOrder(tag);
      t.order = tag;
    }
    return t;
  }
  TableObject& t = Table(h);
  if (t.table->Order() != -1) {
    t.table->SetOrder(-1);
    t.order = -1;
  }
  return t;
}

void SetLastError(ResultCode code, std::string text) {
  if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
  g_lastError = {code, std::move(text)};
}

void ClearLastError() { g_lastError = {}; }

bool Tracing() { return g_tracing.load(std::memory_order_relaxed); }

void Trace(const std::string& call, const std::string& arguments) {
  std::lock_guard lock(g_traceMutex);
  if (g_tracing) g_trace.push_back(call + "(" + arguments + ")");
}

ResultCode FailedCall() {
  try {
    throw;
  } catch (const AceError& e) {
    SetLastError(e.Code(), e.what());
    return e.Code();
  } catch (const kv::fs::FsError& e) {
    SetLastError(code::kIoError, e.what());
    return code::kIoError;
  } catch (const std::bad_alloc&) {
    SetLastError(code::kOutOfMemory, "the engine ran out of memory");
    return code::kOutOfMemory;
  } catch (const std::exception& e) {
    SetLastError(code::kInternal, std::string("internal engine error: ") + e.what());
    return code::kInternal;
  } catch (...) {
    SetLastError(code::kInternal, "internal engine error");
    return code::kInternal;
  }
}

}  // namespace ace::detail

namespace ace {

ResultCode AdsGetLastError(ResultCode* code, std::string* text) {
  if (code) *code = detail::g_lastError.code;
  if (text) *text = detail::g_lastError.text;
  return code::kSuccess;
}

void AdsTraceStart() {
  std::lock_guard lock(detail::g_traceMutex);
  detail::g_tracing = true;
  detail::g_trace.clear();
}

std::vector<std::string> AdsTraceStop() {
  std::lock_guard lock(detail::g_traceMutex);
  detail::g_tracing = false;
  return std::move(detail::g_trace);
}

}  // namespace ace
