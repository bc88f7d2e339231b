// Worksheets read as lines of text for the object import: the first
// worksheet's used region (the rows and columns between its first and last
// non-empty cells), one line per row that has a non-empty cell, the cells
// joined by tab up to the row's last non-empty one (a wide row does not
// widen the others). Rows come in the order the sheet writes them. Cells are written as their
// values read: numbers with "." and up to 15 significant digits, dates and times in the date style
// of the settings, booleans as TRUE and FALSE; tabs and line ends inside a cell become blanks,
// and a cell holding a double quote is quoted (shell/delimited_text.h).
// Lines are UTF-8.
//
// ".xls" (BIFF, Excel 97 to 2003) is read with FreeXL, ".xlsx" (Office Open
// XML) with libzip, both straight from the file. An .xlsx's worksheet and
// shared strings are read as they are unpacked, never held whole, within
// the limits below; its other parts are small and read with pugixml.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// Whether the import reads path as a spreadsheet: ".xls" or ".xlsx", any case.
bool IsSpreadsheetPath(std::string_view path);

// What an .xlsx may hold before it is refused as too large. A file within
// them reads in memory proportional to the lines it gives.
struct TSheetLimits {
  // The worksheet or the shared strings, unpacked.
  uint64_t PartBytes = uint64_t{1} << 30;
  // The cells of the lines (the empty ones between values included), and
  // the shared strings.
  uint64_t Cells = 20'000'000;
};

// Reads the file by its extension. False after "<path> is not a file",
// "The worksheet is too large: <path> (<why>)" or "Can't read Excel
// document: " + path when it cannot be read.
bool ReadSpreadsheet(const std::string& path, std::vector<std::string>& lines);

// The readers themselves: false, without a message, when the input is not a
// workbook they can read. FreeXL reads an .xls in a child process of its
// own, so that a damaged file it trips over cannot harm the program.
bool ReadXlsFile(const std::string& path, std::vector<std::string>& lines);
// A workbook beyond limits is refused the same way, with why in tooLarge.
bool ReadXlsxBytes(std::string_view bytes, std::vector<std::string>& lines,
                   std::string* tooLarge = nullptr, const TSheetLimits& limits = {});

} // namespace vandro
