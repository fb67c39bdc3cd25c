#pragma once
// TAdsDictionary: an administrative connection to a data dictionary, and the dictionary's object operations
// (tables, table properties, users, rights, name searches). Each operation raises EADSDatabaseError with the
// engine text when the engine refuses.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ace/ace.h"
#include "engine/component.h"
#include "engine/connection.h"
#include "engine/errors.h"
#include "engine/types.h"

namespace kv::engine {

class TAdsDictionary : public TComponent {
 public:
  explicit TAdsDictionary(std::string name = "", std::string ownerName = "");
  ~TAdsDictionary() override;  // disconnects, raising nothing

  const std::string& ConnectPath() const { return connectPath_; }
  void SetConnectPath(std::string path);  // AdsConnectionError while connected
  TAdsServerTypes AdsServerTypes;
  std::string UserName;
  std::string Password;
  bool LoginPrompt = false;

  bool IsConnected() const { return handle_ != 0; }
  void SetIsConnected(bool connected) { connected ? Connect() : Disconnect(); }
  // Needs a path; the handle must be a dictionary connection ("The Data Dictionary path was invalid.").
  void Connect();
  void Disconnect();  // AdsError when the engine refuses
  ace::AdsHandle Handle() const { return handle_; }

  void AddTable(std::string_view name, std::string_view file, std::string_view indexFiles, std::string_view comment,
                TAdsTableTypes tableType, TAdsCharTypes charType);
  void RemoveTable(std::string_view name, bool deleteFiles);
  void SetTableProperty(std::string_view table, std::uint16_t property, const void* value, std::uint16_t length,
                        std::uint16_t validation, std::string_view failTable);
  void GetTableProperty(std::string_view table, std::uint16_t property, void* value, std::uint16_t* length);
  // The 16-bit properties (203, 214) as the tool reads and writes them: length 2, validation 0, no fail table.
  void SetTableProperty16(std::string_view table, std::uint16_t property, std::uint16_t value);
  std::uint16_t GetTableProperty16(std::string_view table, std::uint16_t property);
  void CreateUser(std::string_view group, std::string_view user, std::string_view password,
                  std::string_view description);
  void SetObjectAccessRights(std::string_view object, std::string_view accessor, std::string_view rights);
  // Names of every table (kind 1) / user (kind 8) / procedure (kind 101), added to the list.
  void TableNames(std::vector<std::string>& list);
  void UserNames(std::vector<std::string>& list);
  void ProcedureNames(std::vector<std::string>& list);
  // The index tags registered under a table (kind 5 with the table as parent), in registration order, added to
  // the list; and the removal of one tag, from the dictionary and from the table's index file.
  void IndexNames(std::string_view table, std::vector<std::string>& list);
  void DeleteIndex(std::string_view table, std::string_view tag);

  ErrorSource Source() const;

 private:
  void Check(ace::ResultCode result) const { CheckEngine(result, Source()); }
  void RequireConnected() const;
  void Names(std::uint16_t kind, std::string_view parent, std::vector<std::string>& list);

  std::string connectPath_;
  ace::AdsHandle handle_ = 0;
};

}  // namespace kv::engine
