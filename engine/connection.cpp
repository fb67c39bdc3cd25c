#include "engine/connection.h"

#include <algorithm>
#include <exception>
#include <map>

#include "engine/cursor.h"
#include "engine/dataset.h"
#include "support/strings.h"

namespace kv::engine {

namespace {

// Named connections, so that DatabaseName can lead to one. The window's objects are made and used on its
// thread only.
std::map<std::string, TAdsConnection*>& NamedConnections() {
  static std::map<std::string, TAdsConnection*> named;
  return named;
}

void Unregister(const std::string& name, TAdsConnection* connection) {
  if (name.empty()) return;
  auto& named = NamedConnections();
  if (auto it = named.find(kv::UpperCase(name)); it != named.end() && it->second == connection) named.erase(it);
}

}  // namespace

TAdsConnection::TAdsConnection(std::string name, std::string ownerName)
    : TComponent(std::move(name), std::move(ownerName)) {
  if (!Name().empty()) NamedConnections()[kv::UpperCase(Name())] = this;
}

TAdsConnection::~TAdsConnection() {
  try {
    Disconnect();
  } catch (...) {
    // A destructor reports nothing; Disconnect has given the handle back even when closing a dataset failed.
  }
  for (TAdsDataSet* ds : dataSets_) ds->connection_ = nullptr;
  Unregister(Name(), this);
}

void TAdsConnection::SetName(std::string name) {
  Unregister(Name(), this);
  TComponent::SetName(std::move(name));
  if (!Name().empty()) NamedConnections()[kv::UpperCase(Name())] = this;
}

TAdsConnection* TAdsConnection::FindByName(std::string_view name) {
  if (name.empty()) return nullptr;
  auto& named = NamedConnections();
  auto it = named.find(kv::UpperCase(name));
  return it == named.end() ? nullptr : it->second;
}

void TAdsConnection::SetConnectPath(std::string path) {
  if (IsConnected())
    throw AdsConnectionError("The TAdsConnection.ConnectPath may not be changed when IsConnected is TRUE");
  connectPath_ = std::move(path);
  dictionary_ = kv::UpperCase(connectPath_).find(".ADD") != std::string::npos;
}

void TAdsConnection::SetIsConnected(bool connected) { connected ? Connect() : Disconnect(); }

ErrorSource TAdsConnection::Source() const { return ErrorSource{Name(), OwnerName(), "", TableFolder(), ""}; }

void TAdsConnection::Connect() {
  if (IsConnected()) return;
  if (connectPath_.empty())
    throw AdsConnectionError("Must specify connection string before getting a server connection.");
  WaitCursor wait(kv::ui::Cursor::Hourglass);
  const std::uint32_t options = (StoredProcedureConnection ? 2u : 0u) + (MiddleTierConnection ? 1u : 0u);
  const std::string user = dictionary_ ? Username : std::string();
  const std::string password = dictionary_ ? Password : std::string();
  ace::AdsHandle handle = 0;
  const ace::ResultCode r = ace::AdsConnect60(connectPath_, AdsServerTypes.Mask(), user, password, options, &handle);
  CheckEngine(r, Source());
  if (r != 0) return;
  handle_ = handle;
  if (dictionary_) ApplyDictionaryDefaultOrders();
}

void TAdsConnection::ApplyDictionaryDefaultOrders() {
  for (TAdsDataSet* ds : dataSets_) {
    const std::string table = ds->DictionaryTableName();
    if (table.empty()) continue;
    char tag[ace::kMaxObjectName + 1] = {};
    std::uint16_t length = ace::kMaxObjectName;
    // A table the dictionary does not hold simply has no default index.
    if (ace::AdsDDGetTableProperty(handle_, table, ace::dd_property::kDefaultIndex, tag, &length) != 0) continue;
    if (length == 0) continue;
    ds->DictionaryDefaultIndex(std::string(tag, length));
  }
}

void TAdsConnection::Disconnect() {
  if (!IsConnected()) return;
  // Every attached dataset is closed and the handle goes back to the engine whatever fails on the way, so that
  // nothing stays open behind a connection that reports itself closed; the first failure is raised at the end.
  std::exception_ptr failure;
  const std::vector<TAdsDataSet*> attached = dataSets_;
  for (TAdsDataSet* ds : attached) {
    try {
      ds->ConnectionClosing();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    // The next connection may reach another company: its dictionary gives its own default, or none.
    ds->ForgetDictionaryDefaultIndex();
  }
  const ace::ResultCode r = ace::AdsDisconnect(handle_);
  // A handle the engine refused to let go is kept, so that another Disconnect (or the destructor) tries again;
  // one it does not know any more holds nothing.
  if (r == 0 || r == ace::code::kInvalidHandle) handle_ = 0;
  if (failure) std::rethrow_exception(failure);
  if (r != 0 && !EADSDatabaseError::InFlight()) {
    ace::ResultCode code = 0;
    std::string text;
    ace::AdsGetLastError(&code, &text);
    throw AdsError(r, text);
  }
}

std::string TAdsConnection::TableFolderOf(std::string_view connectPath) {
  std::string folder(connectPath);
  if (folder.size() >= 4 && folder[folder.size() - 4] == '.') {
    const auto slash = folder.rfind('\\');
    folder = slash == std::string::npos ? std::string(".\\") : folder.substr(0, slash);
  }
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string TAdsConnection::TableFolder() const { return TableFolderOf(connectPath_); }

std::string TAdsConnection::ServerKind() const {
  if (!IsConnected()) return "";
  std::uint16_t type = 0;
  if (ace::AdsGetConnectionType(handle_, &type) != 0) return "";
  switch (type) {
    case 1: return "Local";
    case 2: return "Remote";
    case 4: return "Internet";
    default: return "";
  }
}

std::uint64_t TAdsConnection::Execute(std::string_view statement) {
  if (!IsConnected()) Connect();
  if (!IsConnected()) return 0;
  ace::AdsHandle handle = 0;
  ace::ResultCode r = ace::AdsCreateSQLStatement(handle_, &handle);
  CheckEngine(r, Source());
  if (r != 0) return 0;
  struct Closer {
    ace::AdsHandle statement;
    ~Closer() { ace::AdsCloseSQLStatement(statement); }
  } closer{handle};
  r = ace::AdsPrepareSQL(handle, statement);
  CheckEngine(r, Source());
  if (r != 0) return 0;
  ace::AdsHandle cursor = 0;
  r = ace::AdsExecuteSQLDirect(handle, statement, &cursor);
  CheckEngine(r, Source());
  if (r != 0) return 0;
  std::uint64_t count = 0;
  CheckEngine(ace::AdsGetRecordCount(handle, &count), Source());
  return count;
}

void TAdsConnection::Attach(TAdsDataSet* dataSet) {
  if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end()) dataSets_.push_back(dataSet);
}

void TAdsConnection::Detach(TAdsDataSet* dataSet) {
  dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), dataSet), dataSets_.end());
}

}  // namespace kv::engine
