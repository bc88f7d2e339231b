#include "app/shell/startup.h"

#include <csignal>

int main(int argc, char** argv) {
  // A write past the file size limit (ulimit -f) would kill the program
  // without a word; ignored, the write fails with EFBIG and is reported like
  // a full disk.
  std::signal(SIGXFSZ, SIG_IGN);
  return vandro::RunVandro(argc, argv);
}
