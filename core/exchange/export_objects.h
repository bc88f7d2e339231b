// Exporting objects: one object (or one of its states), the members of a
// group, or every object, as a delimited table the object import reads back
// or as a readable report.
//
// A table has the header "_Object_Name", "_Real_Time" and one column per
// parameter met in the rows, in the order they were met; a row names the
// object, with "(n)" appended when the object has several current states.
// The rows are gathered in a scratch file first so that the header, written
// above them, lists every column. With history, an object is written as
// every branch of its history, ended ones included, rather than as its
// current states: a table has one row per record of each branch (the state
// as it was after that record; a terminator gives none), and the report lists
// each record's own values instead.
//
// Files are written in UTF-8 and appear whole or not at all.
#pragma once

#include "shell/progress.h"

#include <cstdint>
#include <string>

namespace vandro {

enum TExportWhat : int {
  ewUnits = 0,
  ewObject = 1,
  ewGroup = 2,
  ewAllObjects = 3,
};

struct TExportSettings {
  bool History = false;         // "History"; else "Actual states"
  bool AsTable = false;         // "Table"; else "Plain text"
  std::string Separator = "\t"; // tables only; empty means tab
};

struct TExportResult {
  int64_t Objects = 0; // distinct objects with a state written
  int64_t States = 0;  // states written: with history one per record that
                       // is not a terminator, as many as a table has rows
  std::string Summary; // "N objects, M states exported"
};

// The object with identifier target, or the state that ends at record
// target. Raises "Error selecting object" when target names neither.
bool ExportObject(const std::string& path, int32_t target, const TExportSettings& settings,
                  TExportResult& result);
// The members of the group target at each of its current states, or at the
// state that ends at record target; the same error. With history every
// member's whole history is written, ended branches included.
bool ExportGroup(const std::string& path, int32_t target, const TExportSettings& settings,
                 TExportResult& result);
// Every object in identifier order; "Project is empty" and false when the
// project has no objects.
bool ExportAllObjects(const std::string& path, const TExportSettings& settings, TProgress* progress,
                      TExportResult& result);

} // namespace vandro
