#include "platform/ui.h"

namespace kv::ui {

void ScriptedUi::ShowMessage(const std::string& text) { events_.push_back({Event::Kind::Message, text, "", false, {}}); }

void ScriptedUi::MessageBox(const std::string& text, const std::string& caption) {
  events_.push_back({Event::Kind::Box, text, caption, false, {}});
}

bool ScriptedUi::Confirm(const std::string& text, const std::string& caption) {
  if (answers_.empty()) throw UnexpectedPrompt("unexpected confirmation: \"" + text + "\"");
  const bool answer = answers_.front();
  answers_.pop_front();
  events_.push_back({Event::Kind::Confirm, text, caption, answer, {}});
  return answer;
}

void ScriptedUi::SetScreenCursor(Cursor cursor) {
  screenCursor_ = cursor;
  events_.push_back({Event::Kind::ScreenCursor, "", "", false, cursor});
}

void ScriptedUi::SetWindowCursor(Cursor cursor) {
  windowCursor_ = cursor;
  events_.push_back({Event::Kind::WindowCursor, "", "", false, cursor});
}

std::vector<std::string> ScriptedUi::Messages() const {
  std::vector<std::string> texts;
  for (const Event& e : events_)
    if (e.kind == Event::Kind::Message || e.kind == Event::Kind::Box) texts.push_back(e.text);
  return texts;
}

}  // namespace kv::ui
