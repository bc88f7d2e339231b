// Importing objects and their states from a delimited table: a header line
// of parameter names, then one state per line.
//
//   TImportSettings settings;
//   settings.Separator = "\t";
//   TImportResult result;
//   if (ImportObjectsFromFile("/data/plants.txt", settings, nullptr, result))
//     ShowMsg(result.Summary);
//
// Fields are read as spreadsheets write them (shell/delimited_text.h): a
// quoted field may hold the separator, quotes and line breaks, and a record
// whose quoted field spans lines is one line of the import, numbered by the
// line it starts on. An unquoted field is trimmed; an empty field sets nothing, "@NAME" is a
// reference to object NAME (empty, and reported with its line, when there is none),
// "=TEXT" a calculated value, any other field a plain value (a number with a
// unit the project does not know is reported and kept as text). Header names
// without a parameter get one in category "Imported", when a parameter may
// have that name. The columns _OBJECT_NAME and
// _REAL_TIME (any case), or the columns the settings name, give the object
// and the time of a line; without a name column the first field names the
// object, without a time column the state is dated now. Times are read in
// the date style, or as ISO 8601 ("2026-01-01", "2026-01-01 08:00",
// "2026-01-01T08:00:00"). A column whose name no parameter may have (a
// standard function, a reserved word) refuses each line with a value in it,
// and is named once, with the number of such lines, after the import.
//
// Lines are written in batches: a crash keeps every batch committed before
// it, each record whole, and the project opens as usual. A line that cannot
// be imported is reported and skipped; the import goes on. A failure of the
// project's files (a full disk) stops it: the batches committed before stay,
// nothing of the open one does, and the summary says from which line on
// nothing was stored. The new parameters are written with the first batch
// of lines and kept only with it; an object is made only together with its
// first stored state.
#pragma once

#include "exchange/text_lines.h"
#include "shell/progress.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vandro {

// What to do with an object that already has several states current at a
// line's time (with one, the line always modifies it).
enum TImportMode : int {
  imModifyLatest = 0, // "Modify most recent state": the one with the latest record
  imModifyAll = 1,    // "Modify all available states"
  imNewState = 2,     // "Create new state": a new branch from the empty state
};

// What the import says about one line (or, with Line 0, about a column over
// all lines): Text as it is shown, "Line 4 skipped: ...".
struct TImportWarning {
  int64_t Line = 0;
  std::string Column; // the header's name of the column concerned, or empty
  std::string Text;
};

struct TImportSettings {
  std::string Separator = "\t"; // one or more characters; empty means tab
  std::string NameColumn;       // a header name, or empty
  std::string TimeColumn;       // a header name, or empty
  TImportMode Mode = imModifyLatest;
  // "Add to group:": the objects this import creates join a group. A chosen
  // group (GroupId, and optionally GroupStateId, one of its records), or
  // else a new group named GroupName.
  int32_t GroupId = 0;
  int32_t GroupStateId = 0;
  std::string GroupName;
  // Asks for another group name when an object has the one given: true with
  // the name typed, false when the user cancels. Without it, the question
  // counts as cancelled.
  std::function<bool(const std::string& prompt, std::string& name)> InputName;
  // Columns named as the header names them (any case). Skipped columns are
  // read over; a renamed column's values go to the parameter of the new
  // name; a column with a unit gives that unit to each bare number (a field
  // with its own unit keeps it). A column they name that the header does
  // not have refuses the import before anything is made.
  std::vector<std::string> Skipped;
  std::vector<std::pair<std::string, std::string>> Renamed; // column, parameter name
  std::vector<std::pair<std::string, std::string>> Units;   // column, unit
  // How the caller's user renames a column (the one message about a column
  // no parameter may be named after ends with it); "rename the column"
  // without one.
  std::function<std::string(const std::string& column)> RenameAdvice;
  // Takes the warnings about lines, gathered into one report; without it
  // each is shown as it comes.
  std::function<void(const TImportWarning&)> Warn;
  int RowsPerCommit = 10000;
};

struct TImportResult {
  int64_t NewObjects = 0;
  int64_t ModifiedStates = 0;
  int64_t SkippedLines = 0;
  int64_t StoredLines = 0; // lines whose states are stored
  bool Stopped = false;    // the progress asked to stop
  // When the project's files failed: the first line not stored (every line
  // from it on is not), and the failure on one line; else 0 and empty.
  int64_t StoppedAtLine = 0;
  std::string Failure;
  // n + " new objects. " + m + " states were successfully modified" when a
  // state was modified; "Stopped at line " + StoppedAtLine + ": " + Failure
  // + ". " + StoredLines + " lines were imported" after a failure; else
  // empty: the caller shows it.
  std::string Summary;
};

// The fields of a record (SplitFields): split at each separator outside
// quotes; a line that ends in the separator has no empty last field.
std::vector<std::string> SplitImportLine(std::string_view line, std::string_view separator);

// Reads an ISO 8601 date with an optional time (after "T" or a blank,
// "hh:mm" or "hh:mm:ss", seconds with a fraction).
bool TryIsoDateTime(std::string_view text, double& moment);

// Imports the lines of source into the open project. False, with nothing
// created, when the header is missing or invalid, a column the settings
// name is not in it, or a unit they give is unknown; false after "Nothing was imported" when no
// line gave a state (nothing is left of it, the header's new parameters included); false with the
// stop in the summary when the project's files failed; otherwise true, whatever lines were skipped.
bool ImportObjects(TLineSource& source, const TImportSettings& settings, TProgress* progress,
                   TImportResult& result);

// The same from a file: ".xls" and ".xlsx" (any case) are read as
// spreadsheets, their cells separated by tab whatever the settings say;
// anything else as text. False after "Can't read Excel document: " + path
// or "Can't open file " + path.
bool ImportObjectsFromFile(const std::string& path, const TImportSettings& settings,
                           TProgress* progress, TImportResult& result);

} // namespace vandro
