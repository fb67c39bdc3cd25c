// kv8mtn-shot: PNG pictures of the window, before a run and during one. See --help.

#include <QApplication>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "app/demo/installation.h"
#include "app/gui/screenshot_session.h"
#include "console/form.h"

namespace {

constexpr const char* kUsage = R"(Usage: kv8mtn-shot [--out DIR] [--program-dir DIR]

Opens the KV8 MTN 9.07 window, ticks every company in the grid and writes DIR/window-before.png; presses F5 and
writes the two pages it shows (window-optional.png, window-misc.png); presses Process, answers Yes and OK to the
boxes, and writes DIR/window-running.png once the three progress lines hold text.

  --out DIR          where the pictures go (default: the current folder)
  --program-dir DIR  the installation to open; the run upgrades it. Without it a demo installation of three
                     companies is made in a temporary folder and removed afterwards.

Needs no display: QT_QPA_PLATFORM=offscreen (the default here) renders off screen; -platform xcb uses $DISPLAY.
Exit status: 0 both pictures written and the run completed; 1 otherwise; 2 bad arguments.
)";

std::filesystem::path FreshFolder() {
  std::random_device seed;
  return std::filesystem::temp_directory_path() / ("kv8mtn-shot-" + std::to_string(seed()));
}

}  // namespace

int main(int argc, char** argv) {
  // Off screen unless told otherwise, so that the tool runs the same on a desktop and on a build machine.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kv::console::kApplicationTitle.data(),
                                                       static_cast<int>(kv::console::kApplicationTitle.size())));
  std::filesystem::path out = ".";
  std::string programDir;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (args[i] == "--out" && i + 1 < args.size()) {
      out = args[++i];
      continue;
    }
    if (args[i] == "--program-dir" && i + 1 < args.size()) {
      programDir = args[++i];
      continue;
    }
    std::cerr << "kv8mtn-shot: bad argument \"" << args[i] << "\"\n" << kUsage;
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (!std::filesystem::is_directory(out)) {
    std::cerr << "kv8mtn-shot: " << out.string() << " is not a folder\n";
    return 2;
  }

  std::filesystem::path demo;
  if (programDir.empty()) {
    demo = FreshFolder();
    kv::demo::DemoOptions options;
    options.dir = demo.string();
    try {
      kv::demo::MakeDemoInstallation(options);
    } catch (const std::exception& error) {
      std::cerr << "kv8mtn-shot: the demo installation could not be made: " << error.what() << "\n";
      std::filesystem::remove_all(demo, ec);
      return 1;
    }
    programDir = demo.string();
    std::cout << "demo installation in " << programDir << std::endl;
    // The tool as if installed in the installation's folder, so the caption shows its file's date.
    const std::filesystem::path self = QCoreApplication::applicationFilePath().toStdString();
    const std::filesystem::path window = self.parent_path() / "kv8mtn";
    std::filesystem::create_symlink(std::filesystem::exists(window) ? window : self, demo / "kv8mtn", ec);
  } else if (!std::filesystem::is_directory(programDir)) {
    std::cerr << "kv8mtn-shot: --program-dir " << programDir << " is not a folder\n";
    return 2;
  }

  const std::filesystem::path programFile = std::filesystem::absolute(programDir) / "kv8mtn";
  const kv::gui::ShotOutcome outcome = kv::gui::TakeScreenshots(programFile.string(), out, std::cout);
  if (!demo.empty()) std::filesystem::remove_all(demo, ec);
  return outcome.before && outcome.running && outcome.completed ? 0 : 1;
}
