// A named sample of numbers, as the statistics tests hand them over.
#pragma once

#include "stats/stats_common.h"

#include <string>
#include <utility>
#include <vector>

namespace vandro::testing {

inline TSample Numbers(std::string name, std::vector<long double> numbers, std::string unit = {}) {
  TSample sample;
  sample.name = std::move(name);
  sample.numbers = std::move(numbers);
  sample.unit = std::move(unit);
  return sample;
}

} // namespace vandro::testing
