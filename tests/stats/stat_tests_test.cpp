#include "stats/stat_tests.h"

#include "model/project.h"
#include "support/scripted_sink.h"
#include "support/stat_sample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vandro {
namespace {

using testing::Numbers;
using testing::ScriptedSink;

TSample Texts(std::string name, std::vector<std::string> texts) {
  TSample sample;
  sample.name = std::move(name);
  sample.kind = TSampleKind::Text;
  sample.texts = std::move(texts);
  return sample;
}

// count copies of each text, in turn.
TSample Outcomes(std::string name, std::vector<std::pair<std::string, int>> counts) {
  std::vector<std::string> texts;
  for (const auto& [text, count] : counts)
    texts.insert(texts.end(), static_cast<size_t>(count), text);
  return Texts(std::move(name), std::move(texts));
}

const std::vector<long double> kA = {5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3, 6.1};
const std::vector<long double> kB = {4.2, 4.8, 5.0, 4.6, 5.2, 4.4, 4.9};
const std::vector<long double> kC = {6.5, 6.1, 5.9, 6.8, 6.3, 6.0, 6.6, 6.2, 7.0};

std::string Join(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines)
    text += (text.empty() ? "" : "\r\n") + std::string(line);
  return text;
}

// Statistics and P from R 4.2 (make_references.R tests): t.test(var.equal =
// TRUE), oneway.test(var.equal = TRUE) of the first 7 items of each series,
// prop.test (z the square root of its statistic, P from a t with 10000
// degrees of freedom) and chisq.test.
TEST(StatTests, AgreeWithR) {
  ScriptedSink sink;
  struct TCase {
    const char* what;
    TStatTest test;
    std::vector<TSample> series;
    bool yates;
    long double statistic, p;
    int df;
    bool truncates = false; // sizes differ: the question is answered Yes
  };
  const std::vector<TCase> cases = {
      {"t",
       TStatTest::T,
       {Numbers("A", kA), Numbers("B", kB)},
       false,
       3.989072747680467L,
       0.0015435217355227605L,
       13},
      {"F",
       TStatTest::F,
       {Numbers("A", kA), Numbers("B", kB), Numbers("C", kC)},
       false,
       28.498458376156211L,
       2.642785182806002e-06L,
       2,
       true},
      {"F of two",
       TStatTest::F,
       {Numbers("A", {kA.begin(), kA.end() - 1}), Numbers("B", kB)},
       false,
       13.189445196211089L,
       0.003439810036662206L,
       1},
      {"z",
       TStatTest::Z,
       {Outcomes("S1", {{"YES", 30}, {"NO", 20}}), Outcomes("S2", {{"yes", 18}, {"no", 32}})},
       false,
       2.4019223070763069L,
       0.016327297335111287L,
       10000},
      {"z Yates",
       TStatTest::Z,
       {Outcomes("S1", {{"YES", 30}, {"NO", 20}}), Outcomes("S2", {{"yes", 18}, {"no", 32}})},
       true,
       2.2017621148199482L,
       0.027704867955191437L,
       10000},
      {"chi-square 3 x 3",
       TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 12}, {"b", 7}, {"c", 9}}),
        Outcomes("S2", {{"a", 5}, {"b", 14}, {"c", 8}}),
        Outcomes("S3", {{"a", 9}, {"b", 6}, {"c", 15}})},
       true, // no effect beyond 2 x 2
       9.709759130187372L,
       0.045611101513972373L,
       4},
      {"chi-square 2 x 2",
       TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 10}, {"b", 20}}), Outcomes("S2", {{"a", 20}, {"b", 10}})},
       false,
       6.666666666666667L,
       0.0098232745075192644L,
       1},
      {"chi-square 2 x 2 Yates",
       TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 10}, {"b", 20}}), Outcomes("S2", {{"a", 20}, {"b", 10}})},
       true,
       5.4L,
       0.020136751550346353L,
       1},
      // The correction stops at 0 when |o - e| < 0.5 everywhere, as in R.
      {"chi-square Yates below a half",
       TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 10}, {"b", 10}}), Outcomes("S2", {{"a", 11}, {"b", 9}})},
       true,
       0,
       1,
       1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.truncates) sink.Answer(true);
    TStatTestResult result;
    ASSERT_TRUE(RunStatTest(c.test, c.series, c.yates, result));
    EXPECT_EQ(c.test, result.test);
    EXPECT_NEAR(c.statistic, result.statistic, 1e-13L * std::max(1.0L, c.statistic));
    EXPECT_NEAR(c.p, result.p, 1e-13L * std::max(1e-3L, c.p));
    EXPECT_EQ(c.df, result.degreesOfFreedom);
  }
  EXPECT_TRUE(sink.Messages().empty());
}

// Welch's and the pooled t-test with their intervals and effect sizes on four
// data sets, as R 4.2's t.test(x, y) and t.test(x, y, var.equal = TRUE) give
// them (Rscript make_references.R welch). make_welch_references.py computes
// the same from exact fractions and 60-digit arithmetic; the two agree to
// about 1e-15.
TEST(StatTests, TwoSampleTTestsAgreeWithR) {
  const std::vector<long double> sleep1 = {0.7, -1.6, -0.2, -1.2, -0.1, 3.4, 3.7, 0.8, 0.0, 2.0};
  const std::vector<long double> sleep2 = {1.9, 0.8, 1.1, 0.1, -0.1, 4.4, 5.5, 1.6, 4.6, 3.4};
  const std::vector<long double> spread1 = {19.1, 22.4, 17.8, 25.3, 30.2, 15.6,
                                            28.9, 21.0, 26.7, 18.4, 23.3, 20.5};
  const std::vector<long double> spread2 = {24.1, 24.6, 23.8, 25.0, 24.3};
  const std::vector<long double> far1 = {102.5, 98.7, 101.2, 99.9, 100.4, 103.1};
  const std::vector<long double> far2 = {88.2, 95.6, 79.4, 91.0, 84.3, 97.8, 82.5};
  struct TCase {
    const char* what;
    TStatTest test;
    std::vector<long double> x, y;
    long double t, df, p, low, high, d;
  };
  const std::vector<TCase> cases = {
      {"Welch A/B", TStatTest::Welch, kA, kB, 4.0805173429731729L, 12.598760451523448L,
       0.0013831282566634225L, 0.41442628641588042L, 1.353430856441262L, 2.0894943863349544L},
      {"Welch sleep", TStatTest::Welch, sleep1, sleep2, -1.8608134674868531L, 17.776473516178498L,
       0.079394140187358173L, -3.3654832307117104L, 0.20548323071171018L, -0.83218108134953972L},
      {"Welch spread", TStatTest::Welch, spread1, spread2, -1.4400891595636427L,
       11.524064605379129L, 0.17645147260957966L, -4.8550652257547471L, 1.0017318924214156L,
       -0.59203801533866185L},
      {"Welch far apart", TStatTest::Welch, far1, far2, 4.7130681272750765L, 6.8043347827284011L,
       0.0023472163512704221L, 6.224821738020319L, 18.908511595313009L, 2.5307542677892725L},
      {"pooled A/B", TStatTest::T, kA, kB, 3.989072747680467L, 13, 0.0015435217355227605L,
       0.40521792836581877L, 1.3626392144913235L, 2.0645412876640972L},
      {"pooled sleep", TStatTest::T, sleep1, sleep2, -1.8608134674868528L, 18,
       0.079186714215938175L, -3.3638740322875984L, 0.20387403228759859L, -0.83218108134953961L},
      {"pooled spread", TStatTest::T, spread1, spread2, -0.92135952668502874L, 15,
       0.37144464458888671L, -6.3837680176311418L, 2.53043468429781L, -0.49043105896794886L},
      {"pooled far apart", TStatTest::T, far1, far2, 4.3752933319892522L, 11,
       0.0011077449952068105L, 6.2450226655829137L, 18.888310667750414L, 2.4341884960091837L},
  };
  const auto expectClose = [](long double expected, long double actual, const char* what) {
    EXPECT_NEAR(expected, actual, 1e-12L * std::fabs(expected)) << what;
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedSink sink;
    TStatTestResult result;
    ASSERT_TRUE(RunStatTest(c.test, {Numbers("X", c.x), Numbers("Y", c.y)}, false, result));
    EXPECT_TRUE(sink.Messages().empty());
    expectClose(c.t, result.statistic, "t");
    expectClose(c.df, result.degreesOfFreedom, "df");
    expectClose(c.p, result.p, "P");
    ASSERT_TRUE(result.hasEffect);
    expectClose(c.low, result.low, "low");
    expectClose(c.high, result.high, "high");
    expectClose(c.d, result.effectSize, "d");
  }
}

// Welch's test in the units of the first series, and its refusals.
TEST(StatTests, WelchConvertsUnitsAndRefusesLikeT) {
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  {
    ScriptedSink sink;
    std::vector<long double> grams;
    for (long double b : kB)
      grams.push_back(b * 1000);
    TStatTestResult result;
    ASSERT_TRUE(RunStatTest(TStatTest::Welch, {Numbers("A", kA, "kg"), Numbers("B", grams, "g")},
                            false, result));
    EXPECT_NEAR(4.0805173429731732L, result.statistic, 1e-12L);
    EXPECT_NEAR(0.41442628641588057L, result.low, 1e-12L); // kilograms
  }
  // One constant series is fine: only its mean takes part.
  {
    ScriptedSink sink;
    TStatTestResult result;
    ASSERT_TRUE(
        RunStatTest(TStatTest::Welch, {Numbers("K", {2, 2, 2}), Numbers("B", kB)}, false, result));
    EXPECT_TRUE(std::isfinite(result.p));
  }
  const std::string pair = Join({"Welch t-Test is applicable only to pair of series.",
                                 "The first two series will be used.", "Do you want to proceed?"});
  struct TCase {
    std::vector<TSample> series;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {{Numbers("A", kA), Texts("W", {"x", "y"})}, "Series W should be numeric"},
      {{Numbers("A", kA, "kg"), Numbers("B", kB, "m")}, "Incompatible units!"},
      {{Numbers("One", {3}), Numbers("A", kA)},
       Join({"Sample size should be at least 2", "See series #1"})},
      {{Numbers("K", {2, 2, 2}), Numbers("L", {3, 3})},
       Join({"Can't apply the t-test.", "Both series have zero variance"})},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptedSink sink;
    TStatTestResult result;
    EXPECT_FALSE(RunStatTest(TStatTest::Welch, c.series, false, result));
    EXPECT_EQ(std::vector<std::string>{c.message}, sink.Messages());
    EXPECT_FALSE(result.hasEffect);
  }
  ScriptedSink sink;
  sink.Answer(false, pair);
  TStatTestResult result;
  EXPECT_FALSE(RunStatTest(TStatTest::Welch, {Numbers("A", kA), Numbers("B", kB), Numbers("C", kC)},
                           false, result));
  EXPECT_TRUE(sink.Messages().empty());
}

// The z test's difference of proportions (30 of 50 against 18 of 50) and its
// interval as prop.test computes it, with and without the continuity
// correction (make_welch_references.py).
TEST(StatTests, ZGivesTheDifferenceOfProportions) {
  const TSample s1 = Outcomes("S1", {{"YES", 30}, {"NO", 20}});
  const TSample s2 = Outcomes("S2", {{"yes", 18}, {"no", 32}});
  const struct {
    bool yates;
    long double low, high;
  } cases[] = {{false, 0.049893596675203134L, 0.43010640332479687L},
               {true, 0.029893596675203134L, 0.45010640332479687L}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.yates);
    ScriptedSink sink;
    TStatTestResult result;
    ASSERT_TRUE(RunStatTest(TStatTest::Z, {s1, s2}, c.yates, result));
    EXPECT_NEAR(0.24L, result.effectSize, 1e-15L);
    EXPECT_NEAR(c.low, result.low, 1e-14L);
    EXPECT_NEAR(c.high, result.high, 1e-14L);
    EXPECT_EQ("0.24", result.EffectText());
  }
  // Far apart proportions: the interval stays within [-1, 1].
  ScriptedSink sink;
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(
      TStatTest::Z, {Outcomes("S1", {{"a", 19}, {"b", 1}}), Outcomes("S2", {{"a", 1}, {"b", 19}})},
      true, result));
  EXPECT_EQ(1, result.high);
  EXPECT_LT(result.low, 0.9L);
  // F and chi-square compare no pair and give none.
  ASSERT_TRUE(RunStatTest(TStatTest::ChiSquare, {s1, s2}, false, result));
  EXPECT_FALSE(result.hasEffect);
  EXPECT_EQ("", result.IntervalText());
}

TEST(StatTests, ResultTextsRoundToSixDecimals) {
  ScriptedSink sink;
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(TStatTest::T, {Numbers("A", kA), Numbers("B", kB)}, false, result));
  EXPECT_EQ("3.989073", result.StatisticText());
  EXPECT_EQ("0.001544", result.PText());
  EXPECT_EQ("0.998456", result.RejectText());
  EXPECT_STREQ("t Statistic Value:", StatisticCaption(TStatTest::T));
  EXPECT_STREQ("Chi-Square Statistic Value:", StatisticCaption(TStatTest::ChiSquare));
  EXPECT_STREQ("t Statistic Value:", StatisticCaption(TStatTest::Welch));
  EXPECT_EQ("2.064541", result.EffectText());
  EXPECT_EQ("[0.405218, 1.362639]", result.IntervalText());
  EXPECT_STREQ("Cohen's d:", EffectCaption(TStatTest::Welch));
  EXPECT_STREQ("Difference of proportions:", EffectCaption(TStatTest::Z));
  EXPECT_STREQ("", EffectCaption(TStatTest::F));

  // Two identical series: t = 0, P = 1.
  ASSERT_TRUE(RunStatTest(TStatTest::T, {Numbers("A", kA), Numbers("A2", kA)}, false, result));
  EXPECT_EQ("0", result.StatisticText());
  EXPECT_EQ("1", result.PText());
  EXPECT_EQ("0", result.EffectText());
}

// A P is never written as 0: small ones keep three significant digits, and
// ones below what the distributions resolve say so.
TEST(StatTests, PValueTexts) {
  const struct {
    long double p;
    const char* text;
  } cases[] = {{1, "1"},
               {0.0015435217355227605L, "0.001544"},
               {0.0001L, "0.0001"},
               {0.00009999999L, "1E-4"},
               {0.000012345L, "1.23E-5"},
               {1.9305955368672391e-14L, "1.93E-14"},
               {2e-300L, "2E-300"},
               {1e-301L, "< 1E-300"},
               {0, "< 1E-300"},
               {NAN, "n/a"}};
  for (const auto& c : cases)
    EXPECT_EQ(c.text, PValueText(c.p)) << static_cast<double>(c.p);
}

// Far apart groups give a P far below the shown decimals: it is computed in
// the upper tail, not as 1 minus a number near 1, so that its digits are
// right (R: oneway.test(var.equal = TRUE), chisq.test(correct = FALSE)).
TEST(StatTests, TinyPValuesKeepTheirDigits) {
  ScriptedSink sink;
  const struct {
    const char* what;
    TStatTest test;
    std::vector<TSample> series;
    long double p;
    const char* text;
  } cases[] = {
      {"F",
       TStatTest::F,
       {Numbers("A", {10.1, 10.2, 10.0, 10.3}), Numbers("B", {20.1, 20.2, 20.0, 20.3}),
        Numbers("C", {30.2, 30.1, 30.0, 30.4})},
       4.5631017955555072e-17L,
       "4.56E-17"},
      {"chi-square",
       TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 300}, {"b", 20}}), Outcomes("S2", {{"a", 20}, {"b", 300}})},
       1.4249909856379893e-108L,
       "1.42E-108"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TStatTestResult result;
    ASSERT_TRUE(RunStatTest(c.test, c.series, false, result));
    EXPECT_NEAR(1, static_cast<double>(result.p / c.p), 1e-10);
    EXPECT_EQ(c.text, result.PText());
  }
}

// Missing values are left out of their samples and counted; texts and
// numbers alike, so that a gap is never an outcome or a 0.
TEST(StatTests, MissingValuesAreLeftOutAndCounted) {
  ScriptedSink sink;
  const long double missing = NAN;
  std::vector<long double> a = kA, b = kB;
  a.insert(a.begin() + 2, missing);
  b.push_back(missing);
  for (TStatTest test : {TStatTest::T, TStatTest::Welch, TStatTest::F}) {
    SCOPED_TRACE(static_cast<int>(test));
    TStatTestResult gaps, complete;
    if (test == TStatTest::F) sink.Answer(true), sink.Answer(true); // sizes differ
    ASSERT_TRUE(RunStatTest(test, {Numbers("A", a), Numbers("B", b)}, false, gaps));
    ASSERT_TRUE(RunStatTest(test, {Numbers("A", kA), Numbers("B", kB)}, false, complete));
    EXPECT_EQ(complete.statistic, gaps.statistic);
    EXPECT_EQ(complete.p, gaps.p);
    EXPECT_EQ(2u, gaps.missing);
    EXPECT_EQ("2 missing values left out", gaps.MissingText());
    EXPECT_EQ("", complete.MissingText());
  }
  TSample s1 = Outcomes("S1", {{"a", 10}, {"b", 20}});
  s1.texts.insert(s1.texts.begin() + 3, "");
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(TStatTest::ChiSquare, {s1, Outcomes("S2", {{"a", 20}, {"b", 10}})}, false,
                          result));
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), result.table.outcomes);
  EXPECT_NEAR(6.666666666666667L, result.statistic, 1e-13L);
  EXPECT_EQ(1u, result.missing);
}

// Compatible units are compared in one unit: grams against kilograms.
TEST(StatTests, SeriesInCompatibleUnitsAreConverted) {
  ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  std::vector<long double> grams;
  for (long double b : kB)
    grams.push_back(b * 1000);
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(TStatTest::T, {Numbers("A", kA, "kg"), Numbers("B", grams, "[g]")}, false,
                          result));
  EXPECT_NEAR(3.989072747680467L, result.statistic, 1e-12L);
  // The difference and its interval are in the first series' unit.
  EXPECT_EQ("[0.405218, 1.362639] [kg]", result.IntervalText());
  ASSERT_TRUE(RunStatTest(TStatTest::Welch, {Numbers("A", kA, "kg"), Numbers("B", grams, "[g]")},
                          false, result));
  EXPECT_EQ("kg", result.unit);
  ASSERT_TRUE(RunStatTest(
      TStatTest::F, {Numbers("A", {kA.begin(), kA.end() - 1}, "KG"), Numbers("B", grams, "g")},
      false, result));
  EXPECT_NEAR(13.189445196211089L, result.statistic, 1e-12L);

  EXPECT_FALSE(
      RunStatTest(TStatTest::T, {Numbers("A", kA, "kg"), Numbers("B", kB, "m")}, false, result));
  EXPECT_EQ("Incompatible units!", sink.Last());
  EXPECT_FALSE(RunStatTest(TStatTest::F,
                           {Numbers("A", kA, "kg"), Numbers("B", kB, "g"), Numbers("C", kC, "s")},
                           false, result));
  EXPECT_EQ("Incompatible units! Series:C", sink.Last());
}

// Kelvins against celsius: the offset shifts the means, so it must take part
// for the figures to be those of two series in celsius.
TEST(StatTests, TemperaturesAreConvertedWithTheirOffsets) {
  ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  std::vector<long double> kelvins;
  for (long double b : kB)
    kelvins.push_back(b + 273.15L);
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(TStatTest::T, {Numbers("A", kA, "C"), Numbers("B", kelvins, "K")}, false,
                          result));
  EXPECT_NEAR(3.989072747680467L, result.statistic, 1e-9L);
  ASSERT_TRUE(RunStatTest(
      TStatTest::F, {Numbers("A", {kA.begin(), kA.end() - 1}, "C"), Numbers("B", kelvins, "K")},
      false, result));
  EXPECT_NEAR(13.189445196211089L, result.statistic, 1e-9L);
}

TEST(StatTests, Refusals) {
  const TSample a = Numbers("A", kA), b = Numbers("B", kB), words = Texts("W", {"x", "y"});
  struct TCase {
    TStatTest test;
    std::vector<TSample> series;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {TStatTest::None, {a, b}, "Select test type"},
      {TStatTest::T, {a}, "The number of series should be at least two"},
      {TStatTest::T, {a, words}, "Series W should be numeric"},
      {TStatTest::T,
       {a, Numbers("One", {3})},
       Join({"Sample size should be at least 2", "See series #2"})},
      {TStatTest::F, {words, a}, "Series W should be numeric"},
      {TStatTest::F,
       {a, b, Numbers("One", {3})},
       Join({"The minimum sample size should be 2.", "See series #3"})},
      {TStatTest::T,
       {Numbers("K", {2, 2, 2}), Numbers("L", {2, 2})},
       Join({"Can't apply the t-test.", "Both series have zero variance"})},
      {TStatTest::F,
       {Numbers("K", {2, 2}), Numbers("L", {3, 3})},
       Join({"Can't apply the F-test.", "All series have zero variance"})},
      {TStatTest::Z,
       {Outcomes("S1", {{"a", 9}, {"b", 9}}), Outcomes("S2", {{"a", 9}, {"c", 9}})},
       "There should be exactly two outcome values"},
      {TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 9}}), Outcomes("S2", {{"A", 9}})},
       "There should be at least two outcome values"},
      {TStatTest::ChiSquare,
       {Outcomes("S1", {{"a", 9}, {"b", 9}}), Texts("Empty", {})},
       Join({"Can't apply the chi-square test.",
             "The expected frequancy of outcome in a series is 0"})},
      {TStatTest::Z,
       {Outcomes("S1", {{"a", 9}, {"b", 9}}), Texts("Empty", {})},
       Join({"Can't apply the z test.", "The expected frequancy of outcome in a series is 0"})},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptedSink sink;
    TStatTestResult result;
    result.statistic = 42;
    EXPECT_FALSE(RunStatTest(c.test, c.series, true, result));
    EXPECT_EQ(std::vector<std::string>{c.message}, sink.Messages());
    EXPECT_EQ(42, result.statistic);
  }
}

TEST(StatTests, QuestionsBeforeGoingOn) {
  const TSample a = Numbers("A", kA), b = Numbers("B", kB), c = Numbers("C", kC);
  const std::string pair = Join({"t-Test is applicable only to pair of series.",
                                 "The first two series will be used.", "Do you want to proceed?"});
  const std::string truncate =
      Join({"Series should have the same size.", "Long series would be truncated.",
            "One-way ANOVA uses every value of series of any sizes.", "Do you want to proceed?"});
  const std::string zPair = Join({"z test is applicable to a pair of series only.",
                                  "The first two series will be used.", "Do you want to proceed?"});
  const std::string zSmall =
      Join({"Expected number of outcomes in a series is less than 5.",
            "The test result might be inaccurate.", "Do you want to proceed anyway?"});
  const std::string chiSmall =
      Join({"Expected number of outcomes in a series is less than 5.",
            "The test result might be inaccurate.", "Do you want to proceed it anyway?"});
  const TSample few1 = Outcomes("S1", {{"a", 3}, {"b", 9}});
  const TSample few2 = Outcomes("S2", {{"a", 4}, {"b", 8}});
  struct TCase {
    TStatTest test;
    std::vector<TSample> series;
    std::vector<std::string> questions;
  };
  const std::vector<TCase> cases = {
      {TStatTest::T, {a, b, c}, {pair}},
      {TStatTest::F, {a, b, c}, {truncate}},
      {TStatTest::Z, {few1, few2, few1}, {zPair, zSmall}},
      {TStatTest::ChiSquare, {few1, few2}, {chiSmall}},
  };
  for (const TCase& c : cases) {
    for (size_t no = 0; no <= c.questions.size(); ++no) {
      SCOPED_TRACE(c.questions.back() + " answered No at question " + std::to_string(no));
      ScriptedSink sink;
      for (size_t q = 0; q < c.questions.size() && q <= no; ++q)
        sink.Answer(q != no, c.questions[q]);
      TStatTestResult result;
      EXPECT_EQ(no == c.questions.size(), RunStatTest(c.test, c.series, false, result));
      EXPECT_TRUE(sink.Messages().empty());
    }
  }
  // After Yes, the t-test takes the first two series.
  ScriptedSink sink;
  sink.Answer(true, pair);
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(TStatTest::T, {a, b, c}, false, result));
  EXPECT_NEAR(3.989072747680467L, result.statistic, 1e-13L);
}

// The z test's correction must not turn equal proportions into a difference.
TEST(StatTests, YatesNeverMakesEqualProportionsDiffer) {
  ScriptedSink sink;
  TStatTestResult result;
  const TSample s = Outcomes("S", {{"a", 10}, {"b", 10}});
  ASSERT_TRUE(RunStatTest(TStatTest::Z, {s, s}, true, result));
  EXPECT_EQ(0, result.statistic);
  EXPECT_EQ(1, result.p);
}

TEST(StatTests, ContingencyTable) {
  TSample kilos = Numbers("Kilos", {1, 2.5, 1}, "kg");
  TSample plain = Numbers("Plain", {1, 3});
  const TContingencyTable table =
      BuildContingencyTable({Texts("Words", {"yes", "No", "YES", "no", "maybe"}), kilos, plain});
  EXPECT_EQ((std::vector<std::string>{"YES", "NO", "MAYBE", "1 [KG]", "2.5 [KG]", "1", "3"}),
            table.outcomes);
  const std::vector<std::vector<long double>> counts = {
      {2, 2, 1, 0, 0, 0, 0, 5},
      {0, 0, 0, 2, 1, 0, 0, 3},
      {0, 0, 0, 0, 0, 1, 1, 2},
      {2, 2, 1, 2, 1, 1, 1, 10},
  };
  EXPECT_EQ(counts, table.counts);
  EXPECT_DOUBLE_EQ(1.0, static_cast<double>(table.expected[0][0])); // 5 * 2 / 10
  EXPECT_DOUBLE_EQ(0.3, static_cast<double>(table.expected[1][4])); // 3 * 1 / 10

  const TMatrixText text = table.Text();
  EXPECT_EQ("Contingency table", text.title);
  EXPECT_EQ("Series\\Outcomes", text.corner);
  EXPECT_EQ("Total", text.columns.back());
  EXPECT_EQ((std::vector<std::string>{"Words", "Kilos", "Plain", "Total"}), text.rows);
  EXPECT_EQ("10", text.cells[3][7]);
}

TEST(StatTests, HypothesesAndControls) {
  EXPECT_EQ((std::vector<std::string>{"There's no any relationship between outcome",
                                      "frequencies in samples."}),
            HypothesisLines(TStatTest::ChiSquare));
  EXPECT_EQ(4u, HypothesisLines(TStatTest::T).size());
  EXPECT_EQ("Both samples were drawn from the same normal ", HypothesisLines(TStatTest::T)[0]);
  EXPECT_TRUE(UsesContingencyTable(TStatTest::Z));
  EXPECT_FALSE(UsesContingencyTable(TStatTest::F));
}

} // namespace
} // namespace vandro
