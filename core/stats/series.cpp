// Loading rules (Load):
//  - no source: a series filled directly is loaded as it is; an empty one
//    fails with "Series source isn't defined";
//  - an auto formula source ("=...") is evaluated and its result replaces the
//    source's content; a query source is run by the installed query runner;
//  - the source must be a non-empty array ("Series source should be an
//    array", "Empty array supplied");
//  - an empty item is missing: it keeps its slot (NaN in Numbers, an empty
//    text in Texts) so that series stay aligned item by item, and the
//    statistics skip it and count it apart;
//  - the first item that is not empty (an auto formula evaluated first, in
//    place) fixes the kind: a number whose unit normalises makes a numeric
//    series in that unit, a date a date series, anything else a text series;
//    a source of empty items only is a numeric series with every item
//    missing;
//  - every item is then read in that kind; an item that does not fit is
//    missing too, with one error in the list.
#include "stats/series.h"

#include "language/executor.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/data_units.h"
#include "values/units.h"
#include "values/value_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vandro {

namespace {

TSeriesQueryRunner* queryRunner = nullptr;

// The executor of sources and items that are formulas. The series evaluate
// them without records, so one executor serves every series.
TExecutor& SeriesExecutor() {
  static TExecutor executor;
  return executor;
}

void EvaluateInPlace(TValue& value) {
  TExecutor& executor = SeriesExecutor();
  executor.Clear();
  TValue::Ptr result = executor.Run(nullptr, nullptr, value.Text()).Clone("TStatSeries.Load");
  value.Assign(*result);
}

// The number of a numeric value expressed in unitText. False when it does not
// decode or its unit has another dimension. The conversion is applied in long
// double, without the 15-digit round trip through text that ConvertToUnit
// makes.
bool NumberInUnit(const TValue& value, std::string_view unitText, long double& number) {
  if (!value.IsNumeric()) return false;
  double decoded = 0, plus = 0, minus = 0;
  std::string unit;
  try {
    DecodeNumber(value.Text(), decoded, plus, minus, unit);
  } catch (const EConvertError&) {
    return false;
  }
  TUnitConversion conversion;
  if (!ActiveUnits().Conversion(unit, unitText, conversion)) return false;
  number = decoded * conversion.factor + conversion.shift;
  return true;
}

// The run-length scan for the mode over sorted items. The run starts at the
// first item in load order; a run is judged when the next value differs or
// at the last item, so a run that begins at the last item is never judged.
// Two longest runs of equal length cancel the mode unless a later run of
// two or more sets the flag again. Returns the best run length.
template <class T>
int ScanMode(const std::vector<T>& sorted, const T& firstLoaded, T& mode, bool& exists) {
  T run = firstLoaded;
  int length = 0, best = 0;
  const size_t n = sorted.size();
  for (size_t i = 0; i < n; ++i) {
    if (sorted[i] == run) ++length;
    if (sorted[i] != run || i + 1 == n) {
      if (length > 1) exists = true;
      if (length > best) {
        if (length > 1) exists = true;
        mode = run;
        best = length;
      } else if (length == best) {
        exists = false;
      }
      run = sorted[i];
      length = 1;
    }
  }
  return best;
}

long double Middle(const TValueArray& s, size_t index) {
  return (s[index - 1] + s[index]) / 2;
}

} // namespace

TSeriesQueryRunner* SetSeriesQueryRunner(TSeriesQueryRunner* runner) {
  return std::exchange(queryRunner, runner);
}

int TStatSeries::Count() const {
  return static_cast<int>(Kind == skText ? Texts.size() : Numbers.size());
}

void TStatSeries::Resize(int count) {
  const auto size = static_cast<size_t>(std::max(count, 0));
  if (Kind == skText)
    Texts.resize(size);
  else
    Numbers.resize(size, 0);
  ResetStatistics();
}

void TStatSeries::SetName(std::string_view name) {
  name_ = std::string(name.substr(0, 32));
}

void TStatSeries::ResetStatistics() {
  Computed = RangeKnown = Sorted = false;
  StatCount = MissingCount = 0;
  Minimum = Maximum = Mean = Total = Median = 0;
  DeviationPopulation = DeviationSample = 0;
  LowerTertile = UpperTertile = FirstQuartile = ThirdQuartile = 0;
  Quintiles = {};
  Mode = ModalFrequency = 0;
  ModeExists = TertilesValid = QuartilesValid = QuintilesValid = false;
  MedianText.clear();
  MinimumText.clear();
  MaximumText.clear();
  ModeText.clear();
}

bool TStatSeries::Load(std::vector<std::string>& errors) {
  errors.clear();
  Loaded = false;
  // Whatever was computed described the items before this load.
  ResetStatistics();
  if (!Source) {
    if (Numbers.empty() && Texts.empty()) {
      errors.push_back("Series source isn't defined");
      return false;
    }
    Loaded = true;
    return true;
  }
  if (Source->IsAutoFormula()) {
    EvaluateInPlace(*Source);
  } else if (Source->IsQuery() && queryRunner) {
    if (TValue::Ptr result = queryRunner->Run(*Source)) Source->Assign(*result);
  }
  if (!Source->IsArray()) {
    errors.push_back("Series source should be an array");
    return false;
  }
  const int count = Source->ItemCount();
  if (count == 0) {
    errors.push_back("Empty array supplied");
    return false;
  }

  // The first item present decides the kind; an empty item is missing.
  int firstPresent = 0;
  for (; firstPresent < count; ++firstPresent) {
    TValue& item = Source->GetItem(firstPresent);
    if (item.IsAutoFormula()) EvaluateInPlace(item);
    if (!item.IsNull()) break;
  }
  BeginItems(Source->GetItem(std::min(firstPresent, count - 1)));
  // Nothing but missing items: a numeric series without a unit.
  if (firstPresent == count) Kind = skNumeric;
  if (Kind == skText)
    Texts.reserve(static_cast<size_t>(count));
  else
    Numbers.reserve(static_cast<size_t>(count));
  std::string error;
  for (int i = 0; i < count; ++i)
    if (!AddItem(Source->GetItem(i), error))
      errors.push_back(error + ". Item No = " + std::to_string(i));
  Loaded = true;
  return true;
}

void TStatSeries::BeginItems(TValue& first) {
  if (first.IsAutoFormula()) EvaluateInPlace(first);
  Kind = skText;
  UnitText.clear();
  NormalUnitText.clear();
  if (first.IsNumeric()) {
    const std::string unit = WrittenUnit(first.Text());
    if (const TUnitNF* normalForm = ActiveUnits().NormalFormOf(unit)) {
      Kind = skNumeric;
      UnitText = unit;
      NormalUnitText = NormalFormText(*normalForm);
    }
  } else if (first.IsPlain() && first.IsDateTime()) {
    Kind = skDate;
    UnitText = "[day]";
    NormalUnitText = "[s]";
  }
  Numbers.clear();
  Texts.clear();
}

bool TStatSeries::AddItem(const TValue& item, std::string& error) {
  if (item.IsNull()) {
    // Missing: it keeps its place and takes no part in any statistic.
    if (Kind == skText)
      Texts.emplace_back();
    else
      Numbers.push_back(kMissingNumber);
    return true;
  }
  switch (Kind) {
  case skText:
    Texts.push_back(item.IsPlain() ? item.Text() : ToDisplayText(&item));
    return true;
  case skDate:
    if (item.IsPlain() && item.IsDateTime()) {
      Numbers.push_back(DecodeDateTime(item.Text()));
      return true;
    }
    error = "Value should be numeric";
    break;
  default:
    if (!item.IsNumeric()) {
      error = "Value should be numeric";
    } else if (long double number = 0; NumberInUnit(item, UnitText, number)) {
      Numbers.push_back(number);
      return true;
    } else {
      error = "Incompatible units. " + UnitText + " expected";
    }
    break;
  }
  // An item that does not fit is missing, never a 0 that would enter the mean.
  Numbers.push_back(kMissingNumber);
  return false;
}

void TStatSeries::Compute() {
  ResetStatistics();
  // Missing items take no part in any statistic.
  std::vector<std::string> texts;
  TValueArray numbers;
  if (Kind == skText)
    std::copy_if(Texts.begin(), Texts.end(), std::back_inserter(texts),
                 [](const std::string& text) { return !text.empty(); });
  else
    std::copy_if(Numbers.begin(), Numbers.end(), std::back_inserter(numbers),
                 [](long double x) { return !IsMissing(x); });
  const int n = static_cast<int>(Kind == skText ? texts.size() : numbers.size());
  StatCount = n;
  MissingCount = Count() - n;
  // An empty series (filled directly with nothing) has nothing to divide by:
  // its statistics stay 0 and no optional one is valid.
  if (n > 0 && Kind == skText) {
    std::vector<std::string> sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return CompareText(a, b) < 0;
    });
    MinimumText = sorted.front();
    MaximumText = sorted.back();
    const int best = ScanMode(sorted, texts.front(), ModeText, ModeExists);
    if (ModeExists) ModalFrequency = static_cast<long double>(best) / n;
    MedianText = "n/a";
  } else if (n > 0 && (Kind == skNumeric || Kind == skDate)) {
    TValueArray s = numbers;
    std::sort(s.begin(), s.end());
    const auto size = static_cast<size_t>(n);
    Minimum = s.front();
    Maximum = s.back();
    RangeKnown = true;
    for (long double x : numbers)
      Total += x;
    Mean = Total / n;
    const int best = ScanMode(s, numbers.front(), Mode, ModeExists);
    Median = n % 2 == 1 ? s[size / 2] : Middle(s, size / 2);
    long double squares = 0;
    for (long double x : numbers)
      squares += (x - Mean) * (x - Mean);
    DeviationSample = n >= 2 ? std::sqrt(squares / (n - 1)) : 0;
    DeviationPopulation = std::sqrt(squares / n);
    if (ModeExists) ModalFrequency = static_cast<long double>(best) / n;

    // Every order statistic is a quantile by one rule, so the rows stay in
    // order for every n.
    if (n >= 3) {
      TertilesValid = true;
      LowerTertile = SortedQuantile(s, 1, 3);
      UpperTertile = SortedQuantile(s, 2, 3);
    }
    if (n >= 4) {
      QuartilesValid = true;
      FirstQuartile = SortedQuantile(s, 1, 4);
      ThirdQuartile = SortedQuantile(s, 3, 4);
    }
    if (n >= 5) {
      QuintilesValid = true;
      for (int j = 1; j <= 4; ++j)
        Quintiles[static_cast<size_t>(j - 1)] = SortedQuantile(s, j, 5);
    }
  }
  Computed = true;
  Sorted = true;
}

void TStatSeries::ComputeRange() {
  if (RangeKnown || Kind == skText || Kind == skReference) return;
  bool any = false;
  Minimum = Maximum = 0;
  for (long double x : Numbers) {
    if (IsMissing(x)) continue;
    if (!any) Minimum = Maximum = x;
    any = true;
    Minimum = std::min(Minimum, x);
    Maximum = std::max(Maximum, x);
  }
  RangeKnown = true;
}

int TStatSeries::CountInRange(long double low, long double high) const {
  if (Kind == skText || Kind == skReference) return 0;
  return static_cast<int>(std::count_if(Numbers.begin(), Numbers.end(),
                                        [&](long double v) { return low <= v && v < high; }));
}

long double SortedQuantile(const TValueArray& sorted, int numerator, int denominator) {
  const auto n = static_cast<long long>(sorted.size());
  if (n == 0 || denominator <= 0) return 0;
  // m = n p in whole numbers, so "m is whole" is decided exactly.
  const long long scaled = n * numerator;
  const long long m = scaled / denominator;
  if (scaled % denominator == 0) {
    if (m <= 0) return sorted.front();
    if (m >= n) return sorted.back();
    return Middle(sorted, static_cast<size_t>(m));
  }
  return sorted[static_cast<size_t>(std::clamp(m, 0LL, n - 1))];
}

bool GetNumericSeries(const TValue& value, TValueArray& numbers, std::string& unitText) {
  numbers.clear();
  unitText.clear();
  if (value.IsNull()) return true;
  const TValue* series = &value;
  TValue::Ptr evaluated;
  if (value.IsFormula() || value.IsAutoFormula()) {
    evaluated = value.Clone("GetNumericSeries");
    EvaluateInPlace(*evaluated);
    series = evaluated.get();
  }
  if (!series->IsArray() || series->ItemCount() == 0) return false;

  const int count = series->ItemCount();
  // Empty items are missing values, skipped without a question.
  int first = 0;
  while (first < count && series->GetItem(first).IsNull())
    ++first;
  if (first == count) {
    ShowMsg("Series is empty");
    return false;
  }
  if (!series->GetItem(first).IsNumeric()) {
    if (!Ask("The first value in series isn't numeric.\r\nDo you want to skip all non-numeric "
             "values?",
             true))
      return false;
    while (first < count && !series->GetItem(first).IsNumeric())
      ++first;
    if (first == count) {
      ShowMsg("Series is empty");
      return false;
    }
  }
  const std::string unit = WrittenUnit(series->GetItem(first).Text());
  if (!ActiveUnits().NormalFormOf(unit)) return false;
  for (int i = first; i < count; ++i) {
    const TValue& item = series->GetItem(i);
    if (!item.IsNumeric()) continue;
    long double number = 0;
    if (!NumberInUnit(item, unit, number)) {
      ShowMsg("Incompatible units. Item # " + std::to_string(i));
      numbers.clear();
      return false;
    }
    numbers.push_back(number);
  }
  unitText = unit;
  return true;
}

} // namespace vandro
