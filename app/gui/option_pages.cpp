#include "app/gui/option_pages.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace kv::gui {

namespace {

using kv::console::OptionKind;
using kv::console::TCheckOption;

QAbstractButton* MakeButton(TCheckOption& option, Bindings& bindings,
                            const std::function<void(const std::string&)>& afterClick, QWidget* parent) {
  QAbstractButton* button = nullptr;
  if (option.Kind() == OptionKind::RadioButton)
    button = new QRadioButton(parent);
  else
    button = new QCheckBox(parent);
  const std::string name = option.Name();
  bindings.Option(*button, option, [afterClick, name] {
    if (afterClick) afterClick(name);
  });
  return button;
}

std::vector<TCheckOption*> OptionsOf(kv::console::TForm1& form, const std::string& page) {
  std::vector<TCheckOption*> options;
  for (const auto& option : form.Options().All())
    if (option->PageName() == page) options.push_back(option.get());
  return options;
}

}  // namespace

QWidget* BuildOptionColumns(kv::console::TForm1& form, const std::string& page, Bindings& bindings,
                            const std::function<void(const std::string&)>& afterClick, QWidget* parent) {
  auto* area = new QWidget(parent);
  auto* columns = new QHBoxLayout(area);
  columns->setContentsMargins(3, 3, 3, 3);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  left->setSpacing(2);
  right->setSpacing(2);
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);
  // The window is narrow for two columns of these captions: the wider half of the options goes to the left
  // column and the rest to the right, each in the table's order, so the two widest captions never sit side by
  // side. Hidden options count too, since the console may show them.
  std::vector<QAbstractButton*> buttons;
  for (TCheckOption* option : OptionsOf(form, page)) buttons.push_back(MakeButton(*option, bindings, afterClick, area));
  std::vector<std::size_t> byWidth(buttons.size());
  for (std::size_t i = 0; i < byWidth.size(); ++i) byWidth[i] = i;
  std::stable_sort(byWidth.begin(), byWidth.end(), [&](std::size_t a, std::size_t b) {
    return buttons[a]->sizeHint().width() > buttons[b]->sizeHint().width();
  });
  std::vector<bool> inLeft(buttons.size(), false);
  for (std::size_t i = 0; i < (buttons.size() + 1) / 2; ++i) inLeft[byWidth[i]] = true;
  for (std::size_t i = 0; i < buttons.size(); ++i) (inLeft[i] ? left : right)->addWidget(buttons[i]);
  left->addStretch(1);
  right->addStretch(1);
  return area;
}

QWidget* BuildMiscPage(kv::console::TForm1& form, Bindings& bindings,
                       const std::function<void(const std::string&)>& afterClick, QWidget* parent) {
  auto* page = new QWidget(parent);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(3, 3, 3, 3);

  auto* group = new QGroupBox("GroupBox3", page);
  group->setObjectName("GroupBox3");
  auto* inGroup = new QVBoxLayout(group);
  auto* rest = new QVBoxLayout;
  for (TCheckOption* option : OptionsOf(form, "Misc")) {
    const bool grouped = option == &form.CheckBox5 || option->Group() == "GroupBox3";
    if (grouped)
      inGroup->addWidget(MakeButton(*option, bindings, afterClick, group));
    else
      rest->addWidget(MakeButton(*option, bindings, afterClick, page));
  }
  layout->addWidget(group);
  layout->addLayout(rest);

  auto* flow = new QHBoxLayout;
  auto* flowLabel = new QLabel("Flow Table", page);
  auto* edit4 = new QLineEdit(page);
  edit4->setObjectName("Edit4");
  flowLabel->setBuddy(edit4);
  bindings.Text(*edit4, form.Edit4, /*editable=*/true);
  flow->addWidget(flowLabel);
  flow->addWidget(edit4, 1);
  layout->addLayout(flow);

  auto* edit3 = new QLineEdit(page);
  edit3->setObjectName("Edit3");
  bindings.Text(*edit3, form.Edit3, /*editable=*/true);
  edit3->setVisible(false);
  layout->addWidget(edit3);
  layout->addStretch(1);
  return page;
}

}  // namespace kv::gui
