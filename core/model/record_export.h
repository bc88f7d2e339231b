// The text forms of records and states in exports: the plain-text report of
// one state track (TStateTrack::ExportState) and the rows of a delimited
// table (TDataRecord::ExportAsTblStr) that the object import reads back.
#pragma once

#include "values/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// A value as exports write it: "@" + the object's name for a reference (a
// reference to a record names that record's object), "=" + the text for a
// calculated value, the display text for anything else.
std::string ExportValueText(const TValue& value);

// "_Object_Name", "_Real_Time" and the columns, joined by separator.
std::string ExportTableHeader(const std::vector<std::string>& columns, std::string_view separator);

} // namespace vandro
