#pragma once
// How a step of the run treats its failure, written once and named at the step:
//   FailureShownAs(ui, "MEDSCH ", [&] { ... });  the failure's text, after the given words, in a message box;
//                                                 the run goes on with the next step
//   FailureIgnored([&] { ... });                  dropped without a word; the run goes on
//   FailurePassedOn([&] { ... });                 not caught: it ends the run
//
// A guard copies the failure's text and leaves its handler before it shows anything, so that no engine error
// is still alive (which would silence further engine failures) when the run goes on. The silent EAbort a
// post-error handler asks for is dropped without a message. A prompt that nobody can answer (a scripted front-
// end without an answer) is never swallowed: it always ends the run.

#include <optional>
#include <string>
#include <utility>

#include "engine/failure_of.h"
#include "platform/ui.h"

namespace kv::console {

// The text of the failure a step raised; nullopt when it ran through (or was aborted silently).
using engine::FailureOf;

template <typename Step>
void FailureShownAs(kv::ui::UserInterface& ui, const std::string& words, Step&& step) {
  if (const auto failure = FailureOf(std::forward<Step>(step))) ui.ShowMessage(words + *failure);
}

template <typename Step>
void FailureIgnored(Step&& step) {
  (void)FailureOf(std::forward<Step>(step));
}

template <typename Step>
void FailurePassedOn(Step&& step) {
  std::forward<Step>(step)();
}

}  // namespace kv::console
