// The standard functions of the project language.
//
// A call such as ROUND(x, 2) reaches the processor as operation 8 with the
// function's code: the executor pushes a marker value holding the function's
// name, then the arguments left to right, sets the function code and runs the
// operation. The table installed here pops the arguments, checks them and
// computes the result; the processor clears what is left down to the marker.
//
// Nothing here raises. A function that cannot compute its result fails with a
// message, which the processor turns into an error value. The one- and
// two-argument functions apply themselves item by item to an array argument,
// as the operators do; an item that fails becomes an error item and the call
// succeeds.
//
// Setup: call InstallStandardFunctions() once when the program starts (before
// any formula runs). Tests that want the table only for their own duration
// install StandardFunctions() with SetStandardFunctionTable and restore the
// previous table afterwards.
//
// The list of functions (FindStdFunction, StdFunctions) is the whole
// language, as the lexer knows it. The functions that walk stored objects and
// their states (OBJECT, ACTUALSTATE, CONTENTOF, HISTORYOF, EXECUTE, ORIGIN)
// read the open project's histories and see the processor's records.
#pragma once

#include "language/processor.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vandro {

// The codes are stored and compared as numbers: they must not change.
enum TStdFunctionCode : uint8_t {
  sfSetUnits = 1,
  sfCompareUnits = 2,
  sfGetUnits = 3,
  sfGetNumber = 4,
  sfSign = 5,
  sfAbs = 6,
  sfRound = 7,
  sfTrunc = 8,
  sfExp = 9,
  sfLn = 10,
  sfPower = 11,
  sfRPower = 12,
  sfLogN = 13,
  sfSin = 14,
  sfCos = 15,
  sfTan = 16,
  sfCotan = 17,
  sfArcSin = 18,
  sfArcCos = 19,
  sfArcTan = 20,
  sfSinh = 21,
  sfCosh = 22,
  sfTanh = 23,
  sfSqrt = 24,
  sfPi = 25,
  sfIsNull = 26,
  sfIsNumeric = 27,
  sfIsInteger = 28,
  sfIsReal = 29,
  sfIsDateTime = 30,
  sfIsBoolean = 31,
  sfIsError = 32,
  sfIsText = 33,
  sfIsString = 34,
  sfIsCalculated = 35,
  sfIsProcedure = 36,
  sfIsFunction = 37,
  sfIsQuery = 38,
  sfIsFormula = 39,
  sfIsAutoFormula = 40,
  sfIsLink = 41,
  sfIsObject = 42,
  sfIsArray = 43,
  sfIsIdentifier = 44,
  sfIsParameter = 45,
  sfIsUnit = 46,
  sfIff = 47,
  sfNow = 48,
  sfOrigin = 49,
  sfDate = 50,
  sfTime = 51,
  sfDay = 52,
  sfMonth = 53,
  sfYear = 54,
  sfHours = 55,
  sfMinutes = 56,
  sfSeconds = 57,
  sfIncYear = 58,
  sfIncMonth = 59,
  sfIncDay = 60,
  sfIncHours = 61,
  sfIncMinutes = 62,
  sfIncSeconds = 63,
  sfLen = 64,
  sfSubstr = 65,
  sfUpper = 66,
  sfLower = 67,
  sfAt = 68,
  sfTrim = 69,
  sfLTrim = 70,
  sfRTrim = 71,
  sfLineCount = 72,
  sfAddLines = 73,
  sfDeleteLines = 74,
  sfInsertLines = 75,
  sfObject = 76,
  sfActualState = 77,
  sfContentOf = 83,
  sfHistoryOf = 84,
  sfSum = 85,
  sfMean = 86,
  sfMax = 87,
  sfMin = 88,
  sfCount = 89,
  sfExecute = 91,
  sfGlobalVar = 94,
  sfSwitch = 95,
};

// maxArgs for the functions that take any number of arguments.
inline constexpr int kAnyArgCount = -1;

struct TStdFunctionInfo {
  uint8_t code;
  std::string_view name; // upper case, as the lexer's table spells it
  int minArgs;
  int maxArgs;          // kAnyArgCount: no upper limit
  bool withoutBrackets; // the call may be written without "(" (PI, NOW ...)
};

// Every function of the language, in code order.
std::span<const TStdFunctionInfo> StdFunctions();

// The function of that (upper-case) name, or nullptr. The executor checks a
// call's argument count against it.
const TStdFunctionInfo* FindStdFunction(std::string_view upperName);
const TStdFunctionInfo* FindStdFunction(uint8_t code);

// The table behind operation 8.
TStandardFunctionTable& StandardFunctions();

// Installs StandardFunctions() as the processor's table. Calling it again
// changes nothing.
void InstallStandardFunctions();

} // namespace vandro
