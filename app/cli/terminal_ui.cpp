#include "app/cli/terminal_ui.h"

#include <ostream>

namespace kv::cli {

namespace {

// One line per message: a text holding line breaks is kept on its line with the breaks shown as " | ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += " | ";
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

void TerminalUi::ShowMessage(const std::string& text) { out_ << "message: " << OneLine(text) << std::endl; }

void TerminalUi::MessageBox(const std::string& text, const std::string& caption) {
  out_ << "box [" << OneLine(caption) << "]: " << OneLine(text) << std::endl;
}

bool TerminalUi::Confirm(const std::string& text, const std::string& /*caption*/) {
  bool answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else if (yesToRest_) {
    answer = true;
  } else {
    out_ << "confirm: " << OneLine(text) << " -> (no answer given)" << std::endl;
    throw UnansweredPrompt{"no answer was given for the confirmation \"" + OneLine(text) +
                           "\" (use --answer yes|no or --yes)"};
  }
  out_ << "confirm: " << OneLine(text) << " -> " << (answer ? "Yes" : "No") << std::endl;
  return answer;
}

}  // namespace kv::cli
