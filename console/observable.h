#pragma once
// A value of the window that a front-end shows and may change: a progress line's text, a check box's state, a
// button's enabled flag. Listeners hear every change (setting the value it already has is no change), in the
// order they subscribed; the headless runner prints them, the Qt window binds widgets to them.

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kv::console {

template <typename T>
class Observable {
 public:
  using Listener = std::function<void(const T&)>;

  Observable() = default;
  explicit Observable(T initial) : value_(std::move(initial)) {}
  Observable(const Observable&) = delete;
  Observable& operator=(const Observable&) = delete;

  const T& Get() const { return value_; }
  // Stores the value and tells every listener, unless it is the value held already.
  void Set(T value) {
    if (value == value_) return;
    value_ = std::move(value);
    for (const auto& [id, listener] : listeners_) listener(value_);
  }

  // Returns an id for Unsubscribe.
  std::size_t Subscribe(Listener listener) {
    listeners_.emplace_back(++lastId_, std::move(listener));
    return lastId_;
  }
  void Unsubscribe(std::size_t id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
  }

 private:
  T value_{};
  std::vector<std::pair<std::size_t, Listener>> listeners_;
  std::size_t lastId_ = 0;
};

// A single-line text field or label of the window (Edit1, Edit2, edtdatabase, LabelServerInfo, ...).
class ObservableText : public Observable<std::string> {
 public:
  using Observable<std::string>::Observable;
  const std::string& Text() const { return Get(); }
  void SetText(std::string text) { Set(std::move(text)); }
};

// A flag of the window: a control's visible or enabled state, a page tab's visibility.
using ObservableFlag = Observable<bool>;

}  // namespace kv::console
