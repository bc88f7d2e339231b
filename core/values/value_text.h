// The text grammars of plain values and the display text of any value.
//
// Number text:  number [ "±" (d | "(" plus ";" minus ")") ] [ "[" unit "]" ]
//   e.g. "12.5", "12.5 ±0.3 [kg]", "7 ±(0.5;1) [M/S]". The deviation sign is
//   byte 0xB1; a decimal comma reads as a point; the unit "NONE" means none.
// Date-time text: "d.m.yyyy" (European) or "m/d/yyyy" (US), optionally
//   followed by " h:mm" or " h:mm:ss".
// Booleans: YES/NO, TRUE/FALSE, Y/N, T/F, +/- and their Russian words.
//
// Packed form of one value (lengths big-endian, 16 bits):
//   2 bytes  total length L including this 3-byte header
//   1 byte   kind code (0 plain, 1 object, 2 array, 3 link, 4 calculated)
//   L - 3    the text; for an array, 2 bytes item count then the items
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vandro {

class TValue;

inline constexpr char kDeviationSign = '\xB1';

enum class TNumberCheck { Numeric, Integer, Real };

// The number check behind IsNumeric / IsInteger / IsReal (never raises).
bool IsNumberText(std::string_view text, TNumberCheck mode);

// Reads a number text. unit comes back upper-cased, or empty when absent or
// "NONE". Raises EConvertError when a part does not convert or the unit is
// not a unit expression.
void DecodeNumber(std::string_view text, double& number, double& plusDeviation,
                  double& minusDeviation, std::string& unit);

// The number writer: 15 significant digits, " ±d" or " ±(plus;minus)" when a
// deviation is above 0, " [unit]" when a unit is given. Raises EConvertError
// for NaN and infinity.
std::string NumberText(std::string_view unit, double minusDeviation, double plusDeviation,
                       double number);

// The date-time check. The style is fixed by the text's own separator and
// the date-style setting is not touched.
bool IsDateTimeText(std::string_view text);

// Reads a date-time in the current style, else in the other one; 0 when
// neither reads.
double DecodeDateTime(std::string_view text);

bool IsBooleanText(std::string_view text);
// Sets flag for the true words and "1", clears it for the false words and
// "0", leaves it unchanged otherwise. Returns whether the text was a word.
bool DecodeBoolean(std::string_view text, bool& flag);

// First character a letter ("_", A-Z, Cyrillic capitals after upper-casing),
// the rest letters or digits; the empty text counts as a name.
bool IsName(std::string_view text);

// Names of objects and records for display texts: the open project supplies
// them from its database.
class TValueNames {
public:
  virtual ~TValueNames() = default;
  virtual std::string ObjectName(int32_t id) const = 0;
  virtual std::string RecordName(int32_t id) const = 0;
};

// Installs the name source (nullptr: names are shown empty); returns the
// previous one.
const TValueNames* SetValueNames(const TValueNames* names);

// The short text of a value for grids, messages and series labels; a missing
// value (nullptr) displays as "NULL".
std::string ToDisplayText(const TValue* value);

} // namespace vandro
