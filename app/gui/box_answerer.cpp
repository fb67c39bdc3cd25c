#include "app/gui/box_answerer.h"

#include <QAbstractButton>
#include <QApplication>

namespace kv::gui {

BoxAnswerer::BoxAnswerer(std::deque<bool> answers, bool otherwise)
    : answers_(std::move(answers)), otherwise_(otherwise) {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
  timer_.start();
}

void BoxAnswerer::Look() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  // A box already answered may still be on its way out.
  if (!box || !box->isVisible() || box == lastPressed_) return;
  SeenBox seen{box->windowTitle(), box->text(), box->icon(), box->standardButtons(), QMessageBox::NoButton};
  if (seen.buttons & QMessageBox::Yes) {
    bool yes = otherwise_;
    if (!answers_.empty()) {
      yes = answers_.front();
      answers_.pop_front();
    }
    seen.pressed = yes ? QMessageBox::Yes : QMessageBox::No;
  } else {
    seen.pressed = QMessageBox::Ok;
  }
  QAbstractButton* button = box->button(seen.pressed);
  if (!button) return;
  lastPressed_ = box;
  seen_.push_back(seen);
  if (OnBox) OnBox(seen);
  button->click();
}

}  // namespace kv::gui
