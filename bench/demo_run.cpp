// demo_run: how long the tool takes over a whole installation, and what its company backup costs against the
// zip program on the same folders.
//
// Makes a demo installation (default 20 companies x 200 employees) in a fresh folder, then
//   1. backs each company up with the console's own backup routine (the one the run calls first for every
//      company) and, right after it, compresses the same files with `zip -6`, alternating, and prints both
//      totals (wall-clock and processor), their ratio and the archives' sizes;
//   2. runs the whole upgrade over every company through the window's Process handler, answered Yes, and prints
//      its wall-clock and processor time, the time per company and the peak resident memory;
//   3. runs it a second time over the upgraded companies (every step finds its work done) and prints that run's
//      time a company against the backup's time a company: what a rerun costs beyond the backup it starts with.
// See bench/README.md for the command.

#include <sys/resource.h>
#include <sys/wait.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/terminal_ui.h"
#include "app/demo/installation.h"
#include "console/form.h"

namespace {

namespace stdfs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

double ProcessorSeconds() {
  rusage self{};
  rusage children{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  const auto sum = [](const timeval& a, const timeval& b) {
    return static_cast<double>(a.tv_sec + b.tv_sec) + static_cast<double>(a.tv_usec + b.tv_usec) / 1e6;
  };
  return sum(self.ru_utime, children.ru_utime) + sum(self.ru_stime, children.ru_stime);
}

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// The files a company backup takes: tables, indexes, memo files and the dictionary's own three.
bool IsDatabaseFile(const stdfs::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* wanted : {".adt", ".adi", ".adm", ".add", ".am", ".ai"})
    if (extension == wanted) return true;
  return false;
}

struct Options {
  int companies = 20;
  int employees = 200;
  std::string dir;
  bool keep = false;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--companies" && hasValue) o.companies = std::atoi(argv[++i]);
    else if (a == "--employees" && hasValue) o.employees = std::atoi(argv[++i]);
    else if (a == "--dir" && hasValue) o.dir = argv[++i];
    else if (a == "--keep") o.keep = true;
    else {
      std::cerr << "usage: demo_run [--companies N] [--employees M] [--dir NEW_FOLDER] [--keep]\n";
      return false;
    }
  }
  return o.companies > 0 && o.employees > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) return 2;
  if (std::system("command -v zip > /dev/null 2>&1") != 0) {
    std::cerr << "demo_run needs the zip program (Debian package zip) for the comparison\n";
    return 2;
  }
  if (o.dir.empty()) {
    std::random_device seed;
    o.dir = (stdfs::temp_directory_path() / ("kv8mtn-bench-" + std::to_string(seed()))).string();
  }
  const stdfs::path root(o.dir);

  kv::demo::DemoOptions demo;
  demo.dir = o.dir;
  demo.companies = o.companies;
  demo.employees = o.employees;
  auto t0 = Clock::now();
  const auto companies = kv::demo::MakeDemoInstallation(demo);
  std::cout << "installation: " << companies.size() << " companies x " << o.employees << " employees made in "
            << Seconds(t0, Clock::now()) << " s in " << o.dir << "\n";

  std::ostringstream quiet;
  double backupSeconds = 0, backupCpu = 0;
  {
    // 1. Backups against zip -6 on the same folders, alternating so that both meet the same cache and load.
    kv::cli::TerminalUi ui(quiet, {}, true);
    kv::console::TForm1 form(ui, (root / "kv8mtn").string());
    form.FormCreate();
    stdfs::create_directories(root / "BACKUP");
    const stdfs::path zipped = root / "zip-6";
    stdfs::create_directories(zipped);
    double ours = 0, theirs = 0, ourCpu = 0, theirCpu = 0;
    std::uintmax_t ourBytes = 0, theirBytes = 0, folderBytes = 0;
    for (const auto& company : companies) {
      const stdfs::path folder = root / "COMPANY" / company.code;
      // zip gets exactly the files the backup takes: the database files, not the leftovers beside them.
      const stdfs::path list = zipped / (company.code + ".list");
      {
        std::ofstream names(list);
        for (const auto& entry : stdfs::directory_iterator(folder)) {
          if (!entry.is_regular_file() || !IsDatabaseFile(entry.path())) continue;
          names << entry.path().filename().string() << "\n";
          folderBytes += entry.file_size();
        }
      }
      double cpu = ProcessorSeconds();
      t0 = Clock::now();
      form.Backup(company.code);
      ours += Seconds(t0, Clock::now());
      ourCpu += ProcessorSeconds() - cpu;
      const std::string target = (zipped / (company.code + ".zip")).string();
      cpu = ProcessorSeconds();
      t0 = Clock::now();
      const int status = std::system(
          ("cd " + Quoted(folder.string()) + " && zip -6 -q " + Quoted(target) + " -@ < " + Quoted(list.string()))
              .c_str());
      theirs += Seconds(t0, Clock::now());
      theirCpu += ProcessorSeconds() - cpu;
      if (status != 0) {
        std::cerr << "zip failed on " << folder << "\n";
        return 1;
      }
      theirBytes += stdfs::file_size(target);
    }
    for (const auto& entry : stdfs::directory_iterator(root / "BACKUP")) ourBytes += entry.file_size();
    backupSeconds = ours;
    backupCpu = ourCpu;
    stdfs::remove_all(zipped);
    stdfs::remove_all(root / "BACKUP");
    std::printf("backup of %zu company folders (%.1f MB of database files): ours %.3f s (%.3f s processor), zip -6 "
                "%.3f s (%.3f s processor), ratio %.2f (processor %.2f); archives %.2f MB against %.2f MB (%.3f x)\n",
                companies.size(), static_cast<double>(folderBytes) / 1e6, ours, ourCpu, theirs, theirCpu,
                ours / theirs, ourCpu / theirCpu,
                static_cast<double>(ourBytes) / 1e6, static_cast<double>(theirBytes) / 1e6,
                static_cast<double>(ourBytes) / static_cast<double>(theirBytes));
  }

  // 2. The whole run, as Process does it with every company selected and the confirmation answered Yes; 3. the
  // same again over the upgraded companies.
  struct Timing {
    double wall = -1, cpu = 0;
  };
  const auto run = [&](const char* what) -> Timing {
    kv::cli::TerminalUi ui(quiet, {}, true);
    kv::console::TForm1 form(ui, (root / "kv8mtn").string());
    form.FormCreate();
    form.FormShow();
    form.CheckBox2.SetChecked(true);
    const double cpu0 = ProcessorSeconds();
    t0 = Clock::now();
    form.BitBtn1Click();
    const double wall = Seconds(t0, Clock::now());
    const double cpu = ProcessorSeconds() - cpu0;
    if (!form.Closed()) {
      std::cerr << "the " << what << " did not complete:\n" << quiet.str();
      return {};
    }
    std::printf("%s over %zu companies: %.2f s wall, %.2f s processor, %.3f s a company, peak resident %.1f MB\n",
                what, companies.size(), wall, cpu, wall / static_cast<double>(companies.size()),
                static_cast<double>(PeakResidentKiB()) / 1024.0);
    return {wall, cpu};
  };
  if (run("run").wall < 0) return 1;
  // The backup a rerun starts with is of the upgraded company, larger than the older one backed up above.
  {
    kv::cli::TerminalUi ui(quiet, {}, true);
    kv::console::TForm1 form(ui, (root / "kv8mtn").string());
    form.FormCreate();
    const double cpu = ProcessorSeconds();
    t0 = Clock::now();
    for (const auto& company : companies) form.Backup(company.code);
    backupSeconds = Seconds(t0, Clock::now());
    backupCpu = ProcessorSeconds() - cpu;
  }
  const Timing rerun = run("rerun");
  if (rerun.wall < 0) return 1;
  const double n = static_cast<double>(companies.size());
  std::printf("rerun %.3f s a company (its backup included; %.3f s processor) against the backup alone %.3f s "
              "of the upgraded company (%.3f s processor): ratio %.2f (processor %.2f)\n",
              rerun.wall / n, rerun.cpu / n, backupSeconds / n, backupCpu / n, rerun.wall / backupSeconds,
              rerun.cpu / backupCpu);
  if (!o.keep) stdfs::remove_all(root);
  return 0;
}
