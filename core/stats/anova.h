// One-way analysis of variance of k >= 2 numeric series of any sizes: the
// classic table (between, within, total), eta and omega squared, Welch's
// analysis for unequal variances, the Brown-Forsythe form of Levene's test
// (absolute deviations from the group medians) and Tukey's honest
// significant differences of every pair of series.
#pragma once

#include "stats/stats_common.h"

#include <string>
#include <vector>

namespace vandro {

struct TAnovaGroup {
  std::string name;
  size_t count = 0;
  long double mean = 0, variance = 0; // the sample variance
};

// Series j against series i (i < j): the difference of means j - i, its
// 95 % simultaneous interval and the P adjusted for all pairs.
struct TTukeyPair {
  std::string name; // "B - A"
  long double difference = 0, low = 0, high = 0, p = 0;
};

struct TAnovaResult {
  std::vector<TAnovaGroup> groups;
  std::string unit; // of the first series; every series is converted to it
  long double ssBetween = 0, ssWithin = 0, ssTotal = 0;
  int dfBetween = 0, dfWithin = 0;
  long double msBetween = 0, msWithin = 0;
  long double f = 0, p = 0;
  long double etaSquare = 0, omegaSquare = 0;
  // Welch's F with its fractional denominator degrees of freedom; NaN when
  // a series has no variance.
  long double welchF = 0, welchDf2 = 0, welchP = 0;
  // Levene (Brown-Forsythe) on k - 1 and N - k degrees of freedom; NaN
  // when every absolute deviation is the same.
  long double leveneF = 0, leveneP = 0;
  std::vector<TTukeyPair> tukey;

  // "One-way ANOVA": rows "Between groups", "Within groups", "Total",
  // "Welch's ANOVA", "Levene (median)"; columns "Sum of squares", "df",
  // "Mean square", "F", "P"; eta and omega squared in the title.
  TMatrixText Table() const;
  // "Tukey HSD (95%)": a row per pair; columns "Difference", "Lower",
  // "Upper", "P adjusted". Differences and limits carry the unit.
  TMatrixText TukeyTable() const;
};

// Runs the analysis on series (missing values already left out). Refusals
// through ShowMsg: a series that is not numeric, units that do not compare,
// a series of fewer than 2 values, no variance within the series.
bool RunAnova(const std::vector<TSample>& series, TAnovaResult& result);

} // namespace vandro
