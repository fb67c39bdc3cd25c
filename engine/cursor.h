#pragma once
// The screen cursor the components show while they wait for the engine (connecting, running a statement).
// The front-end hands its user-interface port over once; without one (tests, tools) the components change no
// cursor at all.

#include "platform/ui.h"

namespace kv::engine {

// nullptr: no cursor changes. The port must outlive every component that may use it.
void SetCursorPort(kv::ui::UserInterface* port);
kv::ui::UserInterface* CursorPort();

// Shows a cursor for a scope and restores the default one when the scope ends, also when an exception passes.
class WaitCursor {
 public:
  explicit WaitCursor(kv::ui::Cursor during);
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  kv::ui::UserInterface* port_;
};

}  // namespace kv::engine
