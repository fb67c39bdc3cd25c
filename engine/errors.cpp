#include "engine/errors.h"

#include "ace/ace.h"

namespace kv::engine {

namespace {

thread_local int g_errorsAlive = 0;

std::string MessageOf(const std::string& engineText, const ErrorSource& source) {
  if (source.componentName.empty()) return engineText;
  return source.componentName + ": " + engineText;
}

}  // namespace

std::string ColumnNameFromText(const std::string& text) {
  const auto at = text.find("column ");
  if (at == std::string::npos) return "";
  const auto open = text.find('\'', at + 7);
  if (open == std::string::npos) return "";
  const auto close = text.find('\'', open + 1);
  if (close == std::string::npos) return "";
  return text.substr(open + 1, close - open - 1);
}

EADSDatabaseError::EADSDatabaseError(ace::ResultCode code, const std::string& engineText, const ErrorSource& source)
    : std::runtime_error(MessageOf(engineText, source)), code_(code), engineText_(engineText), source_(source) {
  if (code_ >= ace::code::kColumnNotFound && code_ <= ace::code::kColumnConversion)
    columnName_ = ColumnNameFromText(engineText_);
  ++g_errorsAlive;
}

EADSDatabaseError::EADSDatabaseError(const EADSDatabaseError& other)
    : std::runtime_error(other),
      code_(other.code_),
      engineText_(other.engineText_),
      source_(other.source_),
      columnName_(other.columnName_) {
  ++g_errorsAlive;
}

EADSDatabaseError& EADSDatabaseError::operator=(const EADSDatabaseError& other) {
  std::runtime_error::operator=(other);
  code_ = other.code_;
  engineText_ = other.engineText_;
  source_ = other.source_;
  columnName_ = other.columnName_;
  return *this;
}

EADSDatabaseError::~EADSDatabaseError() { --g_errorsAlive; }

bool EADSDatabaseError::InFlight() { return g_errorsAlive > 0; }

void CheckEngine(ace::ResultCode result, const ErrorSource& source) {
  if (result == ace::code::kSuccess || EADSDatabaseError::InFlight()) return;
  ace::ResultCode code = 0;
  std::string text;
  ace::AdsGetLastError(&code, &text);
  if (text.size() > ace::kMaxErrorText) text.resize(ace::kMaxErrorText);
  throw EADSDatabaseError(result, text, source);
}

void RaiseComponentError(const std::string& text, const ErrorSource& source) {
  throw EADSDatabaseError(kComponentErrorCode, text, source);
}

}  // namespace kv::engine
