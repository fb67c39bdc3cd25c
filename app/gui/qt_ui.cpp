#include "app/gui/qt_ui.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include "console/form.h"

namespace kv::gui {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

Qt::CursorShape ShapeOf(kv::ui::Cursor cursor) {
  switch (cursor) {
    case kv::ui::Cursor::Hourglass: return Qt::WaitCursor;
    case kv::ui::Cursor::SqlWait: return Qt::BusyCursor;
    case kv::ui::Cursor::Default: break;
  }
  return Qt::ArrowCursor;
}

// A box is answered with the mouse: while it is up, the arrow replaces a wait cursor the run has set, and the
// wait cursor comes back with the box gone.
int ExecWithArrow(QMessageBox& box) {
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = box.exec();
  QApplication::restoreOverrideCursor();
  return result;
}

}  // namespace

QtUi::~QtUi() {
  if (screenCursor_ != kv::ui::Cursor::Default) QApplication::restoreOverrideCursor();
}

QWidget* QtUi::BoxParent() const { return window_ && window_->isVisible() ? window_.data() : nullptr; }

void QtUi::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, Q(std::string(kv::console::kApplicationTitle)), Q(text), QMessageBox::Ok,
                  BoxParent());
  ExecWithArrow(box);
}

void QtUi::MessageBox(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, Q(caption), Q(text), QMessageBox::Ok, BoxParent());
  ExecWithArrow(box);
}

bool QtUi::Confirm(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No, BoxParent());
  box.setDefaultButton(QMessageBox::Yes);
  // Closing the box without a button (Escape, the title bar) is No, never a silent Yes.
  box.setEscapeButton(QMessageBox::No);
  return ExecWithArrow(box) == QMessageBox::Yes;
}

void QtUi::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, Q(std::string(kv::console::kApplicationTitle)), Q(text), QMessageBox::Ok,
                  BoxParent());
  ExecWithArrow(box);
}

void QtUi::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtUi::SetScreenCursor(kv::ui::Cursor cursor) {
  if (cursor == screenCursor_) return;
  if (cursor == kv::ui::Cursor::Default) {
    QApplication::restoreOverrideCursor();
  } else if (screenCursor_ == kv::ui::Cursor::Default) {
    QApplication::setOverrideCursor(ShapeOf(cursor));
  } else {
    QApplication::changeOverrideCursor(ShapeOf(cursor));
  }
  screenCursor_ = cursor;
}

void QtUi::SetWindowCursor(kv::ui::Cursor cursor) {
  windowCursor_ = cursor;
  if (!window_) return;
  if (cursor == kv::ui::Cursor::Default)
    window_->unsetCursor();
  else
    window_->setCursor(ShapeOf(cursor));
}

}  // namespace kv::gui
