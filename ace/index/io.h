#pragma once
// The platform reports I/O failures as FsError; inside the engine they travel as AceError(kIoError), so every
// file call of the index layer goes through Io.

#include "ace/core/error.h"
#include "platform/fs.h"

namespace ace::index {

template <typename F>
auto Io(F&& action) -> decltype(action()) {
  try {
    return action();
  } catch (const kv::fs::FsError& e) {
    Fail(code::kIoError, e.what());
  }
}

}  // namespace ace::index
