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

// One column of the file: its name and its cells, trimmed, in code page 1251.
// Empty cells at the end of a column are not part of it, so series of
// different lengths share one file.
struct TDataColumn {
  std::string name;
  std::vector<std::string> cells;
  std::vector<int> lines; // the file line (1-based) of each cell
};

struct TDataFile {
  std::string path; // UTF-8, for messages
  std::vector<TDataColumn> columns;
};

// The separator named by --sep: "tab", "comma", "semicolon" or the text
// itself. False for an empty text.
bool SeparatorFromOption(const std::string& option, std::string& separator);

// Reads path (code page 1251, as the command line words are) with cells
// separated by separator. False, with a message naming the file and the line
// and column, when the file cannot be read, is not UTF-8, has no header, an
// empty or repeated series name, a row whose cell count differs from the
// header's, or an empty cell above a filled one.
bool ReadDataFile(const std::string& path, const std::string& separator, TDataFile& file,
                  std::string& error);

// The file's columns loaded as series, in file order.
struct TDataSeries {
  std::vector<std::unique_ptr<TStatSeries>> series;

  std::vector<TStatSeries*> Pointers() const;
  // The items of every series as the tests, the histogram and the
  // correlation take them.
  std::vector<TSample> Samples() const;
};

// Loads every column as a series (the first cell fixes its kind and unit).
// A cell that does not fit its series gives the engine's message prefixed by
// the file, line and column, and false.
bool LoadDataSeries(const TDataFile& file, TDataSeries& data, std::string& error);

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
