#pragma once
// The option check boxes and radio buttons of the three pages, laid out from the form's option table and bound
// to the form's option objects.

#include <QWidget>
#include <functional>
#include <string>

#include "app/gui/bindings.h"
#include "console/form.h"

namespace kv::gui {

// The options of a page in two columns, in the table's order. `afterClick` hears the component name of every
// option a person clicked, after the option's handler ran.
QWidget* BuildOptionColumns(kv::console::TForm1& form, const std::string& page, Bindings& bindings,
                            const std::function<void(const std::string&)>& afterClick, QWidget* parent);

// The Misc page: GroupBox3 with CheckBox5 and its two radio buttons, the other Misc options, "Flow Table" with
// Edit4, and the hidden Edit3.
QWidget* BuildMiscPage(kv::console::TForm1& form, Bindings& bindings,
                       const std::function<void(const std::string&)>& afterClick, QWidget* parent);

}  // namespace kv::gui
