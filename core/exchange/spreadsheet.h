// Worksheets read as lines of text for the object import: the first
// worksheet's used region (the rows and columns between its first and last
// non-empty cells), one line per row that has a non-empty cell, the cells
// joined by tab. Cells are written as their values read: numbers with "."
// and up to 15 significant digits, dates and times in the date style of the
// settings, booleans as TRUE and FALSE; tabs and line ends inside a cell
// become blanks. Lines are UTF-8.
//
// ".xls" (BIFF, Excel 97 to 2003) is read with FreeXL, ".xlsx" (Office Open
// XML) with libzip and pugixml, both straight from the file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// Whether the import reads path as a spreadsheet: ".xls" or ".xlsx", any case.
bool IsSpreadsheetPath(std::string_view path);

// Reads the file by its extension. False after "Can't read Excel document: "
// + path when it cannot be read.
bool ReadSpreadsheet(const std::string& path, std::vector<std::string>& lines);

// The readers themselves: false, without a message, when the input is not a
// workbook they can read. FreeXL reads an .xls in a child process of its
// own, so that a damaged file it trips over cannot harm the program.
bool ReadXlsFile(const std::string& path, std::vector<std::string>& lines);
bool ReadXlsxBytes(std::string_view bytes, std::vector<std::string>& lines);

} // namespace vandro
