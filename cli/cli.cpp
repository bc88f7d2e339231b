#include "cli.h"

#include "cli_sink.h"
#include "commands.h"
#include "shell/text.h"

#include <ostream>

namespace vandro::cli {

namespace {

void PrintHelp(std::ostream& out) {
  out << "Usage: vandro-cli [--yes|--no] COMMAND [ARGUMENTS]\n\n"
         "Commands:\n";
  for (const auto& command : Commands())
    out << "  " << command.usage << "\n      " << command.summary << "\n";
  out << "\nMessages go to stderr, results to stdout, both in UTF-8.\n"
         "Questions are asked on the terminal; without one each takes its default\n"
         "answer, and --yes or --no answers them all.\n"
         "Times are written dd.MM.yyyy hh:mm:ss, or MM/dd/yyyy hh:mm:ss in the US\n"
         "date style of the settings (--date-style european|us overrides it).\n"
         "Exit status: 0 done, 1 the operation failed, 2 wrong usage.\n";
}

} // namespace

const std::vector<TCommand>& Commands() {
  static const std::vector<TCommand> commands = {
      {"eval",
       "eval [--project PROJECT [--object NAME] [--at TIME]] [--set NAME=VALUE]...\n"
       "      [--date-style european|us] EXPRESSION",
       "Evaluates EXPRESSION as a formula over a record holding the given parameters,\n"
       "      with the parameters, units and variables of PROJECT when one is named.\n"
       "      A VALUE starting with \"=\" is a calculated value; any other is plain.\n"
       "      With --object (and --at) the names read the state of object NAME at TIME.",
       &RunEval},
      {"record", "record PROJECT OBJECT [--new] [--at TIME] NAME=VALUE...",
       "Stores a record of OBJECT at TIME after the state current then; prints its id.\n"
       "      VALUE as in eval (\"==...\" is an auto formula, stored as its result);\n"
       "      \"@NAME\" refers to object NAME; an empty VALUE removes the parameter.\n"
       "      --new creates OBJECT first.",
       &RunRecord},
      {"terminate", "terminate PROJECT OBJECT [--at TIME]",
       "Ends the branch of OBJECT's state current at TIME; prints the record's id.", &RunTerminate},
      {"group", "group PROJECT GROUP [--new] [--at TIME] [--add REF]... [--remove REF]...",
       "Stores a group record adding and removing members; prints its id.\n"
       "      REF is an object name, or \"#ID\" for a state.",
       &RunGroup},
      {"state", "state PROJECT OBJECT [--at TIME]", "Prints every state of OBJECT current at TIME.",
       &RunState},
      {"history", "history PROJECT OBJECT",
       "Prints the records behind every current state of OBJECT.", &RunHistory},
      {"query", "query PROJECT \"FIND ...\"",
       "Runs a query over the records of PROJECT; prints one result per line.", &RunQuery},
      {"rollback", "rollback PROJECT --after TIME",
       "Deletes every record created after TIME (asks first; --yes answers).", &RunRollback},
      {"new",
       "new PATH [--base BASE] [--name N] [--version V] [--description D] [--author A]\n"
       "      [--organization O] [--comments C]",
       "Creates a project (\".vdp\" is appended to a PATH without extension), copying\n"
       "      the parameters, units and templates of the project BASE; prints its file.",
       &RunNew},
      {"info", "info PROJECT",
       "Prints the project information, dates in the date style of the settings.\n"
       "      PROJECT may leave out its \".vdp\"; listings below are tab-separated\n"
       "      with a header line.",
       &RunInfo},
      {"params", "params PROJECT", "Lists the parameters.", &RunParams},
      {"units", "units PROJECT [--category C]", "Lists the units, or those of category C.",
       &RunUnits},
      {"templates", "templates PROJECT [TEMPLATE]",
       "Lists the templates, or the parameter lines of TEMPLATE.", &RunTemplates},
      {"vars", "vars PROJECT", "Lists the project variables.", &RunVars},
      {"param",
       "param add|edit|delete PROJECT NAME [--rename NEW] [--short S] [--category C]\n"
       "      [--default VALUE] [--description D]",
       "Adds, changes or deletes a parameter (add prints its id). VALUE as in eval.", &RunParam},
      {"var", "var set|delete PROJECT NAME [--value VALUE] [--comment C]",
       "Sets or deletes a project variable. VALUE as in eval.", &RunVar},
      {"unit",
       "unit add|delete|make-basic PROJECT NAME [--short S] [--category C] [--factor F]\n"
       "      [--offset O] [--formula F] [--description D] [--basic]",
       "Adds a unit (prints its id), deletes one, or makes it the basic unit of\n"
       "      its category.",
       &RunUnit},
      {"import",
       "import PROJECT FILE [--sep tab|comma|semicolon|TEXT] [--name-column C]\n"
       "      [--time-column C] [--mode 0|1|2] [--group NAME]",
       "Imports objects and states from a table whose header names the parameters\n"
       "      (.xls and .xlsx: the first worksheet); prints the summary. Columns\n"
       "      _Object_Name and _Real_Time, or C, give each line's object and time.\n"
       "      --mode for an object with several states: 0 the latest, 1 all, 2 a new one.\n"
       "      --group adds the objects the import creates to group NAME.",
       &RunImport},
      {"import-units", "import-units PROJECT FILE [--sep tab|comma|semicolon|TEXT]",
       "Adds the units of a unit file (as export --what units writes it).", &RunImportUnits},
      {"export",
       "export PROJECT --what units|object|group|all [--name NAME] [--history]\n"
       "      [--as table|text] [--sep tab|comma|semicolon|TEXT] --output FILE",
       "Writes the user-defined units, object NAME, the members of group NAME or all\n"
       "      objects (\"#ID\" names a state) as a table import reads, or as text.",
       &RunExport},
      {"stats", "stats DATA",
       "The descriptive statistics of every series. DATA is --file F [--sep\n"
       "      tab|comma|semicolon|TEXT] (a header row of series names, then one value text\n"
       "      per cell, \"12.5 [kg]\"; empty cells may end a series) or --project P\n"
       "      --series NAME=EXPRESSION... (a query or a formula yielding an array).",
       &RunStats},
      {"dist", "dist DISTRIBUTION (--x X | --p P | --p1 P1) [--df A] [--df1 B]",
       "The statistical calculator: X, P = P(x > X) and 1 - P of a distribution\n"
       "      (Normal, Student (t) 2-tailed, F, Chi-square, Exponential, Lognormal, Logistic).",
       &RunDist},
      {"test", "test t|F|z|chi2 DATA [--no-yates]",
       "A hypothesis test over the series; z and chi2 also print the contingency table.", &RunTest},
      {"correlate", "correlate DATA", "The Pearson correlation of every pair of numeric series.",
       &RunCorrelate},
      {"histogram",
       "histogram (--file F [--sep SEP] --series NAME | --project P --series NAME=EXPRESSION)\n"
       "      [--intervals K]",
       "The histogram of one series in K intervals (2 to 24, default 10).", &RunHistogram},
      {"regress", "regress (DATA | OBJECTS) --dependent Y [--alpha A] [--eliminate]",
       "Linear regression of Y on every other series or parameter; --eliminate drops\n"
       "      the predictors whose P (B=0) is not below alpha, one at a time. OBJECTS is\n"
       "      --project P --objects EXPRESSION --params A,B,... [--calc NAME=FORMULA]...:\n"
       "      the objects a query or formula yields (or a group's content) and their\n"
       "      parameters.",
       &RunRegress},
      {"cluster",
       "cluster (DATA | OBJECTS) [--distance euclidean|manhattan|hamming] [--weights "
       "W1,W2,...]",
       "Clusters the rows (a text first series names them) by the other series, or\n"
       "      the objects by their parameters: the merges (rows are 0.., merge s makes\n"
       "      cluster rows + s) and the tree.",
       &RunCluster},
  };
  return commands;
}

const TCommand& CommandNamed(std::string_view name) {
  for (const auto& command : Commands())
    if (name == command.name) return command;
  return Commands().front();
}

int UsageError(TCliStreams& streams, const TCommand& command, const std::string& problem) {
  streams.err << "vandro-cli " << command.name << ": " << ForTerminal(problem) << "\n"
              << "Usage: vandro-cli " << command.usage << "\n";
  return kExitUsage;
}

int RunCli(const std::vector<std::string>& args, TCliStreams streams) {
  TAnswerPolicy policy = streams.inIsTerminal ? TAnswerPolicy::Ask : TAnswerPolicy::DefaultButton;
  size_t next = 0;
  for (; next < args.size() && args[next].rfind("--", 0) == 0; ++next) {
    if (args[next] == "--help") {
      PrintHelp(streams.out);
      return kExitOk;
    } else if (args[next] == "--yes") {
      policy = TAnswerPolicy::AlwaysYes;
    } else if (args[next] == "--no") {
      policy = TAnswerPolicy::AlwaysNo;
    } else {
      streams.err << "vandro-cli: unknown option " << args[next] << "\n";
      return kExitUsage;
    }
  }
  if (next == args.size()) {
    PrintHelp(streams.err);
    return kExitUsage;
  }
  const std::string& name = args[next];
  for (const auto& command : Commands()) {
    if (name != command.name) continue;
    std::vector<std::string> words;
    for (size_t i = next + 1; i < args.size(); ++i) {
      std::string word, error;
      if (!Utf8ToCp1251(args[i], word, &error))
        return UsageError(streams, command, "argument " + std::to_string(i - next) + ": " + error);
      words.push_back(std::move(word));
    }
    TCliSink sink(streams.err, streams.in, policy);
    ScopedMessageSink scope(sink);
    return command.run(words, streams);
  }
  streams.err << "vandro-cli: unknown command " << name << " (see vandro-cli --help)\n";
  return kExitUsage;
}

} // namespace vandro::cli
