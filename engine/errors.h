#pragma once
// The exceptions of the component layer.
//
// EADSDatabaseError is what a failed engine call, or a component refusing an operation (wrong state, missing
// name, unsupported type; code 5121), raises. It carries where it happened: the component's name, its owner's
// name, DatabaseName, the table folder and the table name. Objects placed on the main window have names and
// their messages start with it ("AdsTableCompany: ..."); objects made at run time have none and their messages
// are the engine text alone.
//
// While an EADSDatabaseError exists on a thread (from its construction until the last copy is destroyed, so
// also while a handler that caught it runs), further failed engine calls on that thread raise nothing: the
// clean-up an error sets off (closing tables, disconnecting) must not replace the error being reported.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "ace/core/codes.h"

namespace kv::engine {

// Where an error happened, as the exception reports it.
struct ErrorSource {
  std::string componentName;
  std::string ownerName;
  std::string databaseName;
  std::string tableFolder;
  std::string tableName;
};

class EADSDatabaseError : public std::runtime_error {
 public:
  EADSDatabaseError(ace::ResultCode code, const std::string& engineText, const ErrorSource& source);
  EADSDatabaseError(const EADSDatabaseError& other);
  EADSDatabaseError& operator=(const EADSDatabaseError& other);
  ~EADSDatabaseError() override;

  ace::ResultCode ACEErrorCode() const { return code_; }
  const std::string& ErrorText() const { return engineText_; }  // the engine's (or component's) text alone
  const std::string& ComponentName() const { return source_.componentName; }
  const std::string& OwnerName() const { return source_.ownerName; }
  const std::string& DatabaseName() const { return source_.databaseName; }
  const std::string& TableFolder() const { return source_.tableFolder; }
  const std::string& TableName() const { return source_.tableName; }
  // For the column errors 5147 to 5149: the column the engine text names as column 'X'; empty otherwise.
  const std::string& ColumnName() const { return columnName_; }

  // True while an EADSDatabaseError lives on this thread.
  static bool InFlight();

 private:
  ace::ResultCode code_;
  std::string engineText_;
  ErrorSource source_;
  std::string columnName_;
};

// A failed disconnect: the message is the engine text.
class AdsError : public std::runtime_error {
 public:
  AdsError(ace::ResultCode code, const std::string& text) : std::runtime_error(text), code_(code) {}
  ace::ResultCode ACEErrorCode() const { return code_; }

 private:
  ace::ResultCode code_;
};

// A connection used wrongly (no path, path changed while connected).
class AdsConnectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The silent exception a post-error handler asks for with DataAction::Abort: the operation stops, and callers
// that show errors show nothing for it.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// The column named in an engine text as column 'X' ("" when the text names none).
std::string ColumnNameFromText(const std::string& text);

// The component layer's own refusals carry this code.
inline constexpr ace::ResultCode kComponentErrorCode = ace::code::kComponentError;

// After an engine call: nothing when it answered 0 or while another EADSDatabaseError is in flight; otherwise
// raises EADSDatabaseError with the engine's last error text.
void CheckEngine(ace::ResultCode result, const ErrorSource& source);
// The component's own refusal (code 5121).
[[noreturn]] void RaiseComponentError(const std::string& text, const ErrorSource& source);

}  // namespace kv::engine
