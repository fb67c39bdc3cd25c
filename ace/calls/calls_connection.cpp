// Connections, version and handle kinds.

#include <filesystem>

#include "ace/ace.h"
#include "ace/calls/handles.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace {

using detail::Guard;
using detail::Registry;

namespace {

bool IsDictionaryPath(std::string_view path) { return kv::UpperCase(path).find(".ADD") != std::string::npos; }

// Closes every table of the connection; a close that could not write everything is reported after the rest
// were closed (the first such failure).
void CloseConnectionObjects(AdsHandle connection) {
  Registry& r = Registry::Get();
  const std::set<AdsHandle> tables = r.Connection(connection).tables;
  ResultCode failed = code::kSuccess;
  std::string text;
  for (AdsHandle t : tables) {
    if (AdsCloseTable(t) == code::kSuccess || failed != code::kSuccess) continue;
    AdsGetLastError(&failed, &text);
  }
  if (failed != code::kSuccess) Fail(failed, text);
}

}  // namespace

ResultCode AdsGetVersion(std::uint32_t* major, std::uint32_t* minor, char* letter, std::string* description) {
  ACE_TRACE("AdsGetVersion", "");
  if (major) *major = 10;
  if (minor) *minor = 0;
  if (letter) *letter = ' ';
  if (description) *description = "KV8 embedded database engine";
  return code::kSuccess;
}

ResultCode AdsConnect60(std::string_view path, std::uint16_t serverTypes, std::string_view user,
                        std::string_view password, std::uint32_t options, AdsHandle* connection) {
  ACE_TRACE("AdsConnect60", std::string(path) + ", " + std::to_string(serverTypes) + ", " + std::string(user) + ", " +
                            (password.empty() ? "" : "*") + ", " + std::to_string(options));
  return Guard([&] {
    if (connection == nullptr) Fail(code::kInvalidArgument, "AdsConnect60 needs a place for the handle");
    *connection = 0;
    if (kv::TrimBlanks(path).empty()) Fail(code::kInvalidArgument, "no connection path given");
    detail::ConnectionObject c;
    c.path = std::string(path);
    if (IsDictionaryPath(path)) {
      const std::filesystem::path file = kv::fs::Resolve(path);
      c.dictionary = true;
      c.dict = dict::Dictionary::Open(file.string());
      const dict::UserEntry login = c.dict->Login(user, password);
      c.user = login.name;
      c.administrator = login.administrator;
      c.folder = file.parent_path();
    } else {
      c.folder = kv::fs::Resolve(path);
      std::error_code ec;
      if (!std::filesystem::is_directory(c.folder, ec))
        Fail(code::kFileNotFound, "the folder " + std::string(path) + " does not exist");
    }
    *connection = Registry::Get().Add(std::move(c));
  });
}

ResultCode AdsDisconnect(AdsHandle connection) {
  ACE_TRACE("AdsDisconnect", std::to_string(connection));
  return Guard([&] {
    Registry& r = Registry::Get();
    r.Connection(connection);
    struct Remove {
      Registry& r;
      AdsHandle connection;
      ~Remove() { r.RemoveConnection(connection); }
    } remove{r, connection};  // gone also when a table's close failed
    CloseConnectionObjects(connection);
  });
}

ResultCode AdsGetConnectionType(AdsHandle connection, std::uint16_t* type) {
  ACE_TRACE("AdsGetConnectionType", std::to_string(connection));
  return Guard([&] {
    Registry::Get().Connection(connection);
    if (type) *type = 1;
  });
}

ResultCode AdsGetHandleType(AdsHandle handle, std::uint16_t* type) {
  ACE_TRACE("AdsGetHandleType", std::to_string(handle));
  return Guard([&] {
    const std::uint16_t kind = Registry::Get().KindOf(handle);
    if (kind == 0) Fail(code::kInvalidHandle, "handle " + std::to_string(handle) + " is not known");
    if (type) *type = kind;
  });
}

}  // namespace ace
