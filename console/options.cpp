#include "console/options.h"

#include <array>
#include <stdexcept>

#include "support/strings.h"

namespace kv::console {
namespace {

constexpr bool kTicked = true, kClear = false;
constexpr bool kShown = true, kHidden = false;
constexpr bool kEnabled = true, kDisabled = false;

// Component, page, caption (blanks as the window has them), state at start, visible, enabled.
constexpr std::array kOptions{
    OptionSpec{"CheckBoxbackup", "Main", "Auto Backup before update database ? ", kTicked, kShown, kEnabled},
    OptionSpec{"CheckBox1", "Main", "Update New fields", kTicked, kShown, kEnabled},
    OptionSpec{"CheckBox8", "Main", "Update MOSQ/SDL/FWL Table?", kClear, kHidden, kEnabled},
    OptionSpec{"CheckBox2", "Main", "Tick to select All company", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxDir", "Main", "Retrieve Company Code from Company Folder?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxVol", "Main", "Update Voluntory Code [Vol1] ?", kClear, kShown, kEnabled},
    OptionSpec{"chkAC", "Main", "Update Email Ac to 80 Chars?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxHTRX", "Main", "Update Transaction  Record?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxSupvr1", "Main", "Update Supervisor Table ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxPOSB", "Main", "Update POSB Account  to 7171 ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxRearrange", "Main", "Rearrange Custom Report", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxTerm", "Main", "Update Employee Termination Status ? ", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxRight", "Main", "Rebuild Table Right?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxPICTURE", "Main", "Update Picture", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxFin", "Main", "Update Fin Number?", kClear, kShown, kEnabled},
    OptionSpec{"removeNRIC", "Main", "Remove NRIC with '/'?", kClear, kShown, kEnabled},
    OptionSpec{"chkCPFFWL", "Main", "Update latest September's 2011 CPF table?", kTicked, kShown, kEnabled},
    OptionSpec{"CheckBoxSAVEJPG", "Main", "Save JPG on c:\\temp?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxCompany", "Optional", "Update company code ?", kClear, kHidden, kEnabled},
    OptionSpec{"CheckBoxAdv", "Optional", "Update Advance Report Writer Template ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxCode", "Optional", "Update Report Template ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxReport", "Optional", "Update Report Writer Files ", kClear, kHidden, kEnabled},
    OptionSpec{"CheckBoxUpdate", "Optional", "Update Report Template ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxForfeit", "Optional", "Initialize Leave Convert from KV5 version ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxNS", "Optional", "Update NS Date", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxCost", "Optional", "Update Employee's Cost Centre", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxAdd", "Optional", "Update MSO Subject to AddWages ? ", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxClaim", "Optional", "Update Claim Setup Table", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxjpg", "Optional", "Covert Employee's Photo Bmp To Jpg", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxaddr", "Optional", "add '6'  digit to Telephone  No", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxSTOP", "Optional", "Update Stop payment Indicator ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxFamily", "Optional", "Update Family Details to family Record ? ", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxEducate", "Optional", "Update Education Record ID ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxFamilyCode", "Optional", "Convert Family's Occupation code ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBoxCTR", "Optional", "Convert Cost Centre code ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBox5", "Misc", "Reset e-Payslip Password", kClear, kShown, kEnabled},
    OptionSpec{"RadioButton1", "Misc", "Update All", kClear, kShown, kDisabled, OptionKind::RadioButton, "GroupBox3"},
    OptionSpec{"RadioButton2", "Misc", "Update Blank Field", kTicked, kShown, kDisabled, OptionKind::RadioButton,
               "GroupBox3"},
    OptionSpec{"CheckBox7", "Misc", "Linking vUvevu to vAdivAvuru (Dic)", kClear, kShown, kEnabled},
    OptionSpec{"CheckBox3", "Misc", "Overwrite zEzaro Template & Extra Parameters?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBox4", "Misc", "Update zEzaro Template              ?", kClear, kShown, kEnabled},
    OptionSpec{"CheckBox6", "Misc", "Update to new vUvevu approval flow ?", kClear, kShown, kEnabled},
};

}  // namespace

std::span<const OptionSpec> OptionTable() { return kOptions; }

TCheckOption::TCheckOption(const OptionSpec& spec)
    : checked(spec.checked),
      visible(spec.visible),
      enabled(spec.enabled),
      name_(spec.name),
      page_(spec.page),
      caption_(spec.caption),
      group_(spec.group),
      kind_(spec.kind) {}

void TCheckOption::SetChecked(bool value) {
  if (value == Checked()) return;
  if (value && kind_ == OptionKind::RadioButton)
    for (TCheckOption* mate : groupMates_) mate->SetChecked(false);
  checked.Set(value);
  if (OnClick) OnClick();
}

void TCheckOption::Click() {
  if (!visible.Get() || !enabled.Get()) return;
  SetChecked(kind_ == OptionKind::RadioButton ? true : !Checked());
}

TOptions::TOptions() {
  for (const OptionSpec& spec : kOptions) options_.push_back(std::make_unique<TCheckOption>(spec));
  for (const auto& option : options_) {
    if (option->group_.empty()) continue;
    for (const auto& other : options_)
      if (other != option && other->group_ == option->group_) option->groupMates_.push_back(other.get());
  }
}

TCheckOption* TOptions::Find(std::string_view name) const {
  for (const auto& option : options_)
    if (kv::SameText(option->Name(), name)) return option.get();
  return nullptr;
}

TCheckOption& TOptions::Get(std::string_view name) const {
  if (TCheckOption* option = Find(name)) return *option;
  throw std::out_of_range("no option named " + std::string(name));
}

}  // namespace kv::console
