#include "stats/regression.h"

#include "language/processor.h"
#include "language/std_functions.h"
#include "model/project.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vandro {
namespace {

using testing::ScriptedSink;

std::vector<TRegressionVariable> Variables(std::vector<std::string> names) {
  std::vector<TRegressionVariable> variables;
  for (std::string& name : names)
    variables.push_back({std::move(name), "", false, {}});
  return variables;
}

// Column 0 is not used by the regression: each row starts with it.
TDataTable Table(std::vector<std::vector<long double>> rows) {
  for (auto& row : rows)
    row.insert(row.begin(), 0);
  return rows;
}

// NIST StRD Longley: Employed, then GNP deflator, GNP, Unemployed, Armed
// forces, Population, Year.
const TDataTable kLongley = Table({
    {60323, 83.0, 234289, 2356, 1590, 107608, 1947},
    {61122, 88.5, 259426, 2325, 1456, 108632, 1948},
    {60171, 88.2, 258054, 3682, 1616, 109773, 1949},
    {61187, 89.5, 284599, 3351, 1650, 110929, 1950},
    {63221, 96.2, 328975, 2099, 3099, 112075, 1951},
    {63639, 98.1, 346999, 1932, 3594, 113270, 1952},
    {64989, 99.0, 365385, 1870, 3547, 115094, 1953},
    {63761, 100.0, 363112, 3578, 3350, 116219, 1954},
    {66019, 101.2, 397469, 2904, 3048, 117388, 1955},
    {67857, 104.6, 419180, 2822, 2857, 118734, 1956},
    {68169, 108.4, 442769, 2936, 2798, 120445, 1957},
    {66513, 110.8, 444546, 4681, 2637, 121950, 1958},
    {68655, 112.6, 482704, 3813, 2552, 123366, 1959},
    {69564, 114.2, 502601, 3931, 2514, 125368, 1960},
    {69331, 115.7, 518173, 4806, 2572, 127852, 1961},
    {70551, 116.9, 554894, 4007, 2827, 130081, 1962},
});

// Significant digits of got that agree with expected.
double Digits(long double got, long double expected) {
  const long double error = std::fabs((got - expected) / expected);
  return error == 0 ? 20 : static_cast<double>(-std::log10(error));
}

// The Longley data are ill-conditioned: the normal equations in double
// precision keep hardly a digit. NIST certifies 15 digits; all of them agree
// (14.6 at least), and 13 are asked.
TEST(Regression, LongleyMatchesNistCertifiedValues) {
  ScriptedSink sink;
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(kLongley,
                              Variables({"Employed", "GNP deflator", "GNP", "Unemployed",
                                         "Armed forces", "Population", "Year"}),
                              0, {1, 2, 3, 4, 5, 6}));
  const long double coefficients[] = {
      -3482258.63459582L, 15.0618722713733L,       -0.358191792925910e-01L, -2.02022980381683L,
      -1.03322686717359L, -0.511041056535807e-01L, 1829.15146461355L};
  const long double errors[] = {84.9149257747669L,  0.334910077722432e-01L, 0.488399681651699L,
                                0.214274163161675L, 0.226073200069370L,     455.478499142212L};
  double fewest = 20;
  for (size_t j = 0; j < 7; ++j) {
    const double digits = Digits(regression.Coefficients()[j], coefficients[j]);
    fewest = std::min(fewest, digits);
    EXPECT_GE(digits, 13) << "b" << j << " = " << static_cast<double>(regression.Coefficients()[j]);
  }
  RecordProperty("LongleyCoefficientDigits", std::to_string(fewest));
  for (size_t j = 0; j < 6; ++j)
    EXPECT_GE(Digits(regression.StandardErrors()[j], errors[j]), 13) << "SE of b" << j + 1;
  EXPECT_GE(Digits(regression.EstimateError(), 304.854073561965L), 13);
  EXPECT_GE(Digits(regression.RSquare(), 0.995479004577296L), 14);
  EXPECT_GE(Digits(regression.SSReg(), 184172401.944494L), 13);
  EXPECT_GE(Digits(regression.SSRes(), 836424.055505915L), 13);
  EXPECT_GE(Digits(regression.F(), 330.285339234588L), 13);

  // What each predictor adds, as R's drop1; p-values as R's summary.lm
  // (make_references.R regression).
  const long double partial[] = {2923.976361021L,    106306.258895404L, 1590137.971722420L,
                                 2160905.481766529L, 4748.948131836L,   1498813.449587346L};
  const long double p[] = {0.863140832809200287L, 0.312681061092702883L, 0.002535091734111122L,
                           0.000944366764161754L, 0.826211795763652779L, 0.003036803341630158L};
  for (size_t j = 0; j < 6; ++j) {
    EXPECT_GE(Digits(regression.PartialSums()[j], partial[j]), 9) << "PSS" << j;
    EXPECT_GE(Digits(regression.PValues()[j], p[j]), 12) << "p" << j;
  }
  EXPECT_EQ("0.863141", regression.AlphaText()); // the largest p
  EXPECT_TRUE(sink.Messages().empty());
}

TEST(Regression, RegressReturnsCoefficientsAndSums) {
  long double ssReg = 0, ssRes = 0;
  std::vector<long double> partial, b;
  ASSERT_TRUE(Regress(kLongley, {1, 2, 3, 4, 5, 6}, 0, ssReg, ssRes, &partial, b));
  EXPECT_GE(Digits(b[6], 1829.15146461355L), 12);
  EXPECT_GE(Digits(ssReg, 184172401.944494L), 13);
  EXPECT_EQ(6u, partial.size());
  ASSERT_TRUE(Regress(kLongley, {6}, 0, ssReg, ssRes, nullptr, b));
  EXPECT_EQ(2u, b.size());
  EXPECT_FALSE(Regress(kLongley, {6, 6}, 0, ssReg, ssRes, nullptr, b));
}

TEST(Regression, ExactLineAndItsFormula) {
  ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  std::vector<TRegressionVariable> variables = Variables({"Y", "X"});
  variables[0].unit = "[kg]";
  TLinearRegression regression;
  ASSERT_TRUE(
      regression.Open(Table({{5, 1}, {8, 2}, {11, 3}, {14, 4}, {17, 5}}), variables, 0, {1}));
  EXPECT_NEAR(2, regression.Coefficients()[0], 1e-17L);
  EXPECT_NEAR(3, regression.Coefficients()[1], 1e-17L);
  EXPECT_NEAR(0, regression.SSRes(), 1e-30L);
  EXPECT_EQ("1", regression.RSquareText());
  EXPECT_EQ(1e11L, regression.F());
  EXPECT_EQ("100000000000  ( P(All Bi=0) = 0 )", regression.FText());
  EXPECT_EQ(0, regression.PValues()[0]);
  EXPECT_EQ((std::vector<std::string>{"2 [kg]", "+3 [kg] * X"}), regression.ResultFormula());
  EXPECT_EQ("SSreg = 90 [(kg)^2]", regression.SSRegText());
}

TEST(Regression, FormulaConvertsUnitsAndMapsDiscreteValues) {
  ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  std::vector<TRegressionVariable> variables = Variables({"Mass", "Length", "Grade"});
  variables[0].unit = "kg";
  variables[1].unit = "g";
  variables[2].discrete = true;
  variables[2].domain = {{"Low", 0}, {"12", 1}, {"01.02.2020", 2}};
  // Mass = 1 + 0.002 Length - 0.5 Grade
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(Table({{1.2, 100, 0},
                                     {1.6, 300, 0},
                                     {1.1, 300, 1},
                                     {0.8, 400, 2},
                                     {1.4, 700, 2},
                                     {1.2, 350, 1}}),
                              variables, 0, {1, 2}));
  EXPECT_EQ((std::vector<std::string>{"1 [kg]", "+2 * Length", "-0.5 [kg] * Switch( Grade, ",
                                      "       'Low', 0, ", "       12, 1, ",
                                      "       01.02.2020, 2, ", "       Null)"}),
            regression.ResultFormula());
}

TEST(Regression, OnePredictorItsTSquareIsF) {
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(kLongley, Variables({"E", "D", "G", "U", "A", "P", "Y"}), 0, {1}));
  EXPECT_NEAR(regression.SSReg(), regression.PartialSums()[0], 1e-6L);
  const long double t = regression.TValues()[0];
  EXPECT_NEAR(regression.F(), t * t, 1e-12L * regression.F());
}

TEST(Regression, Refusals) {
  struct TCase {
    TDataTable table;
    TIntList predictors;
    const char* message;
  };
  const std::vector<TCase> cases = {
      {Table({{1, 2, 2}, {2, 3, 3}, {4, 5, 5}, {3, 7, 7}}),
       {1, 2},
       "Can't count regression coefficients"},
      {Table({{1, 2, 4}, {2, 3, 6}, {4, 5, 10}, {3, 7, 14}}),
       {1, 2},
       "Can't count regression coefficients"},
      {Table({{1, 2, 9}, {2, 3, 9}, {4, 5, 9}, {3, 7, 9}}),
       {1, 2},
       "Can't count regression coefficients"},
      {Table({{1, 2, 9}, {2, 3, 8}, {4, 5, 1}}), {1, 2}, "Too short data series"},
      {Table({{1, 2, 9}, {2, 3, 8}}), {1}, "Too short data series"},
      {Table({{1, 2, 9}, {2, 3, 8}, {4, 5, 1}}), {}, "Too little parameters to analize"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptedSink sink;
    TLinearRegression regression;
    EXPECT_FALSE(regression.Open(c.table, Variables({"Y", "A", "B"}), 0, c.predictors));
    EXPECT_EQ(std::vector<std::string>{c.message}, sink.Messages());
  }
}

// Nothing to explain: R^2 and F are 0 and every coefficient is 0 with P = 1,
// where the formulas would divide 0 by 0.
TEST(Regression, ConstantDependentShowsNoNaN) {
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(Table({{4, 1, 3}, {4, 2, 1}, {4, 3, 4}, {4, 4, 1}, {4, 5, 5}}),
                              Variables({"Y", "A", "B"}), 0, {1, 2}));
  EXPECT_EQ("0", regression.RSquareText());
  EXPECT_EQ("0  ( P(All Bi=0) = 1 )", regression.FText());
  for (const auto& row : regression.Grid())
    for (const std::string& cell : row)
      EXPECT_EQ(std::string::npos, cell.find("n/a")) << cell;
  EXPECT_EQ("1", regression.Grid()[2][4]);
  EXPECT_EQ((std::vector<std::string>{"4"}), regression.ResultFormula());
}

// y ~ x1 + x2 + x3 with p = 0.064, 1e-10, 0.030; without x1 the p of x3 is
// 0.066 (R's summary.lm).
const TDataTable kElimination = Table({
    {11.73, 9.9, 6.4, 8.0}, {8.13, 4.0, 3.0, 3.8},  {16.90, 1.2, 10.0, 7.6}, {14.89, 0.7, 9.1, 4.4},
    {16.06, 2.4, 9.9, 9.0}, {3.06, 7.9, 0.7, 3.2},  {13.34, 3.4, 6.3, 0.8},  {8.97, 9.7, 4.9, 8.2},
    {16.14, 1.7, 9.7, 9.0}, {8.66, 4.6, 3.6, 9.7},  {14.35, 1.7, 6.8, 5.7},  {4.44, 2.3, 2.6, 7.2},
    {5.59, 7.7, 1.9, 7.7},  {1.79, 1.0, 1.9, 6.3},  {7.40, 4.5, 3.8, 7.2},   {13.34, 0.8, 8.5, 3.9},
    {12.68, 5.6, 5.0, 1.6}, {14.15, 0.1, 7.9, 1.9}, {16.47, 9.9, 8.4, 3.9},  {10.70, 3.2, 4.6, 2.7},
});

TEST(Regression, BackwardEliminationAndRestore) {
  ScriptedSink sink;
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(kElimination, Variables({"Y", "X1", "X2", "X3"}), 0, {1, 2, 3}));
  EXPECT_EQ("0.063617", regression.AlphaText()); // the largest p

  regression.EditAlpha("0.1");
  regression.Recalculate(); // every p is below 0.1
  EXPECT_EQ(3, regression.Predictors().Count());

  regression.EditAlpha("0.05");
  regression.Recalculate(); // X1 goes, then X3
  EXPECT_EQ(TIntList({2}), regression.Predictors());
  EXPECT_EQ("0.05", regression.AlphaText());
  EXPECT_GE(Digits(regression.Coefficients()[0], 2.31527558299862L), 12);
  EXPECT_GE(Digits(regression.Coefficients()[1], 1.49986511600024L), 12);
  EXPECT_GE(Digits(regression.TValues()[0], 12.52422691293489L), 12);
  EXPECT_GE(Digits(regression.F(), 156.856259766683L), 12);
  EXPECT_EQ("12.5242", regression.Grid()[2][3]);
  EXPECT_TRUE(sink.Messages().empty());

  regression.Recalculate();
  EXPECT_EQ("Too little of variables", sink.Last());

  regression.Restore();
  EXPECT_EQ(TIntList({1, 2, 3}), regression.Predictors());
  EXPECT_EQ(5u, regression.Grid().size());
  EXPECT_EQ("0.063617", regression.AlphaText());
}

TEST(Regression, AlphaField) {
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(kElimination, Variables({"Y", "X1", "X2", "X3"}), 0, {1, 2, 3}));
  regression.EditAlpha("0.29");
  regression.SpinAlphaUp();
  EXPECT_EQ("0.3", regression.AlphaText());
  regression.SpinAlphaDown();
  regression.SpinAlphaDown();
  EXPECT_EQ("0.28", regression.AlphaText());
  regression.EditAlpha("0.995");
  regression.SpinAlphaUp();
  EXPECT_EQ("1", regression.AlphaText());
  // Down by hundredths while above 1 - P(F) + 0.01, then to 1 - P(F) itself.
  regression.EditAlpha("0.015");
  regression.SpinAlphaDown();
  EXPECT_EQ(0, regression.Alpha());
  regression.SpinAlphaDown();
  EXPECT_NEAR(1 - regression.FDistributionValue(), regression.Alpha(), 1e-15L);

  regression.EditAlpha("0.2");
  for (const char* bad : {"1.5", "-0.1", "abc"}) {
    regression.EditAlpha(bad);
    EXPECT_TRUE(regression.AlphaRed()) << bad;
    EXPECT_EQ("0.2", regression.AlphaText());
  }
  regression.EditAlpha("");
  EXPECT_FALSE(regression.AlphaRed());
  EXPECT_EQ(0, regression.Alpha());
}

TEST(Regression, DisplayTexts) {
  std::vector<TRegressionVariable> variables = Variables({"Y", "X1", "X2", "X3"});
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(kElimination, variables, 0, {1, 2, 3}));
  const auto grid = regression.Grid();
  EXPECT_EQ((std::vector<std::string>{"Parameter", "Coefficient(B)", "Std.Error of B", "| t | ",
                                      "P (B=0) "}),
            grid[0]);
  EXPECT_EQ("Intercept", grid[1][0]);
  EXPECT_EQ("X1", grid[2][0]);
  EXPECT_EQ("0.063617", grid[2][4]);
  EXPECT_EQ(std::string::npos, regression.EstimateErrorText().find('['));
  EXPECT_EQ("SSres = ", regression.SSResText().substr(0, 8));
  EXPECT_EQ(std::string::npos, regression.SSResText().find('['));
}

// R's Orange: circumference (mm) on age (d) of five trees.
const TDataTable kOrange = [] {
  const long double ages[] = {118, 484, 664, 1004, 1231, 1372, 1582};
  const long double circumferences[] = {30,  58,  87,  115, 120, 142, 145, 33,  69,  111, 156, 172,
                                        203, 203, 30,  51,  75,  108, 115, 139, 140, 32,  62,  112,
                                        167, 179, 209, 214, 30,  49,  81,  125, 142, 174, 177};
  std::vector<std::vector<long double>> rows;
  for (size_t i = 0; i < std::size(circumferences); ++i)
    rows.push_back({circumferences[i], ages[i % 7]});
  return Table(rows);
}();

// summary(lm(circumference ~ age, Orange)): the intercept with its standard
// error, t and P, R^2 adjusted, the residual standard error, and every
// coefficient in the data's units.
TEST(Regression, AsRReportsIt) {
  ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  // The units of the data are written through SETUNITS.
  TStandardFunctionTable* previous = SetStandardFunctionTable(&StandardFunctions());
  std::vector<TRegressionVariable> variables = Variables({"Circumference", "Age"});
  variables[0].unit = "mm";
  variables[1].unit = "[d]";
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(kOrange, variables, 0, {1}));
  EXPECT_GE(Digits(regression.Coefficients()[0], 17.39965024016353468L), 12);
  EXPECT_GE(Digits(regression.InterceptError(), 8.6226598011899007190L), 12);
  EXPECT_GE(Digits(regression.InterceptT(), 2.0178982635685609L), 12);
  EXPECT_GE(Digits(regression.InterceptP(), 5.1792672386985747e-02L), 12);
  EXPECT_GE(Digits(regression.StandardErrors()[0], 0.0082766230074658581L), 12);
  EXPECT_GE(Digits(regression.PValues()[0], 1.9305955368672391e-14L), 10);
  const auto grid = regression.Grid();
  EXPECT_EQ((std::vector<std::string>{"Intercept", "17.3996502401636 [mm]", "8.6226598011899 [mm]",
                                      "2.0179", "0.051793"}),
            grid[1]);
  EXPECT_EQ((std::vector<std::string>{"Age", "0.106770325068761 [mm/d]",
                                      "0.00827662300746586 [mm/d]", "12.9002", "1.93E-14"}),
            grid[2]);
  EXPECT_EQ("166.4159  ( P(All Bi=0) = 1.93E-14 )", regression.FText());
  EXPECT_EQ("0.829502", regression.AdjustedRSquareText());
  EXPECT_EQ("23.7376726392483 [mm] on 33 degrees of freedom", regression.ResidualErrorText());
  EXPECT_EQ((std::vector<std::string>{"17.3996502401636 [mm]", "+0.106770325068761 [mm/d] * Age"}),
            regression.ResultFormula());
  EXPECT_TRUE(sink.Messages().empty());
  SetStandardFunctionTable(previous);
}

// An observation missing the dependent or a predictor is left out whole; a
// gap in a column the regression does not use costs nothing.
TEST(Regression, MissingValuesLeaveOutTheObservation) {
  const long double missing = NAN;
  TDataTable gaps = kOrange;
  gaps[3][1] = missing;                  // circumference
  gaps[10][2] = missing;                 // age
  gaps.push_back({0, 50, 300, missing}); // an unused third column
  TDataTable complete = kOrange;
  complete.erase(complete.begin() + 10);
  complete.erase(complete.begin() + 3);
  complete.push_back({0, 50, 300, 0});
  for (auto& row : gaps)
    row.resize(4, 1);
  for (auto& row : complete)
    row.resize(4, 1);
  TLinearRegression withGaps, without;
  ASSERT_TRUE(withGaps.Open(gaps, Variables({"C", "Age", "Other"}), 0, {1}));
  ASSERT_TRUE(without.Open(complete, Variables({"C", "Age", "Other"}), 0, {1}));
  EXPECT_EQ(2u, withGaps.Missing());
  EXPECT_EQ("2 observations with missing values left out", withGaps.MissingText());
  EXPECT_EQ(0u, without.Missing());
  EXPECT_EQ(without.Coefficients(), withGaps.Coefficients());
  EXPECT_EQ(without.PValues(), withGaps.PValues());
}

TEST(Regression, ScatterPlot) {
  ScriptedSink sink;
  std::vector<TRegressionVariable> variables = Variables({"Y", "X"});
  variables[1].unit = "[m]";
  TLinearRegression regression;
  ASSERT_TRUE(regression.Open(Table({{1, 1}, {3, 2}, {2, 3}}), variables, 0, {1}));
  TScatterPlot plot;
  ASSERT_TRUE(regression.ScatterPlot(plot));
  EXPECT_EQ((std::vector<std::string>{"Y", "X"}), plot.names);
  EXPECT_EQ(0, plot.y);
  EXPECT_EQ(1, plot.x);
  EXPECT_EQ("Y", plot.yTitle);
  EXPECT_EQ("X (m)", plot.xTitle);
  ASSERT_EQ(3u, plot.observations.size());
  EXPECT_EQ(std::make_pair(3.0L, 2.0L), plot.observations[2]);
  ASSERT_EQ(3u, plot.estimates.size());
  EXPECT_NEAR(2.5L, plot.estimates[2].second, 1e-17L); // 1 + 0.5 x
  EXPECT_EQ(3.0L, plot.estimates[2].first);

  EXPECT_FALSE(BuildScatterPlot({}, Variables({"Y"}), 0, 0, nullptr, plot));
  EXPECT_EQ("Not enough variables", sink.Last());
}

} // namespace
} // namespace vandro
