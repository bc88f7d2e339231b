// Numbers as text: always "." as the decimal point, whatever the locale.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vandro {

// A text that does not convert to a number, or a number that has no text
// (NaN, infinity). Not shown to the user by itself: callers turn it into their
// own message or error value.
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// General format with up to 15 significant digits: fixed notation for
// exponents from -5 to 14, otherwise "d.dddE+x" / "d.dddE-x" (a signed
// exponent, so the text reads back as a number literal in formulas).
// Raises EConvertError for NaN and infinity.
std::string FloatToText(long double value);

// The text windows, listings and files show for a number: FloatToText, or
// `none` for NaN and infinity, which have no text. Grids and listings show
// "n/a"; an edit field starts empty (""), a file that must read back writes
// "0".
std::string ShownNumber(long double value, std::string_view none = "n/a");
// A flag as grids and listings show it: "Yes" or "No".
std::string ShownYesNo(bool value);

// Blanks around the number are allowed; then an optional sign, digits with
// an optional "." and fraction (at least one digit), an optional exponent.
// Returns false for anything else and for numbers outside the double range.
bool TextToFloat(std::string_view text, double& value);

// Blanks around, optional sign, decimal digits, within 64 bits.
bool TextToInt(std::string_view text, int64_t& value);

// The same, raising EConvertError with a message naming the text.
double StrToFloat(std::string_view text);
int64_t StrToInt(std::string_view text);

} // namespace vandro
