// kv8mtn-survey: prints what an installation's companies hold (tables, rows, fields, indexes, encryption, data
// version, backups), reading only. Usage: kv8mtn-survey PROGRAM_DIR

#include <iostream>
#include <string>

#include "app/survey/survey.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::cerr << "Usage: kv8mtn-survey PROGRAM_DIR\n"
                 "Prints, for every company of the registry in PROGRAM_DIR (or in KAVEN.ini's DIR), its data\n"
                 "version, each table's rows, fields, indexes and encryption, its other files and its backup\n"
                 "archives. Reads only. Compare two surveys to see what a run changed.\n";
    return argc == 2 ? 0 : 2;
  }
  return kv::survey::SurveyInstallation(argv[1], std::cout) ? 0 : 1;
}
