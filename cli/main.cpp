#include "cli.h"

#include <csignal>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  // A write past the file size limit (ulimit -f) would kill the program
  // without a word; ignored, the write fails with EFBIG and is reported like
  // a full disk, and what was committed before stays.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return vandro::cli::RunCli(args, {std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1});
}
