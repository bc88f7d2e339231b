#include "cli.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return vandro::cli::RunCli(args, {std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1});
}
