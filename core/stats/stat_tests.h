// The four hypothesis tests of the statistics window: t (two independent
// samples, pooled variance), F (one-way analysis of variance), z (two
// proportions) and chi-square (independence of series and outcome), with the
// contingency table the last two count on.
//
// Refusals are shown through ShowMsg and questions asked through Ask; a
// refused test or a question answered No returns false and changes nothing.
#pragma once

#include "stats/stats_common.h"

#include <string>
#include <vector>

namespace vandro {

// In the order of the window's choice; None when nothing is chosen.
enum class TStatTest { None = -1, T, F, Z, ChiSquare };

// Counts of every outcome per series. counts and expected have a row per
// series and a column per outcome, then a last column of row totals and a
// last row of column totals (the grand total in the corner).
struct TContingencyTable {
  std::vector<std::string> series;
  std::vector<std::string> outcomes;
  std::vector<std::vector<long double>> counts;
  std::vector<std::vector<long double>> expected;

  // For the matrix window: "Contingency table", corner "Series\Outcomes",
  // a "Total" row and column.
  TMatrixText Text() const;
};

struct TStatTestResult {
  TStatTest test = TStatTest::None;
  long double statistic = 0;
  long double p = 0; // the probability of H0
  int degreesOfFreedom = 0;
  TContingencyTable table; // z and chi-square only

  // Rounded to 6 decimals: the statistic, P and 1 - P.
  std::string StatisticText() const;
  std::string PText() const;
  std::string RejectText() const;
};

// The contingency table of the series: outcomes in order of first
// appearance, a text item's key its upper-cased text, a number's key the
// number followed by " [" + the upper-cased unit + "]" when there is a unit.
// Keys and items match without regard to case.
TContingencyTable BuildContingencyTable(const std::vector<TSample>& series);

// Runs test on series; false when refused or cancelled.
bool RunStatTest(TStatTest test, const std::vector<TSample>& series, bool yates,
                 TStatTestResult& result);

// "t Statistic Value:" and so on.
const char* StatisticCaption(TStatTest test);
inline constexpr const char* kPCaption = "P value (probability of H0 to be true):";
inline constexpr const char* kRejectCaption = "1-P (Probability of H0 to be rejected):";

// The null hypothesis in the lines of the hypothesis memo.
std::vector<std::string> HypothesisLines(TStatTest test);

// The Yates check box and the contingency-table button belong to z and chi-square.
inline bool UsesContingencyTable(TStatTest test) {
  return test == TStatTest::Z || test == TStatTest::ChiSquare;
}

} // namespace vandro
