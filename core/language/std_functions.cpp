#include "language/std_functions.h"

#include "language/processor_operations.h"
#include "language/std_functions_support.h"

#include <array>
#include <exception>
#include <string>
#include <vector>

namespace vandro {

namespace {

using namespace stdfn;

constexpr int kAny = kAnyArgCount;

constexpr TStdFunctionInfo kFunctions[] = {
    {sfSetUnits, "SETUNITS", 2, 2, false},
    {sfCompareUnits, "COMPAREUNITS", 2, 2, false},
    {sfGetUnits, "GETUNITS", 1, 1, false},
    {sfGetNumber, "GETNUMBER", 1, 1, false},
    {sfSign, "SIGN", 1, 1, false},
    {sfAbs, "ABS", 1, 1, false},
    {sfRound, "ROUND", 1, 2, false},
    {sfTrunc, "TRUNC", 1, 1, false},
    {sfExp, "EXP", 1, 1, false},
    {sfLn, "LN", 1, 1, false},
    {sfPower, "POWER", 2, 2, false},
    {sfRPower, "RPOWER", 3, 3, false},
    {sfLogN, "LOGN", 2, 2, false},
    {sfSin, "SIN", 1, 1, false},
    {sfCos, "COS", 1, 1, false},
    {sfTan, "TAN", 1, 1, false},
    {sfCotan, "COTAN", 1, 1, false},
    {sfArcSin, "ARCSIN", 1, 1, false},
    {sfArcCos, "ARCCOS", 1, 1, false},
    {sfArcTan, "ARCTAN", 1, 1, false},
    {sfSinh, "SINH", 1, 1, false},
    {sfCosh, "COSH", 1, 1, false},
    {sfTanh, "TANH", 1, 1, false},
    {sfSqrt, "SQRT", 1, 1, false},
    {sfPi, "PI", 0, 0, true},
    {sfIsNull, "ISNULL", 1, 1, false},
    {sfIsNumeric, "ISNUMERIC", 1, 1, false},
    {sfIsInteger, "ISINTEGER", 1, 1, false},
    {sfIsReal, "ISREAL", 1, 1, false},
    {sfIsDateTime, "ISDATETIME", 1, 1, false},
    {sfIsBoolean, "ISBOOLEAN", 1, 1, false},
    {sfIsError, "ISERROR", 1, 1, false},
    {sfIsText, "ISTEXT", 1, 1, false},
    {sfIsString, "ISSTRING", 1, 1, false},
    {sfIsCalculated, "ISCALCULATED", 1, 1, false},
    {sfIsProcedure, "ISPROCEDURE", 1, 1, false},
    {sfIsFunction, "ISFUNCTION", 1, 1, false},
    {sfIsQuery, "ISQUERY", 1, 1, false},
    {sfIsFormula, "ISFORMULA", 1, 1, false},
    {sfIsAutoFormula, "ISAUTOFORMULA", 1, 1, false},
    {sfIsLink, "ISLINK", 1, 1, false},
    {sfIsObject, "ISOBJECT", 1, 1, false},
    {sfIsArray, "ISARRAY", 1, 1, false},
    {sfIsIdentifier, "ISIDENTIFIER", 1, 1, false},
    {sfIsParameter, "ISPARAMETER", 1, 1, false},
    {sfIsUnit, "ISUNIT", 1, 1, false},
    {sfIff, "IFF", 3, 3, false},
    {sfNow, "NOW", 0, 0, true},
    {sfOrigin, "ORIGIN", 0, 0, true},
    {sfDate, "DATE", 1, 1, false},
    {sfTime, "TIME", 1, 1, false},
    {sfDay, "DAY", 1, 1, false},
    {sfMonth, "MONTH", 1, 1, false},
    {sfYear, "YEAR", 1, 1, false},
    {sfHours, "HOURS", 1, 1, false},
    {sfMinutes, "MINUTES", 1, 1, false},
    {sfSeconds, "SECONDS", 1, 1, false},
    {sfIncYear, "INCYEAR", 2, 2, false},
    {sfIncMonth, "INCMONTH", 2, 2, false},
    {sfIncDay, "INCDAY", 2, 2, false},
    {sfIncHours, "INCHOURS", 2, 2, false},
    {sfIncMinutes, "INCMINUTES", 2, 2, false},
    {sfIncSeconds, "INCSECONDS", 2, 2, false},
    {sfLen, "LEN", 1, 1, false},
    {sfSubstr, "SUBSTR", 2, 3, false},
    {sfUpper, "UPPER", 1, 1, false},
    {sfLower, "LOWER", 1, 1, false},
    {sfAt, "AT", 2, 2, false},
    {sfTrim, "TRIM", 1, 1, false},
    {sfLTrim, "LTRIM", 1, 1, false},
    {sfRTrim, "RTRIM", 1, 1, false},
    {sfLineCount, "LINECOUNT", 1, 1, false},
    {sfAddLines, "ADDLINES", 2, 2, false},
    {sfDeleteLines, "DELETELINES", 2, 2, false},
    {sfInsertLines, "INSERTLINES", 2, 2, false},
    {sfObject, "OBJECT", 1, 1, false},
    {sfActualState, "ACTUALSTATE", 0, 3, true},
    {sfContentOf, "CONTENTOF", 1, 1, false},
    {sfHistoryOf, "HISTORYOF", 1, kAny, false},
    {sfSum, "SUM", 1, kAny, false},
    {sfMean, "MEAN", 1, kAny, false},
    {sfMax, "MAX", 1, kAny, false},
    {sfMin, "MIN", 1, kAny, false},
    {sfCount, "COUNT", 1, kAny, false},
    {sfExecute, "EXECUTE", 1, 1, false},
    {sfGlobalVar, "GLOBALVAR", 1, 1, false},
    {sfSwitch, "SWITCH", 3, kAny, false},
};

// What a one-argument function accepts before it runs ("Invalid parameter
// type" otherwise). Functions of more arguments check their own.
enum class TAccepts : uint8_t {
  Unchecked,
  Anything,
  NumberOrArray,
  DateOrArray,
  PlainOrArray,
  StringOrArray, // a single-line string
};

// How an array first argument is taken: whole, or item by item (with the
// second argument paired item by item when it is an array too).
enum class TTakes : uint8_t { Whole, ItemByItem };

struct TImplementation {
  uint8_t code;
  TFunction function;
  TAccepts accepts;
  TTakes takes;
  bool raw = false;                      // sees a calculated argument as it is, unevaluated
  TRecordFunction withRecords = nullptr; // runs in place of function
};

template <uint8_t Code>
bool TranscendentalOf(const TArgs& args, TValue& result, std::string& message) {
  return Transcendental(Code, *args[0], result, message);
}
template <uint8_t Code> bool TypeTestOf(const TArgs& args, TValue& result, std::string& message) {
  return TypeTest(Code, *args[0], result, message);
}
template <uint8_t Code> bool DatePartOf(const TArgs& args, TValue& result, std::string& message) {
  return DatePart(Code, *args[0], result, message);
}
template <uint8_t Code> bool IncrementOf(const TArgs& args, TValue& result, std::string& message) {
  return Increment(Code, args, result, message);
}
template <uint8_t Code> bool ChangeTextOf(const TArgs& args, TValue& result, std::string& message) {
  return ChangeText(Code, *args[0], result, message);
}
template <uint8_t Code> bool AggregateOf(const TArgs& args, TValue& result, std::string& message) {
  return Aggregate(Code, args, result, message);
}

constexpr auto W = TTakes::Whole;
constexpr auto I = TTakes::ItemByItem;

template <uint8_t Code> constexpr TImplementation Math() {
  return {Code, TranscendentalOf<Code>, TAccepts::NumberOrArray, I};
}
template <uint8_t Code> constexpr TImplementation Test(bool raw = false) {
  return {Code, TypeTestOf<Code>, TAccepts::Anything, W, raw};
}
template <uint8_t Code> constexpr TImplementation Part() {
  return {Code, DatePartOf<Code>, TAccepts::DateOrArray, I};
}
template <uint8_t Code> constexpr TImplementation Inc() {
  return {Code, IncrementOf<Code>, TAccepts::Unchecked, W};
}
template <uint8_t Code> constexpr TImplementation Change() {
  return {Code, ChangeTextOf<Code>, TAccepts::PlainOrArray, I};
}
template <uint8_t Code> constexpr TImplementation Sum() {
  return {Code, AggregateOf<Code>, TAccepts::Unchecked, W};
}

constexpr TImplementation kImplementations[] = {
    {sfSetUnits, SetUnits, TAccepts::Unchecked, I},
    {sfCompareUnits, CompareUnits, TAccepts::Unchecked, I},
    {sfGetUnits, GetUnits, TAccepts::NumberOrArray, I},
    {sfGetNumber, GetNumber, TAccepts::NumberOrArray, I},
    {sfSign, Sign, TAccepts::NumberOrArray, I},
    {sfAbs, Abs, TAccepts::NumberOrArray, I},
    {sfRound, Round, TAccepts::Unchecked, I},
    {sfTrunc, Trunc, TAccepts::NumberOrArray, I},
    Math<sfExp>(),
    Math<sfLn>(),
    {sfPower, Power, TAccepts::Unchecked, I},
    {sfRPower, RPower, TAccepts::Unchecked, I},
    {sfLogN, LogN, TAccepts::Unchecked, I},
    Math<sfSin>(),
    Math<sfCos>(),
    Math<sfTan>(),
    Math<sfCotan>(),
    Math<sfArcSin>(),
    Math<sfArcCos>(),
    Math<sfArcTan>(),
    Math<sfSinh>(),
    Math<sfCosh>(),
    Math<sfTanh>(),
    {sfSqrt, Sqrt, TAccepts::NumberOrArray, I},
    {sfPi, Pi, TAccepts::Unchecked, W},
    Test<sfIsNull>(),
    Test<sfIsNumeric>(),
    Test<sfIsInteger>(),
    Test<sfIsReal>(),
    Test<sfIsDateTime>(),
    Test<sfIsBoolean>(),
    Test<sfIsError>(),
    Test<sfIsText>(),
    Test<sfIsString>(),
    Test<sfIsCalculated>(true),
    Test<sfIsProcedure>(true),
    Test<sfIsFunction>(true),
    Test<sfIsQuery>(true),
    Test<sfIsFormula>(true),
    Test<sfIsAutoFormula>(true),
    Test<sfIsLink>(),
    Test<sfIsObject>(),
    Test<sfIsArray>(),
    Test<sfIsIdentifier>(),
    Test<sfIsParameter>(),
    // Unlike the other tests, ISUNIT answers for each item of an array.
    {sfIsUnit, TypeTestOf<sfIsUnit>, TAccepts::Anything, I},
    {sfIff, Iff, TAccepts::Unchecked, W},
    {sfNow, NowMoment, TAccepts::Unchecked, W},
    Part<sfDate>(),
    Part<sfTime>(),
    Part<sfDay>(),
    Part<sfMonth>(),
    Part<sfYear>(),
    Part<sfHours>(),
    Part<sfMinutes>(),
    Part<sfSeconds>(),
    Inc<sfIncYear>(),
    Inc<sfIncMonth>(),
    Inc<sfIncDay>(),
    Inc<sfIncHours>(),
    Inc<sfIncMinutes>(),
    Inc<sfIncSeconds>(),
    {sfLen, Len, TAccepts::PlainOrArray, W},
    {sfSubstr, Substr, TAccepts::Unchecked, I},
    Change<sfUpper>(),
    Change<sfLower>(),
    {sfAt, At, TAccepts::Unchecked, I},
    Change<sfTrim>(),
    Change<sfLTrim>(),
    Change<sfRTrim>(),
    {sfLineCount, LineCount, TAccepts::PlainOrArray, W},
    {sfAddLines, AddLines, TAccepts::Unchecked, W},
    {sfDeleteLines, DeleteLines, TAccepts::Unchecked, W},
    {sfInsertLines, InsertLines, TAccepts::Unchecked, W},
    Sum<sfSum>(),
    Sum<sfMean>(),
    Sum<sfMax>(),
    Sum<sfMin>(),
    Sum<sfCount>(),
    {sfGlobalVar, GlobalVar, TAccepts::StringOrArray, I},
    {sfSwitch, Switch, TAccepts::Unchecked, W},
    {sfObject, nullptr, TAccepts::Unchecked, W, false, ObjectByName},
    {sfActualState, nullptr, TAccepts::Unchecked, W, false, ActualState},
    {sfContentOf, nullptr, TAccepts::Unchecked, W, false, ContentOf},
    {sfHistoryOf, nullptr, TAccepts::Unchecked, W, false, HistoryOf},
    {sfExecute, nullptr, TAccepts::Unchecked, W, true, ExecuteText},
    {sfOrigin, nullptr, TAccepts::Unchecked, W, false, OriginMoment},
};

// Lookup by code, built once.
const TImplementation* ImplementationOf(uint8_t code) {
  static const auto byCode = [] {
    std::array<const TImplementation*, 256> table{};
    for (const TImplementation& entry : kImplementations)
      table[entry.code] = &entry;
    return table;
  }();
  return byCode[code];
}

bool Accepts(TAccepts accepts, const TValue& value) {
  switch (accepts) {
  case TAccepts::NumberOrArray:
    return value.IsArray() || value.IsNumeric();
  case TAccepts::DateOrArray:
    return value.IsArray() || value.IsDateTime();
  case TAccepts::PlainOrArray:
    return value.IsArray() || value.IsPlain();
  case TAccepts::StringOrArray:
    return value.IsArray() || value.IsString();
  default:
    return true;
  }
}

// The message for a call that stops short of the function's arguments. For
// a function of one argument the marker stands where the argument should be.
std::string MissingArgument(const TStdFunctionInfo& info, size_t given) {
  if (given == 0 && info.minArgs < 2) return "Stack error";
  static const char* const kOrdinals[] = {"First", "Second", "Third"};
  return std::string(kOrdinals[given < 3 ? given : 2]) + " parameter isn't defined";
}

// Runs the function on arguments whose first may be an array to be taken
// item by item.
bool RunItemByItem(const TImplementation& entry, const TArgs& args, TValue& result,
                   std::string& message) {
  if (!args[0]->IsArray()) return entry.function(args, result, message);
  if (args.size() == 2) {
    return DistributeBinary(
        *args[0], *args[1],
        [&](const TValue& item, const TValue& second, TValue& outcome, std::string& why) {
          return entry.function({&item, &second}, outcome, why);
        },
        result, message);
  }
  return DistributeUnary(
      *args[0],
      [&](const TValue& item, TValue& outcome, std::string& why) {
        TArgs itemArgs = args;
        itemArgs[0] = &item;
        return entry.function(itemArgs, outcome, why);
      },
      result, message);
}

// The functions that read stored histories: the layers below report a
// damaged history by raising, which becomes the call's failure.
bool RunWithRecords(const TImplementation& entry, TProcessor& processor, const TArgs& args,
                    TValue& result, std::string& message) {
  try {
    return entry.withRecords(processor, args, result, message);
  } catch (const std::exception& error) {
    message = error.what();
    return false;
  }
}

class TStandardFunctionSet final : public TStandardFunctionTable {
public:
  bool Call(TProcessor& processor, uint8_t functionCode, TValue& result,
            std::string& message) override {
    const TStdFunctionInfo* info = FindStdFunction(functionCode);
    if (!info) {
      message = "Unknown standard function code: " + std::to_string(functionCode);
      return false;
    }
    const TImplementation* entry = ImplementationOf(functionCode);
    if (!entry) {
      message = "Standard function " + std::string(info->name) + " is not available";
      return false;
    }

    size_t given = 0;
    while (processor.Peek(given) && !processor.Peek(given)->IsFuncMarker())
      ++given;
    if (!processor.Peek(given)) {
      message = given == 0 && info->minArgs > 0
                    ? "Parameter isn't defined"
                    : "Stack error: marker not found: invalid parameter number";
      return false;
    }
    if (given < static_cast<size_t>(info->minArgs)) {
      message = MissingArgument(*info, given);
      return false;
    }
    if (info->maxArgs != kAnyArgCount && given > static_cast<size_t>(info->maxArgs)) {
      message = "Too many actual parameters";
      return false;
    }

    std::vector<TValue::Ptr> popped(given);
    for (size_t i = given; i-- > 0;)
      popped[i] = entry->raw ? processor.PopRaw() : processor.Pop();
    TArgs args;
    args.reserve(given);
    for (const TValue::Ptr& value : popped)
      args.push_back(value.get());

    if (entry->accepts != TAccepts::Unchecked && !Accepts(entry->accepts, *args[0])) {
      message = kInvalidType;
      return false;
    }
    result.Clear();
    if (entry->withRecords) return RunWithRecords(*entry, processor, args, result, message);
    if (entry->takes == TTakes::ItemByItem) return RunItemByItem(*entry, args, result, message);
    return entry->function(args, result, message);
  }
};

} // namespace

std::span<const TStdFunctionInfo> StdFunctions() {
  return kFunctions;
}

const TStdFunctionInfo* FindStdFunction(std::string_view upperName) {
  for (const TStdFunctionInfo& info : kFunctions)
    if (info.name == upperName) return &info;
  return nullptr;
}

const TStdFunctionInfo* FindStdFunction(uint8_t code) {
  for (const TStdFunctionInfo& info : kFunctions)
    if (info.code == code) return &info;
  return nullptr;
}

TStandardFunctionTable& StandardFunctions() {
  static TStandardFunctionSet table;
  return table;
}

void InstallStandardFunctions() {
  SetStandardFunctionTable(&StandardFunctions());
}

} // namespace vandro
