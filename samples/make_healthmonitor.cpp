// make_healthmonitor PATH: writes the sample project at PATH (the ".vdp"
// file; the ".vdb" goes beside it). The build runs it to put the sample
// beside the desktop program.
#include "healthmonitor.h"

#include "shell/text.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make_healthmonitor PATH.vdp\n");
    return 2;
  }
  std::string path;
  if (!vandro::PathFromOs(argv[1], path)) {
    std::fprintf(stderr, "make_healthmonitor: %s: a file name the program cannot hold\n", argv[1]);
    return 2;
  }
  return vandro::sample::MakeHealthMonitor(path) ? 0 : 1;
}
