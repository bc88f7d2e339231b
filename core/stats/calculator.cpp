#include "stats/calculator.h"

#include "shell/numbers.h"
#include "stats/distributions.h"
#include "stats/stats_common.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vandro {
namespace {

// The probabilities the quantiles are asked for stay inside (0, 1).
constexpr long double kSmallestP = 1e-8L;
constexpr long double kLargestP = 0.99999999L;
constexpr long double kNormalAccuracy = 1e-8L;
constexpr long double kLognormalAccuracy = 1e-5L;

// Steps of the arrows beside the fields.
constexpr long double kXStep = 0.1L;
constexpr long double kPStep = 0.01L;
constexpr long double kParameterStep = 1;

// Degrees of freedom are the parameters truncated to integers; anything
// below 1 (NaN too) gives the distributions their "n/a" answer.
int DegreesOfFreedom(long double value) {
  if (!(value >= 1)) return 0;
  if (value >= INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

bool IsUnfinished(std::string_view text) {
  return !text.empty() && (text.back() == '.' || (text.back() == '0' && text != "0"));
}

} // namespace

TStatCalculator::TStatCalculator() {
  Choose(TCalcDistribution::Normal);
}

const std::array<const char*, 7>& TStatCalculator::DistributionNames() {
  static const std::array<const char*, 7> names = {
      "Normal", "Student (t) 2-tailed", "F", "Chi-square", "Exponential", "Lognormal", "Logistic"};
  return names;
}

void TStatCalculator::Choose(TCalcDistribution distribution) {
  distribution_ = distribution;
  long double& x = At(TCalcField::X);
  long double& df = At(TCalcField::DF);
  long double& df1 = At(TCalcField::DF1);
  switch (distribution) {
  case TCalcDistribution::Normal:
    if (df1 == 0) df1 = 1;
    break;
  case TCalcDistribution::Student:
    if (x <= 0) x = 1;
    df = std::trunc(df), df1 = std::trunc(df1);
    if (df < 1) df = 1;
    break;
  case TCalcDistribution::F:
    if (x < 0) x = -x;
    df = std::trunc(df), df1 = std::trunc(df1);
    if (df < 1) df = 1;
    if (df1 < 1) df1 = 1;
    break;
  case TCalcDistribution::ChiSquare:
    if (x < 0) x = 1;
    df = std::trunc(df);
    if (df < 1) df = 1;
    break;
  case TCalcDistribution::Exponential:
    if (x <= 0) x = 1;
    df = std::trunc(df);
    if (df <= 0) df = 1;
    break;
  case TCalcDistribution::Lognormal:
    if (x <= 0) x = 1;
    if (df1 == 0) df1 = 1;
    break;
  case TCalcDistribution::Logistic:
    if (df1 <= 0) df1 = 1;
    break;
  }
  ComputeFromX();
}

TCalcCaptions TStatCalculator::Captions() const {
  TCalcCaptions captions;
  captions.pHint = "Probability of x to be greater then X value";
  captions.p1Hint = "Probability of x to be less then X value";
  switch (distribution_) {
  case TCalcDistribution::Normal:
    captions.df = "Mean:", captions.dfHint = "Mean";
    captions.df1 = "Std.dev.:", captions.df1Hint = "Standard deviation";
    break;
  case TCalcDistribution::Student:
    captions.df = "DF:", captions.dfHint = "Degrees of freedom";
    captions.df1Visible = false;
    captions.pHint = "Probability of |x| to be greater then X value";
    captions.p1Hint = "Probability of |x| to be less then X value";
    break;
  case TCalcDistribution::F:
    captions.df = "DF1:", captions.dfHint = "Degrees of freedom";
    captions.df1 = "DF2:", captions.df1Hint = "Degrees of freedom";
    break;
  case TCalcDistribution::ChiSquare:
    captions.df = "Shape:", captions.dfHint = "Degrees of freedom";
    captions.df1Visible = false;
    break;
  case TCalcDistribution::Exponential:
    captions.df = "Scale:", captions.dfHint = "Scale";
    captions.df1Visible = false;
    break;
  case TCalcDistribution::Lognormal:
    captions.df = "Median:", captions.dfHint = "Scale";
    captions.df1 = "Std.dev.:", captions.df1Hint = "Shape";
    break;
  case TCalcDistribution::Logistic:
    captions.df = "Location:", captions.dfHint = "Location";
    captions.df1 = "Scale:", captions.df1Hint = "Scale";
    break;
  }
  return captions;
}

void TStatCalculator::ComputeFromX() {
  Compute(true);
}

void TStatCalculator::ComputeFromP() {
  Compute(false);
}

void TStatCalculator::Compute(bool fromX) {
  long double& x = At(TCalcField::X);
  long double& p = At(TCalcField::P);
  long double& p1 = At(TCalcField::P1);
  const long double mean = Value(TCalcField::DF), spread = Value(TCalcField::DF1);
  if (p == 0) p = kSmallestP;
  if (p == 1) p = kLargestP;
  const int df = DegreesOfFreedom(mean), df1 = DegreesOfFreedom(spread);
  if (fromX) {
    switch (distribution_) {
    case TCalcDistribution::Normal:
      p = NormalUpperTail(x, mean, spread);
      break;
    case TCalcDistribution::Student:
      x = std::fabs(x);
      p = StudentTwoTailedProbability(df, x);
      break;
    case TCalcDistribution::F:
      p = 1 - FDistribution(df, df1, x);
      break;
    case TCalcDistribution::ChiSquare:
      p = 1 - ChiSquareDistribution(df, x);
      break;
    case TCalcDistribution::Exponential:
      p = 1 - ExponentialDistribution(x, mean);
      break;
    case TCalcDistribution::Lognormal:
      p = LognormalUpperTail(x, mean, spread);
      break;
    case TCalcDistribution::Logistic:
      p = 1 - LogisticDistribution(x, mean, spread);
      break;
    }
  } else {
    switch (distribution_) {
    case TCalcDistribution::Normal:
      x = NormalUpperQuantile(p, mean, spread, kNormalAccuracy);
      break;
    case TCalcDistribution::Student:
      x = StudentTwoTailedCritical(df, p);
      break;
    case TCalcDistribution::F:
      x = FUpperQuantile(df, df1, p);
      break;
    case TCalcDistribution::ChiSquare:
      x = ChiSquareQuantile(df, 1 - p);
      break;
    case TCalcDistribution::Exponential:
      x = ExponentialQuantile(1 - p, mean);
      break;
    case TCalcDistribution::Lognormal:
      x = LognormalUpperQuantile(p, mean, spread, kLognormalAccuracy);
      break;
    case TCalcDistribution::Logistic:
      x = LogisticQuantile(1 - p, mean, spread);
      break;
    }
  }
  p1 = 1 - p;
  x = RoundTo(x, 6), p = RoundTo(p, 6), p1 = RoundTo(p1, 6);
  ShowAll();
}

void TStatCalculator::ShowAll() {
  for (size_t i = 0; i < values_.size(); ++i) {
    texts_[i] = std::isfinite(values_[i]) ? FloatToText(values_[i]) : "n/a";
    red_[i] = false;
  }
}

bool TStatCalculator::Suits(TCalcField field, long double value) const {
  switch (field) {
  case TCalcField::X:
    return value >= 0 ||
           (distribution_ != TCalcDistribution::Student && distribution_ != TCalcDistribution::F &&
            distribution_ != TCalcDistribution::Lognormal);
  case TCalcField::P:
  case TCalcField::P1:
    return value >= 0 && value <= 1;
  default:
    return true;
  }
}

void TStatCalculator::Take(TCalcField field, long double value) {
  switch (field) {
  case TCalcField::X:
    At(TCalcField::X) = RoundTo(value, 6);
    ComputeFromX();
    break;
  case TCalcField::P:
    At(TCalcField::P) = value;
    ComputeFromP();
    break;
  case TCalcField::P1:
    At(TCalcField::P) = 1 - value;
    ComputeFromP();
    break;
  case TCalcField::DF:
  case TCalcField::DF1:
    At(field) = value;
    ComputeFromX();
    break;
  }
}

bool TStatCalculator::Edit(TCalcField field, std::string_view text) {
  texts_[Index(field)] = std::string(text);
  double value = 0;
  if (IsUnfinished(text) || !TextToFloat(text, value) || !Suits(field, value)) {
    red_[Index(field)] = true;
    return false;
  }
  Take(field, value);
  return true;
}

void TStatCalculator::Step(TCalcField field, int direction) {
  const long double step = field == TCalcField::X                              ? kXStep
                           : field == TCalcField::P || field == TCalcField::P1 ? kPStep
                                                                               : kParameterStep;
  long double value = Value(field);
  if (!std::isfinite(value)) return;
  value += direction * step;
  if (field == TCalcField::P || field == TCalcField::P1) value = std::clamp(value, 0.0L, 1.0L);
  if (!Suits(field, value)) value = 0; // X stops at 0 where it may not be negative
  Take(field, RoundTo(value, 6));
}

} // namespace vandro
