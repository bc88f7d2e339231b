// The cells of the "Descriptive stats" grid: one column per series beside a
// column of row titles. The desktop window paints them and vandro-cli prints
// them; both get the same texts from here.
#pragma once

#include "stats/series.h"

#include <array>
#include <string>
#include <vector>

namespace vandro {

inline constexpr const char* kStatGridCorner = "Statistics \\ Series";
// Hints of the heading row and of the title column.
inline constexpr const char* kStatGridHeadingHint = "The ranges in order of selection";
inline constexpr const char* kStatGridTitleHint = "Statistics";

// The rows after the heading, main statistics first, then the optional rows
// in the order the window lists them.
inline constexpr std::array<const char*, 9> kStatMainRows = {"Count",
                                                             "Missing",
                                                             "Total",
                                                             "Mean",
                                                             "Min",
                                                             "Max",
                                                             "Std.Deviation (poulation)",
                                                             "Std.Deviation (sample)",
                                                             "Median"};
inline constexpr std::array<const char*, 10> kStatOptionalRows = {
    "Mode",         "Modal Frequancy", "Lower tertile", "Upper tertile", "1st quartile",
    "3rd quartile", "1st quintile",    "2nd quintile",  "3rd quintile",  "4th quintile"};

// cells[row][column]: row 0 the headings, column 0 the row titles.
using TStatGrid = std::vector<std::vector<std::string>>;

// Computes every loaded series and lays out the grid. A series that is not
// loaded is reported (its name + ": improper data in the series content."
// + line break + "Series skipped") and keeps a column with only its name.
// The series' own unit texts are left as they are: the brackets added for
// display go only into the cells.
TStatGrid BasicStatGrid(const std::vector<TStatSeries*>& series);

} // namespace vandro
