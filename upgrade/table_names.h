#pragma once
// Dictionary tables registered under their file name ("EMPLOYEE.ADT") are registered again under their bare name
// ("EMPLOYEE", the file unchanged), with the suite's standard rights, as the suite opens them by that name.

#include "upgrade/window_objects.h"

namespace kv::upgrade {

// Does nothing unless AdsTable1's connection is a dictionary connection. Every registered name is shown in Edit1
// ("Updating ADT Table " + the bare name). A failure ends the routine with a message (its text +
// "Remove ADT Ext Table Name " + the name being handled); the company connection is back on the company
// either way.
void StripTableNameExtensions(const WindowObjects& window);

}  // namespace kv::upgrade
