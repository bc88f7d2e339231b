#include "language/processor_operations.h"

#include "shell/datetime.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/units.h"
#include "values/value_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace vandro {

namespace {

// The unit of a number text as the user wrote it, in brackets: "(m)"; "()"
// for a number without unit. Messages show units, not the decoded upper case.
std::string UnitAsWritten(const TValue& value) {
  const std::string& text = value.Text();
  const size_t open = text.find('[');
  const size_t close = text.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return "()";
  return "(" + Trim(std::string_view(text).substr(open + 1, close - open - 1)) + ")";
}

// Arrays built by formulas can nest without the limit packing puts on them;
// comparing them must not exhaust the call stack.
constexpr int kMaxComparisonDepth = 256;

constexpr const char* kInvalidOperand = "Invalid operand";
constexpr const char* kComparisonError = "Comparison error";

// A number with its deviations: the interval [value - minus, value + plus].
struct TInterval {
  long double value = 0;
  long double plus = 0;
  long double minus = 0;

  long double High() const { return value + plus; }
  long double Low() const { return value - minus; }

  // Rescales into another unit; a negative factor turns the interval round.
  void Scale(long double factor) {
    value *= factor;
    const long double magnitude = std::fabs(factor);
    plus *= magnitude;
    minus *= magnitude;
    if (factor < 0) std::swap(plus, minus);
  }
};

// Reads a numeric plain value; false when it is not one.
bool DecodeValue(const TValue& value, TInterval& interval, std::string& unit) {
  if (!value.IsNumeric()) return false;
  double number = 0, plus = 0, minus = 0;
  try {
    DecodeNumber(value.Text(), number, plus, minus, unit);
  } catch (const EConvertError&) {
    return false;
  }
  interval = {number, plus, minus};
  return true;
}

// The dimension signature and factor of a unit text; false when the unit
// does not normalise.
bool UnitBasis(std::string_view unit, std::string& signature, long double& factor) {
  const TUnitNF* form = ActiveUnits().NormalFormOf(unit);
  if (!form) return false;
  signature = NormalFormText(*form);
  factor = form->factor;
  return true;
}

// Writes a number; NaN and infinity have no text and fail instead.
bool WriteNumber(TValue& result, std::string_view unit, const TInterval& interval,
                 std::string& message) {
  try {
    result.SetNumber(unit, static_cast<double>(interval.minus), static_cast<double>(interval.plus),
                     static_cast<double>(interval.value));
  } catch (const EConvertError& e) {
    message = e.what();
    return false;
  }
  return true;
}

template <typename T> bool Holds(T a, T b, uint8_t relation) {
  switch (relation) {
  case ocLess:
    return a < b;
  case ocGreater:
    return a > b;
  case ocLessEqual:
    return a <= b;
  case ocGreaterEqual:
    return a >= b;
  default:
    return a == b;
  }
}

// ---------------------------------------------------------------------------
// Arithmetic: + - * /

enum class TOperandKind { Number, Date, Null };

struct TOperand {
  TOperandKind kind = TOperandKind::Number;
  bool boolean = false; // a boolean word read as 1 or 0
  TInterval interval;
  std::string unit; // upper-cased as decoded; empty when none
};

bool ReadArithmeticOperand(const TValue& value, bool datesAllowed, const std::string& side,
                           TOperand& operand, std::string& message) {
  if (value.IsPlain()) {
    if (DecodeValue(value, operand.interval, operand.unit)) return true;
    if (value.IsDateTime()) {
      if (!datesAllowed) {
        message = side + " operand is invalid (date)";
        return false;
      }
      operand.kind = TOperandKind::Date;
      operand.interval.value = DecodeDateTime(value.Text());
      return true;
    }
    if (value.IsNull()) {
      operand.kind = TOperandKind::Null;
      return true;
    }
    if (value.IsBoolean()) {
      bool flag = false;
      DecodeBoolean(value.Text(), flag);
      operand.boolean = true;
      operand.interval.value = flag ? 1 : 0;
      return true;
    }
  }
  message = side + " operand isn't Numeric";
  return false;
}

// A date's partner: a number (in days, or in a unit of time that converts to
// days), another date or null; and nothing fuzzy on either side.
bool CheckDateOperands(uint8_t code, TOperand& left, TOperand& right, std::string& message) {
  if (left.kind == TOperandKind::Date && right.kind == TOperandKind::Date && code == ocAdd) {
    message = "Both operands are dates";
    return false;
  }
  TOperand& partner = left.kind == TOperandKind::Date ? right : left;
  if (partner.boolean) {
    message = "Incompatible operand types";
    return false;
  }
  if (partner.kind == TOperandKind::Number && !partner.unit.empty()) {
    std::string unitSignature, daySignature;
    long double unitFactor = 1, dayFactor = 1;
    if (!UnitBasis(partner.unit, unitSignature, unitFactor) ||
        !UnitBasis("day", daySignature, dayFactor) || unitSignature != daySignature) {
      message = "Incompatible operand units";
      return false;
    }
    partner.interval.Scale(unitFactor / dayFactor);
    partner.unit.clear();
  }
  if (left.interval.plus != 0 || left.interval.minus != 0 || right.interval.plus != 0 ||
      right.interval.minus != 0) {
    message = "Time can't be combined with fuzzy operands";
    return false;
  }
  return true;
}

// The unit of a product or quotient, as the normal-form text of the two
// units combined; empty for a dimensionless result.
bool ProductUnit(uint8_t code, const std::string& left, const std::string& right, std::string& unit,
                 std::string& message) {
  unit.clear();
  if (left.empty() && right.empty()) return true;
  // A quantity divided by one in the same unit has no unit left.
  if (code == ocDivide && left == right) return true;
  std::string built;
  if (!left.empty() && !right.empty())
    built = "(" + left + (code == ocDivide ? ")/(" : ")*(") + right + ")";
  else if (!left.empty())
    built = "(" + left + ")";
  else
    built = "(" + right + (code == ocDivide ? ")^-1" : ")");
  long double factor = 1;
  if (!UnitBasis(built, unit, factor)) {
    message = "Can't normalize the result unit: " + built;
    return false;
  }
  return true;
}

long double Combine(uint8_t code, long double a, long double b) {
  switch (code) {
  case ocAdd:
    return a + b;
  case ocSubtract:
    return a - b;
  case ocMultiply:
    return a * b;
  default:
    return a / b;
  }
}

// The operation on intervals: the result is the operation on the values; its
// deviations reach out to the extremes over the four pairs of bounds.
TInterval CombineIntervals(uint8_t code, const TInterval& left, const TInterval& right) {
  TInterval result;
  result.value = Combine(code, left.value, right.value);
  const long double corners[] = {
      Combine(code, left.High(), right.High()), Combine(code, left.High(), right.Low()),
      Combine(code, left.Low(), right.High()), Combine(code, left.Low(), right.Low())};
  const auto [lowest, highest] = std::minmax_element(std::begin(corners), std::end(corners));
  // Rounding may leave a corner a hair inside the value; a deviation is
  // never negative.
  result.plus = std::max<long double>(0, *highest - result.value);
  result.minus = std::max<long double>(0, result.value - *lowest);
  return result;
}

bool Arithmetic(uint8_t code, const TValue& leftValue, const TValue& rightValue, TValue& result,
                std::string& message) {
  const bool additive = code == ocAdd || code == ocSubtract;
  TOperand left, right;
  if (!ReadArithmeticOperand(leftValue, additive, "First", left, message) ||
      !ReadArithmeticOperand(rightValue, additive, "Second", right, message))
    return false;
  const bool leftDate = left.kind == TOperandKind::Date;
  const bool rightDate = right.kind == TOperandKind::Date;
  if ((leftDate || rightDate) && !CheckDateOperands(code, left, right, message)) return false;
  if (left.kind == TOperandKind::Null || right.kind == TOperandKind::Null) {
    result.Clear();
    return true;
  }

  std::string leftSignature, rightSignature, unit;
  long double leftFactor = 1, rightFactor = 1;
  const bool leftNormal = UnitBasis(left.unit, leftSignature, leftFactor);
  const bool rightNormal = UnitBasis(right.unit, rightSignature, rightFactor);
  if (additive) {
    if (!leftNormal || !rightNormal || leftSignature != rightSignature) {
      message = "Incompatible operand units: " + UnitAsWritten(leftValue) + " and " +
                UnitAsWritten(rightValue);
      return false;
    }
  } else if (!ProductUnit(code, left.unit, right.unit, unit, message)) {
    return false;
  }
  left.interval.Scale(leftFactor);
  right.interval.Scale(rightFactor);
  if (additive) {
    // The right operand joins the left one's unit, offset included, so that
    // 0 [C] + 300 [K] is 26.85 [C]; only the value moves, not its deviations.
    long double leftOffset = 0, rightOffset = 0;
    ActiveUnits().ConversionOffsets(left.unit, right.unit, leftOffset, rightOffset);
    right.interval.value += rightOffset - leftOffset;
  }

  if (code == ocDivide) {
    const TInterval& r = right.interval;
    if (r.value == 0 || r.High() == 0 || r.Low() == 0 || (r.Low() <= 0 && 0 <= r.High())) {
      message = "Division by zero or denominator interval contains zero";
      return false;
    }
  }
  TInterval outcome = CombineIntervals(code, left.interval, right.interval);

  if (leftDate || rightDate) {
    if (leftDate && rightDate) return WriteNumber(result, "day", outcome, message);
    const double moment = static_cast<double>(outcome.value);
    if (!HasDateText(moment)) {
      message = "The resulting date is out of range";
      return false;
    }
    result.SetPlain(DateTimeToText(moment));
    return true;
  }
  if (additive) {
    // Sums stay in the unit the left operand was written in.
    outcome.Scale(1 / leftFactor);
    return WriteNumber(result, left.unit, outcome, message);
  }
  return WriteNumber(result, unit, outcome, message);
}

// ---------------------------------------------------------------------------
// Integer division and remainder

// An operand of DIV and MOD: a whole number without unit and deviations that
// fits a 64-bit integer (and can be negated without overflow).
bool ReadWholeOperand(const TValue& value, const std::string& side, int64_t& number,
                      std::string& message) {
  TInterval interval;
  std::string unit;
  DecodeValue(value, interval, unit);
  constexpr long double kLimit = 9223372036854775808.0L; // 2^63
  if (!unit.empty() || interval.plus != 0 || interval.minus != 0 ||
      interval.value != std::nearbyint(interval.value) || std::fabs(interval.value) >= kLimit) {
    message = side + " operand should be an integer \r\nwithout units and deviations";
    return false;
  }
  number = static_cast<int64_t>(interval.value);
  return true;
}

bool IntegerDivision(uint8_t code, const TValue& left, const TValue& right, TValue& result,
                     std::string& message) {
  if (!left.IsNumeric()) {
    message = "First operand should be numeric";
    return false;
  }
  if (!right.IsNumeric()) {
    message = "Second operand should be numeric";
    return false;
  }
  int64_t dividend = 0, divisor = 0;
  if (!ReadWholeOperand(left, "First", dividend, message) ||
      !ReadWholeOperand(right, "Second", divisor, message))
    return false;
  if (divisor == 0) {
    message = "Division by zero";
    return false;
  }
  // C++ division truncates toward zero and the remainder takes the sign of
  // the dividend, as the language wants.
  const int64_t outcome = code == ocIntDivide ? dividend / divisor : dividend % divisor;
  return WriteNumber(result, "", {static_cast<long double>(outcome), 0, 0}, message);
}

// ---------------------------------------------------------------------------
// Comparison

// The text comparison of relations: exact, byte by byte (std::string compares
// its characters as unsigned).
int CompareExactly(const std::string& a, const std::string& b) {
  const int order = a.compare(b);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

// Numbers of compatible units, compared in their common basis; false with
// the units message when the dimensions differ.
// Both numbers, when neither has a unit; deviations take no part in an order.
bool UnitlessNumbers(const TValue& left, const TValue& right, double& a, double& b) {
  double plus = 0, minus = 0;
  std::string unitA, unitB;
  try {
    DecodeNumber(left.Text(), a, plus, minus, unitA);
    if (!unitA.empty()) return false;
    DecodeNumber(right.Text(), b, plus, minus, unitB);
  } catch (const EConvertError&) {
    return false;
  }
  return unitB.empty();
}

bool SameDimensions(const TValue& left, const TValue& right, std::string& message) {
  TInterval a, b;
  std::string unitA, unitB, signatureA, signatureB;
  long double factorA = 1, factorB = 1;
  if (DecodeValue(left, a, unitA) && DecodeValue(right, b, unitB) &&
      UnitBasis(unitA, signatureA, factorA) && UnitBasis(unitB, signatureB, factorB) &&
      signatureA == signatureB)
    return true;
  message = "Incompatible operand units: " + UnitAsWritten(left) + " and " + UnitAsWritten(right);
  return false;
}

bool PlainEqual(const TValue& left, const TValue& right, bool& equal, std::string& message) {
  if (left.IsError() && right.IsError()) {
    equal = true;
    return true;
  }
  if (left.IsNumeric() && right.IsNumeric()) {
    TInterval a, b;
    std::string unitA, unitB, signatureA, signatureB;
    long double factorA = 1, factorB = 1;
    if (!DecodeValue(left, a, unitA) || !DecodeValue(right, b, unitB) ||
        !UnitBasis(unitA, signatureA, factorA) || !UnitBasis(unitB, signatureB, factorB)) {
      message = kComparisonError;
      return false;
    }
    // Deviations are compared as written, each in its own operand's unit.
    equal = signatureA == signatureB && left.Compare(right, relEqual) == 1 && a.plus == b.plus &&
            a.minus == b.minus;
    return true;
  }
  if (left.IsDateTime() && right.IsDateTime()) {
    equal = DecodeDateTime(left.Text()) == DecodeDateTime(right.Text());
    return true;
  }
  if (left.IsBoolean() && right.IsBoolean()) {
    bool a = false, b = false;
    DecodeBoolean(left.Text(), a);
    DecodeBoolean(right.Text(), b);
    equal = a == b;
    return true;
  }
  equal = left.Text() == right.Text();
  return true;
}

bool Equal(const TValue& left, const TValue& right, bool& equal, std::string& message, int depth) {
  if (depth > kMaxComparisonDepth) {
    message = "Expression is too deeply nested";
    return false;
  }
  if (left.Kind() != right.Kind()) {
    equal = false;
    return true;
  }
  switch (left.Kind()) {
  case vkPlain:
    return PlainEqual(left, right, equal, message);
  case vkArray: {
    // An array keeps no text of its own here, so its items decide.
    equal = left.ItemCount() == right.ItemCount();
    for (int i = 0; equal && i < left.ItemCount(); ++i) {
      if (!Equal(left.GetItem(i), right.GetItem(i), equal, message, depth + 1)) {
        if (message != "Expression is too deeply nested") message = kComparisonError;
        return false;
      }
    }
    return true;
  }
  default:
    equal = left.Text() == right.Text();
    return true;
  }
}

bool Relation(uint8_t code, const TValue& left, const TValue& right, TValue& result,
              std::string& message) {
  if (!left.IsPlain() || !right.IsPlain()) {
    message = "Both operands should be plain values";
    return false;
  }
  bool holds = Holds(CompareExactly(left.Text(), right.Text()), 0, code);
  if (left.IsError() && right.IsError()) {
    holds = false;
  } else if (left.IsNumeric() && right.IsNumeric()) {
    double a = 0, b = 0;
    if (UnitlessNumbers(left, right, a, b)) {
      // Nothing to convert (the common case of a query's condition): the
      // numbers compare as they are, as the unit checks below would find.
      holds = Holds(a, b, code);
    } else {
      if (!SameDimensions(left, right, message)) return false;
      // Compare takes the products of number and factor at 15 digits, so
      // that 0.1 [km] and 100 [m] are one length.
      const int outcome = left.Compare(right, static_cast<TRelation>(code));
      if (outcome < 0) {
        message = kComparisonError;
        return false;
      }
      holds = outcome == 1;
    }
  } else if (left.IsDateTime() && right.IsDateTime()) {
    holds = Holds(DecodeDateTime(left.Text()), DecodeDateTime(right.Text()), code);
  } else if (left.IsBoolean() && right.IsBoolean()) {
    bool a = false, b = false;
    DecodeBoolean(left.Text(), a);
    DecodeBoolean(right.Text(), b);
    holds = Holds<int>(a, b, code);
  }
  result.SetBoolean(holds);
  return true;
}

bool Membership(const TValue& element, const TValue& collection, TValue& result,
                std::string& message) {
  bool found = false;
  if (collection.IsArray()) {
    for (int i = 0; !found && i < collection.ItemCount(); ++i)
      if (!ValuesEqual(element, collection.GetItem(i), found, message)) return false;
  } else if (collection.IsPlain()) {
    if (!ValuesEqual(element, collection, found, message)) return false;
  } else {
    message = kInvalidOperand;
    return false;
  }
  result.SetBoolean(found);
  return true;
}

// ---------------------------------------------------------------------------
// Strings, booleans, arrays

bool Concatenate(const TValue& left, const TValue& right, TValue& result, std::string& message) {
  const auto join = [](const TValue& a, const TValue& b, TValue& item, std::string&) {
    item.SetPlain(a.Text() + b.Text());
    return true;
  };
  if (left.IsPlain() && right.IsPlain()) return join(left, right, result, message);
  if (left.IsArray() && right.IsArray()) {
    return DistributeBinary(
        left, right,
        [&](const TValue& a, const TValue& b, TValue& item, std::string& why) {
          if (a.IsPlain() && b.IsPlain()) return join(a, b, item, why);
          why = "Both operands should be plain values";
          return false;
        },
        result, message);
  }
  if (left.IsArray() || right.IsArray()) {
    const bool arrayLeft = left.IsArray();
    if (!(arrayLeft ? right : left).IsPlain()) {
      message = arrayLeft ? "Second operand should be a plain value"
                          : "First operand should be a plain value";
      return false;
    }
    return DistributeBinary(
        left, right,
        [&](const TValue& a, const TValue& b, TValue& item, std::string& why) {
          if (a.IsPlain() && b.IsPlain()) return join(a, b, item, why);
          why = "Item should be a plain value";
          return false;
        },
        result, message);
  }
  message = kInvalidOperand;
  return false;
}

// A truth value: a number without unit and deviations (true above 0), null
// (false) or a boolean word.
bool ReadTruth(const TValue& value, bool& flag) {
  if (!value.IsPlain()) return false;
  if (value.IsNull()) {
    flag = false;
    return true;
  }
  TInterval interval;
  std::string unit;
  if (DecodeValue(value, interval, unit)) {
    flag = interval.value > 0;
    return unit.empty() && interval.plus == 0 && interval.minus == 0;
  }
  return value.IsBoolean() && DecodeBoolean(value.Text(), flag);
}

bool Logic(uint8_t code, const TValue& left, const TValue& right, TValue& result,
           std::string& message) {
  bool a = false, b = false;
  if (!ReadTruth(left, a)) {
    message = "First operand isn't Boolean";
    return false;
  }
  if (!ReadTruth(right, b)) {
    message = "Second operand isn't Boolean";
    return false;
  }
  result.SetBoolean(code == ocAnd ? a && b : a || b);
  return true;
}

bool Negate(const TValue& operand, TValue& result, std::string& message) {
  TInterval interval;
  std::string unit;
  if (!DecodeValue(operand, interval, unit)) {
    message = "Operand should be numeric";
    return false;
  }
  const TInterval negated{-interval.value, interval.minus, interval.plus};
  return WriteNumber(result, unit, negated, message);
}

bool Not(const TValue& operand, TValue& result, std::string& message) {
  bool flag = false;
  if (!ReadTruth(operand, flag)) {
    message = "First operand isn't Boolean";
    return false;
  }
  result.SetBoolean(!flag);
  return true;
}

bool ArrayItem(const TValue& array, const TValue& index, TValue& result, std::string& message) {
  if (!array.IsArray()) {
    message = "First operand should be an array";
    return false;
  }
  TInterval position;
  std::string unit;
  if (!DecodeValue(index, position, unit)) {
    message = "Second operand should be numeric";
    return false;
  }
  if (!unit.empty() || position.plus != 0 || position.minus != 0 ||
      position.value != std::nearbyint(position.value)) {
    message = "Index should be integer without units";
    return false;
  }
  if (position.value < 0 || position.value >= array.ItemCount()) {
    message = "Index out of range";
    return false;
  }
  result.Assign(array.GetItem(static_cast<int>(position.value)));
  return true;
}

} // namespace

bool DistributeUnary(const TValue& operand, const TUnaryRule& rule, TValue& result,
                     std::string& message) {
  if (!operand.IsArray()) return rule(operand, result, message);
  result.SetArray();
  for (int i = 0; i < operand.ItemCount(); ++i) {
    TValue::Ptr item = TValue::Create("TProcessor.Distribute");
    std::string why;
    if (!rule(operand.GetItem(i), *item, why)) item->SetError(why);
    result.AddItem(std::move(item));
  }
  return true;
}

bool DistributeBinary(const TValue& left, const TValue& right, const TBinaryRule& rule,
                      TValue& result, std::string& message) {
  if (left.IsPlain() && right.IsPlain()) return rule(left, right, result, message);
  if (!left.IsArray() && !right.IsArray()) {
    message = kInvalidOperand;
    return false;
  }
  const int count = left.IsArray() && right.IsArray()
                        ? std::min(left.ItemCount(), right.ItemCount())
                        : (left.IsArray() ? left : right).ItemCount();
  result.SetArray();
  for (int i = 0; i < count; ++i) {
    const TValue& a = left.IsArray() ? left.GetItem(i) : left;
    const TValue& b = right.IsArray() ? right.GetItem(i) : right;
    TValue::Ptr item = TValue::Create("TProcessor.Distribute");
    std::string why;
    if (!rule(a, b, *item, why)) item->SetError(why);
    result.AddItem(std::move(item));
  }
  return true;
}

bool ApplyUnaryOperation(uint8_t code, const TValue& operand, TValue& result,
                         std::string& message) {
  switch (code) {
  case ocNegate:
    return DistributeUnary(operand, Negate, result, message);
  case ocNot:
    return DistributeUnary(operand, Not, result, message);
  default:
    message = "Unknown operation code";
    return false;
  }
}

bool ApplyBinaryOperation(uint8_t code, const TValue& left, const TValue& right, TValue& result,
                          std::string& message) {
  const auto with = [code](auto operation) {
    return [code, operation](const TValue& a, const TValue& b, TValue& item, std::string& why) {
      return operation(code, a, b, item, why);
    };
  };
  switch (code) {
  case ocAdd:
  case ocSubtract:
  case ocMultiply:
  case ocDivide:
    return DistributeBinary(left, right, with(Arithmetic), result, message);
  case ocIntDivide:
  case ocRemainder:
    return DistributeBinary(left, right, with(IntegerDivision), result, message);
  case ocLess:
  case ocGreater:
  case ocLessEqual:
  case ocGreaterEqual:
    return DistributeBinary(left, right, with(Relation), result, message);
  case ocAnd:
  case ocOr:
    return DistributeBinary(left, right, with(Logic), result, message);
  case ocEqual:
  case ocNotEqual: {
    bool equal = false;
    if (!ValuesEqual(left, right, equal, message)) return false;
    result.SetBoolean(code == ocEqual ? equal : !equal);
    return true;
  }
  case ocConcat:
    return Concatenate(left, right, result, message);
  case ocArrayItem:
    return ArrayItem(left, right, result, message);
  case ocIn:
    return Membership(left, right, result, message);
  default:
    message = "Unknown operation code";
    return false;
  }
}

bool ValuesEqual(const TValue& left, const TValue& right, bool& equal, std::string& message) {
  equal = false;
  return Equal(left, right, equal, message, 0);
}

} // namespace vandro
