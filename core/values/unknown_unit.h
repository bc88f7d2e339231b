// Values whose unit the catalogue does not know.
//
// A text that reads as a number but for its unit ("5 [parsec]") is not a
// number: it is kept as the plain text it is, and arithmetic and statistics
// treat it as text. Nothing is refused; the user is told once, where the
// value is entered (the command line, the import, the windows' value checks),
// so that a mistyped unit is not found only later as an "n/a".
#pragma once

#include <string>
#include <string_view>

namespace vandro {

class TValue;

// The unit of a text that would be a number text if the active catalogue
// knew that unit, as written between the brackets ("parsec"); empty for any
// other text, numbers with known units included.
std::string UnknownUnitOf(std::string_view text);

// "Unknown unit " + unit + ": the value is kept as text".
std::string UnknownUnitMessage(std::string_view unit);

// Shows prefix + UnknownUnitMessage when value is a plain value with an
// unknown unit; returns whether it did.
bool WarnOfUnknownUnit(const TValue& value, std::string_view prefix = {});

} // namespace vandro
