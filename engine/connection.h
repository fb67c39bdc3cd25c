#pragma once
// TAdsConnection: a connection to a folder of free tables or to a data dictionary (a path holding ".add").
//
// A connection knows the tables and queries attached to it: it closes them before it disconnects, and after a
// dictionary connection is made it gives each attached table the dictionary's default index as its order
// ("ADS_DEFAULT") when the table has no other. A connection that is destroyed first leaves its tables and
// queries without a connection rather than dangling.
//
// A named connection can be found by name (DatabaseName of a table or query), as window-placed objects are.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ace/ace.h"
#include "engine/component.h"
#include "engine/errors.h"

namespace kv::engine {

class TAdsDataSet;

// Server types: remote 2, local 1, Internet 4 in the engine's mask.
struct TAdsServerTypes {
  bool stADS_REMOTE = true;
  bool stADS_LOCAL = true;
  bool stADS_AIS = false;
  std::uint16_t Mask() const {
    return static_cast<std::uint16_t>((stADS_REMOTE ? 2 : 0) + (stADS_LOCAL ? 1 : 0) + (stADS_AIS ? 4 : 0));
  }
};

class TAdsConnection : public TComponent {
 public:
  explicit TAdsConnection(std::string name = "", std::string ownerName = "");
  ~TAdsConnection() override;  // closes its tables and queries and disconnects, raising nothing

  void SetName(std::string name) override;

  const std::string& ConnectPath() const { return connectPath_; }
  // AdsConnectionError while connected.
  void SetConnectPath(std::string path);
  bool IsDictionary() const { return dictionary_; }  // the upper-cased path holds ".ADD"

  TAdsServerTypes AdsServerTypes;
  std::string Username;
  std::string Password;
  bool LoginPrompt = false;
  bool ReadOnly = false;
  bool MiddleTierConnection = false;
  bool StoredProcedureConnection = false;

  bool IsConnected() const { return handle_ != 0; }
  void SetIsConnected(bool connected);
  void Connect();     // AdsConnectionError without a path; EADSDatabaseError when the engine refuses
  // Closes every attached table and query, then AdsDisconnect, also when a closing failed; then raises the first
  // failure (a closing's error, else AdsError when the engine refuses). A refused handle is kept for another try.
  void Disconnect();
  ace::AdsHandle Handle() const { return handle_; }

  // The folder of the connection's tables in the suite's form: ConnectPath without a dictionary file name and
  // without a trailing "\" ("X:\KV\COMPANY\ABC\ABC.add" gives "X:\KV\COMPANY\ABC").
  std::string TableFolder() const;
  static std::string TableFolderOf(std::string_view connectPath);

  // "Local", "Remote", "Internet"; empty when not connected or for another kind.
  std::string ServerKind() const;

  // Runs one statement without parameters (connecting first when needed) and returns the record count the
  // statement reports. The statement is closed whether or not it failed.
  std::uint64_t Execute(std::string_view statement);

  // The tables and queries attached to this connection.
  const std::vector<TAdsDataSet*>& DataSets() const { return dataSets_; }

  // The named connection of that name (without regard to case), or nullptr.
  static TAdsConnection* FindByName(std::string_view name);

  ErrorSource Source() const;

 private:
  friend class TAdsDataSet;
  void Attach(TAdsDataSet* dataSet);
  void Detach(TAdsDataSet* dataSet);
  void ApplyDictionaryDefaultOrders();

  std::string connectPath_;
  bool dictionary_ = false;
  ace::AdsHandle handle_ = 0;
  std::vector<TAdsDataSet*> dataSets_;
};

}  // namespace kv::engine
