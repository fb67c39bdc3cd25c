#pragma once
// The text of the failure a piece of work raised, nullopt when it ran through (or was aborted silently by a
// post-error handler's EAbort). The failure's text is copied and its handler left before the caller shows it
// or goes on, so that no engine error is still alive (which would silence further engine failures) while the
// engine is used again. A prompt that nobody can answer (a scripted front-end without an answer) is never
// swallowed: it always ends the run.

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "engine/errors.h"
#include "platform/ui.h"

namespace kv::engine {

template <typename Work>
std::optional<std::string> FailureOf(Work&& work) {
  try {
    std::forward<Work>(work)();
  } catch (const kv::ui::UnexpectedPrompt&) {
    throw;
  } catch (const EAbort&) {
    return std::nullopt;
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

}  // namespace kv::engine
