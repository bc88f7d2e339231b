#include "stats/anova.h"
#include "stats/stat_dialog.h"
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

void ExpectRelative(long double expected, long double actual, double tolerance, const char* what) {
  EXPECT_NEAR(1, static_cast<double>(actual / expected), tolerance)
      << what << ": " << static_cast<double>(expected) << " against "
      << static_cast<double>(actual);
}

// Final weights of ChickWeight's chicks on four diets (16, 10, 10 and 9
// chicks), three series of unequal sizes, and four of very unequal sizes
// and spreads, as R 4.2's aov, oneway.test(var.equal = FALSE), the aov of
// |x - median| (car's leveneTest) and TukeyHSD give them (make_references.R
// anova). Everything agrees to 1e-10; Tukey's limits and P to 1e-7, the
// accuracy of R's own qtukey and ptukey.
TEST(Anova, AgreesWithR) {
  ScriptedSink sink;
  struct TTukey {
    long double difference, low, high, p;
  };
  const struct {
    const char* name;
    std::vector<TSample> series;
    long double ssBetween, ssWithin, f, p;
    int dfBetween, dfWithin;
    long double eta, omega, welchF, welchDf2, welchP, leveneF, leveneP;
    std::vector<TTukey> tukey; // 2-1, 3-1, ..., 3-2, ...
  } cases[] = {
      {"chicks",
       {Numbers("Diet 1",
                {205, 215, 202, 157, 223, 157, 305, 98, 124, 175, 205, 96, 266, 142, 157, 117}),
        Numbers("Diet 2", {331, 167, 175, 74, 265, 251, 192, 233, 309, 150}),
        Numbers("Diet 3", {256, 305, 147, 341, 373, 220, 178, 290, 272, 321}),
        Numbers("Diet 4", {204, 281, 200, 196, 238, 205, 322, 237, 264})},
       57164.22222222227L,
       167839.4222222222L,
       4.6547131777896036L,
       0.0068579588406083268L,
       3,
       41,
       0.25405909474651489L,
       0.1959136622985404L,
       4.6618230594265748L,
       20.593900176086009L,
       0.012189332254503069L,
       1.1597189370206404L,
       0.33673920104245458L,
       {
           {36.950000000000045L, -32.110644832348996L, 106.01064483234909L, 0.48680950379032961L},
           {92.550000000000097L, 23.489355167651055L, 161.61064483234912L, 0.0046958923296068766L},
           {60.805555555555571L, -10.577100713944475L, 132.18821182505562L, 0.1192661169508008L},
           {55.600000000000051L, -21.015906479889708L, 132.21590647988981L, 0.2263918420724923L},
           {23.855555555555526L, -54.859805570243466L, 102.57091668135452L, 0.84867810980882763L},
           {-31.744444444444525L, -110.45980557024352L, 46.970916681354467L, 0.70362494200544923L},
       }},
      {"abc",
       {Numbers("A", {5.1, 4.9, 6.2, 5.8, 6.0, 5.5, 5.3, 6.1}),
        Numbers("B", {4.2, 4.8, 5.0, 4.6, 5.2, 4.4, 4.9}),
        Numbers("C", {6.5, 6.1, 5.9, 6.8, 6.3, 6.0, 6.6, 6.2, 7.0})},
       10.719742063492061L,
       3.4985912698412722L,
       32.172175308655952L,
       4.0361511658963909e-07L,
       2,
       21,
       0.75393801876629196L,
       0.72204319300088582L,
       39.305813272829738L,
       13.544149466797759L,
       2.2930512043160946e-06L,
       0.99530608253471742L,
       0.3863865268924529L,
       {
           {-0.88392857142857117L, -1.4163890495841542L, -0.35146809327298822L,
            0.0011673144421359138L},
           {0.76527777777777839L, 0.26536530295752464L, 1.2651902525980321L,
            0.0025135904991150371L},
           {1.6492063492063496L, 1.1307341450004837L, 2.1676785534122152L, 2.3220669620460654e-07L},
       }},
      {"uneven",
       {Numbers("P", {10.2, 10.4, 10.1}),
        Numbers("Q", {14.0, 3.5, 22.8, 9.9, 17.1, 1.2, 25.6, 11.3, 6.4, 19.9, 13.7, 8.8, 30.1, 4.6,
                      16.2}),
        Numbers("R", {12.5, 13.1, 11.8, 12.9, 14.4, 12.2}), Numbers("S", {9.0, 15.5, 7.7, 18.3})},
       30.505309523809419L,
       1072.3318333333332L,
       0.22758111678161383L,
       0.87626519717874807L,
       3,
       24,
       0.027660756369502291L,
       -0.090226212131814351L,
       14.187962416618172L,
       8.5542421113574889L,
       0.0011244843158192237L,
       5.246427644338862L,
       0.006304226896934639L,
       {
           {3.4399999999999959L, -8.2221625217156316L, 15.102162521715623L, 0.84738358267674363L},
           {2.5833333333333268L, -10.455360748269928L, 15.622027414936582L, 0.94657751112683308L},
           {2.3916666666666604L, -11.691732564789325L, 16.475065898122644L, 0.96525341012297616L},
           {-0.85666666666666913L, -9.7637904204398254L, 8.0504570871064871L, 0.99328624076283856L},
           {-1.0483333333333356L, -11.424818486022049L, 9.3281518193553783L, 0.99224166539093273L},
           {-0.19166666666666643L, -12.094311448172013L, 11.71097811483868L, 0.99996757129818636L},
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TAnovaResult r;
    ASSERT_TRUE(RunAnova(c.series, r));
    ExpectRelative(c.ssBetween, r.ssBetween, 1e-10, "between");
    ExpectRelative(c.ssWithin, r.ssWithin, 1e-10, "within");
    ExpectRelative(c.ssBetween + c.ssWithin, r.ssTotal, 1e-10, "total");
    EXPECT_EQ(c.dfBetween, r.dfBetween);
    EXPECT_EQ(c.dfWithin, r.dfWithin);
    ExpectRelative(c.f, r.f, 1e-10, "F");
    ExpectRelative(c.p, r.p, 1e-10, "P");
    ExpectRelative(c.eta, r.etaSquare, 1e-10, "eta squared");
    ExpectRelative(c.omega, r.omegaSquare, 1e-10, "omega squared");
    ExpectRelative(c.welchF, r.welchF, 1e-10, "Welch's F");
    ExpectRelative(c.welchDf2, r.welchDf2, 1e-10, "Welch's df");
    ExpectRelative(c.welchP, r.welchP, 1e-10, "Welch's P");
    ExpectRelative(c.leveneF, r.leveneF, 1e-10, "Levene's F");
    ExpectRelative(c.leveneP, r.leveneP, 1e-10, "Levene's P");
    ASSERT_EQ(c.tukey.size(), r.tukey.size());
    for (size_t i = 0; i < c.tukey.size(); ++i) {
      SCOPED_TRACE(r.tukey[i].name);
      ExpectRelative(c.tukey[i].difference, r.tukey[i].difference, 1e-10, "difference");
      ExpectRelative(c.tukey[i].low, r.tukey[i].low, 1e-7, "lower limit");
      ExpectRelative(c.tukey[i].high, r.tukey[i].high, 1e-7, "upper limit");
      EXPECT_NEAR(static_cast<double>(c.tukey[i].p), static_cast<double>(r.tukey[i].p), 1e-7);
    }
  }
  EXPECT_TRUE(sink.Messages().empty());
}

// The chicks through the tests' entry point: unequal sizes need no
// question, and the check box makes Welch's F the statistic.
TEST(Anova, AsATestOfTheStatisticsWindow) {
  ScriptedSink sink;
  const std::vector<TSample> chicks = {
      Numbers("Diet 1",
              {205, 215, 202, 157, 223, 157, 305, 98, 124, 175, 205, 96, 266, 142, 157, 117}, "g"),
      Numbers("Diet 2", {331, 167, 175, 74, 265, 251, 192, 233, 309, 150}, "g"),
      Numbers("Diet 3", {256, 305, 147, 341, 373, 220, 178, 290, 272, 321}, "g"),
      Numbers("Diet 4", {204, 281, 200, 196, 238, 205, 322, 237, 264}, "g")};
  TStatTestResult result;
  ASSERT_TRUE(RunStatTest(TStatTest::Anova, chicks, false, result));
  EXPECT_EQ("4.654713", result.StatisticText());
  EXPECT_EQ("0.006858", result.PText());
  EXPECT_EQ("41", result.DegreesText());
  ASSERT_TRUE(result.anova);
  const TMatrixText table = result.anova->Table();
  EXPECT_EQ("One-way ANOVA: eta squared 0.254059, omega squared 0.195914", table.title);
  EXPECT_EQ((std::vector<std::string>{"Between groups", "Within groups", "Total", "Welch's ANOVA",
                                      "Levene (median)"}),
            table.rows);
  EXPECT_EQ((std::vector<std::string>{"57164.2222222222 [(g)^2]", "3", "19054.7407407407 [(g)^2]",
                                      "4.654713", "0.006858"}),
            table.cells[0]);
  EXPECT_EQ("3, 20.5939", table.cells[3][1]);
  const TMatrixText tukey = result.anova->TukeyTable();
  EXPECT_EQ("Diet 3 - Diet 1", tukey.rows[1]);
  EXPECT_EQ("92.55 [g]", tukey.cells[1][0]);
  EXPECT_EQ("0.004696", tukey.cells[1][3]);

  ASSERT_TRUE(RunStatTest(TStatTest::WelchAnova, chicks, false, result));
  EXPECT_EQ("4.661823", result.StatisticText());
  EXPECT_EQ("0.012189", result.PText());
  EXPECT_EQ("20.5939", result.DegreesText());
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_TRUE(sink.Questions().empty());

  // The F test of equal sizes asks first, and names the analysis that uses
  // every value.
  sink.Answer(false);
  EXPECT_FALSE(RunStatTest(TStatTest::F, chicks, false, result));
  ASSERT_EQ(1u, sink.Questions().size());
  EXPECT_NE(std::string::npos, sink.Questions()[0].find("One-way ANOVA uses every value"));
}

TEST(Anova, Refusals) {
  const struct {
    std::vector<TSample> series;
    const char* message;
  } cases[] = {
      {{Numbers("A", {1, 2})}, "The number of series should be at least two"},
      {{Numbers("A", {1, 2}), Numbers("B", {3})},
       "Sample size should be at least 2\r\nSee series #2"},
      {{Numbers("A", {1, 2}), Numbers("B", {3, 4}, "kg")}, "Incompatible units! Series:B"},
      {{Numbers("A", {1, 1}), Numbers("B", {3, 3})},
       "Can't apply the analysis of variance.\r\nAll series have zero variance"},
  };
  for (const auto& c : cases) {
    ScriptedSink sink;
    TAnovaResult result;
    EXPECT_FALSE(RunAnova(c.series, result)) << c.message;
    EXPECT_EQ(std::vector<std::string>{c.message}, sink.Messages());
  }
  ScriptedSink sink;
  TStatTestResult result;
  EXPECT_FALSE(RunStatTest(TStatTest::WelchAnova,
                           {Numbers("A", {1, 1}), Numbers("B", {3, 4}), Numbers("C", {2, 5})},
                           false, result));
  EXPECT_EQ("Can't apply Welch's ANOVA.\r\nA series has zero variance", sink.Last());
}

} // namespace
} // namespace vandro
