// The operations of the project language on values, without the stack.
//
// These are the typed semantics the processor (processor.h) gives the
// language: numbers are read with their deviations and units, converted into
// basic units and checked for compatibility; intervals ("fuzzy" numbers) are
// carried through arithmetic by their bounds; dates take part in addition and
// subtraction; booleans and strings have rules of their own; arrays apply an
// operation item by item. Nothing here raises: an operation returns false and
// the reason, which the processor turns into an error value.
//
// They are free functions so that the standard functions can reuse them: SUM
// adds with the processor's addition, MAX and MIN order with its relations,
// SWITCH matches with its "=", and the one- and two-argument functions
// distribute over arrays exactly as the operators do.
#pragma once

#include "values/value.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vandro {

// Operation codes. The executor emits them and they are fixed: the numbers
// must not change. 9..14 are the relation codes of TRelation.
enum TOperationCode : uint8_t {
  ocNone = 0, // pushes an empty value and leaves the operands where they are
  ocNegate = 1,
  ocAdd = 2,
  ocSubtract = 3,
  ocMultiply = 4,
  ocDivide = 5,
  ocIntDivide = 6, // "DIV", "/:"
  ocRemainder = 7, // "MOD", "%"
  ocFunction = 8,  // a standard function; its code is the processor's function code
  ocEqual = 9,
  ocLess = 10,
  ocGreater = 11,
  ocLessEqual = 12,
  ocGreaterEqual = 13,
  ocNotEqual = 14,
  ocConcat = 15, // "&&"
  ocAnd = 16,
  ocNot = 17,
  ocOr = 18,
  ocGetParam = 19,  // "object.parameter"
  ocArrayItem = 20, // "array[index]"
  // "x IN a": True when the array a has an item equal to x by "=", or when a
  // is plain and equal to x. Any other right operand is an invalid operand.
  ocIn = 21,
};

// A computation on one value or a pair of plain values. Fills result and
// returns true, or returns false with the reason in message. Here and below,
// result is a value of its own, never one of the operands.
using TUnaryRule = std::function<bool(const TValue& operand, TValue& result, std::string& message)>;
using TBinaryRule = std::function<bool(const TValue& left, const TValue& right, TValue& result,
                                       std::string& message)>;

// Array distribution for one operand: an array gives an array with the rule
// applied to each item; any other value goes to the rule as it is. An item
// whose computation fails becomes an error value and the whole succeeds.
bool DistributeUnary(const TValue& operand, const TUnaryRule& rule, TValue& result,
                     std::string& message);

// Array distribution for two operands: two plain values go to the rule once.
// Otherwise at least one must be an array ("Invalid operand"): two arrays give
// an array as long as the shorter one, pairing items by position; one array
// gives one item per array item, paired with the other operand. An item whose
// computation fails becomes an error value and the whole succeeds. The items
// go to the rule as they are (nested arrays are not distributed further), so
// the rule checks their kinds.
bool DistributeBinary(const TValue& left, const TValue& right, const TBinaryRule& rule,
                      TValue& result, std::string& message);

// Runs operation ocNegate or ocNot on a value, with array distribution.
bool ApplyUnaryOperation(uint8_t code, const TValue& operand, TValue& result, std::string& message);

// Runs a two-operand operation (ocAdd..ocRemainder, ocEqual..ocAnd, ocOr,
// ocArrayItem, ocIn) on left and right, with array distribution where the
// operation has it. Any other code fails with "Unknown operation code".
bool ApplyBinaryOperation(uint8_t code, const TValue& left, const TValue& right, TValue& result,
                          std::string& message);

// The language's "=" on whole values, arrays included (not TValue::Equals,
// which matches without regard to case). False with the reason in message
// when the comparison itself fails.
bool ValuesEqual(const TValue& left, const TValue& right, bool& equal, std::string& message);

} // namespace vandro
