#pragma once
// Inside the engine failures travel as AceError (code + text); the engine-call layer turns them into result
// codes and the last-error text at its boundary.

#include <stdexcept>
#include <string>

#include "ace/core/codes.h"

namespace ace {

class AceError : public std::runtime_error {
 public:
  AceError(ResultCode code, const std::string& text) : std::runtime_error(text), code_(code) {}
  ResultCode Code() const { return code_; }

 private:
  ResultCode code_;
};

[[noreturn]] inline void Fail(ResultCode code, const std::string& text) { throw AceError(code, text); }

}  // namespace ace
