#pragma once
// The dry run: a company's whole upgrade on a scratch copy, so that an administrator sees what the run would
// change before it changes anything. The copy is made from a fresh backup of the company (written to "BACKUP"
// as every run's backup is) into a scratch installation of its own: a KAVEN.ini naming no data path, a copy of
// the registry, the release's archives and the company restored from that backup. A second window over the
// scratch installation then runs the company through the same run driver, with the options of the window that
// asked; the company's folder and the registry are never opened for writing. The scratch installation goes
// afterwards.

#include <string>
#include <vector>

#include "platform/ui.h"

namespace kv::console {

class TForm1;

struct DryRunResult {
  std::string archive;             // the fresh backup the copy was made from
  std::string record;              // the copy's run record (JSON), empty when none was written
  std::vector<std::string> drift;  // the drift check of the copy after its run
  std::string failure;             // the error that ended the copy's run, empty when it completed
};

// Runs company code of form's installation on a scratch copy; ui answers the copy's confirmation and hears its
// messages. Raises when the backup, the scratch installation or the copy's start-up fails.
DryRunResult DryRunCompany(TForm1& form, const std::string& code, kv::ui::UserInterface& ui);

}  // namespace kv::console
