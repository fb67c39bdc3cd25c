#pragma once
// The window's options: every check box and radio button of the three pages as a small state object (component
// name, page, caption, checked, visible, enabled), the pages with their tab visibility, and the fixed table they
// are made from.
//
// SetChecked is what the code does (Delphi's Checked := ...): a change fires OnClick, as the window's check boxes
// do. Click is what a person does: it toggles a check box or checks a radio button, and does nothing on a hidden
// or disabled control. Checking a radio button unchecks the others of its group.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/observable.h"

namespace kv::console {

enum class OptionKind { CheckBox, RadioButton };

// One row of the options table.
struct OptionSpec {
  const char* name;     // component name, "chkCPFFWL"
  const char* page;     // "Main", "Optional", "Misc"
  const char* caption;  // as shown, "&&" already reduced to "&"
  bool checked;         // state at start
  bool visible;
  bool enabled;
  OptionKind kind = OptionKind::CheckBox;
  const char* group = "";  // radio buttons of one group box exclude each other
};

// Every option of the window, in the order of the pages' layout.
std::span<const OptionSpec> OptionTable();

class TCheckOption {
 public:
  explicit TCheckOption(const OptionSpec& spec);
  TCheckOption(const TCheckOption&) = delete;
  TCheckOption& operator=(const TCheckOption&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& PageName() const { return page_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Group() const { return group_; }
  OptionKind Kind() const { return kind_; }

  bool Checked() const { return checked.Get(); }
  // Changes the state; a change fires OnClick (and, for a radio button checked, unchecks its group first).
  void SetChecked(bool value);
  // A person's click: ignored unless the control is visible and enabled.
  void Click();

  ObservableFlag checked;
  ObservableFlag visible;
  ObservableFlag enabled;
  std::function<void()> OnClick;

 private:
  friend class TOptions;
  std::string name_, page_, caption_, group_;
  OptionKind kind_;
  std::vector<TCheckOption*> groupMates_;
};

// A page of the page control; its tab may be hidden ("Optional" and "Misc" until F5).
class TPage {
 public:
  TPage(std::string name, bool tabShown) : tabVisible(tabShown), name_(std::move(name)) {}
  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return name_; }
  ObservableFlag tabVisible;

 private:
  std::string name_;
};

// All options made from the table, findable by component name.
class TOptions {
 public:
  TOptions();
  // Without regard to case; nullptr for an unknown name.
  TCheckOption* Find(std::string_view name) const;
  // std::out_of_range for an unknown name.
  TCheckOption& Get(std::string_view name) const;
  const std::vector<std::unique_ptr<TCheckOption>>& All() const { return options_; }

 private:
  std::vector<std::unique_ptr<TCheckOption>> options_;
};

}  // namespace kv::console
