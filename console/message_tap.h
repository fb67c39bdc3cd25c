#pragma once
// The window's port to a person with a listener on what it shows: every message box and confirmation goes on
// to the front-end's port unchanged, and the listener, when set, hears its text (the run's record keeps them).

#include <functional>
#include <string>

#include "platform/ui.h"

namespace kv::console {

class MessageTap final : public kv::ui::UserInterface {
 public:
  explicit MessageTap(kv::ui::UserInterface& shown) : shown_(shown) {}

  // Hears "TEXT" for a message, "[CAPTION] TEXT" for a titled box, "TEXT -> Yes" for a confirmation.
  std::function<void(const std::string&)> OnShown;

  void ShowMessage(const std::string& text) override {
    Tell(text);
    shown_.ShowMessage(text);
  }
  void MessageBox(const std::string& text, const std::string& caption) override {
    Tell("[" + caption + "] " + text);
    shown_.MessageBox(text, caption);
  }
  bool Confirm(const std::string& text, const std::string& caption) override {
    const bool yes = shown_.Confirm(text, caption);
    Tell(text + (yes ? " -> Yes" : " -> No"));
    return yes;
  }
  void ProcessMessages() override { shown_.ProcessMessages(); }
  void SetScreenCursor(kv::ui::Cursor cursor) override { shown_.SetScreenCursor(cursor); }
  void SetWindowCursor(kv::ui::Cursor cursor) override { shown_.SetWindowCursor(cursor); }

 private:
  void Tell(const std::string& text) {
    if (OnShown) OnShown(text);
  }
  kv::ui::UserInterface& shown_;
};

}  // namespace kv::console
