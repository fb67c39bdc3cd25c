// kv8mtn: the upgrade tool's window. See --help.

#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/gui/main_window.h"
#include "app/gui/program_file.h"
#include "console/form.h"

int main(int argc, char** argv) {
  // The usage needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::cout << kv::gui::ProgramUsage();
      return 0;
    }
  }
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  QApplication::setApplicationName(QString::fromLatin1(kv::console::kApplicationTitle.data(),
                                                       static_cast<int>(kv::console::kApplicationTitle.size())));
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto parsed =
      kv::gui::ParseProgramArguments(args, QCoreApplication::applicationFilePath().toStdString(), &error);
  if (!parsed) {
    std::cerr << "kv8mtn: " << error << "\nTry kv8mtn --help.\n";
    return 2;
  }
  if (parsed->help) {
    std::cout << kv::gui::ProgramUsage();
    return 0;
  }
  kv::gui::MainWindow window(parsed->programFile);
  window.Start();
  window.show();
  return QApplication::exec();
}
