#include "stats/regression.h"

#include "language/executor.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "stats/distributions.h"
#include "stats/matrix.h"
#include "values/data_units.h"
#include "values/value_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vandro {
namespace {

constexpr const char* kCantCount = "Can't count regression coefficients";

// A predictor whose centred, unit-length column keeps less than this of its
// length outside the span of the others is taken as collinear with them.
// Data read as doubles carry rounding near 1e-16; real ill-conditioning
// (the Longley data keep 0.036) is far above it.
constexpr long double kCollinearity = 1e-12L;

// The F statistic shown for a perfect fit, and the most it shows at all.
constexpr long double kLargestF = 1e11L;

struct TFit {
  std::vector<long double> coefficients; // intercept first
  long double ssReg = 0;
  long double ssRes = 0;
  std::vector<long double> inverseGram; // diagonal of (Xc^T Xc)^-1, Xc the centred predictors
  // The intercept's variance over the residual variance: 1/n + m^T (Xc^T Xc)^-1 m,
  // m the predictors' means.
  long double interceptFactor = 0;
};

// The least-squares fit with an intercept. The predictors are centred (which
// takes the intercept out of the system) and scaled to unit length, and the
// system is solved by QR: ill-conditioned data such as Longley's keep their
// digits, which the normal equations would square away.
bool Fit(const TDataTable& table, const TIntList& predictors, int dependent, TFit& fit) {
  const size_t n = table.size(), k = static_cast<size_t>(predictors.Count());
  if (n <= k) return false;
  const auto column = [&](int parameter, size_t row) {
    return table[row][static_cast<size_t>(parameter) + 1];
  };
  TVector y(n);
  for (size_t i = 0; i < n; ++i)
    y[i] = column(dependent, i);
  const long double yMean = Mean(y);
  for (long double& v : y)
    v -= yMean;

  TMatrix x(n, k);
  TVector means(k), scales(k);
  for (size_t j = 0; j < k; ++j) {
    const int parameter = predictors.At(static_cast<int>(j));
    long double sum = 0;
    for (size_t i = 0; i < n; ++i)
      sum += column(parameter, i);
    means[j] = sum / static_cast<long double>(n);
    long double norm = 0;
    for (size_t i = 0; i < n; ++i) {
      x(i, j) = column(parameter, i) - means[j];
      norm = std::hypot(norm, x(i, j));
    }
    if (norm == 0) return false; // a constant predictor
    scales[j] = norm;
    for (size_t i = 0; i < n; ++i)
      x(i, j) /= norm;
  }
  const THouseholderQR qr(x);
  if (!qr.FullRank(kCollinearity)) return false;
  TVector scaled;
  qr.Solve(y, scaled, fit.ssReg, fit.ssRes);
  const TVector gram = qr.InverseGramDiagonal();
  fit.coefficients.assign(k + 1, 0);
  fit.inverseGram.assign(k, 0);
  long double intercept = yMean;
  for (size_t j = 0; j < k; ++j) {
    fit.coefficients[j + 1] = scaled[j] / scales[j];
    fit.inverseGram[j] = gram[j] / (scales[j] * scales[j]);
    intercept -= fit.coefficients[j + 1] * means[j];
  }
  fit.coefficients[0] = intercept;
  TVector scaledMeans(k);
  for (size_t j = 0; j < k; ++j)
    scaledMeans[j] = means[j] / scales[j];
  fit.interceptFactor = 1 / static_cast<long double>(n) + qr.InverseGramForm(scaledMeans);
  return true;
}

// What each predictor adds to the explained sum of squares over the others.
std::vector<long double> PartialSumsOf(const TDataTable& table, const TIntList& predictors,
                                       int dependent, long double ssReg) {
  const int k = predictors.Count();
  if (k == 1) return {ssReg};
  std::vector<long double> sums;
  for (int j = 0; j < k; ++j) {
    TIntList others = predictors;
    others.Delete(j);
    TFit fit;
    // Dropping a column from a full-rank set leaves it full rank.
    Fit(table, others, dependent, fit);
    sums.push_back(ssReg - fit.ssReg);
  }
  return sums;
}

std::string Bracketed(const std::string& unit) {
  return unit.empty() ? std::string() : " [" + unit + "]";
}

// The dependent unit per predictor unit: "1 [dependent] / 1 [predictor]"
// evaluated in the project language and split into its number and unit, so
// that the formula's terms come out in the dependent unit.
// A number text's value and unit; false when it is none.
bool NumberOf(const TValue& value, long double& number, std::string& unit) {
  if (!value.IsNumeric()) return false;
  try {
    double decoded = 0, plus = 0, minus = 0;
    DecodeNumber(value.Text(), decoded, plus, minus, unit);
    number = decoded;
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

void UnitRatio(const std::string& dependent, const std::string& predictor, long double& factor,
               std::string& unit) {
  factor = 1;
  unit.clear();
  if (dependent.empty() && predictor.empty()) return;
  if (predictor.empty()) {
    unit = dependent; // per a plain number: the dependent's own unit
    return;
  }
  const std::string ratio = "1" + Bracketed(dependent) + " / 1" + Bracketed(predictor);
  TExecutor executor;
  const TValue& result = executor.Run(nullptr, nullptr, ratio);
  if (!executor.Failed() && NumberOf(result, factor, unit)) {
    if (unit.empty() || dependent.empty()) return; // a plain factor, or the dependent's unit
    // A quotient of the data's own units (mm/d), where the language gives
    // it a form; the base units only where it does not.
    const std::string quotient = ComposeUnit({{dependent, 1}, {predictor, -1}});
    TExecutor setUnits;
    const TValue& inDataUnits =
        setUnits.Run(nullptr, nullptr, "SETUNITS(" + ratio + ", '" + quotient + "')");
    long double number = 0;
    std::string dataUnit;
    if (!setUnits.Failed() && NumberOf(inDataUnits, number, dataUnit) && !dataUnit.empty()) {
      factor = number;
      unit = quotient; // as the data write it, whatever case the language gives back
    }
    return;
  }
  factor = 1;
  unit.clear();
  // Units the project does not know: the ratio as written.
  unit = predictor.empty()   ? dependent
         : dependent.empty() ? "1/(" + predictor + ")"
                             : dependent + "/(" + predictor + ")";
}

} // namespace

bool Regress(const TDataTable& table, const TIntList& predictors, int dependent, long double& ssReg,
             long double& ssRes, std::vector<long double>* partialSums,
             std::vector<long double>& coefficients) {
  TFit fit;
  if (!Fit(table, predictors, dependent, fit)) return false;
  ssReg = fit.ssReg;
  ssRes = fit.ssRes;
  if (partialSums) *partialSums = PartialSumsOf(table, predictors, dependent, fit.ssReg);
  coefficients = std::move(fit.coefficients);
  return true;
}

bool BuildScatterPlot(const TDataTable& table, const std::vector<TRegressionVariable>& variables,
                      int y, int x, const std::vector<long double>* estimates, TScatterPlot& plot) {
  const int count = static_cast<int>(variables.size());
  if (count < 2) {
    ShowMsg("Not enough variables");
    return false;
  }
  TScatterPlot result;
  result.y = std::clamp(y, 0, count - 1);
  result.x = std::clamp(x, 0, count - 1);
  const auto title = [](const TRegressionVariable& variable) {
    const std::string unit = BareUnit(variable.unit);
    return unit.empty() ? variable.name : variable.name + " (" + unit + ")";
  };
  for (const TRegressionVariable& variable : variables)
    result.names.push_back(variable.name);
  result.yTitle = title(variables[static_cast<size_t>(result.y)]);
  result.xTitle = title(variables[static_cast<size_t>(result.x)]);
  for (size_t i = 0; i < table.size(); ++i) {
    const long double xValue = table[i][static_cast<size_t>(result.x) + 1];
    result.observations.emplace_back(xValue, table[i][static_cast<size_t>(result.y) + 1]);
    if (estimates && i < estimates->size()) result.estimates.emplace_back(xValue, (*estimates)[i]);
  }
  plot = std::move(result);
  return true;
}

bool TLinearRegression::Open(TDataTable table, std::vector<TRegressionVariable> variables,
                             int dependent, const TIntList& predictors) {
  const int count = static_cast<int>(variables.size());
  const auto outside = [count](int index) { return index < 0 || index >= count; };
  if (outside(dependent) ||
      std::any_of(predictors.Items().begin(), predictors.Items().end(), outside))
    RaiseSystemError("Regression variable out of range");
  for (const auto& row : table)
    if (row.size() < variables.size() + 1) RaiseSystemError("Regression table row too short");

  // An observation missing any value of the regression is left out whole.
  const auto incomplete = [&](const std::vector<long double>& row) {
    return std::isnan(row[static_cast<size_t>(dependent) + 1]) ||
           std::any_of(predictors.Items().begin(), predictors.Items().end(),
                       [&](int32_t c) { return std::isnan(row[static_cast<size_t>(c) + 1]); });
  };
  missing_ = static_cast<size_t>(std::count_if(table.begin(), table.end(), incomplete));
  std::erase_if(table, incomplete);
  table_ = std::move(table);
  variables_ = std::move(variables);
  dependent_ = dependent;
  allPredictors_ = predictors;
  predictors_ = predictors;
  alpha_ = 0;
  alphaRed_ = false;
  if (predictors.Count() == 0) {
    ShowMsg("Too little parameters to analize");
    return false;
  }
  // With n = k + 1 the fit is exact and leaves no degrees of freedom for
  // any error, t or F.
  if (table_.size() <= static_cast<size_t>(predictors.Count()) + 1) {
    ShowMsg("Too short data series");
    return false;
  }
  if (!Run(false)) {
    ShowMsg(kCantCount);
    return false;
  }
  return true;
}

bool TLinearRegression::Run(bool keepAlpha) {
  TFit fit;
  if (!Fit(table_, predictors_, dependent_, fit)) return false;
  const size_t n = table_.size(), k = static_cast<size_t>(predictors_.Count());
  partialSums_ = PartialSumsOf(table_, predictors_, dependent_, fit.ssReg);
  coefficients_ = fit.coefficients;
  ssReg_ = fit.ssReg;
  ssRes_ = fit.ssRes;

  TVector y(n);
  estimates_.assign(n, coefficients_[0]);
  for (size_t i = 0; i < n; ++i) {
    y[i] = table_[i][static_cast<size_t>(dependent_) + 1];
    for (size_t j = 0; j < k; ++j)
      estimates_[i] += coefficients_[j + 1] *
                       table_[i][static_cast<size_t>(predictors_.At(static_cast<int>(j))) + 1];
  }
  const long double yMean = Mean(y);
  long double errors = 0;
  for (size_t i = 0; i < n; ++i)
    errors += (y[i] - estimates_[i]) * (y[i] - estimates_[i]);
  const long double explained = SumOfSquares(estimates_, yMean);
  const long double total = SumOfSquares(y, yMean);
  // A constant dependent leaves nothing to explain: R^2 = 0, not 0/0.
  rSquare_ = total > 0 ? std::min(1.0L, explained / total) : 0;
  const long double df = static_cast<long double>(n - k - 1);
  estimateError_ = std::sqrt(errors / df);
  f_ = rSquare_ >= 1
           ? kLargestF
           : std::min(kLargestF, rSquare_ / (1 - rSquare_) * df / static_cast<long double>(k));
  fDistribution_ = FDistribution(static_cast<int>(k), static_cast<int>(df), f_);
  fUpper_ = FUpperTail(static_cast<long double>(k), df, f_);

  adjustedRSquare_ = 1 - (1 - rSquare_) * static_cast<long double>(n - 1) / df;
  interceptError_ = std::sqrt(ssRes_ / df * fit.interceptFactor);
  interceptT_ = interceptError_ > 0     ? std::fabs(coefficients_[0] / interceptError_)
                : coefficients_[0] == 0 ? 0
                                        : std::numeric_limits<long double>::infinity();
  interceptP_ = StudentTwoTailedProbability(static_cast<int>(df), interceptT_);
  standardErrors_.assign(k, 0);
  tValues_.assign(k, 0);
  pValues_.assign(k, 0);
  const long double meanSquare = ssRes_ / df;
  for (size_t j = 0; j < k; ++j) {
    const long double b = coefficients_[j + 1];
    // sqrt(SSres b^2 / PSS / df), with PSS = b^2 / [(X^T X)^-1](j, j): the
    // form without PSS stays defined for b = 0.
    standardErrors_[j] = std::sqrt(meanSquare * fit.inverseGram[j]);
    tValues_[j] = standardErrors_[j] > 0 ? std::fabs(b / standardErrors_[j])
                  : b == 0               ? 0
                                         : std::numeric_limits<long double>::infinity();
    pValues_[j] = StudentTwoTailedProbability(static_cast<int>(df), tValues_[j]);
    if (!keepAlpha) alpha_ = std::max(alpha_, pValues_[j]);
  }
  return true;
}

void TLinearRegression::Recalculate() {
  if (predictors_.Count() < 2) {
    ShowMsg("Too little of variables");
    return;
  }
  while (predictors_.Count() > 1) {
    const auto worst = std::max_element(pValues_.begin(), pValues_.end());
    if (*worst < alpha_) break;
    const int index = static_cast<int>(worst - pValues_.begin());
    const int removed = predictors_.At(index);
    predictors_.Delete(index);
    if (!Run(true)) {
      predictors_.Insert(index, removed); // the results still belong to the longer list
      ShowMsg(kCantCount);
      break;
    }
  }
}

void TLinearRegression::Restore() {
  predictors_ = allPredictors_;
  if (!Run(false)) ShowMsg(kCantCount);
}

void TLinearRegression::EditAlpha(std::string_view text) {
  double value = 0;
  if (TrimView(text).empty()) {
    alpha_ = 0;
    alphaRed_ = false;
  } else if (TextToFloat(text, value) && value >= 0 && value <= 1) {
    alpha_ = value;
    alphaRed_ = false;
  } else {
    alphaRed_ = true;
  }
}

// The arrows move alpha by whole hundredths. The hundredths are counted with
// a little slack, so that 0.29 (stored as 0.28999...) steps to 0.30, not to
// itself.
void TLinearRegression::SpinAlphaUp() {
  if (alpha_ < 0.99L)
    alpha_ = (std::floor(alpha_ * 100 + 1e-9L) + 1) / 100;
  else
    alpha_ = 1;
  alphaRed_ = false;
}

void TLinearRegression::SpinAlphaDown() {
  const long double allZero = fUpper_;
  if (alpha_ > allZero + 0.01L)
    alpha_ = (std::floor(alpha_ * 100 + 1e-9L) - 1) / 100;
  else
    alpha_ = allZero;
  alphaRed_ = false;
}

std::string TLinearRegression::DependentUnit() const {
  return BareUnit(variables_[static_cast<size_t>(dependent_)].unit);
}

std::vector<std::string> TLinearRegression::ResultFormula() const {
  std::vector<std::string> lines;
  if (coefficients_.empty()) return lines;
  const std::string dependentUnit = DependentUnit();
  if (coefficients_[0] != 0)
    lines.push_back(FloatToText(coefficients_[0]) + Bracketed(dependentUnit));
  for (int j = 0; j < predictors_.Count(); ++j) {
    const long double b = coefficients_[static_cast<size_t>(j) + 1];
    if (b == 0) continue;
    const TRegressionVariable& predictor = variables_[static_cast<size_t>(predictors_.At(j))];
    std::string line = b > 0 && !lines.empty() ? "+" : "";
    long double factor = 1;
    std::string unit;
    UnitRatio(dependentUnit, BareUnit(predictor.unit), factor, unit);
    // A coefficient of 1 is left out, unless the term still has to change units.
    if (b != 1 || factor != 1 || !unit.empty())
      line += FloatToText(b * factor) + Bracketed(unit) + " * ";
    if (!predictor.discrete) {
      lines.push_back(line + predictor.name);
      continue;
    }
    lines.push_back(line + "Switch( " + predictor.name + ", ");
    for (const TDomainValue& value : predictor.domain) {
      const bool plain =
          IsNumberText(value.text, TNumberCheck::Numeric) || IsDateTimeText(value.text);
      const std::string text = plain ? value.text : "'" + value.text + "'";
      lines.push_back("       " + text + ", " + FloatToText(value.number) + ", ");
    }
    lines.push_back("       Null)");
  }
  return lines;
}

namespace {

// An exact fit has an infinite t and a P of exactly 0, not one too small to
// show.
std::string PText(long double t, long double p) {
  return std::isinf(t) ? "0" : PValueText(p);
}

} // namespace

std::vector<std::vector<std::string>> TLinearRegression::Grid() const {
  std::vector<std::vector<std::string>> grid = {
      {"Parameter", "Coefficient(B)", "Std.Error of B", "| t | ", "P (B=0) "}};
  if (coefficients_.empty()) return grid;
  // Coefficients and their errors in the data's units: the intercept in
  // the dependent's, a slope in the dependent's per the predictor's.
  const std::string dependentUnit = DependentUnit();
  grid.push_back({"Intercept", FloatToText(coefficients_[0]) + Bracketed(dependentUnit),
                  FloatToText(interceptError_) + Bracketed(dependentUnit),
                  RoundedText(interceptT_, 4), PText(interceptT_, interceptP_)});
  for (int j = 0; j < predictors_.Count(); ++j) {
    const size_t i = static_cast<size_t>(j);
    const TRegressionVariable& predictor = variables_[static_cast<size_t>(predictors_.At(j))];
    long double factor = 1;
    std::string unit;
    if (!predictor.discrete) UnitRatio(dependentUnit, BareUnit(predictor.unit), factor, unit);
    grid.push_back({predictor.name, FloatToText(coefficients_[i + 1] * factor) + Bracketed(unit),
                    FloatToText(standardErrors_[i] * factor) + Bracketed(unit),
                    RoundedText(tValues_[i], 4), PText(tValues_[i], pValues_[i])});
  }
  return grid;
}

std::string TLinearRegression::MissingText() const {
  return std::to_string(missing_) +
         (missing_ == 1 ? " observation with a missing value"
                        : " observations with missing values") +
         " left out";
}

std::string TLinearRegression::EstimateErrorText() const {
  return FloatToText(estimateError_) + Bracketed(DependentUnit());
}

std::string TLinearRegression::RSquareText() const {
  return RoundedText(rSquare_, 6);
}

std::string TLinearRegression::AdjustedRSquareText() const {
  return RoundedText(adjustedRSquare_, 6);
}

std::string TLinearRegression::ResidualErrorText() const {
  const size_t df = table_.size() - static_cast<size_t>(predictors_.Count()) - 1;
  return FloatToText(estimateError_) + Bracketed(DependentUnit()) + " on " + std::to_string(df) +
         " degrees of freedom";
}

std::string TLinearRegression::AlphaText() const {
  return RoundedText(alpha_, 6);
}

std::string TLinearRegression::FText() const {
  return RoundedText(f_, 4) +
         "  ( P(All Bi=0) = " + (rSquare_ >= 1 ? std::string("0") : PValueText(fUpper_)) + " )";
}

std::string TLinearRegression::SSRegText() const {
  const std::string unit = DependentUnit();
  return "SSreg = " + FloatToText(ssReg_) + (unit.empty() ? "" : " [(" + unit + ")^2]");
}

std::string TLinearRegression::SSResText() const {
  const std::string unit = DependentUnit();
  return "SSres = " + FloatToText(ssRes_) + (unit.empty() ? "" : " [(" + unit + ")^2]");
}

bool TLinearRegression::ScatterPlot(TScatterPlot& plot, int y, int x) const {
  if (y < 0) y = dependent_;
  if (x < 0) x = dependent_ == 0 ? 1 : 0;
  return BuildScatterPlot(table_, variables_, y, x, estimates_.empty() ? nullptr : &estimates_,
                          plot);
}

} // namespace vandro
