// Inside the standard functions: what the groups share, and the functions
// of each group as the dispatcher in std_functions.cpp calls them.
//
// A function receives its arguments left to right, already counted against
// the function's limits. The dispatcher has checked the kind of a
// one-argument function's argument and spread an array first argument item
// by item where the function takes arrays that way, so a function sees the
// plain values it computes on; it still checks them, because an array item
// can be anything.
#pragma once

#include "values/value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

struct TUnitNF;
class TProcessor;

namespace stdfn {

using TArgs = std::vector<const TValue*>;
using TFunction = bool (*)(const TArgs& args, TValue& result, std::string& message);
// A function that reads the processor's records (the context record's
// object, the records a query runs with).
using TRecordFunction = bool (*)(TProcessor& processor, const TArgs& args, TValue& result,
                                 std::string& message);

inline constexpr const char* kInvalidType = "Invalid parameter type";
inline constexpr const char* kNegativeNotAllowed = "Negative values are not allowed";
inline constexpr const char* kDivisionByZero =
    "Division by zero or denominator interval contains zero";

// A number read from a plain value: the interval [value - minus, value +
// plus] and the unit as decoded (upper-cased; empty when there is none).
struct TNumber {
  long double value = 0;
  long double plus = 0;
  long double minus = 0;
  std::string unit;

  long double Low() const { return value - minus; }
  long double High() const { return value + plus; }
  // Rescales into another unit; a negative factor turns the interval round.
  void Scale(long double factor);
};

// False when the value is not a plain number.
bool ReadNumber(const TValue& value, TNumber& number);

// A whole number written without deviation or unit.
bool ReadWhole(const TValue& value, int64_t& number);

// Writes a number. NaN and infinity have no text: the function fails with
// "The number is out of range" instead.
bool WriteNumber(TValue& result, std::string_view unit, long double value, long double plus,
                 long double minus, std::string& message);
bool WriteCount(TValue& result, long double count, std::string& message);

// The normal form of a unit text in the active catalogue; nullptr when it
// does not normalise.
const TUnitNF* NormalForm(std::string_view unit);

// The interval rule: the result is f(v); its deviations reach from there to
// the lowest and the highest f takes on [lo, hi].
bool WriteRange(TValue& result, std::string_view unit, long double fv, long double lowest,
                long double highest, std::string& message);

// Units and numbers, mathematics.
bool SetUnits(const TArgs& args, TValue& result, std::string& message);
bool CompareUnits(const TArgs& args, TValue& result, std::string& message);
bool GetUnits(const TArgs& args, TValue& result, std::string& message);
bool GetNumber(const TArgs& args, TValue& result, std::string& message);
bool Sign(const TArgs& args, TValue& result, std::string& message);
bool Abs(const TArgs& args, TValue& result, std::string& message);
bool Round(const TArgs& args, TValue& result, std::string& message);
bool Trunc(const TArgs& args, TValue& result, std::string& message);
bool Sqrt(const TArgs& args, TValue& result, std::string& message);
bool Power(const TArgs& args, TValue& result, std::string& message);
bool RPower(const TArgs& args, TValue& result, std::string& message);
bool LogN(const TArgs& args, TValue& result, std::string& message);
bool Pi(const TArgs& args, TValue& result, std::string& message);
// EXP .. TANH: the function's code tells which.
bool Transcendental(uint8_t code, const TValue& argument, TValue& result, std::string& message);

// Type tests, control, project, aggregates.
bool TypeTest(uint8_t code, const TValue& argument, TValue& result, std::string& message);
bool Iff(const TArgs& args, TValue& result, std::string& message);
bool Switch(const TArgs& args, TValue& result, std::string& message);
bool GlobalVar(const TArgs& args, TValue& result, std::string& message);
// SUM, MEAN, MAX, MIN, COUNT.
bool Aggregate(uint8_t code, const TArgs& args, TValue& result, std::string& message);

// Dates.
bool NowMoment(const TArgs& args, TValue& result, std::string& message);
// DATE .. SECONDS.
bool DatePart(uint8_t code, const TValue& argument, TValue& result, std::string& message);
// INCYEAR .. INCSECONDS.
bool Increment(uint8_t code, const TArgs& args, TValue& result, std::string& message);

// Strings and lines.
bool Len(const TArgs& args, TValue& result, std::string& message);
// UPPER, LOWER, TRIM, LTRIM, RTRIM.
bool ChangeText(uint8_t code, const TValue& argument, TValue& result, std::string& message);
bool Substr(const TArgs& args, TValue& result, std::string& message);
bool At(const TArgs& args, TValue& result, std::string& message);
bool LineCount(const TArgs& args, TValue& result, std::string& message);
bool AddLines(const TArgs& args, TValue& result, std::string& message);
bool InsertLines(const TArgs& args, TValue& result, std::string& message);
bool DeleteLines(const TArgs& args, TValue& result, std::string& message);

// Objects and the project (std_functions_objects.cpp).
bool ObjectByName(TProcessor& processor, const TArgs& args, TValue& result, std::string& message);
bool ActualState(TProcessor& processor, const TArgs& args, TValue& result, std::string& message);
bool ContentOf(TProcessor& processor, const TArgs& args, TValue& result, std::string& message);
bool HistoryOf(TProcessor& processor, const TArgs& args, TValue& result, std::string& message);
bool ExecuteText(TProcessor& processor, const TArgs& args, TValue& result, std::string& message);
bool OriginMoment(TProcessor& processor, const TArgs& args, TValue& result, std::string& message);

} // namespace stdfn
} // namespace vandro
