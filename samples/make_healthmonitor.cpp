// make_healthmonitor PATH: writes the sample project at PATH (the ".vdp"
// file; the ".vdb" goes beside it). The build runs it to put the sample
// beside the desktop program.
#include "healthmonitor.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make_healthmonitor PATH.vdp\n");
    return 2;
  }
  return vandro::sample::MakeHealthMonitor(argv[1]) ? 0 : 1;
}
