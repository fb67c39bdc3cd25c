#pragma once
// The engine's handle registry and the guard that turns failures into result codes at the call boundary. The
// registry is one per process and is only touched inside Guard, under the call lock.

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "ace/ace.h"
#include "ace/core/error.h"
#include "ace/dict/dictionary.h"
#include "ace/sql/ast.h"
#include "ace/sql/eval.h"
#include "ace/storage/table.h"

namespace ace::detail {

struct ConnectionObject {
  std::string path;                  // as given by the caller
  std::filesystem::path folder;      // host folder of its tables
  bool dictionary = false;
  std::optional<dict::Dictionary> dict;
  std::string user;                  // dictionary user; empty on a free-table connection
  bool administrator = false;
  std::set<AdsHandle> tables;
  std::set<AdsHandle> statements;
};

struct TableObject {
  // What the handle keeps alive beside its table (a static result's private folder). Declared first so that it
  // goes last, after the table has closed.
  std::shared_ptr<const void> keepAlive;
  AdsHandle connection = 0;
  AdsHandle statement = 0;           // set on an SQL cursor: the statement that made it
  std::unique_ptr<storage::Table> table;
  std::uint16_t tableType = table_type::kAdt;
  std::string name;                  // as opened (registered name or path)
  std::string dictionaryName;        // registered name when opened through a dictionary
  bool dictionaryKey = false;        // the table is encrypted with the dictionary's key, which it was given
  bool checkRights = false;
  std::set<AdsHandle> indexes;
  int order = -1;                    // the tag of the last index handle used for navigation
  // Scope ends set through each tag's index handles (top, bottom); applied when that tag is the order.
  std::map<std::string, std::pair<std::vector<Value>, std::vector<Value>>> scopes;
  // A SELECT * cursor's WHERE, which a record filter set on the cursor narrows but never replaces.
  std::function<bool()> baseFilter;
};

// An SQL statement: its options, text, parameters and passwords, and the cursors it made.
struct StatementObject {
  AdsHandle connection = 0;
  StatementOptions options;
  std::string text;
  std::shared_ptr<const sql::Statement> prepared;  // null until a text parsed
  sql::ParameterValues parameters;
  std::map<std::string, std::string> tablePasswords;  // table name upper-cased, without ".ADT" -> password
  std::string generalPassword;
  std::uint64_t rows = 0;    // rows of the last execution (affected, or of a static result)
  AdsHandle liveCursor = 0;  // the last SELECT * cursor: its rows are counted through its filter
  std::set<AdsHandle> cursors;
};

struct IndexObject {
  AdsHandle table = 0;
  std::string tag;
};

class Registry {
 public:
  static Registry& Get();

  AdsHandle Add(ConnectionObject c);
  AdsHandle Add(TableObject t);
  AdsHandle Add(IndexObject i);
  AdsHandle Add(StatementObject s);
  ConnectionObject& Connection(AdsHandle h);
  TableObject& Table(AdsHandle h);
  IndexObject& Index(AdsHandle h);
  // kStatementClosed for a statement closed already, kInvalidHandle for any other handle.
  StatementObject& Statement(AdsHandle h);
  bool IsStatement(AdsHandle h) const { return statements_.count(h) != 0; }
  bool IsCursor(AdsHandle h) const;
  // The handle kind (ace::handle_type); 0 for a handle that is not known.
  std::uint16_t KindOf(AdsHandle h) const;
  // Closes the statement's cursors and forgets it; a later use of the handle is kStatementClosed.
  void RemoveStatement(AdsHandle h);
  bool IsTable(AdsHandle h) const { return tables_.count(h) != 0; }
  bool IsIndex(AdsHandle h) const { return indexes_.count(h) != 0; }
  void RemoveTable(AdsHandle h);
  void RemoveConnection(AdsHandle h);
  // The table behind a table or index handle; an index handle also makes its tag the current order.
  TableObject& Navigable(AdsHandle h);

 private:
  AdsHandle next_ = 1000;
  std::map<AdsHandle, ConnectionObject> connections_;
  std::map<AdsHandle, TableObject> tables_;
  std::map<AdsHandle, IndexObject> indexes_;
  std::map<AdsHandle, StatementObject> statements_;
  std::set<AdsHandle> closedStatements_;
};

// The record count of a handle as AdsGetRecordCount gives it: a table's or cursor's records that pass its
// filter, or for a statement the rows of its last execution (affected by INSERT, UPDATE, DELETE; of a SELECT
// result).
std::uint64_t RecordCountOf(AdsHandle h);

void SetLastError(ResultCode code, std::string text);
void ClearLastError();
bool Tracing();
void Trace(const std::string& call, const std::string& arguments);
// Records a call only while a trace runs, so the argument text is built only then.
#define ACE_TRACE(call, arguments)                                     \
  do {                                                                 \
    if (::ace::detail::Tracing()) ::ace::detail::Trace(call, arguments); \
  } while (false)

// The result of a call that failed with the exception being handled: its code, kept as the last error.
ResultCode FailedCall();

// The lock every engine call holds for its length (ace.h, "Threads"): held by the outermost call of a thread
// (some calls are made of others: a disconnect closes its tables). A word of its own rather than a mutex: an
// uncontended call pays one atomic exchange each way, where a recursive mutex cost as much as the smallest calls
// themselves (9% more instructions in the engine bench). 0 free, 1 held, 2 held while others wait.
inline std::atomic<int> g_callLock{0};
inline thread_local int t_callDepth = 0;

class CallLock {
 public:
  CallLock() {
    if (t_callDepth++ > 0) return;
    int seen = 0;
    if (g_callLock.compare_exchange_strong(seen, 1, std::memory_order_acquire)) return;
    if (seen != 2) seen = g_callLock.exchange(2, std::memory_order_acquire);
    while (seen != 0) {
      g_callLock.wait(2, std::memory_order_relaxed);
      seen = g_callLock.exchange(2, std::memory_order_acquire);
    }
  }
  ~CallLock() {
    if (--t_callDepth > 0) return;
    if (g_callLock.exchange(0, std::memory_order_release) == 2) g_callLock.notify_one();
  }
  CallLock(const CallLock&) = delete;
  CallLock& operator=(const CallLock&) = delete;
};

// Runs body under the call lock; an AceError, a file error or any other exception becomes its result code and
// the last error.
template <typename Body>
ResultCode Guard(Body&& body) {
  const CallLock lock;
  try {
    body();
    return code::kSuccess;
  } catch (...) {
    return FailedCall();
  }
}

}  // namespace ace::detail
