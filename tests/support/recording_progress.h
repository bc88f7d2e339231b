// A progress that records what it is told and may ask to stop.
#pragma once

#include "shell/progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vandro::testing {

struct TRecordingProgress final : TProgress {
  void Start(const std::string& caption) override { events.push_back("start " + caption); }
  bool Update(double share) override {
    shares.push_back(share);
    return shares.size() < stopAfter;
  }
  void End() override { events.push_back("end"); }
  std::vector<std::string> events;
  std::vector<double> shares;
  size_t stopAfter = SIZE_MAX;
};

} // namespace vandro::testing
