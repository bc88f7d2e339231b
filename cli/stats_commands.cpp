// The statistics commands of vandro-cli: the statistics engine over the
// series of a delimited text file or of a project, or over objects of a
// project and their parameters; the results as tab-separated text.
#include "cli_sink.h"
#include "commands.h"
#include "data_file.h"
#include "language/executor.h"
#include "model/project.h"
#include "project_session.h"
#include "shell/int_list.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "stats/calculator.h"
#include "stats/cluster.h"
#include "stats/cluster_tree.h"
#include "stats/correlation.h"
#include "stats/histogram.h"
#include "stats/mining.h"
#include "stats/regression.h"
#include "stats/series_grid.h"
#include "stats/stat_tests.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <utility>

namespace vandro::cli {

namespace {

// What the data are read in for the run of a command: for a file, an
// in-memory project whose units read the cells and the language that
// evaluates cells written as formulas; for --project, that project, open
// until the command ends.
class TDataSession {
public:
  // False after the reason, with status set.
  bool Open(const TRun& run, int& status) {
    if (!run.args.Has("--project")) {
      project_ = TProject::CreateInMemory();
      open_.emplace(*project_);
      language_.emplace();
      return true;
    }
    session_.emplace(run.args);
    if (session_->Open(run.args.Value("--project"), TAccess::Read)) return true;
    run.streams.err << "vandro-cli " << run.Name() << ": can't open the project "
                    << ForTerminal(run.args.Value("--project")) << "\n";
    status = kExitFailed;
    return false;
  }

private:
  std::unique_ptr<TProject> project_;
  std::optional<ScopedProject> open_;
  std::optional<ScopedLanguage> language_;
  std::optional<TProjectSession> session_;
};

// NAME=EXPRESSION; false for a text without a name before "=".
bool SplitDefinition(const std::string& text, std::string& name, std::string& expression) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || Trim(text.substr(0, equals)).empty()) return false;
  name = Trim(text.substr(0, equals));
  expression = text.substr(equals + 1);
  return true;
}

// Checks that the data come from exactly one place: --file (with --sep), or
// --project with series (or, where allowed, objects). False after a usage
// error.
bool CheckSource(const TRun& run, int& status) {
  const TArguments& args = run.args;
  const auto fail = [&](const std::string& problem) {
    status = run.Usage(problem);
    return false;
  };
  const bool file = args.Has("--file"), project = args.Has("--project");
  const bool objects = args.Has("--objects") || args.Has("--params") || args.Has("--calc");
  if (file && project) return fail("--file and --project exclude each other");
  if (!file && !project) return fail("give the data with --file or --project");
  if (project && args.Has("--sep")) return fail("--sep belongs to --file");
  if (file && objects) return fail("--objects, --params and --calc need --project");
  // Only the histogram names a column of the file with --series.
  if (file && args.Has("--series") && run.Name() != "histogram")
    return fail("--series needs --project; a file's columns are its series");
  if (file) return true;
  if (objects && args.Has("--series")) return fail("--series and --objects exclude each other");
  if (objects && !args.Has("--objects")) return fail("--objects is missing");
  if (objects && !args.Has("--params") && !args.Has("--calc"))
    return fail("--params (or --calc) is missing");
  if (!objects && !args.Has("--series")) return fail("--series NAME=EXPRESSION is missing");
  std::vector<std::string> names;
  for (const std::string& text : args.Values("--series")) {
    std::string name, expression;
    if (!SplitDefinition(text, name, expression))
      return fail("--series takes NAME=EXPRESSION, not " + text);
    for (const std::string& earlier : names)
      if (SameText(earlier, name)) return fail("series " + name + " is given twice");
    names.push_back(name);
  }
  return true;
}

// The checks of CheckSource, then the session opened for the data.
bool OpenData(const TRun& run, TDataSession& session, int& status) {
  return CheckSource(run, status) && session.Open(run, status);
}

// Reads and loads the series of --file, or of --series in --project;
// reports the failure and sets status.
bool LoadData(const TRun& run, TDataSeries& data, int& status) {
  const TArguments& args = run.args;
  std::string error;
  if (args.Has("--project")) {
    std::vector<TSeriesDefinition> definitions;
    for (const std::string& text : args.Values("--series")) {
      TSeriesDefinition definition;
      SplitDefinition(text, definition.name, definition.expression); // CheckSource read it
      definitions.push_back(std::move(definition));
    }
    bool loaded = false;
    try {
      loaded = LoadProjectSeries(definitions, data, error);
    } catch (const ErrorException& raised) {
      error = Cp1251ToUtf8(raised.what());
    }
    if (loaded) return true;
    run.streams.err << "vandro-cli " << run.Name() << ": " << error << "\n";
    status = kExitFailed;
    return false;
  }
  std::string separator;
  if (!SeparatorFromOption(args.Value("--sep", "tab"), separator)) {
    status = run.Usage("--sep needs a separator");
    return false;
  }
  if (!ReadDataSeries(args.Value("--file"), separator, data, error)) {
    run.streams.err << "vandro-cli " << run.Name() << ": " << error << "\n";
    status = kExitFailed;
    return false;
  }
  return true;
}

void PrintRow(std::ostream& out, const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i)
    out << (i ? "\t" : "") << ForTerminal(cells[i]);
  out << "\n";
}

void PrintMatrix(std::ostream& out, const TMatrixText& matrix) {
  out << ForTerminal(matrix.title) << "\n";
  std::vector<std::string> heading{matrix.corner};
  heading.insert(heading.end(), matrix.columns.begin(), matrix.columns.end());
  PrintRow(out, heading);
  for (size_t r = 0; r < matrix.rows.size(); ++r) {
    std::vector<std::string> row{matrix.rows[r]};
    if (r < matrix.cells.size())
      row.insert(row.end(), matrix.cells[r].begin(), matrix.cells[r].end());
    PrintRow(out, row);
  }
}

// The series of data named name (without regard to case), or nullptr after
// reporting that the file has none.
const TStatSeries* FindSeries(const TRun& run, const TDataSeries& data, const std::string& name) {
  std::string names;
  for (const auto& series : data.series) {
    if (SameText(series->Name(), name)) return series.get();
    names += (names.empty() ? "" : ", ") + series->Name();
  }
  run.streams.err << "vandro-cli " << run.Name() << ": no series " << ForTerminal(name)
                  << (run.args.Has("--project") ? " among --series (they are "
                                                : " in the file (it has ")
                  << ForTerminal(names) << ")\n";
  return nullptr;
}

// The series must all be numeric (or dates) and of one length, as rows of a
// table of observations; reports the first that is not.
bool CheckTable(const TRun& run, const TDataSeries& data) {
  std::ostream& err = run.streams.err;
  const TStatSeries& first = *data.series.front();
  for (const auto& series : data.series) {
    if (series->Kind == skText || series->Kind == skReference) {
      err << "vandro-cli " << run.Name() << ": series " << ForTerminal(series->Name())
          << " is not numeric\n";
      return false;
    }
    if (series->Count() != first.Count()) {
      err << "vandro-cli " << run.Name() << ": series " << ForTerminal(series->Name()) << " has "
          << series->Count() << " values and series " << ForTerminal(first.Name()) << " has "
          << first.Count() << "; every series needs one value per row\n";
      return false;
    }
  }
  return true;
}

bool ReadNumber(const std::string& text, long double& number) {
  double value = 0;
  if (!TextToFloat(Trim(text), value) || !std::isfinite(value)) return false;
  number = value;
  return true;
}

// The calculator's fields take a text as it is typed, and one ending in "0"
// or "." may still grow ("10" on the way to "10.5"), so they wait for more.
// A command-line value is complete: this writes the same number in a text
// the fields take at once ("10" as "1E1"). False when text is not a number.
bool FinishedNumberText(const std::string& text, std::string& finished) {
  double value = 0;
  if (!TextToFloat(text, value) || !std::isfinite(value)) return false;
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return false;
  finished.assign(buffer, end);
  if (finished == "0" || (finished.back() != '0' && finished.back() != '.')) return true;
  std::string mantissa = finished;
  int exponent = 0;
  if (const size_t e = finished.find('e'); e != std::string::npos) {
    mantissa = finished.substr(0, e);
    exponent = std::stoi(finished.substr(e + 1));
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') {
    mantissa.pop_back();
    ++exponent;
  }
  if (exponent % 10 == 0) {
    mantissa += '0';
    --exponent;
  }
  finished = mantissa + "E" + std::to_string(exponent);
  return true;
}

// The parameters of --params and --calc.
struct TMiningOptions {
  std::vector<std::string> names;
  std::vector<std::pair<std::string, std::string>> calculated; // name, formula
};

// Reads --params and --calc; weights is the number of --weights given (0 for
// none). False after a usage error.
bool ReadMiningOptions(const TRun& run, size_t weights, TMiningOptions& options, int& status) {
  const TArguments& args = run.args;
  const auto usage = [&](const std::string& problem) {
    status = run.Usage(problem);
    return false;
  };
  if (args.Has("--params")) {
    const std::string list = args.Value("--params");
    for (size_t start = 0;;) {
      const size_t comma = list.find(',', start);
      const std::string name =
          Trim(list.substr(start, comma == std::string::npos ? comma : comma - start));
      if (name.empty()) return usage("--params: an empty parameter name in " + list);
      options.names.push_back(name);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  for (const std::string& text : args.Values("--calc")) {
    std::string name, formula;
    if (!SplitDefinition(text, name, formula))
      return usage("--calc takes NAME=FORMULA, not " + text);
    options.calculated.emplace_back(name, formula);
  }
  const size_t count = options.names.size() + options.calculated.size();
  if (weights != 0 && weights != count)
    return usage("--weights gives " + std::to_string(weights) + " weights for " +
                 std::to_string(count) + " parameters");
  return true;
}

// The objects of --objects with the parameters of options and their
// weights (none: 1 each). False after the analysis's own message.
bool LoadAnalysis(const TArguments& args, const TMiningOptions& options,
                  const std::vector<long double>& weights, TDataAnalysis& analysis) {
  try {
    TValue objects;
    objects.SetText(vkCalculated, args.Value("--objects"));
    if (!analysis.SetObjects(objects)) return false;
    for (const std::string& name : options.names)
      if (!analysis.AddParameter(name)) return false;
    for (const auto& [name, formula] : options.calculated) {
      TValue value;
      value.SetText(vkCalculated, formula);
      if (!analysis.AddCalculated(name, value)) return false;
    }
  } catch (const ErrorException&) {
    return false; // shown already
  }
  for (size_t c = 0; c < weights.size(); ++c)
    analysis.Param(static_cast<int>(c)).Weight = weights[c];
  return true;
}

// Applies --alpha and --eliminate to an opened regression and prints its
// results.
int PrintRegression(const TRun& run, TLinearRegression& regression) {
  if (run.args.Has("--alpha")) {
    regression.EditAlpha(run.args.Value("--alpha"));
    if (regression.AlphaRed())
      return run.Usage("--alpha takes a number from 0 to 1, not " + run.args.Value("--alpha"));
  }
  if (run.args.Has("--eliminate")) regression.Recalculate();
  std::ostream& out = run.streams.out;

  for (const auto& row : regression.Grid())
    PrintRow(out, row);
  out << "\n";
  PrintRow(out, {"Std.Error of estimate:", regression.EstimateErrorText()});
  PrintRow(out, {"R-square:", regression.RSquareText()});
  PrintRow(out, {"Adjusted R-square:", regression.AdjustedRSquareText()});
  PrintRow(out, {"Residual standard error:", regression.ResidualErrorText()});
  PrintRow(out, {"Alpha:", regression.AlphaText()});
  PrintRow(out, {"F:", regression.FText()});
  if (regression.Missing() > 0) PrintRow(out, {regression.MissingText()});
  PrintRow(out, {regression.SSRegText()});
  PrintRow(out, {regression.SSResText()});
  out << "\nResult Formula\n";
  for (const std::string& line : regression.ResultFormula())
    PrintRow(out, {line});
  return kExitOk;
}

// Prints the merges and the tree of a clustering of objects.
int PrintCluster(TCliStreams& streams, const TMergeTable& merges,
                 const std::vector<TClusterObject>& objects) {
  TClusterTree tree;
  tree.Open(merges, objects);
  PrintRow(streams.out, {"First", "Second", "Distance"});
  for (const TClusterMerge& merge : merges)
    PrintRow(streams.out, {std::to_string(merge.first), std::to_string(merge.second),
                           FloatToText(merge.distance)});
  streams.out << "\n";
  // Depth first without recursion: a tree of thousands of objects can be
  // thousands of levels deep.
  std::vector<std::pair<int, int>> stack{{tree.Root(), 0}};
  while (!stack.empty()) {
    const auto [node, depth] = stack.back();
    stack.pop_back();
    streams.out << std::string(static_cast<size_t>(depth) * 2, ' ')
                << ForTerminal(tree.Node(node).text) << "\n";
    const auto& children = tree.Node(node).children;
    for (auto child = children.rbegin(); child != children.rend(); ++child)
      stack.push_back({*child, depth + 1});
  }
  return kExitOk;
}

} // namespace

int RunStats(const TRun& run) {
  int status = kExitOk;
  TDataSession session;
  TDataSeries data;
  if (!OpenData(run, session, status) || !LoadData(run, data, status)) return status;
  for (const auto& row : BasicStatGrid(data.Pointers()))
    PrintRow(run.streams.out, row);
  return kExitOk;
}

int RunDist(const TRun& run) {
  // The calculator's own names, or the start of one of them ("student", "chi").
  const auto& names = TStatCalculator::DistributionNames();
  const std::string& wanted = run.args[0];
  int chosen = -1;
  for (size_t i = 0; i < names.size() && chosen < 0; ++i)
    if (SameText(names[i], wanted)) chosen = static_cast<int>(i);
  for (size_t i = 0; i < names.size() && chosen == -1; ++i) {
    const std::string_view name = names[i];
    if (name.size() < wanted.size() || !SameText(name.substr(0, wanted.size()), wanted)) continue;
    for (size_t j = i + 1; j < names.size(); ++j)
      if (std::string_view(names[j]).size() >= wanted.size() &&
          SameText(std::string_view(names[j]).substr(0, wanted.size()), wanted))
        chosen = -2;
    if (chosen == -1) chosen = static_cast<int>(i);
  }
  if (chosen < 0) {
    std::string list;
    for (const char* name : names)
      list += std::string(list.empty() ? "" : ", ") + "\"" + name + "\"";
    return run.Usage("unknown distribution " + wanted + "; one of " + list);
  }

  const int given = static_cast<int>(run.args.Has("--x")) + static_cast<int>(run.args.Has("--p")) +
                    static_cast<int>(run.args.Has("--p1"));
  if (given != 1) return run.Usage("give exactly one of --x, --p and --p1");

  TStatCalculator calculator;
  calculator.Choose(static_cast<TCalcDistribution>(chosen));
  const TCalcCaptions captions = calculator.Captions();
  const std::pair<const char*, TCalcField> edits[] = {{"--df", TCalcField::DF},
                                                      {"--df1", TCalcField::DF1},
                                                      {"--x", TCalcField::X},
                                                      {"--p", TCalcField::P},
                                                      {"--p1", TCalcField::P1}};
  for (const auto& [option, field] : edits) {
    if (!run.args.Has(option)) continue;
    if (field == TCalcField::DF1 && !captions.df1Visible)
      return run.Usage(std::string(option) + ": the " + names[static_cast<size_t>(chosen)] +
                       " distribution has one parameter only");
    std::string text;
    if (!FinishedNumberText(run.args.Value(option), text) || !calculator.Edit(field, text))
      return run.Usage(std::string(option) + " " + run.args.Value(option) +
                       " is not a valid value here for the " + names[static_cast<size_t>(chosen)] +
                       " distribution");
  }
  PrintRow(run.streams.out, {"X:", calculator.Text(TCalcField::X)});
  PrintRow(run.streams.out, {"P ( x > X ):", calculator.Text(TCalcField::P)});
  PrintRow(run.streams.out, {"1 - P:", calculator.Text(TCalcField::P1)});
  PrintRow(run.streams.out, {captions.df, calculator.Text(TCalcField::DF)});
  if (captions.df1Visible)
    PrintRow(run.streams.out, {captions.df1, calculator.Text(TCalcField::DF1)});
  return kExitOk;
}

int RunTest(const TRun& run) {
  // The reader gave the test as declared: t, F, z, chi2, welch, anova or
  // welch-anova.
  const std::map<std::string, TStatTest, std::less<>> tests = {
      {"t", TStatTest::T},
      {"F", TStatTest::F},
      {"z", TStatTest::Z},
      {"chi2", TStatTest::ChiSquare},
      {"welch", TStatTest::Welch},
      {"anova", TStatTest::Anova},
      {"welch-anova", TStatTest::WelchAnova}};
  const TStatTest test = tests.at(run.args[0]);
  if (run.args.Has("--no-yates") && !UsesContingencyTable(test))
    return run.Usage("--no-yates belongs to the z and chi2 tests");

  int status = kExitOk;
  TDataSession session;
  TDataSeries data;
  if (!OpenData(run, session, status) || !LoadData(run, data, status)) return status;
  TStatTestResult result;
  if (!RunStatTest(test, data.Samples(), !run.args.Has("--no-yates"), result)) return kExitFailed;
  PrintRow(run.streams.out, {StatisticCaption(test), result.StatisticText()});
  PrintRow(run.streams.out, {kPCaption, result.PText()});
  PrintRow(run.streams.out, {kRejectCaption, result.RejectText()});
  if (result.missing > 0) PrintRow(run.streams.out, {result.MissingText()});
  if (test == TStatTest::Welch || IsAnova(test))
    PrintRow(run.streams.out, {kDegreesCaption, result.DegreesText()});
  if (result.hasEffect) {
    PrintRow(run.streams.out, {EffectCaption(test), result.EffectText()});
    PrintRow(run.streams.out, {kIntervalCaption, result.IntervalText()});
  }
  if (UsesContingencyTable(test)) {
    run.streams.out << "\n";
    PrintMatrix(run.streams.out, result.table.Text());
  }
  if (result.anova) {
    run.streams.out << "\n";
    PrintMatrix(run.streams.out, result.anova->Table());
    run.streams.out << "\n";
    PrintMatrix(run.streams.out, result.anova->TukeyTable());
  }
  return kExitOk;
}

int RunCorrelate(const TRun& run) {
  int status = kExitOk;
  TDataSession session;
  TDataSeries data;
  if (!OpenData(run, session, status) || !LoadData(run, data, status)) return status;
  TCorrelation correlation;
  if (!Correlate(data.Samples(), correlation)) return kExitFailed;
  PrintMatrix(run.streams.out, correlation.Text());
  return kExitOk;
}

int RunHistogram(const TRun& run) {
  int status = kExitOk;
  // --series (once) names a column of --file, or defines the series of --project.
  const std::string series = run.args.Value("--series");
  std::string name = series, expression;
  if (run.args.Has("--project") && !SplitDefinition(series, name, expression))
    return run.Usage("--series takes NAME=EXPRESSION, not " + series);
  int intervals = kDefaultIntervals;
  if (run.args.Has("--intervals")) {
    const std::string text = Trim(run.args.Value("--intervals"));
    size_t used = 0;
    try {
      intervals = std::stoi(text, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used == 0 || used != text.size() || intervals < kMinIntervals || intervals > kMaxIntervals)
      return run.Usage("--intervals takes a whole number from " + std::to_string(kMinIntervals) +
                       " to " + std::to_string(kMaxIntervals) + ", not " + text);
  }
  TDataSession session;
  TDataSeries data;
  if (!OpenData(run, session, status) || !LoadData(run, data, status)) return status;
  if (!FindSeries(run, data, name)) return kExitFailed;
  const std::vector<TSample> samples = data.Samples();
  const TSample* selected = nullptr;
  for (const TSample& sample : samples)
    if (SameText(sample.name, name)) selected = &sample;
  THistogram histogram;
  if (!BuildHistogram(selected, intervals, histogram)) return kExitFailed;
  PrintRow(run.streams.out, {"Label", "Low", "High", "Count"});
  for (const THistogramBar& bar : histogram.bars)
    PrintRow(run.streams.out,
             {bar.label, FloatToText(bar.low), FloatToText(bar.high), std::to_string(bar.count)});
  return kExitOk;
}

int RunRegress(const TRun& run) {
  int status = kExitOk;
  if (!run.args.Has("--dependent")) return run.Usage("--dependent is missing");
  TMiningOptions mining;
  if (run.args.Has("--objects") && !ReadMiningOptions(run, 0, mining, status)) return status;
  TDataSession session;
  if (!OpenData(run, session, status)) return status;
  TLinearRegression regression;
  if (run.args.Has("--objects")) {
    TDataAnalysis analysis;
    if (!LoadAnalysis(run.args, mining, {}, analysis)) return kExitFailed;
    const int dependent = analysis.FindParam(run.args.Value("--dependent"));
    if (dependent < 0)
      return run.Usage("--dependent " + run.args.Value("--dependent") +
                       " is not one of the parameters of --params and --calc");
    try {
      if (!analysis.OpenRegression(dependent, regression)) return kExitFailed;
    } catch (const ErrorException&) {
      return kExitFailed; // shown already
    }
    return PrintRegression(run, regression);
  }

  TDataSeries data;
  if (!LoadData(run, data, status)) return status;
  const TStatSeries* dependent = FindSeries(run, data, run.args.Value("--dependent"));
  if (!dependent) return kExitFailed;
  if (!CheckTable(run, data)) return kExitFailed;
  if (data.series.size() < 2) {
    run.streams.err << "vandro-cli regress: the data need a series beside the dependent one\n";
    return kExitFailed;
  }

  std::vector<TRegressionVariable> variables;
  TIntList predictors;
  int dependentIndex = 0;
  const size_t rows = static_cast<size_t>(dependent->Count());
  TDataTable table(rows, std::vector<long double>(data.series.size() + 1, 0));
  for (size_t c = 0; c < data.series.size(); ++c) {
    const TStatSeries& series = *data.series[c];
    variables.push_back({series.Name(), series.UnitText, false, {}});
    if (&series == dependent)
      dependentIndex = static_cast<int>(c);
    else
      predictors.Add(static_cast<int32_t>(c));
    for (size_t r = 0; r < rows; ++r)
      table[r][c + 1] = series.Numbers[r];
  }
  if (!regression.Open(std::move(table), std::move(variables), dependentIndex, predictors))
    return kExitFailed;
  return PrintRegression(run, regression);
}

int RunCluster(const TRun& run) {
  int status = kExitOk;
  // The reader gave the distance as declared.
  const std::string name = run.args.Value("--distance", "euclidean");
  const TClusterDistance distance = name == "manhattan" ? cdManhattan
                                    : name == "hamming" ? cdHamming
                                                        : cdEuclidean;
  std::vector<long double> weights;
  if (run.args.Has("--weights")) {
    const std::string list = run.args.Value("--weights");
    size_t start = 0;
    for (;;) {
      const size_t comma = list.find(',', start);
      const std::string text =
          list.substr(start, comma == std::string::npos ? comma : comma - start);
      long double weight = 0;
      if (!ReadNumber(text, weight) || weight < 0)
        return run.Usage("--weights: " + (text.empty() ? std::string("an empty weight") : text) +
                         " is not a number of 0 or more");
      weights.push_back(weight);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }

  TMiningOptions mining;
  if (run.args.Has("--objects") && !ReadMiningOptions(run, weights.size(), mining, status))
    return status;
  TDataSession session;
  if (!OpenData(run, session, status)) return status;
  if (run.args.Has("--objects")) {
    TDataAnalysis analysis;
    if (!LoadAnalysis(run.args, mining, weights, analysis)) return kExitFailed;
    TMergeTable merges;
    try {
      if (!analysis.RunCluster(distance, merges)) return kExitFailed;
    } catch (const ErrorException&) {
      return kExitFailed; // shown already
    }
    return PrintCluster(run.streams, merges, analysis.Objects());
  }

  TDataSeries data;
  if (!LoadData(run, data, status)) return status;
  // A text first series names the objects; the other series are their parameters.
  std::vector<std::unique_ptr<TStatSeries>> parameters;
  std::unique_ptr<TStatSeries> names;
  for (auto& series : data.series) {
    if (!names && parameters.empty() && series->Kind == skText)
      names = std::move(series);
    else
      parameters.push_back(std::move(series));
  }
  data.series = std::move(parameters);
  if (data.series.empty()) {
    run.streams.err << "vandro-cli cluster: the data have no parameter series\n";
    return kExitFailed;
  }
  if (!CheckTable(run, data)) return kExitFailed;
  const int rows = data.series.front()->Count();
  if (names && names->Count() != rows) {
    run.streams.err << "vandro-cli cluster: the names in column " << ForTerminal(names->Name())
                    << " are " << names->Count() << " and the objects " << rows << "\n";
    return kExitFailed;
  }
  const int columns = static_cast<int>(data.series.size());
  if (!weights.empty() && weights.size() != data.series.size())
    return run.Usage("--weights gives " + std::to_string(weights.size()) + " weights for " +
                     std::to_string(columns) + " parameters");

  TClusterTable table;
  table.Resize(rows, columns);
  for (int c = 0; c < columns; ++c) {
    if (!weights.empty()) table.weights[static_cast<size_t>(c)] = weights[static_cast<size_t>(c)];
    for (int r = 0; r < rows; ++r)
      table.At(r, c) = data.series[static_cast<size_t>(c)]->Numbers[static_cast<size_t>(r)];
  }
  std::vector<TClusterObject> objects;
  for (int r = 0; r < rows; ++r)
    objects.push_back(
        {names ? names->Texts[static_cast<size_t>(r)] : "Row " + std::to_string(r + 1), r + 1});

  TMergeTable merges;
  try {
    merges = Cluster(table, distance);
  } catch (const std::exception& error) {
    run.streams.err << "vandro-cli cluster: " << ForTerminal(error.what()) << "\n";
    return kExitFailed;
  }
  return PrintCluster(run.streams, merges, objects);
}

} // namespace vandro::cli
