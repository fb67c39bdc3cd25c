#pragma once
// Widgets bound to the window's state objects. The state objects belong to TForm1 and are what the run reads;
// a widget shows their value at once and on every change, and a person's action on the widget goes to the state
// object through the same calls the console's own code uses. The subscriptions end with the Bindings object, so
// that a state change after the widgets are gone reaches no widget.

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "console/form.h"
#include "console/observable.h"
#include "console/options.h"

namespace kv::gui {

// Qt reads "&" in a button's text as the mark of its shortcut letter; a caption shows every "&" as written.
QString LiteralCaption(const std::string& caption);

class Bindings {
 public:
  Bindings() = default;
  ~Bindings();
  Bindings(const Bindings&) = delete;
  Bindings& operator=(const Bindings&) = delete;

  // Runs show(value) now and on every change of the observable.
  template <typename T>
  void Follow(kv::console::Observable<T>& observable, std::function<void(const T&)> show) {
    show(observable.Get());
    const std::size_t id = observable.Subscribe(show);
    undo_.push_back([&observable, id] { observable.Unsubscribe(id); });
  }

  // Caption, checked, visible, enabled from the option; a click on the widget is the option's Click, after
  // which the widget shows the option's state again (a radio button clicked when on stays on).
  // `clicked` runs after the option took the click (the view refreshes what the option's handler changed).
  void Option(QAbstractButton& button, kv::console::TCheckOption& option, std::function<void()> clicked = {});
  void Enabled(QWidget& widget, kv::console::ObservableFlag& flag);
  // A progress line or label: shows the text; an editable line also writes what the person types.
  void Text(QLineEdit& line, kv::console::ObservableText& text, bool editable);
  void TabVisible(QTabWidget& tabs, int index, kv::console::ObservableFlag& flag);

 private:
  std::vector<std::function<void()>> undo_;
};

}  // namespace kv::gui
