#include "app/gui/bindings.h"

namespace kv::gui {

QString LiteralCaption(const std::string& caption) {
  return QString::fromStdString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

Bindings::~Bindings() {
  for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
}

void Bindings::Option(QAbstractButton& button, kv::console::TCheckOption& option, std::function<void()> clicked) {
  button.setObjectName(QString::fromStdString(option.Name()));
  button.setText(LiteralCaption(option.Caption()));
  button.setCheckable(true);
  // The option keeps its group's radio buttons exclusive; Qt's own exclusivity would refuse to show a state the
  // option holds (no button of the group on).
  button.setAutoExclusive(false);
  QAbstractButton* widget = &button;
  Follow<bool>(option.checked, [widget](const bool& on) { widget->setChecked(on); });
  Follow<bool>(option.visible, [widget](const bool& shown) { widget->setVisible(shown); });
  Follow<bool>(option.enabled, [widget](const bool& on) { widget->setEnabled(on); });
  kv::console::TCheckOption* state = &option;
  QObject::connect(widget, &QAbstractButton::clicked, widget, [widget, state, clicked](bool) {
    state->Click();
    widget->setChecked(state->Checked());
    if (clicked) clicked();
  });
}

void Bindings::Enabled(QWidget& widget, kv::console::ObservableFlag& flag) {
  QWidget* target = &widget;
  Follow<bool>(flag, [target](const bool& on) { target->setEnabled(on); });
}

void Bindings::Text(QLineEdit& line, kv::console::ObservableText& text, bool editable) {
  QLineEdit* target = &line;
  line.setReadOnly(!editable);
  Follow<std::string>(text, [target](const std::string& value) {
    const QString shown = QString::fromStdString(value);
    if (target->text() != shown) target->setText(shown);
  });
  if (editable) {
    kv::console::ObservableText* state = &text;
    QObject::connect(target, &QLineEdit::textEdited, target,
                     [state](const QString& typed) { state->SetText(typed.toStdString()); });
  }
}

void Bindings::TabVisible(QTabWidget& tabs, int index, kv::console::ObservableFlag& flag) {
  QTabWidget* target = &tabs;
  Follow<bool>(flag, [target, index](const bool& shown) { target->setTabVisible(index, shown); });
}

}  // namespace kv::gui
