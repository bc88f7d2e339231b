// The commands of vandro-cli: each declares its arguments (arguments.h) and
// runs on a command line that fits them, its words in code page 1251; it
// returns the exit status.
#pragma once

#include "arguments.h"
#include "cli.h"

#include <string>
#include <string_view>
#include <vector>

namespace vandro {
class TValue;
} // namespace vandro

namespace vandro::cli {

struct TRun;

struct TCommand {
  TSyntax syntax;
  const char* summary; // a paragraph, wrapped when printed
  int (*run)(const TRun& run);
};

const std::vector<TCommand>& Commands();

// One run of a command.
struct TRun {
  const TCommand& command;
  const TArguments& args;
  TCliStreams& streams;

  // Reports wrong usage on stderr, as the reader does; returns kExitUsage.
  int Usage(const std::string& problem) const;
  std::string_view Name() const { return command.syntax.name; }
};

// eval.cpp
int RunEval(const TRun& run);
// A VALUE argument: text starting with "=" is a calculated value whose text
// is the rest (so "==..." is an auto formula); any other text is plain, with
// a warning when its unit is unknown (values/unknown_unit.h).
void ReadValueArgument(const std::string& text, TValue& value);

// query_commands.cpp
int RunQuery(const TRun& run);
// eval with --object: the names read the state of the object at --at.
int RunEvalOnObject(const TRun& run);

// record_commands.cpp
int RunRecord(const TRun& run);
int RunTerminate(const TRun& run);
int RunGroup(const TRun& run);
int RunState(const TRun& run);
int RunHistory(const TRun& run);
int RunRollback(const TRun& run);

// compare_commands.cpp
int RunDiff(const TRun& run);

// project_commands.cpp
int RunNew(const TRun& run);
int RunInfo(const TRun& run);
int RunParams(const TRun& run);
int RunUnits(const TRun& run);
int RunTemplates(const TRun& run);
int RunVars(const TRun& run);
int RunParam(const TRun& run);
int RunVar(const TRun& run);
int RunUnit(const TRun& run);

// chart_commands.cpp
int RunCharts(const TRun& run);
int RunChart(const TRun& run);

// exchange_commands.cpp
int RunImport(const TRun& run);
int RunImportUnits(const TRun& run);
int RunExport(const TRun& run);

// Statistics over the series of a delimited text file or of a project
// (stats_commands.cpp).
int RunStats(const TRun& run);
int RunDist(const TRun& run);
int RunTest(const TRun& run);
int RunCorrelate(const TRun& run);
int RunHistogram(const TRun& run);
int RunRegress(const TRun& run);
int RunCluster(const TRun& run);

} // namespace vandro::cli
