#include "bench_support.h"

#include "model/parameter.h"
#include "model/project.h"
#include "shell/clock.h"
#include "storage/project_lifecycle.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include <unistd.h>

namespace vandro::bench {

std::vector<const TParameter*> NewBenchProject(const std::string& path, TShape& shape,
                                               int32_t& lastId) {
  if (!APSCreateProject(path, "", NewProjectInfo("Bench")) || !OpenProject(path)) std::exit(1);
  std::vector<const TParameter*> parameters;
  for (int v = 0; v < shape.values; ++v) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = "P" + std::to_string(v + 1);
    parameters.push_back(&CurrentProject()->AddParameter(std::move(parameter)));
  }
  shape.firstParameterId = parameters.front()->Idtor;
  lastId = CurrentProject()->IdCounter();
  return parameters;
}

void StoredBenchProject(const std::string& path, TShape& shape) {
  TFixedClock clock(shape.sysTime);
  const TClock* previous = SetClock(&clock);
  int32_t lastId = 0;
  NewBenchProject(path, shape, lastId);
  CloseProject();
  SetClock(previous);
  BaselineStore(path.substr(0, path.size() - 4) + ".vdb", shape, lastId);
}

bool ReadObjectCount(int argc, char** argv, TShape& shape) {
  if (argc > 1) shape.objects = std::atoi(argv[1]);
  if (shape.objects > 0) return true;
  std::fprintf(stderr, "usage: %s [objects]\n", argv[0]);
  return false;
}

std::string TemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vandro-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  return pattern;
}

void RemoveUnlessKept(const std::string& dir) {
  if (const char* keep = std::getenv("VANDRO_BENCH_KEEP"); keep && *keep == '1') {
    std::printf("kept in %s\n", dir.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
  return -1;
}

} // namespace vandro::bench
