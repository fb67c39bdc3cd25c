#include "engine/dictionary.h"

namespace kv::engine {

TAdsDictionary::TAdsDictionary(std::string name, std::string ownerName)
    : TComponent(std::move(name), std::move(ownerName)) {}

TAdsDictionary::~TAdsDictionary() {
  if (handle_) ace::AdsDisconnect(handle_);
  handle_ = 0;
}

ErrorSource TAdsDictionary::Source() const {
  return ErrorSource{Name(), OwnerName(), "", TAdsConnection::TableFolderOf(connectPath_), ""};
}

void TAdsDictionary::SetConnectPath(std::string path) {
  if (IsConnected())
    throw AdsConnectionError("The TAdsDictionary.ConnectPath may not be changed when IsConnected is TRUE");
  connectPath_ = std::move(path);
}

void TAdsDictionary::Connect() {
  if (IsConnected()) return;
  if (connectPath_.empty()) throw AdsConnectionError("A connection string must be specified prior to connecting.");
  ace::AdsHandle h = 0;
  const ace::ResultCode r = ace::AdsConnect60(connectPath_, AdsServerTypes.Mask(), UserName, Password, 0, &h);
  Check(r);
  if (r != 0) return;
  std::uint16_t type = 0;
  const ace::ResultCode t = ace::AdsGetHandleType(h, &type);
  if (t != 0 || (type != 6 && type != 7)) {
    ace::AdsDisconnect(h);
    RaiseComponentError("The Data Dictionary path was invalid.", Source());
  }
  handle_ = h;
}

void TAdsDictionary::Disconnect() {
  if (!IsConnected()) return;
  const ace::ResultCode r = ace::AdsDisconnect(handle_);
  // As on a connection: a handle the engine refused to let go is kept for another try, an unknown one forgotten.
  if (r == 0 || r == ace::code::kInvalidHandle) handle_ = 0;
  if (r != 0 && !EADSDatabaseError::InFlight()) {
    ace::ResultCode code = 0;
    std::string text;
    ace::AdsGetLastError(&code, &text);
    throw AdsError(r, text);
  }
}

void TAdsDictionary::RequireConnected() const {
  if (!IsConnected()) RaiseComponentError("The data dictionary is not connected.", Source());
}

void TAdsDictionary::AddTable(std::string_view name, std::string_view file, std::string_view indexFiles,
                              std::string_view comment, TAdsTableTypes tableType, TAdsCharTypes charType) {
  RequireConnected();
  Check(ace::AdsDDAddTable(handle_, name, file, TableTypeCode(tableType), CharTypeCode(charType), indexFiles, comment));
}

void TAdsDictionary::RemoveTable(std::string_view name, bool deleteFiles) {
  RequireConnected();
  Check(ace::AdsDDRemoveTable(handle_, name, deleteFiles));
}

void TAdsDictionary::SetTableProperty(std::string_view table, std::uint16_t property, const void* value,
                                      std::uint16_t length, std::uint16_t validation, std::string_view failTable) {
  RequireConnected();
  Check(ace::AdsDDSetTableProperty(handle_, table, property, value, length, validation, failTable));
}

void TAdsDictionary::GetTableProperty(std::string_view table, std::uint16_t property, void* value,
                                      std::uint16_t* length) {
  RequireConnected();
  Check(ace::AdsDDGetTableProperty(handle_, table, property, value, length));
}

void TAdsDictionary::SetTableProperty16(std::string_view table, std::uint16_t property, std::uint16_t value) {
  SetTableProperty(table, property, &value, 2, 0, "");
}

std::uint16_t TAdsDictionary::GetTableProperty16(std::string_view table, std::uint16_t property) {
  std::uint16_t value = 0, length = 2;
  GetTableProperty(table, property, &value, &length);
  return value;
}

void TAdsDictionary::CreateUser(std::string_view group, std::string_view user, std::string_view password,
                                std::string_view description) {
  RequireConnected();
  Check(ace::AdsDDCreateUser(handle_, group, user, password, description));
}

void TAdsDictionary::SetObjectAccessRights(std::string_view object, std::string_view accessor,
                                           std::string_view rights) {
  RequireConnected();
  Check(ace::AdsDDSetObjectAccessRights(handle_, object, accessor, rights));
}

void TAdsDictionary::Names(std::uint16_t kind, std::string_view parent, std::vector<std::string>& list) {
  RequireConnected();
  std::string name;
  ace::AdsHandle search = 0;
  ace::ResultCode r = ace::AdsDDFindFirstObject(handle_, kind, parent, &name, &search);
  while (r == 0) {
    if (name.size() > ace::kMaxObjectName) name.resize(ace::kMaxObjectName);
    list.push_back(name);
    r = ace::AdsDDFindNextObject(handle_, search, &name);
  }
  if (search) ace::AdsDDFindClose(handle_, search);
  if (r != ace::code::kNoMoreObjects) Check(r);
}

void TAdsDictionary::TableNames(std::vector<std::string>& list) { Names(ace::dd_object::kTable, "", list); }
void TAdsDictionary::UserNames(std::vector<std::string>& list) { Names(ace::dd_object::kUser, "", list); }
void TAdsDictionary::ProcedureNames(std::vector<std::string>& list) { Names(ace::dd_object::kProcedure, "", list); }

void TAdsDictionary::IndexNames(std::string_view table, std::vector<std::string>& list) {
  Names(ace::dd_object::kIndex, table, list);
}

void TAdsDictionary::DeleteIndex(std::string_view table, std::string_view tag) {
  RequireConnected();
  Check(ace::AdsDDDeleteIndex(handle_, table, tag));
}

}  // namespace kv::engine
