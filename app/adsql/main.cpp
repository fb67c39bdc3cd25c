#include <iostream>

#include "app/adsql/shell.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kv::adsql::Main(args, std::cout, std::cerr);
}
