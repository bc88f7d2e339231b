#include "stats/histogram.h"

#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

namespace vandro {
namespace {

using testing::ScriptedSink;

TSample Numbers(std::vector<long double> numbers) {
  TSample sample;
  sample.name = "S";
  sample.numbers = std::move(numbers);
  return sample;
}

THistogram Histogram(std::vector<long double> numbers, int intervals) {
  const TSample sample = Numbers(std::move(numbers));
  THistogram histogram;
  EXPECT_TRUE(BuildHistogram(&sample, intervals, histogram));
  return histogram;
}

std::vector<int> Counts(const THistogram& histogram) {
  std::vector<int> counts;
  for (const THistogramBar& bar : histogram.bars)
    counts.push_back(bar.count);
  return counts;
}

TEST(Histogram, ZeroToTenInTenIntervals) {
  ScriptedSink sink;
  THistogram histogram;
  histogram = Histogram({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, kDefaultIntervals);
  EXPECT_EQ(1, histogram.increment);
  EXPECT_EQ(0, histogram.minimum);
  EXPECT_EQ(10, histogram.maximum);
  // The last interval [9, 10] holds 9 and the maximum.
  EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 2}), Counts(histogram));
  EXPECT_EQ("0", histogram.bars[0].label);
  EXPECT_EQ("9", histogram.bars[9].label);
}

TEST(Histogram, ConstantSeriesFillsTheFirstBar) {
  THistogram histogram;
  histogram = Histogram({4, 4, 4}, 3);
  EXPECT_EQ(1, histogram.increment);
  EXPECT_EQ((std::vector<int>{3, 0, 0}), Counts(histogram));
  histogram = Histogram({0, 0}, 2);
  EXPECT_EQ((std::vector<int>{2, 0}), Counts(histogram));
}

// The maximum is counted whatever its sign: scaling the last bound up would
// move it below a negative or zero maximum.
TEST(Histogram, MaximumCountedWhenNotPositive) {
  THistogram histogram;
  histogram = Histogram({-10, -7, -4, -1}, 3);
  EXPECT_EQ((std::vector<int>{1, 1, 2}), Counts(histogram));
  histogram = Histogram({-3, -2, 0}, 3);
  EXPECT_EQ((std::vector<int>{1, 1, 1}), Counts(histogram));
}

// Missing items (NaN) fall in no bar and set no end of the range.
TEST(Histogram, MissingItemsAreLeftOut) {
  const THistogram histogram = Histogram({NAN, -3, -2, NAN, 0}, 3);
  EXPECT_EQ((std::vector<int>{1, 1, 1}), Counts(histogram));
  EXPECT_EQ(-3, histogram.minimum);
  EXPECT_EQ(0, histogram.maximum);
}

// Every item lands in exactly one bar, even where i * h rounds.
TEST(Histogram, EveryItemCountedOnce) {
  std::vector<long double> numbers;
  for (int i = 0; i <= 300; ++i)
    numbers.push_back(0.1L * i - 7.3L);
  for (int k = kMinIntervals; k <= kMaxIntervals; ++k) {
    THistogram histogram;
    histogram = Histogram(numbers, k);
    const std::vector<int> counts = Counts(histogram);
    EXPECT_EQ(k, static_cast<int>(counts.size()));
    EXPECT_EQ(301, std::accumulate(counts.begin(), counts.end(), 0)) << k << " intervals";
  }
}

TEST(Histogram, LabelsShowTheDigitsOfTheInterval) {
  THistogram histogram;
  // h = 0.004: three decimals beyond the magnitude of 0.05.
  histogram = Histogram({0.01L, 0.03L, 0.05L}, 10);
  EXPECT_EQ("0.01", histogram.bars[0].label);
  EXPECT_EQ("0.014", histogram.bars[1].label);
  EXPECT_EQ("0.046", histogram.bars[9].label);
  // h = 25: no decimals, four digits for 1000 and two more.
  histogram = Histogram({1000, 1050}, 2);
  EXPECT_EQ("1000", histogram.bars[0].label);
  EXPECT_EQ("1025", histogram.bars[1].label);
  // Beyond the precision the label turns scientific.
  EXPECT_EQ("1.23E+05", GeneralText(123456, 3, 2));
  EXPECT_EQ("1.5E-7", GeneralText(1.5e-7L, 5, 0));
}

TEST(Histogram, Refusals) {
  ScriptedSink sink;
  THistogram histogram;
  EXPECT_FALSE(BuildHistogram(nullptr, 10, histogram));
  EXPECT_EQ("Select series", sink.Last());
  TSample words;
  words.kind = TSampleKind::Text;
  words.texts = {"a"};
  EXPECT_FALSE(BuildHistogram(&words, 10, histogram));
  EXPECT_EQ("Series should be numeric", sink.Last());
  const TSample empty = Numbers({});
  EXPECT_FALSE(BuildHistogram(&empty, 10, histogram));
  EXPECT_EQ("Series is empty", sink.Last());
}

} // namespace
} // namespace vandro
