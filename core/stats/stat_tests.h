// The hypothesis tests of the statistics window: t (two independent
// samples, pooled variance), F (one-way analysis of variance), z (two
// proportions), chi-square (independence of series and outcome) and Welch's
// t (two independent samples, unequal variances), with the contingency table
// z and chi-square count on. The two-sample tests (t, Welch, z) also give an
// effect size and a 95 % confidence interval of the difference between the
// first series and the second.
//
// Refusals are shown through ShowMsg and questions asked through Ask; a
// refused test or a question answered No returns false and changes nothing.
#pragma once

#include "stats/anova.h"
#include "stats/stats_common.h"

#include <optional>
#include <string>
#include <vector>

namespace vandro {

// In the order of the window's choice; None when nothing is chosen.
// WelchAnova is One-way ANOVA with its check box for unequal variances: the
// same analysis, with Welch's F as its statistic.
enum class TStatTest { None = -1, T, F, Z, ChiSquare, Welch, Anova, WelchAnova };

inline bool IsAnova(TStatTest test) {
  return test == TStatTest::Anova || test == TStatTest::WelchAnova;
}

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
  // Welch-Satterthwaite's for Welch, the denominator's for the analyses of
  // variance (fractional for Welch's), a whole number for the others.
  long double degreesOfFreedom = 0;
  TContingencyTable table; // z and chi-square only
  // The analysis of variance behind Anova and WelchAnova: its tables.
  std::optional<TAnovaResult> anova;

  // Two-sample tests only. The difference is the first series' mean minus
  // the second's (for z the proportions of the first outcome), in the first
  // series' unit. The effect size is Cohen's d for t and Welch (the
  // difference over the pooled sample deviation for t, over the root of the
  // mean of the two sample variances for Welch) and the difference of
  // proportions for z. The interval is the 95 % confidence interval of the
  // difference: from the t distribution of the test for t and Welch, the
  // normal (Wald) interval for z, widened by the continuity correction when
  // Yates is checked and cut to [-1, 1].
  bool hasEffect = false;
  std::string unit; // of the difference and its interval: the first series' (t and Welch)
  long double difference = 0;
  long double effectSize = 0;
  long double low = 0, high = 0;

  // Rounded to 6 decimals: the statistic, P and 1 - P.
  // Missing values (empty items) of the series the test used, left out of
  // their samples.
  size_t missing = 0;
  // "2 missing values left out"; empty when none were.
  std::string MissingText() const;

  std::string StatisticText() const;
  std::string PText() const;
  std::string RejectText() const;
  // Rounded to 6 decimals: the effect size, and the interval as "[low,
  // high]" followed by its unit in brackets, when it has one.
  std::string EffectText() const;
  std::string IntervalText() const;
  // The degrees of freedom rounded to 6 decimals.
  std::string DegreesText() const;
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
// "Cohen's d:" or "Difference of proportions:"; empty for the tests without one.
const char* EffectCaption(TStatTest test);
inline constexpr const char* kDegreesCaption = "Degrees of freedom:";
inline constexpr const char* kIntervalCaption = "95% confidence interval of the difference:";
inline bool HasEffectSize(TStatTest test) {
  return test == TStatTest::T || test == TStatTest::Welch || test == TStatTest::Z;
}

// The null hypothesis in the lines of the hypothesis memo.
std::vector<std::string> HypothesisLines(TStatTest test);

// The Yates check box and the contingency-table button belong to z and chi-square.
inline bool UsesContingencyTable(TStatTest test) {
  return test == TStatTest::Z || test == TStatTest::ChiSquare;
}

} // namespace vandro
