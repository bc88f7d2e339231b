// What the statistics computations share: the sample they take, the table
// text the matrix window shows, units of samples and number texts.
#pragma once

#include "values/units.h"

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// The kinds of a statistical series, in its order.
enum class TSampleKind { Numeric, Text, Date, Reference };

// One series as the statistics take it: a name and its items, numbers for
// every kind but text. Numbers of one sample share its unit.
struct TSample {
  std::string name;
  TSampleKind kind = TSampleKind::Numeric;
  std::string unit; // as typed, with or without its square brackets; empty for none
  std::vector<long double> numbers;
  std::vector<std::string> texts;

  size_t Count() const { return kind == TSampleKind::Text ? texts.size() : numbers.size(); }
};

// Missing items: NaN numbers of a numeric, date or reference sample, empty
// texts of a text sample. They keep their places so that samples stay
// aligned item by item.
size_t MissingCount(const TSample& sample);
// The sample without its missing items.
TSample WithoutMissing(const TSample& sample);

// A table for the matrix window: title, corner cell, column and row headings, cells.
struct TMatrixText {
  std::string title;
  std::string corner;
  std::vector<std::string> columns;
  std::vector<std::string> rows;
  std::vector<std::vector<std::string>> cells; // rows x columns
};

// The mean of numbers; 0 for none.
long double Mean(const std::vector<long double>& numbers);
// The sum of the squared deviations of numbers from mean.
long double SumOfSquares(const std::vector<long double>& numbers, long double mean);

// The unit text without blanks and square brackets around it.
std::string BareUnit(std::string_view unit);

// How numbers in unit `from` are written in unit `to`, when the two measure
// the same quantity (celsius and fahrenheit with their offsets): equal texts
// (without regard to case) need no conversion, others need the open
// project's units. Returns false for units that do not compare.
bool UnitConversion(std::string_view from, std::string_view to, TUnitConversion& conversion);

// round(value * 10^decimals) / 10^decimals, halves away from zero; values
// too large to carry that many decimals come back unchanged.
long double RoundTo(long double value, int decimals);

// The value rounded to decimals and written in the general format
// (FloatToText); "INF" or "-INF" for an infinity and "n/a" for NaN, which
// have no number text.
std::string RoundedText(long double value, int decimals);

// The general format with at most precision significant digits (1..18):
// fixed notation when the integer part has at most precision digits and the
// value is at least 0.00001, otherwise d.dddE+x with at least exponentDigits
// exponent digits. Trailing zeros are dropped.
std::string GeneralText(long double value, int precision, int exponentDigits);

// A probability as every window, grid, CSV file and the CLI show it: rounded
// to 6 decimals from 0.0001 on; below that in scientific notation with three
// significant digits ("1.93E-14"), and "< 1E-300" below what the
// distribution functions resolve, so that a positive P is never written
// as 0. "n/a" for NaN.
std::string PValueText(long double p);

} // namespace vandro
