// Multiple linear regression of one analysed parameter on others: the
// coefficients with their standard errors, t values and p-values, the
// standard error of the estimate, R^2, F, the result formula in the project
// language, backward elimination at a chosen significance level and the data
// of the scatter plot. TLinearRegression holds the rules of the regression
// window; the window shows its texts and forwards the user's actions.
#pragma once

#include "shell/int_list.h"
#include "stats/stats_common.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vandro {

// A row per observation. Column 0 is not used; column c + 1 holds analysed
// parameter c (discrete values already mapped to their numbers).
using TDataTable = std::vector<std::vector<long double>>;

// One value of a discrete parameter's domain and the number it maps to.
struct TDomainValue {
  std::string text;
  long double number = 0;
};

// What the regression needs of an analysed parameter.
struct TRegressionVariable {
  std::string name;
  std::string unit; // with or without its square brackets; empty for none
  bool discrete = false;
  std::vector<TDomainValue> domain; // discrete parameters only
};

// Regresses column dependent + 1 on the columns predictors[j] + 1 with an
// intercept. coefficients: b[0] the intercept, b[j + 1] predictor j. ssReg
// is the explained and ssRes the residual sum of squares; partialSums, when
// given, receives for each predictor what it adds to ssReg over the others.
// False when the predictors are collinear or constant, or there are no more
// observations than predictors.
bool Regress(const TDataTable& table, const TIntList& predictors, int dependent, long double& ssReg,
             long double& ssRes, std::vector<long double>* partialSums,
             std::vector<long double>& coefficients);

// The data of the scatter plot of two variables.
struct TScatterPlot {
  std::vector<std::string> names; // both lists
  int y = 0;
  int x = 0;
  std::string yTitle; // name + " (" + unit + ")"
  std::string xTitle;
  std::vector<std::pair<long double, long double>> observations; // (x, y)
  // (x, estimate) when the estimates are shown; the "Show Estimate" box is
  // visible only when there are estimates.
  std::vector<std::pair<long double, long double>> estimates;
};

// The scatter plot of variable y against variable x; estimates (one per
// row, or none) are drawn against the same x. Fewer than two variables
// give "Not enough variables".
bool BuildScatterPlot(const TDataTable& table, const std::vector<TRegressionVariable>& variables,
                      int y, int x, const std::vector<long double>* estimates, TScatterPlot& plot);

class TLinearRegression {
public:
  // Regresses dependent on predictors and computes the results. Refuses with
  // "Too short data series" unless there are more observations than
  // predictors plus one, and with "Can't count regression coefficients" when
  // the predictors are collinear or constant.
  bool Open(TDataTable table, std::vector<TRegressionVariable> variables, int dependent,
            const TIntList& predictors);

  // Backward elimination: while more than one predictor remains, drop the
  // one with the largest p-value unless it is below alpha. Fewer than two
  // predictors give "Too little of variables".
  void Recalculate();
  // Back to the full list of predictors.
  void Restore();

  // The alpha field: a number in [0, 1] sets alpha, empty text sets 0, other
  // text turns the field red and keeps alpha.
  void EditAlpha(std::string_view text);
  bool AlphaRed() const { return alphaRed_; }
  void SpinAlphaUp();
  void SpinAlphaDown();
  long double Alpha() const { return alpha_; }

  // Results of the current predictors.
  const TIntList& Predictors() const { return predictors_; }
  const std::vector<long double>& Coefficients() const { return coefficients_; }
  const std::vector<long double>& PartialSums() const { return partialSums_; }
  const std::vector<long double>& StandardErrors() const { return standardErrors_; }
  const std::vector<long double>& TValues() const { return tValues_; } // |t|, +infinity when exact
  const std::vector<long double>& PValues() const { return pValues_; }
  const std::vector<long double>& Estimates() const { return estimates_; }
  // Observations left out of the regression because one of its values is
  // missing (NaN), and "3 observations with missing values left out".
  size_t Missing() const { return missing_; }
  // The intercept's standard error, |t| and P (B=0), as the grid's first row shows them.
  long double InterceptError() const { return interceptError_; }
  long double InterceptT() const { return interceptT_; }
  long double InterceptP() const { return interceptP_; }
  // R^2 adjusted for the predictors, 1 - (1 - R^2) (n - 1) / (n - k - 1),
  // rounded to 6 decimals; and the residual standard error with its degrees
  // of freedom ("23.7376726392482 [mm] on 33 degrees of freedom").
  std::string AdjustedRSquareText() const;
  std::string ResidualErrorText() const;
  std::string MissingText() const;
  long double SSReg() const { return ssReg_; }
  long double SSRes() const { return ssRes_; }
  long double EstimateError() const { return estimateError_; }
  long double RSquare() const { return rSquare_; }
  long double F() const { return f_; }
  // P(F' <= F): 1 - this is the probability that all coefficients are 0.
  long double FDistributionValue() const { return fDistribution_; }

  // Display texts.
  std::vector<std::string> ResultFormula() const;
  // "Parameter", "Coefficient(B)", "Std.Error of B", "| t | ", "P (B=0) ",
  // then "Intercept" and a row per predictor: coefficients and errors in the
  // data's units (a slope in the dependent's unit per the predictor's).
  std::vector<std::vector<std::string>> Grid() const;
  std::string EstimateErrorText() const;
  std::string RSquareText() const;
  std::string AlphaText() const;
  std::string FText() const;
  std::string SSRegText() const;
  std::string SSResText() const;

  // The scatter plot with the estimates; y and x default to the dependent
  // and the first other variable.
  bool ScatterPlot(TScatterPlot& plot, int y = -1, int x = -1) const;

private:
  bool Run(bool keepAlpha);
  // The dependent unit without its brackets.
  std::string DependentUnit() const;

  TDataTable table_;
  std::vector<TRegressionVariable> variables_;
  int dependent_ = 0;
  TIntList allPredictors_;
  TIntList predictors_;

  std::vector<long double> coefficients_;
  std::vector<long double> partialSums_;
  std::vector<long double> standardErrors_;
  std::vector<long double> tValues_;
  std::vector<long double> pValues_;
  std::vector<long double> estimates_;
  long double ssReg_ = 0;
  long double ssRes_ = 0;
  long double estimateError_ = 0;
  long double rSquare_ = 0;
  long double f_ = 0;
  long double fDistribution_ = 0;
  size_t missing_ = 0;
  long double fUpper_ = 1;
  long double adjustedRSquare_ = 0;
  long double interceptError_ = 0, interceptT_ = 0,
              interceptP_ = 1; // 1 - fDistribution_ to full precision in the tail
  long double alpha_ = 0;
  bool alphaRed_ = false;
};

} // namespace vandro
