#include "cli.h"

#include "arguments.h"
#include "cli_sink.h"
#include "commands.h"
#include "shell/text.h"

#include <algorithm>
#include <ostream>

namespace vandro::cli {

namespace {

// How wide "Usage: vandro-cli " is, before the usage text.
constexpr size_t kUsageIndent = 18;

TOptionSyntax Flag(std::string_view name) {
  return {.name = name};
}

TOptionSyntax Valued(std::string_view name, std::string_view value) {
  return {.name = name, .value = value};
}

TOptionSyntax Repeated(std::string_view name, std::string_view value) {
  return {.name = name, .value = value, .repeatable = true};
}

TOptionSyntax Required(std::string_view name, std::string_view value) {
  return {.name = name, .value = value, .required = true};
}

TOptionSyntax OneOf(std::string_view name, std::vector<std::string_view> choices,
                    bool required = false) {
  return {.name = name, .required = required, .choices = std::move(choices)};
}

TOptionSyntax DateStyleOption() {
  return OneOf("--date-style", {"european", "us"});
}

// The data of the statistics commands: a file, or series of a project; with
// objects, also objects of the project and their parameters.
std::vector<TOptionSyntax> WithData(bool objects, std::vector<TOptionSyntax> own) {
  std::vector<TOptionSyntax> options{Valued("--file", "F"), Valued("--sep", "SEP"),
                                     Valued("--project", "P"),
                                     Repeated("--series", "NAME=EXPRESSION")};
  if (objects)
    options.insert(options.end(), {Valued("--objects", "EXPRESSION"), Valued("--params", "A,B,..."),
                                   Repeated("--calc", "NAME=FORMULA")});
  options.insert(options.end(), own.begin(), own.end());
  return options;
}

// Prints text in lines of at most 80 characters, each after indent blanks.
void PrintWrapped(std::ostream& out, std::string_view text, size_t indent) {
  constexpr size_t kWidth = 80;
  const std::string margin(indent, ' ');
  std::string line;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, end - start);
    if (!line.empty() && indent + line.size() + 1 + word.size() > kWidth) {
      out << margin << line << "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + std::string(word);
    start = end + 1;
  }
  if (!line.empty()) out << margin << line << "\n";
}

void PrintHelp(std::ostream& out) {
  out << "Usage: vandro-cli [--yes|--no] COMMAND [ARGUMENTS]\n"
         "       vandro-cli COMMAND --help\n\n"
         "Commands:\n";
  for (const auto& command : Commands()) {
    out << "  " << UsageText(command.syntax, 2) << "\n";
    PrintWrapped(out, command.summary, 6);
  }
  out << "\nMessages go to stderr, results to stdout, both in UTF-8.\n"
         "Questions are asked on the terminal; without one each takes its default\n"
         "answer, and --yes or --no answers them all.\n"
         "Options may stand anywhere after the command; a lone -- ends them, so that\n"
         "the words after it are arguments even when they start with --.\n"
         "Times are written dd.MM.yyyy hh:mm:ss, or MM/dd/yyyy hh:mm:ss in the US\n"
         "date style of the settings (--date-style european|us overrides it).\n"
         "Exit status: 0 done, 1 the operation failed, 2 wrong usage.\n";
}

void PrintCommandHelp(std::ostream& out, const TCommand& command) {
  out << "Usage: vandro-cli " << UsageText(command.syntax, kUsageIndent) << "\n\n";
  PrintWrapped(out, command.summary, 0);
}

int UsageError(TCliStreams& streams, const TCommand& command, const std::string& problem) {
  streams.err << "vandro-cli " << command.syntax.name << ": " << ForTerminal(problem) << "\n"
              << "Usage: vandro-cli " << UsageText(command.syntax, kUsageIndent) << "\n";
  return kExitUsage;
}

} // namespace

const std::vector<TCommand>& Commands() {
  static const std::vector<TCommand> commands = {
      {{"eval",
        {{"EXPRESSION"}},
        {Valued("--project", "PROJECT"), Valued("--object", "NAME"), Valued("--at", "TIME"),
         Valued("--known-at", "TIME"), Repeated("--set", "NAME=VALUE"), DateStyleOption()}},
       "Evaluates EXPRESSION as a formula over a record holding the --set parameters, "
       "with the parameters, units and variables of PROJECT when one is named. "
       "A VALUE starting with \"=\" is a calculated value; any other is plain. "
       "With --object (and --project) the names read the state of object NAME current "
       "at TIME (default: now) instead. --known-at reads PROJECT as it was known then.",
       &RunEval},
      {{"record",
        {{"PROJECT"}, {"OBJECT"}, {"NAME=VALUE", TArity::OneOrMore}},
        {Flag("--new"), Flag("--branch"), Valued("--at", "TIME"), Valued("--edit", "#ID"),
         DateStyleOption()}},
       "Stores a record of OBJECT at TIME after the state current then; prints its id. "
       "A record dated before a later one goes between them; --branch starts a new branch "
       "from the state current at TIME instead. "
       "VALUE as in eval (\"==...\" is an auto formula, stored as its result); "
       "\"@NAME\" refers to object NAME; an empty VALUE removes the parameter. "
       "--new creates OBJECT first. --edit #ID corrects OBJECT's record ID instead, at its "
       "own time and place: the values given replace or join its own, and the record as it "
       "was is kept (history shows it, --known-at an earlier moment reads it, rollback "
       "brings it back).",
       &RunRecord},
      {{"terminate", {{"PROJECT"}, {"OBJECT"}}, {Valued("--at", "TIME"), DateStyleOption()}},
       "Ends the branch of OBJECT's state current at TIME; prints the record's id.",
       &RunTerminate},
      {{"group",
        {{"PROJECT"}, {"GROUP"}},
        {Flag("--new"), Valued("--at", "TIME"), Repeated("--add", "REF"),
         Repeated("--remove", "REF"), DateStyleOption()}},
       "Stores a group record adding and removing members; prints its id. "
       "REF is an object name, or \"#ID\" for a state.",
       &RunGroup},
      {{"state",
        {{"PROJECT"}, {"OBJECT"}},
        {Valued("--at", "TIME"), Valued("--known-at", "TIME"), DateStyleOption()}},
       "Prints every state of OBJECT current at TIME. --known-at TIME leaves out the records "
       "stored after TIME, as here and in history, query, eval and export.",
       &RunState},
      {{"diff", {{"PROJECT"}, {"A"}, {"B"}}, {Repeated("--at", "TIME"), DateStyleOption()}},
       "Compares the state of A with the state of B (each an object name, or \"#ID\" for an "
       "object or a state) parameter by parameter: both values, for numbers in compatible "
       "units the difference in A's unit and the relative change, otherwise changed or "
       "unchanged. An --at TIME after A takes A's state at TIME, one after B takes B's "
       "(default: now). \"#ID~1\" is the state at record ID as known before its latest "
       "correction, \"#ID~2\" before the one before, and so on: diff P '#ID~1' '#ID' shows "
       "what the latest correction changed.",
       &RunDiff},
      {{"history", {{"PROJECT"}, {"OBJECT"}}, {Valued("--known-at", "TIME"), DateStyleOption()}},
       "Prints the records behind every current state of OBJECT; after a corrected record, "
       "each version it had before (\"Corrected: TIME\", the latest first).",
       &RunHistory},
      {{"query", {{"PROJECT"}, {"QUERY"}}, {Valued("--known-at", "TIME"), DateStyleOption()}},
       "Runs QUERY (\"FIND ALL OBJECTS WITHIN EVERYTHING ...\", quoted) over the records "
       "of PROJECT; prints one result per line, as its display text (\"<PUMP; ID:64>\").",
       &RunQuery},
      {{"rollback", {{"PROJECT"}}, {Required("--after", "TIME"), DateStyleOption()}},
       "Deletes every record created after TIME: prints how many records of how many "
       "objects that is, asks (--yes answers), writes a copy of the database as it was "
       "beside it (\"<database>.before-rollback-<yyyyMMdd-hhmmss>\"), then deletes. A record "
       "corrected after TIME gets back the values it had then.",
       &RunRollback},
      {{"new",
        {{"PATH"}},
        {Valued("--base", "BASE"), Valued("--name", "N"), Valued("--version", "V"),
         Valued("--description", "D"), Valued("--author", "A"), Valued("--organization", "O"),
         Valued("--comments", "C")}},
       "Creates a project (\".vdp\" is appended to a PATH without extension), copying "
       "the parameters, units and templates of the project BASE; prints its file.",
       &RunNew},
      {{"info", {{"PROJECT"}}, {}},
       "Prints the project information, dates in the date style of the settings. "
       "PROJECT may leave out its \".vdp\"; listings below are tab-separated "
       "with a header line.",
       &RunInfo},
      {{"params", {{"PROJECT"}}, {}}, "Lists the parameters.", &RunParams},
      {{"units", {{"PROJECT"}}, {Valued("--category", "C")}},
       "Lists the units, or those of category C.",
       &RunUnits},
      {{"templates", {{"PROJECT"}, {"TEMPLATE", TArity::Optional}}, {}},
       "Lists the templates, or the parameter lines of TEMPLATE.",
       &RunTemplates},
      {{"vars", {{"PROJECT"}}, {}}, "Lists the project variables.", &RunVars},
      {{"param",
        {{"ACTION", TArity::One, {"add", "edit", "delete"}}, {"PROJECT"}, {"NAME"}},
        {Valued("--rename", "NEW"), Valued("--short", "S"), Valued("--category", "C"),
         Valued("--default", "VALUE"), Valued("--description", "D")}},
       "Adds, changes or deletes a parameter (add prints its id). VALUE as in eval.",
       &RunParam},
      {{"var",
        {{"ACTION", TArity::One, {"set", "delete"}}, {"PROJECT"}, {"NAME"}},
        {Valued("--value", "VALUE"), Valued("--comment", "C")}},
       "Sets or deletes a project variable. VALUE as in eval.",
       &RunVar},
      {{"unit",
        {{"ACTION", TArity::One, {"add", "delete", "make-basic"}}, {"PROJECT"}, {"NAME"}},
        {Valued("--short", "S"), Valued("--category", "C"), Valued("--factor", "F"),
         Valued("--offset", "O"), Valued("--formula", "F"), Valued("--description", "D"),
         Flag("--basic")}},
       "Adds a unit (prints its id), deletes one, or makes it the basic unit of "
       "its category.",
       &RunUnit},
      {{"charts", {{"PROJECT"}}, {}}, "Lists the charts.", &RunCharts},
      {{"chart",
        {{"PROJECT"}, {"NAME"}},
        {Valued("--define", "FILE"), Flag("--delete"), Valued("--output", "PICTURE"),
         Valued("--size", "WxH")}},
       "Prints the definition of chart NAME, one \"Key=value\" item a line. --define "
       "makes the chart, or replaces its definition, from the text FILE in that form (a "
       "damaged text changes nothing); --delete deletes it (asks; --yes answers); --output "
       "draws it to PICTURE (.png, .svg or .pdf) at the chart's own size or at --size WxH "
       "pixels, without a display.",
       &RunChart},
      {{"import",
        {{"PROJECT"}, {"FILE"}},
        {Valued("--sep", "SEP"), Valued("--name-column", "C"), Valued("--time-column", "C"),
         OneOf("--mode", {"0", "1", "2"}), Valued("--group", "NAME"), Repeated("--unit", "C=UNIT"),
         Repeated("--skip", "C"), Repeated("--rename", "C=NAME"), DateStyleOption()}},
       "Imports objects and states from a table whose header names the parameters "
       "(.xls and .xlsx: the first worksheet); prints the summary. SEP is tab, comma, "
       "semicolon or any other text; without it, the first of tab, comma, semicolon, "
       "|, : and blank that splits the first lines. Fields may be quoted as "
       "spreadsheets quote them. Columns _Object_Name and _Real_Time, or C, give each "
       "line's object and time (in the date style or ISO 8601, 2026-01-31 08:00). "
       "--unit gives column C's bare numbers a unit, --skip leaves column C out, "
       "--rename imports column C as parameter NAME. "
       "--mode for an object with several states: 0 the latest, 1 all, 2 a new one. "
       "--group adds the objects the import creates to group NAME.",
       &RunImport},
      {{"import-units", {{"PROJECT"}, {"FILE"}}, {Valued("--sep", "SEP")}},
       "Adds the units of a unit file (as export --what units writes it).",
       &RunImportUnits},
      {{"export",
        {{"PROJECT"}},
        {OneOf("--what", {"units", "object", "group", "all"}, true), Valued("--name", "NAME"),
         Flag("--history"), OneOf("--as", {"table", "text"}), Valued("--sep", "SEP"),
         Required("--output", "FILE"), Valued("--known-at", "TIME")}},
       "Writes the user-defined units, object NAME, the members of group NAME or all "
       "objects (\"#ID\" names a state) as a table import reads, or as text.",
       &RunExport},
      {{"stats", {}, WithData(false, {})},
       "The descriptive statistics of every series. The data are --file F (a header "
       "row of series names, then one value text per cell, \"12.5 [kg]\"; empty cells "
       "may end a series) with --sep SEP (tab, comma, semicolon or any other text; "
       "tab when not given), or --project P with --series NAME=EXPRESSION for each "
       "series (a query or a formula yielding an array).",
       &RunStats},
      {{"dist",
        {{"DISTRIBUTION"}},
        {Valued("--x", "X"), Valued("--p", "P"), Valued("--p1", "P1"), Valued("--df", "A"),
         Valued("--df1", "B")}},
       "The statistical calculator: X, P = P(x > X) and 1 - P of a distribution "
       "(Normal, Student (t) 2-tailed, F, Chi-square, Exponential, Lognormal, Logistic) "
       "from exactly one of --x, --p and --p1, and its parameters.",
       &RunDist},
      {{"test",
        {{"TEST", TArity::One, {"t", "F", "z", "chi2", "welch", "anova", "welch-anova"}}},
        WithData(false, {Flag("--no-yates")})},
       "A hypothesis test over the series (the data as for stats); t, welch and z also "
       "print the effect size and the 95% interval of the difference, welch its degrees of "
       "freedom, z and chi2 the contingency table, anova and welch-anova (one-way analysis "
       "of variance of series of any sizes) the table with Welch's and Levene's tests and "
       "Tukey's pairs.",
       &RunTest},
      {{"correlate", {}, WithData(false, {})},
       "The Pearson correlation of every pair of numeric series (the data as for stats).",
       &RunCorrelate},
      {{"histogram",
        {},
        {Valued("--file", "F"), Valued("--sep", "SEP"), Valued("--project", "P"),
         Required("--series", "SERIES"), Valued("--intervals", "K")}},
       "The histogram of one series in K intervals (2 to 24, default 10): SERIES is "
       "the name of a column of --file, or NAME=EXPRESSION with --project.",
       &RunHistogram},
      {{"regress",
        {},
        WithData(true,
                 {Required("--dependent", "Y"), Valued("--alpha", "A"), Flag("--eliminate")})},
       "Linear regression of Y on every other series or parameter; --eliminate drops "
       "the predictors whose P (B=0) is not below alpha, one at a time. The data are "
       "as for stats, or --project P --objects EXPRESSION with --params A,B,... and "
       "--calc NAME=FORMULA: the objects a query or formula yields (or a group's "
       "content) and their parameters.",
       &RunRegress},
      {{"cluster",
        {},
        WithData(true, {OneOf("--distance", {"euclidean", "manhattan", "hamming"}),
                        Valued("--weights", "W1,W2,...")})},
       "Clusters the rows (a text first series names them) by the other series, or "
       "the objects by their parameters (the data as for regress): the merges (rows "
       "are 0.., merge s makes cluster rows + s) and the tree.",
       &RunCluster},
  };
  return commands;
}

int TRun::Usage(const std::string& problem) const {
  return UsageError(streams, command, problem);
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
    if (name != command.syntax.name) continue;
    std::vector<std::string> words;
    for (size_t i = next + 1; i < args.size(); ++i) {
      std::string word, error;
      if (!Utf8ToCp1251(args[i], word, &error))
        return UsageError(streams, command, "argument " + std::to_string(i - next) + ": " + error);
      words.push_back(std::move(word));
    }
    const TReading reading = ReadArguments(command.syntax, words);
    if (reading.outcome == TReading::TOutcome::Help) {
      PrintCommandHelp(streams.out, command);
      return kExitOk;
    }
    if (reading.outcome == TReading::TOutcome::WrongUsage)
      return UsageError(streams, command, reading.problem);
    TCliSink sink(streams.err, streams.in, policy);
    ScopedMessageSink scope(sink);
    return command.run({command, reading.arguments, streams});
  }
  streams.err << "vandro-cli: unknown command " << name << " (see vandro-cli --help)\n";
  return kExitUsage;
}

} // namespace vandro::cli
