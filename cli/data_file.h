// The data of the statistics commands of vandro-cli, read into statistical
// series: a delimited text file whose header row names the series and whose
// cells are value texts ("12.5 [kg]"), or expressions of the project
// language evaluated in an open project.
#pragma once

#include "stats/series.h"
#include "stats/stats_common.h"

#include <memory>
#include <string>
#include <vector>

namespace vandro::cli {

// The separator named by --sep: "tab", "comma", "semicolon" or the text
// itself. False for an empty text.
bool SeparatorFromOption(const std::string& option, std::string& separator);

// The file's columns loaded as series, in file order.
struct TDataSeries {
  std::vector<std::unique_ptr<TStatSeries>> series;

  std::vector<TStatSeries*> Pointers() const;
  // The items of every series as the tests, the histogram and the
  // correlation take them.
  std::vector<TSample> Samples() const;
};

// Reads path (code page 1251, as the command line words are): a UTF-8 file
// with cells separated by separator, a header row naming the series, and
// one series per column. Empty cells at the end of a column are not part of
// it, so series of different lengths share one file; the first cell of a
// column fixes its series' kind and unit.
//
// The file is read as a stream, twice: once for its shape, then for the
// values, so that memory holds the series' items and one line, never the
// file. False, with a message naming the file and the line and column, when
// it is not a regular file or cannot be read, is not UTF-8, has a line
// longer than kMaxLineLength, no header, an empty or repeated series name, a
// row whose cell count differs from the header's, an empty cell above a
// filled one, a column without values, or a cell that does not fit its
// series (the engine's reason and the cell).
bool ReadDataSeries(const std::string& path, const std::string& separator, TDataSeries& data,
                    std::string& error);

// One --series NAME=EXPRESSION.
struct TSeriesDefinition {
  std::string name;
  std::string expression; // a query, or a formula yielding an array
};

// Evaluates each expression in the open project (its parameters, units and
// variables) and loads the array it yields as a series, in the order given.
// False, with the series named in error, when an expression fails (its
// message has been shown), yields no array or has an item that does not fit
// its series.
bool LoadProjectSeries(const std::vector<TSeriesDefinition>& definitions, TDataSeries& data,
                       std::string& error);

} // namespace vandro::cli
