// The rules of the statistical calculator ("Distributions"): a value X and
// the probability P(x > X) of seven distributions, converted either way, with
// the distribution's parameters in two further fields. The window shows the
// five texts, their red (invalid) flags and the captions, and forwards the
// user's edits here.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vandro {

enum class TCalcDistribution {
  Normal,
  Student, // two-tailed
  F,
  ChiSquare,
  Exponential,
  Lognormal,
  Logistic,
};

// X; P = P(x > X); P1 = 1 - P; DF and DF1 are the first and second parameter.
enum class TCalcField { X, P, P1, DF, DF1 };

struct TCalcCaptions {
  std::string df, dfHint;
  std::string df1, df1Hint;
  bool df1Visible = true;
  std::string pHint, p1Hint;
};

class TStatCalculator {
public:
  // X = 0, DF = 0, DF1 = 1, "Normal", P computed from X.
  TStatCalculator();

  // The names of the distribution list, in the order of TCalcDistribution.
  static const std::array<const char*, 7>& DistributionNames();

  // Applies the distribution's parameter rules and computes P from X.
  void Choose(TCalcDistribution distribution);
  TCalcDistribution Distribution() const { return distribution_; }
  TCalcCaptions Captions() const;

  // A change of a field's text. A number that reads and suits the field is
  // taken: X computes P, P or P1 computes X, DF or DF1 recomputes P from X,
  // and every field is shown anew. Otherwise the field turns red and the last
  // valid values stay. Returns whether the text was taken.
  bool Edit(TCalcField field, std::string_view text);
  // The arrows beside a field: direction +1 or -1.
  void Step(TCalcField field, int direction);

  void ComputeFromX();
  void ComputeFromP();

  long double Value(TCalcField field) const { return values_[Index(field)]; }
  // "n/a" for a value that has no finite result.
  const std::string& Text(TCalcField field) const { return texts_[Index(field)]; }
  bool IsRed(TCalcField field) const { return red_[Index(field)]; }

private:
  static size_t Index(TCalcField field) { return static_cast<size_t>(field); }
  long double& At(TCalcField field) { return values_[Index(field)]; }
  // Whether value may stand in field (before rounding).
  bool Suits(TCalcField field, long double value) const;
  void Take(TCalcField field, long double value);
  void Compute(bool fromX);
  void ShowAll();

  TCalcDistribution distribution_ = TCalcDistribution::Normal;
  std::array<long double, 5> values_{0, 0, 0, 0, 1};
  std::array<std::string, 5> texts_;
  std::array<bool, 5> red_{};
};

} // namespace vandro
