#pragma once
// The port through which the tool talks to a person. The console calls only this; the Qt window, the headless
// runner and the tests each implement it.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv::ui {

enum class Cursor { Default, Hourglass, SqlWait };

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A message box with a caption and an OK button ("Table Creation Failure").
  virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
  // A Yes/No confirmation with a question icon; true for Yes.
  virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
  // Lets pending window messages run, so the window repaints during long work.
  virtual void ProcessMessages() = 0;
  // The screen cursor (the whole application) and the cursor of the main window.
  virtual void SetScreenCursor(Cursor cursor) = 0;
  virtual void SetWindowCursor(Cursor cursor) = 0;
};

// Sets the screen cursor for a scope and restores the one before it, also when an exception passes.
class ScopedScreenCursor {
 public:
  ScopedScreenCursor(UserInterface& ui, Cursor during, Cursor after = Cursor::Default)
      : ui_(ui), after_(after) { ui_.SetScreenCursor(during); }
  ~ScopedScreenCursor() { ui_.SetScreenCursor(after_); }
  ScopedScreenCursor(const ScopedScreenCursor&) = delete;
  ScopedScreenCursor& operator=(const ScopedScreenCursor&) = delete;

 private:
  UserInterface& ui_;
  Cursor after_;
};

class UnexpectedPrompt : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// For tests and scripted runs: records everything shown, answers confirmations from a queue given up front and
// throws UnexpectedPrompt for a confirmation nobody scripted an answer to.
class ScriptedUi final : public UserInterface {
 public:
  struct Event {
    enum class Kind { Message, Box, Confirm, ScreenCursor, WindowCursor } kind;
    std::string text;
    std::string caption;
    bool answer = false;    // for Confirm
    Cursor cursor = Cursor::Default;
  };

  void AnswerNext(bool yes) { answers_.push_back(yes); }

  void ShowMessage(const std::string& text) override;
  void MessageBox(const std::string& text, const std::string& caption) override;
  bool Confirm(const std::string& text, const std::string& caption) override;
  void ProcessMessages() override { ++repaints_; }
  void SetScreenCursor(Cursor cursor) override;
  void SetWindowCursor(Cursor cursor) override;

  const std::vector<Event>& Events() const { return events_; }
  // The texts of plain messages and titled boxes, in the order shown.
  std::vector<std::string> Messages() const;
  std::size_t Repaints() const { return repaints_; }
  std::size_t UnusedAnswers() const { return answers_.size(); }
  Cursor ScreenCursor() const { return screenCursor_; }
  Cursor WindowCursor() const { return windowCursor_; }

 private:
  std::vector<Event> events_;
  std::deque<bool> answers_;
  std::size_t repaints_ = 0;
  Cursor screenCursor_ = Cursor::Default;
  Cursor windowCursor_ = Cursor::Default;
};

}  // namespace kv::ui
