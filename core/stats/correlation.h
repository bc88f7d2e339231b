// The Pearson correlation matrix of the numeric series of the statistics
// window, with the t statistic of each pair and the probability that the
// pair has no linear trend.
#pragma once

#include "stats/stats_common.h"

#include <string>
#include <vector>

namespace vandro {

struct TCorrelationPair {
  std::string name; // the two series names joined by " : "
  long double r = 0;
  long double rSquare = 0;
  // |t| with n - 2 degrees of freedom: +infinity for |r| = 1, NaN ("n/a")
  // with fewer than 3 items.
  long double t = 0;
  long double p = 0; // P(no trend)
};

struct TCorrelation {
  std::vector<TCorrelationPair> pairs; // (0, 1), (0, 2), ... (1, 2), ... over the numeric series
  // "Error calculating correlation: element [i, j]" for each pair with a constant series.
  std::vector<std::string> errors;
  // Observations left out because a series misses its value there.
  size_t missing = 0;

  // For the matrix window: "Correlations (Pearson)", corner "Series", the
  // columns "r", "r-square", " | t | ", "P(no trend)"; |t| "INF" when infinite.
  // The title says how many observations were left out, if any.
  TMatrixText Text() const;
};

// Correlates every pair of the numeric series. Fewer than two numeric series
// or series of different sizes are refused with a message. The errors of
// the computation are shown as a list, and the matrix is still returned.
bool Correlate(const std::vector<TSample>& series, TCorrelation& correlation);

} // namespace vandro
