#include <iostream>

#include "app/demo/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kv::demo::Main(args, std::cout, std::cerr);
}
