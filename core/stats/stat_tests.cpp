#include "stats/stat_tests.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "stats/distributions.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace vandro {
namespace {

// The z statistic is read against a t distribution this large, which is
// the normal distribution to well beyond the digits shown.
constexpr int kZDegreesOfFreedom = 10000;

// The standard normal's 97.5 % quantile, for the 95 % interval of a
// difference of proportions.
constexpr long double kNormal975 = 1.959963984540054235524594430520551527955L;

// Below this expected count the z and chi-square approximations are poor.
constexpr long double kSmallExpectedCount = 5;

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    if (!text.empty()) text += kLineBreak;
    text += line;
  }
  return text;
}

bool IsNumeric(const TSample& sample) {
  return sample.kind == TSampleKind::Numeric;
}

bool RefuseUnlessNumeric(const TSample& sample) {
  if (IsNumeric(sample)) return false;
  ShowMsg("Series " + sample.name + " should be numeric");
  return true;
}

// The first count numbers of sample, converted into another unit.
std::vector<long double> Converted(const TSample& sample, const TUnitConversion& conversion,
                                   size_t count) {
  std::vector<long double> numbers(sample.numbers.begin(),
                                   sample.numbers.begin() + static_cast<ptrdiff_t>(count));
  if (conversion.factor != 1 || conversion.shift != 0)
    for (long double& number : numbers)
      number = number * conversion.factor + conversion.shift;
  return numbers;
}

// The two series of t and Welch, both numeric and the second in the first
// one's unit, each with at least 2 items; false after the refusal.
bool TwoNumericSamples(const std::vector<TSample>& series, const char* testName,
                       std::vector<long double>& x, std::vector<long double>& y,
                       std::string& unit) {
  const std::string onlyAPair = std::string(testName) + " is applicable only to pair of series.";
  if (series.size() >= 3 && !Ask(Lines({onlyAPair.c_str(), "The first two series will be used.",
                                        "Do you want to proceed?"}),
                                 true))
    return false;
  const TSample& first = series[0];
  const TSample& second = series[1];
  if (RefuseUnlessNumeric(first) || RefuseUnlessNumeric(second)) return false;
  // Compatible units measure the same quantity, but the numbers are
  // compared only once they are in the same unit.
  TUnitConversion conversion;
  if (!UnitConversion(second.unit, first.unit, conversion)) {
    ShowMsg("Incompatible units!");
    return false;
  }
  for (int i = 0; i < 2; ++i)
    if (series[static_cast<size_t>(i)].Count() < 2) {
      ShowMsg("Sample size should be at least 2" + std::string(kLineBreak) + "See series #" +
              std::to_string(i + 1));
      return false;
    }
  x = Converted(first, {}, first.Count());
  unit = BareUnit(first.unit);
  y = Converted(second, conversion, second.Count());
  return true;
}

// Student's t with df > 0 degrees of freedom, which Welch-Satterthwaite makes
// fractional: P(|T| > |t|), and the t with P(|T| > t) = 0.05.
long double TwoTailedProbability(long double df, long double t) {
  const long double t2 = t * t;
  if (t2 == 0) return 1;
  return TBetaDistribution(df / 2, 0.5L).Distribution(df / (df + t2), t2 / (df + t2));
}

long double Critical95(long double df) {
  // P(|T| > t) = I_z(df/2, 1/2) with z = df / (df + t^2); at 0.05, z stays
  // far enough from 1 for 1 - z to keep its digits.
  const long double z = TBetaDistribution(df / 2, 0.5L).Inverse(0.05L);
  return std::sqrt(df * (1 - z) / z);
}

void SetInterval(TStatTestResult& result, long double difference, long double halfWidth) {
  result.hasEffect = true;
  result.difference = difference;
  result.low = difference - halfWidth;
  result.high = difference + halfWidth;
}

bool TTest(const std::vector<TSample>& series, TStatTestResult& result) {
  std::vector<long double> x, y;
  if (!TwoNumericSamples(series, "t-Test", x, y, result.unit)) return false;
  const long double n1 = static_cast<long double>(x.size());
  const long double n2 = static_cast<long double>(y.size());
  const long double mean1 = Mean(x), mean2 = Mean(y);
  // n s^2 with s the population deviation is the sum of squares.
  const long double sumOfSquares = SumOfSquares(x, mean1) + SumOfSquares(y, mean2);
  const long double pooled = std::sqrt(sumOfSquares);
  if (pooled == 0) {
    ShowMsg(Lines({"Can't apply the t-test.", "Both series have zero variance"}));
    return false;
  }
  const int df = static_cast<int>(x.size() + y.size() - 2);
  result.degreesOfFreedom = df;
  result.statistic = (mean1 - mean2) * std::sqrt(n1 * n2 * df / (n1 + n2)) / pooled;
  result.p = StudentTwoTailedProbability(df, result.statistic);
  const long double deviation = std::sqrt(sumOfSquares / df); // the pooled sample deviation
  SetInterval(result, mean1 - mean2,
              StudentTwoTailedCritical(df, 0.05L) * deviation * std::sqrt(1 / n1 + 1 / n2));
  result.effectSize = (mean1 - mean2) / deviation;
  return true;
}

bool WelchTest(const std::vector<TSample>& series, TStatTestResult& result) {
  std::vector<long double> x, y;
  if (!TwoNumericSamples(series, "Welch t-Test", x, y, result.unit)) return false;
  const long double n1 = static_cast<long double>(x.size());
  const long double n2 = static_cast<long double>(y.size());
  const long double mean1 = Mean(x), mean2 = Mean(y);
  const long double variance1 = SumOfSquares(x, mean1) / (n1 - 1);
  const long double variance2 = SumOfSquares(y, mean2) / (n2 - 1);
  if (variance1 == 0 && variance2 == 0) {
    ShowMsg(Lines({"Can't apply the t-test.", "Both series have zero variance"}));
    return false;
  }
  // The squared standard errors of the two means.
  const long double error1 = variance1 / n1, error2 = variance2 / n2;
  const long double error = std::sqrt(error1 + error2);
  const long double df = (error1 + error2) * (error1 + error2) /
                         (error1 * error1 / (n1 - 1) + error2 * error2 / (n2 - 1));
  result.degreesOfFreedom = df;
  result.statistic = (mean1 - mean2) / error;
  result.p = TwoTailedProbability(df, result.statistic);
  SetInterval(result, mean1 - mean2, Critical95(df) * error);
  result.effectSize = (mean1 - mean2) / std::sqrt((variance1 + variance2) / 2);
  return true;
}

bool FTest(const std::vector<TSample>& series, TStatTestResult& result) {
  std::vector<TUnitConversion> conversions(series.size());
  for (size_t i = 0; i < series.size(); ++i) {
    if (RefuseUnlessNumeric(series[i])) return false;
    if (!UnitConversion(series[i].unit, series[0].unit, conversions[i])) {
      ShowMsg("Incompatible units! Series:" + series[i].name);
      return false;
    }
  }
  size_t smallest = 0;
  for (size_t i = 1; i < series.size(); ++i)
    if (series[i].Count() < series[smallest].Count()) smallest = i;
  const size_t n = series[smallest].Count();
  if (n < 2) {
    ShowMsg("The minimum sample size should be 2." + std::string(kLineBreak) + "See series #" +
            std::to_string(smallest + 1));
    return false;
  }
  const bool sameSize = std::all_of(series.begin(), series.end(),
                                    [n](const TSample& sample) { return sample.Count() == n; });
  if (!sameSize &&
      !Ask(Lines({"Series should have the same size.", "Long series would be truncated.",
                  "One-way ANOVA uses every value of series of any sizes.",
                  "Do you want to proceed?"}),
           true))
    return false;

  const long double k = static_cast<long double>(series.size());
  std::vector<long double> means;
  long double withinSum = 0;
  for (size_t i = 0; i < series.size(); ++i) {
    const std::vector<long double> numbers = Converted(series[i], conversions[i], n);
    means.push_back(Mean(numbers));
    withinSum += SumOfSquares(numbers, means.back()) / static_cast<long double>(n - 1);
  }
  const long double within = withinSum / k;
  if (within == 0) {
    ShowMsg(Lines({"Can't apply the F-test.", "All series have zero variance"}));
    return false;
  }
  const long double grandMean = Mean(means);
  const long double between =
      static_cast<long double>(n) * SumOfSquares(means, grandMean) / (k - 1);
  const int df1 = static_cast<int>(series.size()) - 1;
  const int df2 = static_cast<int>(series.size() * (n - 1));
  result.degreesOfFreedom = df1;
  result.statistic = between / within;
  result.p = FUpperTail(df1, df2, result.statistic);
  return true;
}

bool AnovaTest(const std::vector<TSample>& series, TStatTestResult& result, bool welch) {
  TAnovaResult anova;
  if (!RunAnova(series, anova)) return false;
  if (welch && std::isnan(anova.welchF)) {
    ShowMsg(Lines({"Can't apply Welch's ANOVA.", "A series has zero variance"}));
    return false;
  }
  result.statistic = welch ? anova.welchF : anova.f;
  result.p = welch ? anova.welchP : anova.p;
  result.degreesOfFreedom = welch ? anova.welchDf2 : anova.dfWithin;
  result.anova = std::move(anova);
  return true;
}

// Refuses a table with an expected count of 0 (a series without items) and
// asks before going on with a small one.
bool CheckExpectedCounts(const TContingencyTable& table, const char* refusal,
                         const std::string& smallCountQuestion) {
  bool small = false;
  for (size_t i = 0; i < table.series.size(); ++i)
    for (size_t j = 0; j < table.outcomes.size(); ++j) {
      const long double expected = table.expected[i][j];
      if (expected == 0) {
        ShowMsg(Lines({refusal, "The expected frequancy of outcome in a series is 0"}));
        return false;
      }
      small = small || expected < kSmallExpectedCount;
    }
  return !small || Ask(smallCountQuestion, true);
}

bool ZTest(const std::vector<TSample>& series, TStatTestResult& result, bool yates) {
  if (series.size() >= 3 &&
      !Ask(Lines({"z test is applicable to a pair of series only.",
                  "The first two series will be used.", "Do you want to proceed?"}),
           true))
    return false;
  result.table = BuildContingencyTable({series[0], series[1]});
  if (result.table.outcomes.size() != 2) {
    ShowMsg("There should be exactly two outcome values");
    return false;
  }
  if (!CheckExpectedCounts(
          result.table, "Can't apply the z test.",
          Lines({"Expected number of outcomes in a series is less than 5.",
                 "The test result might be inaccurate.", "Do you want to proceed anyway?"})))
    return false;
  const auto& counts = result.table.counts;
  const long double a1 = counts[0][0], n1 = counts[0][2];
  const long double a2 = counts[1][0], n2 = counts[1][2];
  const long double pooled = (a1 + a2) / (n1 + n2);
  const long double spread = 1 / n1 + 1 / n2;
  long double difference = std::fabs(a1 / n1 - a2 / n2);
  // The continuity correction moves the difference towards 0, never past it:
  // equal proportions stay a z of 0.
  if (yates) difference = std::max(0.0L, difference - spread / 2);
  result.degreesOfFreedom = kZDegreesOfFreedom;
  result.statistic = difference / std::sqrt(pooled * (1 - pooled) * spread);
  result.p = StudentTwoTailedProbability(kZDegreesOfFreedom, result.statistic);
  // The interval is the unpooled (Wald) one; its continuity correction never
  // widens it by more than the difference itself.
  const long double p1 = a1 / n1, p2 = a2 / n2;
  const long double correction = yates ? std::min(spread / 2, std::fabs(p1 - p2)) : 0;
  SetInterval(result, p1 - p2,
              kNormal975 * std::sqrt(p1 * (1 - p1) / n1 + p2 * (1 - p2) / n2) + correction);
  result.low = std::max(result.low, -1.0L);
  result.high = std::min(result.high, 1.0L);
  result.effectSize = p1 - p2;
  return true;
}

bool ChiSquareTest(const std::vector<TSample>& series, TStatTestResult& result, bool yates) {
  result.table = BuildContingencyTable(series);
  if (result.table.outcomes.size() < 2) {
    ShowMsg("There should be at least two outcome values");
    return false;
  }
  if (!CheckExpectedCounts(
          result.table, "Can't apply the chi-square test.",
          Lines({"Expected number of outcomes in a series is less than 5.",
                 "The test result might be inaccurate.", "Do you want to proceed it anyway?"})))
    return false;
  const TContingencyTable& table = result.table;
  const size_t rows = table.series.size(), columns = table.outcomes.size();
  const bool corrected = yates && rows == 2 && columns == 2;
  long double sum = 0;
  for (size_t i = 0; i < rows; ++i)
    for (size_t j = 0; j < columns; ++j) {
      const long double expected = table.expected[i][j];
      long double difference = std::fabs(table.counts[i][j] - expected);
      // As for z, the correction stops at 0 instead of adding to the sum.
      if (corrected) difference -= std::min(0.5L, difference);
      sum += difference * difference / expected;
    }
  const int df = static_cast<int>((rows - 1) * (columns - 1));
  result.degreesOfFreedom = df;
  result.statistic = sum;
  result.p = ChiSquareUpperTail(df, sum);
  return true;
}

} // namespace

TContingencyTable BuildContingencyTable(const std::vector<TSample>& series) {
  TContingencyTable table;
  std::unordered_map<std::string, size_t> index; // upper-cased key -> outcome
  std::vector<std::vector<size_t>> items(series.size());
  for (size_t i = 0; i < series.size(); ++i) {
    const TSample& sample = series[i];
    table.series.push_back(sample.name);
    const std::string unit = UpperCase(BareUnit(sample.unit));
    for (size_t k = 0; k < sample.Count(); ++k) {
      std::string key;
      if (sample.kind == TSampleKind::Text) {
        if (sample.texts[k].empty()) continue; // missing: no outcome
        key = UpperCase(sample.texts[k]);
      } else if (std::isnan(sample.numbers[k])) {
        continue;
      } else {
        key = FloatToText(sample.numbers[k]);
        if (!unit.empty()) key += " [" + unit + "]";
      }
      const auto [at, added] = index.emplace(UpperCase(key), table.outcomes.size());
      if (added) table.outcomes.push_back(key);
      items[i].push_back(at->second);
    }
  }
  const size_t rows = series.size(), columns = table.outcomes.size();
  table.counts.assign(rows + 1, std::vector<long double>(columns + 1, 0));
  for (size_t i = 0; i < rows; ++i)
    for (size_t outcome : items[i]) {
      table.counts[i][outcome] += 1;
      table.counts[i][columns] += 1;
      table.counts[rows][outcome] += 1;
      table.counts[rows][columns] += 1;
    }
  table.expected = table.counts;
  const long double total = table.counts[rows][columns];
  for (size_t i = 0; i < rows; ++i)
    for (size_t j = 0; j < columns; ++j)
      table.expected[i][j] = table.counts[i][columns] * table.counts[rows][j] / total;
  return table;
}

TMatrixText TContingencyTable::Text() const {
  TMatrixText text;
  text.title = "Contingency table";
  text.corner = "Series\\Outcomes";
  text.columns = outcomes;
  text.columns.push_back("Total");
  text.rows = series;
  text.rows.push_back("Total");
  for (const auto& row : counts) {
    text.cells.emplace_back();
    for (long double count : row)
      text.cells.back().push_back(FloatToText(count));
  }
  return text;
}

std::string TStatTestResult::StatisticText() const {
  return RoundedText(statistic, 6);
}

std::string TStatTestResult::MissingText() const {
  if (missing == 0) return {};
  return std::to_string(missing) + (missing == 1 ? " missing value" : " missing values") +
         " left out";
}

std::string TStatTestResult::PText() const {
  return PValueText(p);
}

std::string TStatTestResult::RejectText() const {
  return RoundedText(1 - p, 6);
}

std::string TStatTestResult::DegreesText() const {
  return RoundedText(degreesOfFreedom, 6);
}

std::string TStatTestResult::EffectText() const {
  return hasEffect ? RoundedText(effectSize, 6) : std::string();
}

std::string TStatTestResult::IntervalText() const {
  if (!hasEffect) return {};
  return "[" + RoundedText(low, 6) + ", " + RoundedText(high, 6) + "]" +
         (unit.empty() ? "" : " [" + unit + "]");
}

const char* EffectCaption(TStatTest test) {
  switch (test) {
  case TStatTest::T:
  case TStatTest::Welch:
    return "Cohen's d:";
  case TStatTest::Z:
    return "Difference of proportions:";
  default:
    return "";
  }
}

bool RunStatTest(TStatTest test, const std::vector<TSample>& series, bool yates,
                 TStatTestResult& result) {
  if (test == TStatTest::None) {
    ShowMsg("Select test type");
    return false;
  }
  if (series.size() < 2) {
    ShowMsg("The number of series should be at least two");
    return false;
  }
  TStatTestResult outcome;
  outcome.test = test;
  // Missing values are left out of each sample; the tests of a pair use only
  // the first two series, so only theirs are counted.
  const size_t used = HasEffectSize(test) ? 2 : series.size();
  std::vector<TSample> present;
  for (size_t i = 0; i < series.size(); ++i) {
    if (i < used) outcome.missing += MissingCount(series[i]);
    present.push_back(WithoutMissing(series[i]));
  }
  bool done = false;
  switch (test) {
  case TStatTest::T:
    done = TTest(present, outcome);
    break;
  case TStatTest::F:
    done = FTest(present, outcome);
    break;
  case TStatTest::Z:
    done = ZTest(present, outcome, yates);
    break;
  case TStatTest::ChiSquare:
    done = ChiSquareTest(present, outcome, yates);
    break;
  case TStatTest::Welch:
    done = WelchTest(present, outcome);
    break;
  case TStatTest::Anova:
  case TStatTest::WelchAnova:
    done = AnovaTest(present, outcome, test == TStatTest::WelchAnova);
    break;
  case TStatTest::None:
    break;
  }
  if (done) result = std::move(outcome);
  return done;
}

const char* StatisticCaption(TStatTest test) {
  switch (test) {
  case TStatTest::T:
  case TStatTest::Welch:
    return "t Statistic Value:";
  case TStatTest::F:
  case TStatTest::Anova:
  case TStatTest::WelchAnova:
    return "F Statistic Value:";
  case TStatTest::Z:
    return "z Statistic Value:";
  case TStatTest::ChiSquare:
    return "Chi-Square Statistic Value:";
  case TStatTest::None:
    break;
  }
  return "";
}

std::vector<std::string> HypothesisLines(TStatTest test) {
  switch (test) {
  case TStatTest::T:
    return {"Both samples were drawn from the same normal ",
            "distributed population or from two similar normal ",
            "distributed populations with the neighbour means", "and variances."};
  case TStatTest::F:
    return {"Variability between sample means corresponds to",
            "expected variability within samples."};
  case TStatTest::Z:
    return {"Both samples were drawn from populations containing",
            "the same proportion of cases with a given attribute"};
  case TStatTest::ChiSquare:
    return {"There's no any relationship between outcome", "frequencies in samples."};
  case TStatTest::Welch:
    return {"Both samples were drawn from normal distributed",
            "populations with the same mean; their variances", "may differ."};
  case TStatTest::Anova:
    return {"All samples were drawn from normal distributed",
            "populations with the same mean and variance."};
  case TStatTest::WelchAnova:
    return {"All samples were drawn from normal distributed",
            "populations with the same mean; their variances", "may differ."};
  case TStatTest::None:
    break;
  }
  return {};
}

} // namespace vandro
