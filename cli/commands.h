// The commands of vandro-cli. Each takes the words after its name (already
// in code page 1251) and returns the exit status.
#pragma once

#include "cli.h"

#include <string>
#include <string_view>
#include <vector>

namespace vandro {
class TValue;
} // namespace vandro

namespace vandro::cli {

struct TCommand {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(const std::vector<std::string>& args, TCliStreams& streams);
};

const std::vector<TCommand>& Commands();

// The command of that name (every caller names one that exists).
const TCommand& CommandNamed(std::string_view name);

// Reports wrong usage of a command on stderr; returns kExitUsage.
int UsageError(TCliStreams& streams, const TCommand& command, const std::string& problem);

int RunEval(const std::vector<std::string>& args, TCliStreams& streams);

// query_commands.cpp
int RunQuery(const std::vector<std::string>& args, TCliStreams& streams);
// eval with --project: the names read the state of --object at --at.
int RunEvalOnProject(const std::vector<std::string>& args, TCliStreams& streams);

// record_commands.cpp
int RunRecord(const std::vector<std::string>& args, TCliStreams& streams);
int RunTerminate(const std::vector<std::string>& args, TCliStreams& streams);
int RunGroup(const std::vector<std::string>& args, TCliStreams& streams);
int RunState(const std::vector<std::string>& args, TCliStreams& streams);
int RunHistory(const std::vector<std::string>& args, TCliStreams& streams);
int RunRollback(const std::vector<std::string>& args, TCliStreams& streams);
// A VALUE argument: text starting with "=" is a calculated value whose text
// is the rest (so "==..." is an auto formula); any other text is plain.
void ReadValueArgument(const std::string& text, TValue& value);

// project_commands.cpp
int RunNew(const std::vector<std::string>& args, TCliStreams& streams);
int RunInfo(const std::vector<std::string>& args, TCliStreams& streams);
int RunParams(const std::vector<std::string>& args, TCliStreams& streams);
int RunUnits(const std::vector<std::string>& args, TCliStreams& streams);
int RunTemplates(const std::vector<std::string>& args, TCliStreams& streams);
int RunVars(const std::vector<std::string>& args, TCliStreams& streams);
int RunParam(const std::vector<std::string>& args, TCliStreams& streams);
int RunVar(const std::vector<std::string>& args, TCliStreams& streams);
int RunUnit(const std::vector<std::string>& args, TCliStreams& streams);

// exchange_commands.cpp
int RunImport(const std::vector<std::string>& args, TCliStreams& streams);
int RunImportUnits(const std::vector<std::string>& args, TCliStreams& streams);
int RunExport(const std::vector<std::string>& args, TCliStreams& streams);

// Statistics over the series of a delimited text file (stats_commands.cpp).
int RunStats(const std::vector<std::string>& args, TCliStreams& streams);
int RunDist(const std::vector<std::string>& args, TCliStreams& streams);
int RunTest(const std::vector<std::string>& args, TCliStreams& streams);
int RunCorrelate(const std::vector<std::string>& args, TCliStreams& streams);
int RunHistogram(const std::vector<std::string>& args, TCliStreams& streams);
int RunRegress(const std::vector<std::string>& args, TCliStreams& streams);
int RunCluster(const std::vector<std::string>& args, TCliStreams& streams);

} // namespace vandro::cli
