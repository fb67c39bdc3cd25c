#pragma once
// The ui port for a terminal or a script: messages and prompts printed on standard output, answers given up
// front, everything also kept so a caller can look back at it.

#include <deque>
#include <iosfwd>
#include <string>

#include "platform/ui.h"

namespace kv::cli {

// A confirmation that neither the answer queue nor --yes covers. Deliberately not a std::exception: the run's
// guarded steps show and pass over the errors they catch, and an unanswered prompt must end the runner instead.
struct UnansweredPrompt {
  std::string text;
};

class TerminalUi final : public kv::ui::UserInterface {
 public:
  TerminalUi(std::ostream& out, std::deque<bool> answers, bool yesToRest)
      : out_(out), answers_(std::move(answers)), yesToRest_(yesToRest) {}

  void ShowMessage(const std::string& text) override;
  void MessageBox(const std::string& text, const std::string& caption) override;
  bool Confirm(const std::string& text, const std::string& caption) override;
  // Progress is printed as it changes (see the runner's listeners); there is no window to repaint.
  void ProcessMessages() override {}
  void SetScreenCursor(kv::ui::Cursor) override {}
  void SetWindowCursor(kv::ui::Cursor) override {}

 private:
  std::ostream& out_;
  std::deque<bool> answers_;
  bool yesToRest_;
};

}  // namespace kv::cli
