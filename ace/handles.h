#pragma once
// The engine's handle registry and the guard that turns failures into result codes at the call boundary.

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
  AdsHandle connection = 0;
  std::unique_ptr<storage::Table> table;
  std::uint16_t tableType = table_type::kAdt;
  std::string name;                  // as opened (registered name or path)
  std::string dictionaryName;        // registered name when opened through a dictionary
  bool checkRights = false;
  std::set<AdsHandle> indexes;
  int order = -1;                    // the tag of the last index handle used for navigation
  // Scope ends set through each tag's index handles (top, bottom); applied when that tag is the order.
  std::map<std::string, std::pair<std::vector<Value>, std::vector<Value>>> scopes;
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
  ConnectionObject& Connection(AdsHandle h);
  TableObject& Table(AdsHandle h);
  IndexObject& Index(AdsHandle h);
  bool IsConnection(AdsHandle h) const { return connections_.count(h) != 0; }
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
};

void SetLastError(ResultCode code, std::string text);
void ClearLastError();
void Trace(const std::string& call, const std::string& arguments);

// Runs body; an AceError, a file error or any other exception becomes its result code and the last error.
ResultCode Guard(const std::function<void()>& body);

}  // namespace ace::detail
