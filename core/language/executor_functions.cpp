#include "language/executor_functions.h"

#include "shell/text.h"

#include <array>

namespace vandro {

namespace {

constexpr uint8_t kAny = kAnyArgumentCount;

constexpr auto kSignatures = std::to_array<TFunctionSignature>({
    {"SETUNITS", 1, 2, 2, false},
    {"COMPAREUNITS", 2, 2, 2, false},
    {"GETUNITS", 3, 1, 1, false},
    {"GETNUMBER", 4, 1, 1, false},
    {"SIGN", 5, 1, 1, false},
    {"ABS", 6, 1, 1, false},
    {"ROUND", 7, 1, 2, false},
    {"TRUNC", 8, 1, 1, false},
    {"EXP", 9, 1, 1, false},
    {"LN", 10, 1, 1, false},
    {"POWER", 11, 2, 2, false},
    {"RPOWER", 12, 3, 3, false},
    {"LOGN", 13, 2, 2, false},
    {"SIN", 14, 1, 1, false},
    {"COS", 15, 1, 1, false},
    {"TAN", 16, 1, 1, false},
    {"COTAN", 17, 1, 1, false},
    {"ARCSIN", 18, 1, 1, false},
    {"ARCCOS", 19, 1, 1, false},
    {"ARCTAN", 20, 1, 1, false},
    {"SINH", 21, 1, 1, false},
    {"COSH", 22, 1, 1, false},
    {"TANH", 23, 1, 1, false},
    {"SQRT", 24, 1, 1, false},
    {"PI", 25, 0, 0, true},
    {"ISNULL", 26, 1, 1, false},
    {"ISNUMERIC", 27, 1, 1, false},
    {"ISINTEGER", 28, 1, 1, false},
    {"ISREAL", 29, 1, 1, false},
    {"ISDATETIME", 30, 1, 1, false},
    {"ISBOOLEAN", 31, 1, 1, false},
    {"ISERROR", 32, 1, 1, false},
    {"ISTEXT", 33, 1, 1, false},
    {"ISSTRING", 34, 1, 1, false},
    {"ISCALCULATED", 35, 1, 1, false},
    {"ISPROCEDURE", 36, 1, 1, false},
    {"ISFUNCTION", 37, 1, 1, false},
    {"ISQUERY", 38, 1, 1, false},
    {"ISFORMULA", 39, 1, 1, false},
    {"ISAUTOFORMULA", 40, 1, 1, false},
    {"ISLINK", 41, 1, 1, false},
    {"ISOBJECT", 42, 1, 1, false},
    {"ISARRAY", 43, 1, 1, false},
    {"ISIDENTIFIER", 44, 1, 1, false},
    {"ISPARAMETER", 45, 1, 1, false},
    {"ISUNIT", 46, 1, 1, false},
    {"IFF", 47, 3, 3, false},
    {"NOW", 48, 0, 0, true},
    {"ORIGIN", 49, 0, 0, true},
    {"DATE", 50, 1, 1, false},
    {"TIME", 51, 1, 1, false},
    {"DAY", 52, 1, 1, false},
    {"MONTH", 53, 1, 1, false},
    {"YEAR", 54, 1, 1, false},
    {"HOURS", 55, 1, 1, false},
    {"MINUTES", 56, 1, 1, false},
    {"SECONDS", 57, 1, 1, false},
    {"INCYEAR", 58, 2, 2, false},
    {"INCMONTH", 59, 2, 2, false},
    {"INCDAY", 60, 2, 2, false},
    {"INCHOURS", 61, 2, 2, false},
    {"INCMINUTES", 62, 2, 2, false},
    {"INCSECONDS", 63, 2, 2, false},
    {"LEN", 64, 1, 1, false},
    {"SUBSTR", 65, 2, 3, false},
    {"UPPER", 66, 1, 1, false},
    {"LOWER", 67, 1, 1, false},
    {"AT", 68, 2, 2, false},
    {"TRIM", 69, 1, 1, false},
    {"LTRIM", 70, 1, 1, false},
    {"RTRIM", 71, 1, 1, false},
    {"LINECOUNT", 72, 1, 1, false},
    {"ADDLINES", 73, 2, 2, false},
    {"DELETELINES", 74, 2, 2, false},
    {"INSERTLINES", 75, 2, 2, false},
    {"OBJECT", 76, 1, 1, false},
    {"ACTUALSTATE", 77, 0, 3, true},
    {"CONTENTOF", 83, 1, 1, false},
    {"HISTORYOF", 84, 1, kAny, false},
    {"SUM", 85, 1, kAny, false},
    {"MEAN", 86, 1, kAny, false},
    {"MAX", 87, 1, kAny, false},
    {"MIN", 88, 1, kAny, false},
    {"COUNT", 89, 1, kAny, false},
    {"EXECUTE", 91, 1, 1, false},
    {"GLOBALVAR", 94, 1, 1, false},
    {"SWITCH", 95, 3, kAny, false},
});

} // namespace

std::span<const TFunctionSignature> FunctionSignatures() {
  return kSignatures;
}

const TFunctionSignature* FindFunctionSignature(std::string_view name) {
  for (const TFunctionSignature& signature : kSignatures)
    if (SameText(signature.name, name)) return &signature;
  return nullptr;
}

} // namespace vandro
