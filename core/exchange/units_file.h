// The unit file: one user-defined unit per line, written by the units export
// and read by the unit import.
//
//   name SEP short name SEP category SEP 1|0 SEP coefficient SEP offset SEP
//   formula SEP 'description' CR LF
//
// Numbers are written with "." and up to 15 significant digits. The file is
// written in UTF-8 and read as any imported text (UTF-8 or code page 1251).
#pragma once

#include "exchange/text_lines.h"
#include "values/units.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vandro {

// One line of the file, without its line end.
std::string UnitFileLine(const TUnit& unit, std::string_view separator);

struct TUnitImportResult {
  int64_t Imported = 0;
  std::string Summary; // n + " units successfuly imported": the caller shows it
};

// Adds the units of the lines to the open project (not generic), then
// reloads and normalises its units. A line that cannot be taken is reported
// ("Can't import unit", "Unit name already exists: " ...) and skipped.
void ImportUnits(TLineSource& source, std::string_view separator, TUnitImportResult& result);
// The same from a file; false after "Can't open file " + path.
bool ImportUnitsFromFile(const std::string& path, std::string_view separator,
                         TUnitImportResult& result);

// Writes every user-defined unit of the open project, in its order, to path.
// Returns the number written, or -1 after a message when the file cannot be
// written; summary receives n + " units exported".
int64_t ExportUnits(const std::string& path, std::string_view separator, std::string& summary);

} // namespace vandro
