#include "app/cli/cli_options.h"

namespace kv::cli {

namespace {

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string* value, std::string* error) {
  const std::string& flag = args[i];
  if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
    *error = flag + " needs a value";
    return false;
  }
  *value = args[++i];
  return true;
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string* error) {
  CliOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--program-dir") {
      if (!TakeValue(args, i, &o.programDir, error)) return std::nullopt;
    } else if (a == "--drive-root") {
      if (!TakeValue(args, i, &o.driveRoot, error)) return std::nullopt;
    } else if (a == "--tick" || a == "--untick" || a == "--select") {
      if (!TakeValue(args, i, &value, error)) return std::nullopt;
      (a == "--tick" ? o.tick : a == "--untick" ? o.untick : o.select).push_back(value);
    } else if (a == "--answer") {
      if (!TakeValue(args, i, &value, error)) return std::nullopt;
      if (value != "yes" && value != "no") {
        *error = "--answer takes yes or no, not \"" + value + "\"";
        return std::nullopt;
      }
      o.answers.push_back(value == "yes");
    } else if (a == "--one-company" || a == "--history") {
      if (!TakeValue(args, i, a == "--history" ? &o.history : &o.oneCompany, error)) return std::nullopt;
    } else if (a == "--jobs") {
      if (!TakeValue(args, i, &value, error)) return std::nullopt;
      if (value.find_first_not_of("0123456789") != std::string::npos || value.size() > 3 || std::stoi(value) < 1) {
        *error = "--jobs takes a number of processes from 1 to 999, not \"" + value + "\"";
        return std::nullopt;
      }
      o.jobs = std::stoi(value);
    } else if (a == "--restore" || a == "--from") {
      if (!TakeValue(args, i, a == "--restore" ? &o.restore : &o.from, error)) return std::nullopt;
    } else if (a == "--check") {
      o.check = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--select-all") {
      o.selectAll = true;
    } else if (a == "--yes") {
      o.yes = true;
    } else if (a == "--list") {
      o.list = true;
    } else if (a == "--no-process") {
      o.noProcess = true;
    } else {
      *error = "unknown argument \"" + a + "\"";
      return std::nullopt;
    }
  }
  if (!o.from.empty() && o.restore.empty()) {
    *error = "--from goes with --restore";
    return std::nullopt;
  }
  if (!o.restore.empty() + !o.history.empty() + (o.jobs > 0) + !o.oneCompany.empty() + o.check + o.dryRun > 1) {
    *error =
        "--restore, --history, --check, --dry-run, --jobs and --one-company each do a job of their own: give one";
    return std::nullopt;
  }
  if (o.dryRun && o.select.empty() && !o.selectAll) {
    *error = "--dry-run needs the companies: --select CODE or --select-all";
    return std::nullopt;
  }
  return o;
}

std::string CliUsage() {
  return R"(Usage: kv8mtn-cli [--program-dir DIR] [--drive-root DIR] [--tick NAME]... [--untick NAME]...
                  [--select CODE]... [--select-all] [--answer yes|no]... [--yes] [--list] [--no-process]
       kv8mtn-cli [--program-dir DIR] [--tick NAME]... --select-all --yes --jobs N
       kv8mtn-cli [--program-dir DIR] --restore CODE [--from ARCHIVE]
       kv8mtn-cli [--program-dir DIR] --history CODE
       kv8mtn-cli [--program-dir DIR] --check [--select CODE]...
       kv8mtn-cli [--program-dir DIR] [--tick NAME]... --dry-run (--select CODE... | --select-all) --yes

Runs the KV8 MTN 9.07 upgrade headlessly: the same window state and run as the desktop program, driven from the
command line. Start-up reads DIR\KAVEN.ini and opens the company registry mcompany.ADT in the data path; then the
options and selections given here are applied and Process is pressed.

  --program-dir DIR  the folder taken as the program's folder: KAVEN.ini is read there, and it is the data path
                     when KAVEN.ini names none (default: the folder of this program)
  --drive-root DIR   the host folder the suite's drive letters stand for: "c:\temp\" (photo files) is
                     DIR/c/temp (default: /mnt)
  --tick NAME        tick the option with this component name (CheckBoxbackup, chkCPFFWL, CheckBoxRight, ...);
  --untick NAME      untick it. Hidden options can be ticked; unknown names are an error
  --select CODE      select the company CODE for the run (its MERGE becomes "1", as ticking it in the grid)
  --select-all       tick "Tick to select All company" (every company's MERGE becomes "1")
  --answer yes|no    the answer to the next confirmation, in order (repeatable)
  --yes              answer Yes to every confirmation the --answer queue does not cover
  --list             print the registry rows (code, name, selected) after start-up and the selections
  --no-process       do not press Process (with --list: only look)
  --jobs N           run each selected company in a process of its own, at most N at a time: the run start and
                     the run end once here, each company by this program with --one-company; every line a
                     company's process prints comes with "CODE: " before it. A failing company stops further
                     ones from starting and the run end is left out, as in a run without --jobs
  --one-company CODE run only company CODE's part of the run (no confirmation, no run start or end): what
                     --jobs starts for each company
  --history CODE     print the records of company CODE's runs (JSON files beside its backups in BACKUP, one a
                     run: data versions before and after, steps with their seconds, messages, how it ended)
  --check            compare each company (those given with --select, else every company of the registry) with
                     what a complete run leaves, changing nothing: the catalogue's tables, the columns of the
                     column lists with their types and lengths, the index upgrade's indexes, the encryption of
                     free tables and, on dictionary companies, registration, standard rights and auto-create.
                     One line "check: CODE: DIFFERENCE" each; exit status 0 when no company differs, else 1
  --dry-run          run each selected company's whole upgrade on a scratch copy made from a fresh backup (the
                     archive is written to BACKUP as a run's backup is), with the options ticked here, and
                     print what it changed there: the copy's run record and its --check afterwards, lines
                     "dry run: CODE: ...". The company and the registry are left untouched; the copy goes
  --restore CODE     put company CODE back from a backup archive in the data path's BACKUP folder (the one
                     written last unless --from names one) and do no run. The archive is extracted beside the
                     company folder and swapped in only when complete; files the backup does not take (pictures,
                     subfolders) stay. Refused while a table of the company is open in any program
  --from ARCHIVE     with --restore: the archive, by its name in BACKUP or by a path; it must be a backup of CODE
  --help             this text

Output: every message box and confirmation on standard output, one per line, with its answer:
  message: TEXT          a plain message box
  box [CAPTION]: TEXT    a titled message box
  confirm: TEXT -> Yes   a confirmation and the answer given
Progress goes to standard error, one line per change: "Edit1: ...", "Edit2: ...", "edtdatabase: ...".

Exit status: 0 the run completed (or nothing was to run); 1 --check found a difference; 3 the run ended on an error no step catches (its text
is printed as "error: TEXT"); 2 bad arguments or a confirmation nobody answered.
)";
}

}  // namespace kv::cli
