#include "stats/correlation.h"

#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vandro {
namespace {

using testing::ScriptedSink;

TSample Numbers(std::string name, std::vector<long double> numbers) {
  TSample sample;
  sample.name = std::move(name);
  sample.numbers = std::move(numbers);
  return sample;
}

const TSample kX = Numbers("X", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
const TSample kY = Numbers("Y", {2.1, 3.9, 6.2, 7.8, 10.1, 12.2, 13.8, 16.1, 18.0, 19.9});
const TSample kZ = Numbers("Z", {5, 3, 8, 1, 9, 2, 7, 4, 6, 10});

// r, |t| and P from R 4.2's cor.test (make_references.R correlation). R has
// r to double precision only, which 1 - r^2 near 0 magnifies in its smallest P.
TEST(Correlation, AgreesWithR) {
  ScriptedSink sink;
  TSample words;
  words.kind = TSampleKind::Text;
  words.name = "W";
  words.texts = {"a"}; // not numeric: left out, whatever its size
  TCorrelation correlation;
  ASSERT_TRUE(Correlate({kX, words, kY, kZ}, correlation));
  struct TExpected {
    const char* name;
    long double r, t, p;
  };
  const TExpected expected[] = {
      {"X : Y", 0.99969100321235849L, 113.75024705483202L, 3.9868773129824882e-14L},
      {"X : Z", 0.3454545454545454L, 1.0411935862672628L, 0.32822651147136761L},
      {"Y : Z", 0.34905497128906393L, 1.0535419681106224L, 0.32287000627450452L},
  };
  ASSERT_EQ(3u, correlation.pairs.size());
  for (size_t i = 0; i < 3; ++i) {
    const TCorrelationPair& pair = correlation.pairs[i];
    EXPECT_EQ(expected[i].name, pair.name);
    EXPECT_NEAR(expected[i].r, pair.r, 1e-15L);
    EXPECT_NEAR(expected[i].r * expected[i].r, pair.rSquare, 1e-15L);
    EXPECT_NEAR(expected[i].t, pair.t, 1e-12L * expected[i].t);
    EXPECT_NEAR(expected[i].p, pair.p, 1e-11L * expected[i].p);
  }
  EXPECT_TRUE(correlation.errors.empty());
  EXPECT_TRUE(sink.Messages().empty());

  const TMatrixText text = correlation.Text();
  EXPECT_EQ("Correlations (Pearson)", text.title);
  EXPECT_EQ("Series", text.corner);
  EXPECT_EQ((std::vector<std::string>{"r", "r-square", " | t | ", "P(no trend)"}), text.columns);
  EXPECT_EQ("X : Z", text.rows[1]);
  EXPECT_EQ("0.345454545454545", text.cells[1][0]);
}

// An observation with a missing value in any series is left out of every
// pair, and the title says so.
TEST(Correlation, MissingValuesLeaveOutTheWholeObservation) {
  ScriptedSink sink;
  const long double missing = NAN;
  TCorrelation gaps, complete;
  ASSERT_TRUE(Correlate({Numbers("X", {1, 2, missing, 4, 5, 6}), Numbers("Y", {2, 1, 4, 3, 7, 5}),
                         Numbers("Z", {9, 7, 8, missing, 3, 1})},
                        gaps));
  ASSERT_TRUE(Correlate(
      {Numbers("X", {1, 2, 5, 6}), Numbers("Y", {2, 1, 7, 5}), Numbers("Z", {9, 7, 3, 1})},
      complete));
  EXPECT_EQ(2u, gaps.missing);
  ASSERT_EQ(complete.pairs.size(), gaps.pairs.size());
  for (size_t i = 0; i < gaps.pairs.size(); ++i) {
    EXPECT_EQ(complete.pairs[i].r, gaps.pairs[i].r) << gaps.pairs[i].name;
    EXPECT_EQ(complete.pairs[i].p, gaps.pairs[i].p) << gaps.pairs[i].name;
  }
  EXPECT_EQ("Correlations (Pearson), 2 observations with missing values left out",
            gaps.Text().title);
  EXPECT_EQ("Correlations (Pearson)", complete.Text().title);
}

TEST(Correlation, ConstantSeriesGivesZerosAndAnError) {
  ScriptedSink sink;
  TCorrelation correlation;
  ASSERT_TRUE(Correlate({kX, Numbers("C", std::vector<long double>(10, 3)), kZ}, correlation));
  const std::vector<std::string> errors = {"Error calculating correlation: element [0, 1]",
                                           "Error calculating correlation: element [1, 2]"};
  EXPECT_EQ(errors, correlation.errors);
  EXPECT_EQ(std::vector<std::string>{errors[0] + "\r\n" + errors[1]}, sink.Messages());
  for (size_t i : {0u, 2u}) {
    const TCorrelationPair& pair = correlation.pairs[i];
    EXPECT_EQ(0, pair.r);
    EXPECT_EQ(0, pair.rSquare);
    EXPECT_EQ(0, pair.t);
    EXPECT_EQ(0, pair.p);
  }
  EXPECT_NEAR(0.3454545454545454L, correlation.pairs[1].r, 1e-15L);
}

// |r| = 1 has no finite t: it shows "INF" with P(no trend) = 0, also when
// rounding leaves r a hair below 1.
TEST(Correlation, PerfectLineShowsInfiniteT) {
  ScriptedSink sink;
  std::vector<long double> line, falling;
  for (int i = 0; i < 10; ++i) {
    line.push_back(0.1L + 0.7L * i);
    falling.push_back(5 - 3.3L * i);
  }
  TCorrelation correlation;
  ASSERT_TRUE(Correlate({kX, Numbers("L", line), Numbers("F", falling)}, correlation));
  const TMatrixText text = correlation.Text();
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(1, std::fabs(correlation.pairs[i].r)) << i;
    EXPECT_TRUE(std::isinf(correlation.pairs[i].t)) << i;
    EXPECT_EQ(0, correlation.pairs[i].p) << i;
    EXPECT_EQ("INF", text.cells[i][2]);
    EXPECT_EQ("0", text.cells[i][3]);
  }
  EXPECT_EQ("-1", text.cells[1][0]);
}

// Two items give r = +-1 but no degrees of freedom for t.
TEST(Correlation, TwoItemsHaveNoTest) {
  TCorrelation correlation;
  ASSERT_TRUE(Correlate({Numbers("A", {1, 2}), Numbers("B", {5, 3})}, correlation));
  EXPECT_EQ(-1, correlation.pairs[0].r);
  const TMatrixText text = correlation.Text();
  EXPECT_EQ("n/a", text.cells[0][2]);
  EXPECT_EQ("n/a", text.cells[0][3]);
}

TEST(Correlation, Refusals) {
  ScriptedSink sink;
  TCorrelation correlation;
  TSample words;
  words.kind = TSampleKind::Text;
  words.texts = {"a", "b"};
  EXPECT_FALSE(Correlate({kX, words}, correlation));
  EXPECT_EQ("At least two numeric series should be defined", sink.Last());
  EXPECT_FALSE(Correlate({kX, Numbers("Short", {1, 2, 3})}, correlation));
  EXPECT_EQ("All Series should be of the same size", sink.Last());
}

} // namespace
} // namespace vandro
