#include "stats/calculator.h"

#include <gtest/gtest.h>

#include <string>

namespace vandro {
namespace {

using D = TCalcDistribution;
using F = TCalcField;

// Types the parameters with the distribution chosen. A text that ends in 0
// reads as unfinished (it may become 10.5), so the user closes it with a blank.
TStatCalculator Calculator(D distribution, const std::string& df, const std::string& df1 = "1") {
  TStatCalculator calculator;
  calculator.Choose(distribution);
  EXPECT_TRUE(calculator.Edit(F::DF, df + " "));
  EXPECT_TRUE(calculator.Edit(F::DF1, df1 + " "));
  return calculator;
}

TEST(StatCalculator, StartsNormalAtZero) {
  const TStatCalculator calculator;
  EXPECT_EQ(D::Normal, calculator.Distribution());
  for (auto [field, text] :
       {std::pair{F::X, "0"}, {F::P, "0.5"}, {F::P1, "0.5"}, {F::DF, "0"}, {F::DF1, "1"}}) {
    EXPECT_EQ(text, calculator.Text(field));
    EXPECT_FALSE(calculator.IsRed(field));
  }
}

// Both directions for every distribution, against R rounded to 6 decimals.
TEST(StatCalculator, ConvertsBothWaysAsR) {
  struct TCase {
    D distribution;
    const char* df;
    const char* df1;
    const char* x;
    const char* p;      // P from x
    const char* fromP;  // P given
    const char* xFromP; // X from that P
  };
  const TCase cases[] = {
      {D::Normal, "0", "1", "1.96", "0.024998", "0.025", "1.959964"},
      {D::Normal, "10", "2", "13", "0.066807", "0.1", "12.563103"},
      {D::Student, "10", "1", "2.228", "0.050012", "0.2", "1.372184"},
      {D::Student, "7", "1", "1.5", "0.177298", "0.2", "1.414924"},
      {D::F, "4", "12", "2.5", "0.098162", "0.05", "3.259167"},
      {D::ChiSquare, "1", "1", "3.841459", "0.05", "0.05", "3.841459"},
      {D::ChiSquare, "5", "1", "7", "0.22064", "0.1", "9.236357"},
      {D::Exponential, "3", "1", "2", "0.513417", "0.25", "4.158883"},
      {D::Logistic, "0", "1", "2", "0.119203", "0.5", "0"},
      {D::Logistic, "2", "1.5", "3", "0.339244", "0.2", "4.079442"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(
        std::string(TStatCalculator::DistributionNames()[static_cast<int>(c.distribution)]) +
        " at " + c.x);
    TStatCalculator calculator = Calculator(c.distribution, c.df, c.df1);
    ASSERT_TRUE(calculator.Edit(F::X, c.x));
    EXPECT_EQ(c.p, calculator.Text(F::P));
    EXPECT_NEAR(1 - calculator.Value(F::P), calculator.Value(F::P1), 1e-15);
    ASSERT_TRUE(calculator.Edit(F::P, c.fromP));
    EXPECT_EQ(c.xFromP, calculator.Text(F::X));
    EXPECT_EQ(c.fromP, calculator.Text(F::P));
  }
}

// The lognormal bisects its quantile to 1e-5 only, so X from P is close, not exact.
TEST(StatCalculator, LognormalQuantileToItsAccuracy) {
  TStatCalculator calculator = Calculator(D::Lognormal, "1", "0.5");
  ASSERT_TRUE(calculator.Edit(F::X, "4"));
  EXPECT_EQ("0.219883", calculator.Text(F::P));
  ASSERT_TRUE(calculator.Edit(F::P, "0.3"));
  EXPECT_NEAR(3.533186858L, calculator.Value(F::X), 3.6L * 0.5L * 1e-5L);
}

TEST(StatCalculator, ProbabilitiesZeroAndOneAreKeptInside) {
  TStatCalculator calculator;
  ASSERT_TRUE(calculator.Edit(F::P, "0"));
  EXPECT_EQ("5.612001", calculator.Text(F::X)); // the quantile of 1e-8
  ASSERT_TRUE(calculator.Edit(F::P1, "0"));
  EXPECT_EQ("-5.612001", calculator.Text(F::X));
  EXPECT_EQ("1", calculator.Text(F::P));
}

TEST(StatCalculator, ChoosingAppliesTheParameterRules) {
  struct TCase {
    D distribution;
    const char *x, *df, *df1; // typed under "Normal"
    const char *xAfter, *dfAfter, *df1After;
  };
  const TCase cases[] = {
      {D::Student, "-2", "0.5", "3.7", "1", "1", "3"},
      {D::Student, "2.5", "12.9", "1", "2.5", "12", "1"},
      {D::F, "-2", "0", "-4", "2", "1", "1"},
      {D::ChiSquare, "-2", "3.5", "1", "1", "3", "1"},
      {D::ChiSquare, "0", "3", "1", "0", "3", "1"},
      {D::Exponential, "0", "-2", "1", "1", "1", "1"},
      {D::Lognormal, "-1", "-2", "-1", "1", "-2", "-1"},
      {D::Logistic, "-3", "-2", "-1", "-3", "-2", "1"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(TStatCalculator::DistributionNames()[static_cast<int>(c.distribution)]);
    TStatCalculator calculator;
    ASSERT_TRUE(calculator.Edit(F::X, c.x));
    ASSERT_TRUE(calculator.Edit(F::DF, c.df));
    ASSERT_TRUE(calculator.Edit(F::DF1, c.df1));
    calculator.Choose(c.distribution);
    EXPECT_EQ(c.xAfter, calculator.Text(F::X));
    EXPECT_EQ(c.dfAfter, calculator.Text(F::DF));
    EXPECT_EQ(c.df1After, calculator.Text(F::DF1));
  }
  // A standard deviation of 0 becomes 1 for the normal.
  TStatCalculator calculator;
  ASSERT_TRUE(calculator.Edit(F::DF1, "0"));
  EXPECT_EQ("n/a", calculator.Text(F::P));
  calculator.Choose(D::Normal);
  EXPECT_EQ("1", calculator.Text(F::DF1));
  EXPECT_EQ("0.5", calculator.Text(F::P));
}

TEST(StatCalculator, EditsThatAreRefusedOnlyTurnRed) {
  TStatCalculator calculator;
  ASSERT_TRUE(calculator.Edit(F::X, "1.5"));
  const long double p = calculator.Value(F::P);
  // Unfinished ("10" may still become "10.5"), unreadable, out of range.
  for (auto [field, text] : {std::pair{F::X, "10"},
                             {F::X, "2."},
                             {F::X, "1.50"},
                             {F::X, "abc"},
                             {F::X, ""},
                             {F::P, "1.5"},
                             {F::P1, "-0.2"},
                             {F::DF, "x"}}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(calculator.Edit(field, text));
    EXPECT_TRUE(calculator.IsRed(field));
    EXPECT_EQ(text, calculator.Text(field));
    EXPECT_EQ(1.5L, calculator.Value(F::X));
    EXPECT_EQ(p, calculator.Value(F::P));
  }
  EXPECT_TRUE(calculator.Edit(F::X, "10.5"));
  EXPECT_FALSE(calculator.IsRed(F::X));
  EXPECT_TRUE(calculator.Edit(F::X, "10 "));

  // X may not be negative where the distribution has no negative values.
  calculator.Choose(D::Student);
  EXPECT_FALSE(calculator.Edit(F::X, "-1"));
  EXPECT_TRUE(calculator.IsRed(F::X));
  calculator.Choose(D::Exponential);
  EXPECT_TRUE(calculator.Edit(F::X, "-1"));
  EXPECT_EQ("1", calculator.Text(F::P)); // P(x > -1) for a distribution on x >= 0
}

// A parameter typed outside the distribution's domain shows "n/a", never NaN.
TEST(StatCalculator, ResultsWithoutAValueShowNA) {
  TStatCalculator calculator;
  calculator.Choose(D::Exponential);
  ASSERT_TRUE(calculator.Edit(F::DF, "-1"));
  EXPECT_EQ("n/a", calculator.Text(F::P));
  EXPECT_EQ("n/a", calculator.Text(F::P1));
  ASSERT_TRUE(calculator.Edit(F::P, "0.5"));
  EXPECT_EQ("n/a", calculator.Text(F::X));
  ASSERT_TRUE(calculator.Edit(F::DF, "2"));
  EXPECT_EQ("n/a", calculator.Text(F::X));
  ASSERT_TRUE(calculator.Edit(F::X, "2"));
  EXPECT_EQ("0.367879", calculator.Text(F::P));
}

TEST(StatCalculator, ArrowsStepAndRecompute) {
  TStatCalculator calculator;
  calculator.Step(F::X, +1);
  EXPECT_EQ("0.1", calculator.Text(F::X));
  EXPECT_EQ("0.460172", calculator.Text(F::P));
  calculator.Step(F::P, +1);
  EXPECT_EQ("0.470172", calculator.Text(F::P));
  EXPECT_EQ("0.074838", calculator.Text(F::X));
  calculator.Step(F::DF, -1);
  EXPECT_EQ("-1", calculator.Text(F::DF));
  EXPECT_EQ("0.141224", calculator.Text(F::P)); // P from X with the new mean
  calculator.Choose(D::F);
  calculator.Step(F::X, -1);
  calculator.Step(F::X, -1);
  EXPECT_EQ("0", calculator.Text(F::X));
}

TEST(StatCalculator, Captions) {
  TStatCalculator calculator;
  TCalcCaptions captions = calculator.Captions();
  EXPECT_EQ("Mean:", captions.df);
  EXPECT_EQ("Std.dev.:", captions.df1);
  EXPECT_EQ("Standard deviation", captions.df1Hint);
  EXPECT_TRUE(captions.df1Visible);
  EXPECT_EQ("Probability of x to be greater then X value", captions.pHint);
  calculator.Choose(D::Student);
  captions = calculator.Captions();
  EXPECT_EQ("DF:", captions.df);
  EXPECT_FALSE(captions.df1Visible);
  EXPECT_EQ("Probability of |x| to be less then X value", captions.p1Hint);
  calculator.Choose(D::Lognormal);
  captions = calculator.Captions();
  EXPECT_EQ("Median:", captions.df);
  EXPECT_EQ("Shape", captions.df1Hint);
}

} // namespace
} // namespace vandro
