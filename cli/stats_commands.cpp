// The statistics commands of vandro-cli: the statistics engine over the
// series of a delimited text file, its results as tab-separated text.
#include "cli_sink.h"
#include "commands.h"
#include "data_file.h"
#include "language/executor.h"
#include "model/project.h"
#include "shell/int_list.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "stats/calculator.h"
#include "stats/cluster.h"
#include "stats/cluster_tree.h"
#include "stats/correlation.h"
#include "stats/histogram.h"
#include "stats/regression.h"
#include "stats/series_grid.h"
#include "stats/stat_tests.h"

#include <charconv>
#include <cmath>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>
#include <utility>

namespace vandro::cli {

namespace {

// The options of a command and its positional words.
struct TArgs {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  std::vector<std::string> words;

  bool Has(const std::string& option) const {
    return values.count(option) != 0 || flags.count(option) != 0;
  }
  std::string Value(const std::string& option, const std::string& fallback = {}) const {
    const auto found = values.find(option);
    return found == values.end() ? fallback : found->second;
  }
};

struct TOption {
  const char* name;
  bool takesValue;
};

// Options every command with data accepts.
constexpr TOption kFileOption{"--file", true};
constexpr TOption kSepOption{"--sep", true};

// Data from a project need the records and queries layers.
bool IsProjectOption(const std::string& word) {
  return word == "--project" || word == "--series" || word == "--objects" || word == "--params";
}

// Parses args against options; on wrong usage reports it and returns false
// with status set.
bool ParseArgs(const std::vector<std::string>& args, std::initializer_list<TOption> options,
               size_t maxWords, TCliStreams& streams, const TCommand& command, TArgs& parsed,
               int& status) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.rfind("--", 0) != 0 || word.size() == 2) {
      if (parsed.words.size() == maxWords) {
        status = UsageError(streams, command, "unexpected argument " + word);
        return false;
      }
      parsed.words.push_back(word);
      continue;
    }
    const TOption* option = nullptr;
    for (const TOption& candidate : options)
      if (word == candidate.name) option = &candidate;
    if (!option) {
      status = UsageError(streams, command,
                          IsProjectOption(word)
                              ? word + ": data from a project are not available yet; give the "
                                       "data with --file"
                              : "unknown option " + word);
      return false;
    }
    if (parsed.Has(word)) {
      status = UsageError(streams, command, word + " is given twice");
      return false;
    }
    if (!option->takesValue) {
      parsed.flags.insert(word);
      continue;
    }
    if (i + 1 == args.size()) {
      status = UsageError(streams, command, word + " needs a value");
      return false;
    }
    parsed.values[word] = args[++i];
  }
  return true;
}

// The in-memory project whose units the series are read in, and the
// language that evaluates cells written as formulas.
struct TSession {
  std::unique_ptr<TProject> project = TProject::CreateInMemory();
  ScopedProject open{*project};
  ScopedLanguage language;
};

// Reads and loads the series of --file; reports the failure and sets status.
bool LoadData(const TArgs& args, TCliStreams& streams, const TCommand& command, TDataSeries& data,
              int& status) {
  if (!args.Has("--file")) {
    status = UsageError(streams, command, "--file is missing");
    return false;
  }
  std::string separator;
  if (!SeparatorFromOption(args.Value("--sep", "tab"), separator)) {
    status = UsageError(streams, command, "--sep needs a separator");
    return false;
  }
  TDataFile file;
  std::string error;
  if (!ReadDataFile(args.Value("--file"), separator, file, error) ||
      !LoadDataSeries(file, data, error)) {
    streams.err << "vandro-cli " << command.name << ": " << error << "\n";
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
const TStatSeries* FindSeries(const TDataSeries& data, const std::string& name,
                              TCliStreams& streams, const TCommand& command) {
  std::string names;
  for (const auto& series : data.series) {
    if (SameText(series->Name(), name)) return series.get();
    names += (names.empty() ? "" : ", ") + series->Name();
  }
  streams.err << "vandro-cli " << command.name << ": no series " << ForTerminal(name)
              << " in the file (it has " << ForTerminal(names) << ")\n";
  return nullptr;
}

// The series must all be numeric (or dates) and of one length, as rows of a
// table of observations; reports the first that is not.
bool CheckTable(const TDataSeries& data, TCliStreams& streams, const TCommand& command) {
  const TStatSeries& first = *data.series.front();
  for (const auto& series : data.series) {
    if (series->Kind == skText || series->Kind == skReference) {
      streams.err << "vandro-cli " << command.name << ": series " << ForTerminal(series->Name())
                  << " is not numeric\n";
      return false;
    }
    if (series->Count() != first.Count()) {
      streams.err << "vandro-cli " << command.name << ": series " << ForTerminal(series->Name())
                  << " has " << series->Count() << " values and series "
                  << ForTerminal(first.Name()) << " has " << first.Count()
                  << "; every series needs one value per row\n";
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

} // namespace

int RunStats(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("stats");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args, {kFileOption, kSepOption}, 0, streams, command, parsed, status))
    return status;
  TSession session;
  TDataSeries data;
  if (!LoadData(parsed, streams, command, data, status)) return status;
  for (const auto& row : BasicStatGrid(data.Pointers()))
    PrintRow(streams.out, row);
  return kExitOk;
}

int RunDist(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("dist");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args,
                 {{"--x", true}, {"--p", true}, {"--p1", true}, {"--df", true}, {"--df1", true}}, 1,
                 streams, command, parsed, status))
    return status;
  if (parsed.words.empty()) return UsageError(streams, command, "DISTRIBUTION is missing");

  // The calculator's own names, or the start of one of them ("student", "chi").
  const auto& names = TStatCalculator::DistributionNames();
  const std::string& wanted = parsed.words.front();
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
    return UsageError(streams, command, "unknown distribution " + wanted + "; one of " + list);
  }

  const int given = static_cast<int>(parsed.Has("--x")) + static_cast<int>(parsed.Has("--p")) +
                    static_cast<int>(parsed.Has("--p1"));
  if (given != 1) return UsageError(streams, command, "give exactly one of --x, --p and --p1");

  TStatCalculator calculator;
  calculator.Choose(static_cast<TCalcDistribution>(chosen));
  const TCalcCaptions captions = calculator.Captions();
  const std::pair<const char*, TCalcField> edits[] = {{"--df", TCalcField::DF},
                                                      {"--df1", TCalcField::DF1},
                                                      {"--x", TCalcField::X},
                                                      {"--p", TCalcField::P},
                                                      {"--p1", TCalcField::P1}};
  for (const auto& [option, field] : edits) {
    if (!parsed.Has(option)) continue;
    if (field == TCalcField::DF1 && !captions.df1Visible)
      return UsageError(streams, command,
                        std::string(option) + ": the " + names[static_cast<size_t>(chosen)] +
                            " distribution has one parameter only");
    std::string text;
    if (!FinishedNumberText(parsed.Value(option), text) || !calculator.Edit(field, text))
      return UsageError(streams, command,
                        std::string(option) + " " + parsed.Value(option) +
                            " is not a valid value here for the " +
                            names[static_cast<size_t>(chosen)] + " distribution");
  }
  PrintRow(streams.out, {"X:", calculator.Text(TCalcField::X)});
  PrintRow(streams.out, {"P ( x > X ):", calculator.Text(TCalcField::P)});
  PrintRow(streams.out, {"1 - P:", calculator.Text(TCalcField::P1)});
  PrintRow(streams.out, {captions.df, calculator.Text(TCalcField::DF)});
  if (captions.df1Visible) PrintRow(streams.out, {captions.df1, calculator.Text(TCalcField::DF1)});
  return kExitOk;
}

int RunTest(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("test");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args, {kFileOption, kSepOption, {"--no-yates", false}}, 1, streams, command,
                 parsed, status))
    return status;
  if (parsed.words.empty())
    return UsageError(streams, command, "the test (t, F, z or chi2) is missing");
  const std::pair<const char*, TStatTest> tests[] = {{"t", TStatTest::T},
                                                     {"F", TStatTest::F},
                                                     {"z", TStatTest::Z},
                                                     {"chi2", TStatTest::ChiSquare}};
  TStatTest test = TStatTest::None;
  for (const auto& [name, kind] : tests)
    if (SameText(name, parsed.words.front())) test = kind;
  if (test == TStatTest::None)
    return UsageError(streams, command,
                      "unknown test " + parsed.words.front() + "; t, F, z or chi2");
  if (parsed.Has("--no-yates") && !UsesContingencyTable(test))
    return UsageError(streams, command, "--no-yates belongs to the z and chi2 tests");

  TSession session;
  TDataSeries data;
  if (!LoadData(parsed, streams, command, data, status)) return status;
  TStatTestResult result;
  if (!RunStatTest(test, data.Samples(), !parsed.Has("--no-yates"), result)) return kExitFailed;
  PrintRow(streams.out, {StatisticCaption(test), result.StatisticText()});
  PrintRow(streams.out, {kPCaption, result.PText()});
  PrintRow(streams.out, {kRejectCaption, result.RejectText()});
  if (UsesContingencyTable(test)) {
    streams.out << "\n";
    PrintMatrix(streams.out, result.table.Text());
  }
  return kExitOk;
}

int RunCorrelate(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("correlate");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args, {kFileOption, kSepOption}, 0, streams, command, parsed, status))
    return status;
  TSession session;
  TDataSeries data;
  if (!LoadData(parsed, streams, command, data, status)) return status;
  TCorrelation correlation;
  if (!Correlate(data.Samples(), correlation)) return kExitFailed;
  PrintMatrix(streams.out, correlation.Text());
  return kExitOk;
}

int RunHistogram(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("histogram");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args, {kFileOption, kSepOption, {"--series", true}, {"--intervals", true}}, 0,
                 streams, command, parsed, status))
    return status;
  if (!parsed.Has("--series")) return UsageError(streams, command, "--series is missing");
  int intervals = kDefaultIntervals;
  if (parsed.Has("--intervals")) {
    const std::string text = Trim(parsed.Value("--intervals"));
    size_t used = 0;
    try {
      intervals = std::stoi(text, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used == 0 || used != text.size() || intervals < kMinIntervals || intervals > kMaxIntervals)
      return UsageError(streams, command,
                        "--intervals takes a whole number from " + std::to_string(kMinIntervals) +
                            " to " + std::to_string(kMaxIntervals) + ", not " + text);
  }
  TSession session;
  TDataSeries data;
  if (!LoadData(parsed, streams, command, data, status)) return status;
  if (!FindSeries(data, parsed.Value("--series"), streams, command)) return kExitFailed;
  const std::vector<TSample> samples = data.Samples();
  const TSample* selected = nullptr;
  for (const TSample& sample : samples)
    if (SameText(sample.name, parsed.Value("--series"))) selected = &sample;
  THistogram histogram;
  if (!BuildHistogram(selected, intervals, histogram)) return kExitFailed;
  PrintRow(streams.out, {"Label", "Low", "High", "Count"});
  for (const THistogramBar& bar : histogram.bars)
    PrintRow(streams.out,
             {bar.label, FloatToText(bar.low), FloatToText(bar.high), std::to_string(bar.count)});
  return kExitOk;
}

int RunRegress(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("regress");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args,
                 {kFileOption,
                  kSepOption,
                  {"--dependent", true},
                  {"--alpha", true},
                  {"--eliminate", false}},
                 0, streams, command, parsed, status))
    return status;
  if (!parsed.Has("--dependent")) return UsageError(streams, command, "--dependent is missing");
  TSession session;
  TDataSeries data;
  if (!LoadData(parsed, streams, command, data, status)) return status;
  const TStatSeries* dependent = FindSeries(data, parsed.Value("--dependent"), streams, command);
  if (!dependent) return kExitFailed;
  if (!CheckTable(data, streams, command)) return kExitFailed;
  if (data.series.size() < 2) {
    streams.err << "vandro-cli regress: the file needs a series beside the dependent one\n";
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
  TLinearRegression regression;
  if (!regression.Open(std::move(table), std::move(variables), dependentIndex, predictors))
    return kExitFailed;
  if (parsed.Has("--alpha")) {
    regression.EditAlpha(parsed.Value("--alpha"));
    if (regression.AlphaRed())
      return UsageError(streams, command,
                        "--alpha takes a number from 0 to 1, not " + parsed.Value("--alpha"));
  }
  if (parsed.Has("--eliminate")) regression.Recalculate();

  for (const auto& row : regression.Grid())
    PrintRow(streams.out, row);
  streams.out << "\n";
  PrintRow(streams.out, {"Std.Error of estimate:", regression.EstimateErrorText()});
  PrintRow(streams.out, {"R-square:", regression.RSquareText()});
  PrintRow(streams.out, {"Alpha:", regression.AlphaText()});
  PrintRow(streams.out, {"F:", regression.FText()});
  PrintRow(streams.out, {regression.SSRegText()});
  PrintRow(streams.out, {regression.SSResText()});
  streams.out << "\nResult Formula\n";
  for (const std::string& line : regression.ResultFormula())
    PrintRow(streams.out, {line});
  return kExitOk;
}

int RunCluster(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("cluster");
  TArgs parsed;
  int status = kExitOk;
  if (!ParseArgs(args, {kFileOption, kSepOption, {"--distance", true}, {"--weights", true}}, 0,
                 streams, command, parsed, status))
    return status;
  TClusterDistance distance = cdEuclidean;
  if (parsed.Has("--distance")) {
    const std::string name = parsed.Value("--distance");
    if (SameText(name, "euclidean"))
      distance = cdEuclidean;
    else if (SameText(name, "manhattan"))
      distance = cdManhattan;
    else if (SameText(name, "hamming"))
      distance = cdHamming;
    else
      return UsageError(streams, command,
                        "unknown distance " + name + "; euclidean, manhattan or hamming");
  }
  std::vector<long double> weights;
  if (parsed.Has("--weights")) {
    const std::string list = parsed.Value("--weights");
    size_t start = 0;
    for (;;) {
      const size_t comma = list.find(',', start);
      const std::string text =
          list.substr(start, comma == std::string::npos ? comma : comma - start);
      long double weight = 0;
      if (!ReadNumber(text, weight) || weight < 0)
        return UsageError(streams, command,
                          "--weights: " + (text.empty() ? std::string("an empty weight") : text) +
                              " is not a number of 0 or more");
      weights.push_back(weight);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }

  TSession session;
  TDataSeries data;
  if (!LoadData(parsed, streams, command, data, status)) return status;
  // A text first column names the objects; the other columns are their parameters.
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
    streams.err << "vandro-cli cluster: the file has no parameter column\n";
    return kExitFailed;
  }
  if (!CheckTable(data, streams, command)) return kExitFailed;
  const int rows = data.series.front()->Count();
  if (names && names->Count() != rows) {
    streams.err << "vandro-cli cluster: the names in column " << ForTerminal(names->Name())
                << " are " << names->Count() << " and the objects " << rows << "\n";
    return kExitFailed;
  }
  const int columns = static_cast<int>(data.series.size());
  if (!weights.empty() && weights.size() != data.series.size())
    return UsageError(streams, command,
                      "--weights gives " + std::to_string(weights.size()) + " weights for " +
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
  TClusterTree tree;
  try {
    merges = Cluster(table, distance);
    tree.Open(merges, objects);
  } catch (const std::exception& error) {
    streams.err << "vandro-cli cluster: " << ForTerminal(error.what()) << "\n";
    return kExitFailed;
  }

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

} // namespace vandro::cli
