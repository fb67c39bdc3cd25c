#pragma once
// The ui port for the desktop window: Qt message boxes, Qt cursors, and Qt's event processing while the run
// works on the window's thread.

#include <QPointer>
#include <QWidget>
#include <string>

#include "platform/ui.h"

namespace kv::gui {

class QtUi final : public kv::ui::UserInterface {
 public:
  QtUi() = default;
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;

  // The window the boxes belong to; boxes shown before it is on screen are centred on the screen instead.
  void SetWindow(QWidget* window) { window_ = window; }

  // Plain box: the application's title, no icon, OK.
  void ShowMessage(const std::string& text) override;
  // Titled box with an OK button.
  void MessageBox(const std::string& text, const std::string& caption) override;
  // Question icon, Yes and No, Yes the default button.
  bool Confirm(const std::string& text, const std::string& caption) override;
  // Lets Qt deliver pending events: paints, timers, clicks on the controls that stay live during a run.
  void ProcessMessages() override;
  void SetScreenCursor(kv::ui::Cursor cursor) override;
  void SetWindowCursor(kv::ui::Cursor cursor) override;

  // The application's default display of an error no handler caught: its text, a stop icon, OK.
  void ShowError(const std::string& text);

  kv::ui::Cursor ScreenCursor() const { return screenCursor_; }
  kv::ui::Cursor WindowCursor() const { return windowCursor_; }

 private:
  QWidget* BoxParent() const;

  QPointer<QWidget> window_;
  kv::ui::Cursor screenCursor_ = kv::ui::Cursor::Default;
  kv::ui::Cursor windowCursor_ = kv::ui::Cursor::Default;
};

}  // namespace kv::gui
