// Statistical series: the unit of data every statistics window works on.
//
// A series is a named list of items of one kind: numbers in one unit, texts,
// dates (day numbers with the time as fraction) or object references. It is
// loaded from a source value (an array, or a formula that yields one) or
// filled directly by the window that builds it, and then computes its
// descriptive statistics. All arithmetic is long double.
//
// Query sources. Running a query walks stored objects and their states, which
// is the records layer's work; that layer installs a TSeriesQueryRunner. Until
// one is installed a query source is not an array and Load says so. A formula
// source that calls EXECUTE reaches the same layer through the standard
// functions.
#pragma once

#include "values/value.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// Stored with statistics settings: the numbers must not change.
enum TSeriesKind : uint8_t {
  skNumeric = 0,
  skText = 1,
  skDate = 2,
  skReference = 3,
};

// A resizable array of extended reals: what a numeric series is read into.
using TValueArray = std::vector<long double>;

// A missing item of a numeric or date series (an empty value) keeps its slot
// as NaN, so that series stay aligned item by item.
inline constexpr long double kMissingNumber = __builtin_nanl("");
inline bool IsMissing(long double x) {
  return x != x;
}

class TStatSeries {
public:
  TStatSeries() = default;
  TStatSeries(const TStatSeries&) = delete;
  TStatSeries& operator=(const TStatSeries&) = delete;

  // Items of the current kind: Texts for text series, Numbers otherwise.
  int Count() const;
  // Sets the length of the current kind's array; new slots are 0 or empty.
  // The statistics no longer describe the items and are reset.
  void Resize(int count);

  // Clears errors and loads the items from Source (see the .cpp for the
  // rules). False, with the reason in errors, when there is nothing to load;
  // otherwise true, with one error per item that could not be read (it is
  // missing, as an empty item is).
  bool Load(std::vector<std::string>& errors);
  // Load's reading of the items one at a time, for items that never stand
  // in one source array (a file read as a stream): BeginItems empties the
  // items and fixes the kind and unit by the first item present (an auto
  // formula in it is evaluated in place first); AddItem then appends an item
  // read in that kind, an empty one as missing, or a missing one and false
  // with the reason in error when it does not fit.
  void BeginItems(TValue& first);
  bool AddItem(const TValue& item, std::string& error);
  // Every statistic of the current items.
  void Compute();
  // Minimum and Maximum of the numbers in load order, once; the histogram
  // needs them before the statistics exist. Nothing for text and reference
  // series.
  void ComputeRange();
  // Items v with low <= v < high; 0 for text and reference series.
  int CountInRange(long double low, long double high) const;
  // Zeroes the statistics, empties their texts and clears every flag but
  // Loaded.
  void ResetStatistics();

  const std::string& Name() const { return name_; }
  // Cut to 32 characters.
  void SetName(std::string_view name);

  TSeriesKind Kind = skNumeric;
  TValueArray Numbers;            // numeric, date and reference series
  std::vector<std::string> Texts; // text series
  TValue::Ptr Source;             // what Load reads; may be none
  bool Loaded = false;            // the last load succeeded, or the items were filled directly
  std::string UnitText;           // as written inside the brackets; "[day]" for dates
  std::string NormalUnitText;     // the unit's normal form; "[s]" for dates

  // Statistics; valid when Computed.
  bool Computed = false;
  bool RangeKnown = false; // Minimum and Maximum are current
  bool Sorted = false;
  int32_t StatCount = 0;    // the number of items the statistics describe
  int32_t MissingCount = 0; // empty items, which the statistics skip
  long double Minimum = 0, Maximum = 0, Mean = 0, Total = 0, Median = 0;
  long double DeviationPopulation = 0, DeviationSample = 0;
  long double LowerTertile = 0, UpperTertile = 0;
  long double FirstQuartile = 0, ThirdQuartile = 0;
  std::array<long double, 4> Quintiles{}; // first to fourth
  long double Mode = 0;
  long double ModalFrequency = 0; // share of the items equal to the mode, 0..1
  bool ModeExists = false, TertilesValid = false, QuartilesValid = false, QuintilesValid = false;
  std::string MedianText; // "n/a" for text series
  std::string MinimumText, MaximumText, ModeText;

private:
  std::string name_;
};

// Runs query values for series sources; installed by the records layer.
class TSeriesQueryRunner {
public:
  virtual ~TSeriesQueryRunner() = default;
  // The array the query yields, or nullptr when it failed (the runner has
  // reported why).
  virtual TValue::Ptr Run(const TValue& query) = 0;
};

// Installs runner (nullptr removes it); returns the previous one.
TSeriesQueryRunner* SetSeriesQueryRunner(TSeriesQueryRunner* runner);

// The p-quantile of sorted values for p = numerator / denominator in [0, 1]:
// the inverse of the empirical distribution function, averaged where it is
// flat (R's quantile type 2). With m = n p, (s[m-1] + s[m]) / 2 when m is
// whole, else s[floor(m)]. 0 for no values.
long double SortedQuantile(const TValueArray& sorted, int numerator, int denominator);

// The numbers of a value, in the unit of its first numeric item. A null value
// is an empty series; a formula or auto formula is evaluated first. The value
// must then be a non-empty array. When its first item is not a number, the
// user is asked whether to skip the non-numeric items ("No" fails quietly; no
// number at all shows "Series is empty"). An item whose unit does not convert
// shows "Incompatible units. Item # " and its index, and fails. The value
// itself is not changed.
bool GetNumericSeries(const TValue& value, TValueArray& numbers, std::string& unitText);

} // namespace vandro
