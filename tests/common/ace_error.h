#pragma once
// What an engine-core call threw: the AceError's code and text, for tests of the libraries below the engine
// calls (index, storage, sql, dict), whose failures are exceptions.

#include <gtest/gtest.h>

#include <string>

#include "ace/core/error.h"

namespace ace::testing {

struct Caught {
  ResultCode code = code::kSuccess;  // kSuccess when nothing was thrown
  std::string text;
};

// The AceError that action throws; code kSuccess and no text when it throws none.
template <typename F>
Caught Catch(F&& action) {
  try {
    action();
  } catch (const AceError& e) {
    return {e.Code(), e.what()};
  }
  return {};
}

// The same, and the test fails when nothing was thrown.
template <typename F>
Caught ErrorOf(F&& action) {
  Caught caught = Catch(std::forward<F>(action));
  if (caught.code == code::kSuccess) ADD_FAILURE() << "no AceError thrown";
  return caught;
}

}  // namespace ace::testing
