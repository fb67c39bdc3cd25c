#pragma once
// Answers the window's message boxes the way a person at the screen would, for scripted sessions of the real
// window (the screenshot tool, the window's tests): it watches for the modal box on screen, notes what it shows
// and presses a button. Confirmations take the answers given up front, then the default answer; other boxes get
// their OK button.

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace kv::gui {

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton pressed = QMessageBox::NoButton;
};

class BoxAnswerer {
 public:
  // answers: Yes (true) or No for the confirmations, in order; afterwards every confirmation gets `otherwise`.
  explicit BoxAnswerer(std::deque<bool> answers = {}, bool otherwise = false);
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  void Answer(bool yes) { answers_.push_back(yes); }
  const std::vector<SeenBox>& Seen() const { return seen_; }
  // Hears each box as it is answered.
  std::function<void(const SeenBox&)> OnBox;

 private:
  void Look();

  QTimer timer_;
  std::deque<bool> answers_;
  bool otherwise_;
  std::vector<SeenBox> seen_;
  // Gone with its box, so that the next box, even one made at the same address, is answered.
  QPointer<QMessageBox> lastPressed_;
};

}  // namespace kv::gui
