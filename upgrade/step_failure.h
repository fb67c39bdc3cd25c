#pragma once
// The text of the failure a step of the upgrade layer raised, nullopt when it ran through. The text is copied
// and the handler left before the caller does anything else, so that no engine error is still alive (which
// would silence later engine failures) while the caller shows it, ignores it or sets things right.

#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace kv::upgrade {

template <typename Step>
std::optional<std::string> StepFailure(Step&& step) {
  try {
    std::forward<Step>(step)();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

}  // namespace kv::upgrade
