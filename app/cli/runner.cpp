#include "app/cli/runner.h"

#include <deque>
#include <exception>
#include <ostream>

#include "app/cli/check_command.h"
#include "app/cli/dry_run_command.h"
#include "app/cli/history_command.h"
#include "app/cli/parallel_run.h"
#include "app/cli/restore_command.h"
#include "app/cli/terminal_ui.h"
#include "console/form.h"

namespace kv::cli {

namespace {

// Progress as a person watching a window would see it move: one line per change of a progress line.
void FollowProgress(kv::console::TForm1& form, std::ostream& progress) {
  const auto follow = [&progress](kv::console::ObservableText& text, const char* name) {
    text.Subscribe([&progress, name](const std::string& value) { progress << name << ": " << value << std::endl; });
  };
  follow(form.Edit1, "Edit1");
  follow(form.Edit2, "Edit2");
  follow(form.edtdatabase, "edtdatabase");
}

// What the application's default error display shows for an error no handler caught: its message.
void ShowUncaught(std::ostream& out, const std::exception& error) { out << "error: " << error.what() << std::endl; }

bool ApplyTicks(kv::console::TForm1& form, const CliOptions& options, std::ostream& out) {
  const auto set = [&](const std::string& name, bool checked) {
    kv::console::TCheckOption* option = form.FindOption(name);
    if (!option) {
      out << "error: there is no option named \"" << name << "\"" << std::endl;
      return false;
    }
    option->SetChecked(checked);
    return true;
  };
  for (const std::string& name : options.tick)
    if (!set(name, true)) return false;
  for (const std::string& name : options.untick)
    if (!set(name, false)) return false;
  return true;
}

bool ApplySelections(kv::console::TForm1& form, const CliOptions& options, std::ostream& out) {
  if (options.selectAll) form.CheckBox2.SetChecked(true);
  for (const std::string& code : options.select) {
    if (!form.SelectCompany(code, true)) {
      out << "error: the company \"" << code << "\" is not in the registry" << std::endl;
      return false;
    }
  }
  return true;
}

void ListRegistry(kv::console::TForm1& form, std::ostream& out) {
  auto& registry = form.AdsTableCompany;
  if (!registry.Active()) {
    out << "registry: not open" << std::endl;
    return;
  }
  out << "registry: " << registry.RecordCount() << " companies" << std::endl;
  for (registry.First(); !registry.Eof(); registry.Next()) {
    out << "company: " << registry.FieldByName("COMPANY_CODE").AsString() << " | "
        << registry.FieldByName("COMPANY_NAME").AsString() << " | "
        << (registry.FieldByName("MERGE").AsString() == "1" ? "selected" : "-") << std::endl;
  }
  registry.First();
}

}  // namespace

int RunHeadless(const CliOptions& options, const std::string& programFile, std::ostream& out,
                std::ostream& progress) {
  TerminalUi ui(out, std::deque<bool>(options.answers.begin(), options.answers.end()), options.yes);
  kv::console::TForm1 form(ui, programFile);
  FollowProgress(form, progress);
  try {
    try {
      form.FormCreate();
    } catch (const std::exception& error) {
      // The window opens all the same (with an empty grid when the registry stayed shut).
      ShowUncaught(out, error);
    }
    form.FormShow();
    out << "window: " << form.Caption.Text() << std::endl;
    if (!form.LabelServerInfo.Text().empty()) out << "server: " << form.LabelServerInfo.Text() << std::endl;
    out << "data path: " << form.DataPath() << std::endl;

    if (!options.history.empty()) return PrintHistory(form, options.history, out);
    if (!options.restore.empty()) return RestoreFromBackup(form, options.restore, options.from, out);
    // Before the options: a check selects no company in the registry, it only reads.
    if (options.check) return PrintDrift(form, options.select, out);
    if (!ApplyTicks(form, options, out)) return kBadUse;
    // Before the selections: a dry run selects nothing in the registry, only in its copy.
    if (options.dryRun)
      return PrintDryRun(form, options.selectAll ? std::vector<std::string>{} : options.select, ui, out);
    if (!ApplySelections(form, options, out)) return kBadUse;
    if (options.list) ListRegistry(form, out);
    if (options.noProcess) return kCompleted;

    if (options.jobs > 0) {
      const std::string folder = form.ProgramFolder().substr(0, form.ProgramFolder().size() - 1);
      return RunCompaniesInParallel(form, options, folder, out, progress);
    }
    if (!options.oneCompany.empty()) {
      form.ProcessOneCompany(options.oneCompany);
      out << "company: " << options.oneCompany << " completed" << std::endl;
      return kCompleted;
    }
    form.BitBtn1Click();
    out << (form.Closed() ? "run: completed, window closed" : "run: nothing done") << std::endl;
    return kCompleted;
  } catch (const UnansweredPrompt& prompt) {
    out << "error: " << prompt.text << std::endl;
    return kBadUse;
  } catch (const std::exception& error) {
    ShowUncaught(out, error);
    return kRunFailed;
  }
}

}  // namespace kv::cli
