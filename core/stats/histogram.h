// The histogram of one series: equal intervals from its minimum to its
// maximum, the count of items in each and the label under each bar.
#pragma once

#include "stats/stats_common.h"

#include <string>
#include <vector>

namespace vandro {

inline constexpr int kMinIntervals = 2;
inline constexpr int kMaxIntervals = 24;
inline constexpr int kDefaultIntervals = 10;

struct THistogramBar {
  long double low = 0;  // the bar stands here
  long double high = 0; // items are counted in [low, high); the last bar includes the maximum
  int count = 0;
  std::string label;
};

struct THistogram {
  long double minimum = 0;
  long double maximum = 0;
  long double increment = 0; // the width of an interval, also the axis increment
  std::vector<THistogramBar> bars;
};

// The histogram of selected (none: "Select series") with intervals bars,
// kept within kMinIntervals..kMaxIntervals. A text series gives "Series
// should be numeric" and one without items "Series is empty".
bool BuildHistogram(const TSample* selected, int intervals, THistogram& histogram);

} // namespace vandro
