// Number texts shared by the statistics results.
#pragma once

#include <string>

namespace vandro {

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

} // namespace vandro
