#include "stats/anova.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "stats/distributions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vandro {
namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

// Sums of squares between and within groups of numbers.
void Partition(const std::vector<std::vector<long double>>& groups, long double& between,
               long double& within) {
  long double total = 0;
  size_t count = 0;
  for (const auto& group : groups) {
    for (long double x : group)
      total += x;
    count += group.size();
  }
  const long double grand = total / static_cast<long double>(count);
  between = within = 0;
  for (const auto& group : groups) {
    const long double mean = Mean(group);
    between += static_cast<long double>(group.size()) * (mean - grand) * (mean - grand);
    within += SumOfSquares(group, mean);
  }
}

long double Median(std::vector<long double> numbers) {
  std::sort(numbers.begin(), numbers.end());
  const size_t n = numbers.size();
  return n % 2 == 1 ? numbers[n / 2] : (numbers[n / 2 - 1] + numbers[n / 2]) / 2;
}

std::string WithUnit(long double value, const std::string& unit) {
  return RoundedText(value, 6) + (unit.empty() ? "" : " [" + unit + "]");
}

} // namespace

bool RunAnova(const std::vector<TSample>& series, TAnovaResult& result) {
  if (series.size() < 2) {
    ShowMsg("The number of series should be at least two");
    return false;
  }
  std::vector<std::vector<long double>> groups;
  for (size_t i = 0; i < series.size(); ++i) {
    const TSample& sample = series[i];
    if (sample.kind != TSampleKind::Numeric) {
      ShowMsg("Series " + sample.name + " should be numeric");
      return false;
    }
    TUnitConversion conversion;
    if (!UnitConversion(sample.unit, series[0].unit, conversion)) {
      ShowMsg("Incompatible units! Series:" + sample.name);
      return false;
    }
    if (sample.numbers.size() < 2) {
      ShowMsg("Sample size should be at least 2" + std::string(kLineBreak) + "See series #" +
              std::to_string(i + 1));
      return false;
    }
    groups.emplace_back();
    for (long double x : sample.numbers)
      groups.back().push_back(x * conversion.factor + conversion.shift);
  }

  TAnovaResult r;
  r.unit = BareUnit(series[0].unit);
  const size_t k = groups.size();
  size_t count = 0;
  for (size_t i = 0; i < k; ++i) {
    TAnovaGroup group;
    group.name = series[i].name;
    group.count = groups[i].size();
    group.mean = Mean(groups[i]);
    group.variance =
        SumOfSquares(groups[i], group.mean) / static_cast<long double>(group.count - 1);
    r.groups.push_back(group);
    count += group.count;
  }
  Partition(groups, r.ssBetween, r.ssWithin);
  if (r.ssWithin == 0) {
    ShowMsg("Can't apply the analysis of variance." + std::string(kLineBreak) +
            "All series have zero variance");
    return false;
  }
  r.ssTotal = r.ssBetween + r.ssWithin;
  r.dfBetween = static_cast<int>(k - 1);
  r.dfWithin = static_cast<int>(count - k);
  r.msBetween = r.ssBetween / r.dfBetween;
  r.msWithin = r.ssWithin / r.dfWithin;
  r.f = r.msBetween / r.msWithin;
  r.p = FUpperTail(r.dfBetween, r.dfWithin, r.f);
  r.etaSquare = r.ssBetween / r.ssTotal;
  r.omegaSquare = (r.ssBetween - r.dfBetween * r.msWithin) / (r.ssTotal + r.msWithin);

  // Welch: weights n / s^2, the weighted mean, and the correction of the
  // denominator that gives its degrees of freedom.
  const bool varianceEverywhere = std::all_of(r.groups.begin(), r.groups.end(),
                                              [](const TAnovaGroup& g) { return g.variance > 0; });
  if (varianceEverywhere) {
    long double weights = 0, weighted = 0;
    for (const TAnovaGroup& g : r.groups) {
      weights += g.count / g.variance;
      weighted += g.count / g.variance * g.mean;
    }
    const long double mean = weighted / weights;
    long double spread = 0, correction = 0;
    for (const TAnovaGroup& g : r.groups) {
      const long double w = g.count / g.variance;
      spread += w * (g.mean - mean) * (g.mean - mean);
      correction += (1 - w / weights) * (1 - w / weights) / (g.count - 1);
    }
    const long double kk = static_cast<long double>(k);
    correction /= kk * kk - 1;
    r.welchF = spread / (kk - 1) / (1 + 2 * (kk - 2) * correction);
    r.welchDf2 = 1 / (3 * correction);
    r.welchP = FUpperTail(kk - 1, r.welchDf2, r.welchF);
  } else {
    r.welchF = r.welchDf2 = r.welchP = kNaN;
  }

  // Brown-Forsythe: the same analysis of the absolute deviations from each
  // series' median.
  std::vector<std::vector<long double>> deviations;
  for (const auto& group : groups) {
    const long double median = Median(group);
    deviations.emplace_back();
    for (long double x : group)
      deviations.back().push_back(std::fabs(x - median));
  }
  long double leveneBetween = 0, leveneWithin = 0;
  Partition(deviations, leveneBetween, leveneWithin);
  if (leveneWithin > 0) {
    r.leveneF = leveneBetween / r.dfBetween / (leveneWithin / r.dfWithin);
    r.leveneP = FUpperTail(r.dfBetween, r.dfWithin, r.leveneF);
  } else {
    r.leveneF = r.leveneP = kNaN;
  }

  // Tukey-Kramer: each difference over its standard error is a studentized
  // range of k means on the within degrees of freedom.
  const long double critical = StudentizedRangeQuantile(0.05L, static_cast<int>(k), r.dfWithin);
  for (size_t i = 0; i < k; ++i)
    for (size_t j = i + 1; j < k; ++j) {
      const TAnovaGroup &a = r.groups[i], &b = r.groups[j];
      TTukeyPair pair;
      pair.name = b.name + " - " + a.name;
      pair.difference = b.mean - a.mean;
      const long double error = std::sqrt(r.msWithin / 2 * (1.0L / a.count + 1.0L / b.count));
      pair.low = pair.difference - critical * error;
      pair.high = pair.difference + critical * error;
      pair.p = StudentizedRangeUpperTail(std::fabs(pair.difference) / error, static_cast<int>(k),
                                         r.dfWithin);
      r.tukey.push_back(pair);
    }
  result = std::move(r);
  return true;
}

TMatrixText TAnovaResult::Table() const {
  TMatrixText text;
  text.title = "One-way ANOVA: eta squared " + RoundedText(etaSquare, 6) + ", omega squared " +
               RoundedText(omegaSquare, 6);
  text.corner = "Source";
  text.columns = {"Sum of squares", "df", "Mean square", "F", "P"};
  const std::string square = unit.empty() ? "" : " [(" + unit + ")^2]";
  const auto number = [](long double x) { return FloatToText(x); };
  text.rows = {"Between groups", "Within groups", "Total", "Welch's ANOVA", "Levene (median)"};
  text.cells = {
      {number(ssBetween) + square, std::to_string(dfBetween), number(msBetween) + square,
       RoundedText(f, 6), PValueText(p)},
      {number(ssWithin) + square, std::to_string(dfWithin), number(msWithin) + square, "", ""},
      {number(ssTotal) + square, std::to_string(dfBetween + dfWithin), "", "", ""},
      {"", std::to_string(dfBetween) + ", " + RoundedText(welchDf2, 6), "", RoundedText(welchF, 6),
       PValueText(welchP)},
      {"", std::to_string(dfBetween) + ", " + std::to_string(dfWithin), "", RoundedText(leveneF, 6),
       PValueText(leveneP)},
  };
  return text;
}

TMatrixText TAnovaResult::TukeyTable() const {
  TMatrixText text;
  text.title = "Tukey HSD (95%)";
  text.corner = "Pair";
  text.columns = {"Difference", "Lower", "Upper", "P adjusted"};
  for (const TTukeyPair& pair : tukey) {
    text.rows.push_back(pair.name);
    text.cells.push_back({WithUnit(pair.difference, unit), WithUnit(pair.low, unit),
                          WithUnit(pair.high, unit), PValueText(pair.p)});
  }
  return text;
}

} // namespace vandro
