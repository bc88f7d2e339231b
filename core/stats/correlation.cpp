#include "stats/correlation.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "stats/distributions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vandro {
namespace {

// |r| this close to 1 is a straight line whose last digits were lost to
// rounding: t is then infinite rather than some huge number made of noise.
constexpr long double kPerfectCorrelation = 1e-15L;

} // namespace

bool Correlate(const std::vector<TSample>& series, TCorrelation& correlation) {
  std::vector<const TSample*> numeric;
  for (const TSample& sample : series)
    if (sample.kind == TSampleKind::Numeric) numeric.push_back(&sample);
  if (numeric.size() < 2) {
    ShowMsg("At least two numeric series should be defined");
    return false;
  }
  const size_t rows = numeric[0]->Count();
  for (const TSample* sample : numeric)
    if (sample->Count() != rows) {
      ShowMsg("All Series should be of the same size");
      return false;
    }
  // An observation with a missing value in any series is left out of every
  // pair (listwise), so that all pairs describe the same observations.
  std::vector<TSample> complete;
  std::vector<bool> keep(rows, true);
  for (const TSample* sample : numeric)
    for (size_t k = 0; k < rows; ++k)
      if (std::isnan(sample->numbers[k])) keep[k] = false;
  for (const TSample* sample : numeric) {
    complete.push_back(*sample);
    complete.back().numbers.clear();
    for (size_t k = 0; k < rows; ++k)
      if (keep[k]) complete.back().numbers.push_back(sample->numbers[k]);
  }
  for (size_t i = 0; i < numeric.size(); ++i)
    numeric[i] = &complete[i];
  const size_t n = numeric[0]->Count();

  // Deviations from the means, and the population deviation of each series.
  const long double count = static_cast<long double>(n);
  std::vector<std::vector<long double>> deviations;
  std::vector<long double> sigma;
  for (const TSample* sample : numeric) {
    const long double mean = Mean(sample->numbers);
    deviations.emplace_back();
    for (long double x : sample->numbers)
      deviations.back().push_back(x - mean);
    sigma.push_back(std::sqrt(SumOfSquares(sample->numbers, mean) / count));
  }

  TCorrelation result;
  result.missing = rows - n;
  for (size_t i = 0; i < numeric.size(); ++i)
    for (size_t j = i + 1; j < numeric.size(); ++j) {
      TCorrelationPair pair;
      pair.name = numeric[i]->name + " : " + numeric[j]->name;
      if (sigma[i] == 0 || sigma[j] == 0) {
        result.errors.push_back("Error calculating correlation: element [" + std::to_string(i) +
                                ", " + std::to_string(j) + "]");
        result.pairs.push_back(pair);
        continue;
      }
      long double covariance = 0;
      for (size_t k = 0; k < n; ++k)
        covariance += deviations[i][k] * deviations[j][k];
      covariance /= count;
      pair.r = std::clamp(covariance / (sigma[i] * sigma[j]), -1.0L, 1.0L);
      pair.rSquare = pair.r * pair.r;
      if (n < 3) {
        // Two points always lie on a line: there are no degrees of freedom to test it.
        pair.t = pair.p = std::numeric_limits<long double>::quiet_NaN();
      } else if (1 - std::fabs(pair.r) <= kPerfectCorrelation) {
        pair.t = std::numeric_limits<long double>::infinity();
        pair.p = 0;
      } else {
        pair.t = std::fabs(pair.r * std::sqrt(count - 2) / std::sqrt(1 - pair.rSquare));
        pair.p = StudentTwoTailedProbability(static_cast<int>(n - 2), pair.t);
      }
      result.pairs.push_back(pair);
    }
  if (!result.errors.empty()) ShowMsgList(result.errors);
  correlation = std::move(result);
  return true;
}

TMatrixText TCorrelation::Text() const {
  TMatrixText text;
  text.title = "Correlations (Pearson)";
  if (missing > 0)
    text.title +=
        ", " + std::to_string(missing) +
        (missing == 1 ? " observation with a missing value" : " observations with missing values") +
        " left out";
  text.corner = "Series";
  text.columns = {"r", "r-square", " | t | ", "P(no trend)"};
  const auto number = [](long double value) {
    return std::isfinite(value) ? FloatToText(value) : RoundedText(value, 0);
  };
  for (const TCorrelationPair& pair : pairs) {
    text.rows.push_back(pair.name);
    // A perfect correlation's P is exactly 0, not a number too small to
    // show; a pair with a constant series is not computed and keeps its 0s.
    const bool uncomputed = pair.t == 0 && pair.p == 0;
    const std::string p = std::isinf(pair.t) || uncomputed ? "0" : PValueText(pair.p);
    text.cells.push_back({number(pair.r), number(pair.rSquare), number(pair.t), p});
  }
  return text;
}

} // namespace vandro
