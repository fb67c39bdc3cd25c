#include "engine/cursor.h"

namespace kv::engine {

namespace {
kv::ui::UserInterface* g_port = nullptr;
}

void SetCursorPort(kv::ui::UserInterface* port) { g_port = port; }
kv::ui::UserInterface* CursorPort() { return g_port; }

WaitCursor::WaitCursor(kv::ui::Cursor during) : port_(g_port) {
  if (port_) port_->SetScreenCursor(during);
}

WaitCursor::~WaitCursor() {
  if (port_) port_->SetScreenCursor(kv::ui::Cursor::Default);
}

}  // namespace kv::engine
