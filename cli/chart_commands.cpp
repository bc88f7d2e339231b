// vandro-cli charts and chart: the project's charts listed, a definition
// printed, made or replaced from a text file, deleted, or drawn to a picture
// file without a display.
#include "app/charts/chart_builder.h"
#include "charts/chart_document.h"
#include "charts/chart_list.h"
#include "charts/chart_text.h"
#include "cli_sink.h"
#include "commands.h"
#include "exchange/text_lines.h"
#include "model/parameter.h"
#include "model/project.h"
#include "project_session.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/descriptors.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace vandro::cli {

namespace {

constexpr int kMaxPictureSide = 20000;

// "WxH" with both sides from 1 to kMaxPictureSide.
bool ReadSize(const std::string& text, QSize& size) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int sides[2] = {0, 0};
  const std::string_view parts[2] = {std::string_view(text).substr(0, x),
                                     std::string_view(text).substr(x + 1)};
  for (int i = 0; i < 2; ++i) {
    const char* end = parts[i].data() + parts[i].size();
    const auto [at, error] = std::from_chars(parts[i].data(), end, sides[i]);
    if (error != std::errc() || at != end || sides[i] < 1 || sides[i] > kMaxPictureSide)
      return false;
  }
  size = QSize(sides[0], sides[1]);
  return true;
}

bool IsPictureName(const std::string& path) {
  const std::string lower = LowerCase(path);
  for (const char* ending : {".png", ".svg", ".pdf"})
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ending) == 0) return true;
  return false;
}

// The lines of a definition file; false after a message.
bool ReadDefinitionFile(const std::string& path, std::vector<std::string>& lines) {
  TTextFileLines file;
  if (!file.Open(path)) return false;
  for (TSourceLine line; file.Next(line);) {
    if (!line.Problem.empty()) {
      ShowMsg("Can't read " + path + ", line " + std::to_string(line.Number) + ": " + line.Problem);
      return false;
    }
    lines.push_back(std::move(line.Text));
  }
  return true;
}

// Replaces or makes the chart from the file, whole or not at all.
int Define(const std::string& name, const std::string& path) {
  std::vector<std::string> lines;
  if (!ReadDefinitionFile(path, lines)) return kExitFailed;
  TChartDefinition chart;
  std::string error;
  if (!ApplyChart(lines, chart, &error)) {
    ShowMsg(error);
    return kExitFailed;
  }
  if (!ChartExists(name) && !IsChartName(name)) {
    ShowMsg("Chart Name should be an identifier");
    return kExitFailed;
  }
  if (!SaveDescriptor(CaptureChart(chart), name, dkChart, false, name)) return kExitFailed;
  AddChartName(name);
  return kExitOk;
}

int Delete(const std::string& name) {
  if (!ChartExists(name)) {
    ShowMsg("Chart not found. Name=" + name);
    return kExitFailed;
  }
  return DeleteChart(name) ? kExitOk : kExitFailed;
}

int Print(const std::string& name, std::ostream& out) {
  std::vector<std::string> lines;
  if (!LoadDescriptor(lines, name, dkChart)) {
    ShowMsg("Chart not found. Name=" + name);
    return kExitFailed;
  }
  for (const std::string& line : lines)
    out << ForTerminal(line) << '\n';
  return kExitOk;
}

// Opens the chart as its window does (the fill's messages on stderr) and
// draws it at the given size, or at the window's.
int Render(const std::string& name, const std::string& path, std::optional<QSize> size) {
  if (!MarkChartInUse(name)) return kExitFailed;
  TChartDocument document;
  if (!document.Open(name, false)) return kExitFailed;
  const TChartDefinition& chart = document.Chart();
  std::string error;
  if (!RenderChartFile(chart, OsPath(path), size.value_or(QSize(chart.Width, chart.Height)),
                       &error)) {
    ShowMsg("Can't draw the chart " + name + " to " + path + ": " + error);
    return kExitFailed;
  }
  return kExitOk;
}

} // namespace

int RunCharts(const TRun& run) {
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Read, [&](TProject& project) {
    run.streams.out << "Chart Name\n";
    for (const std::string& name : project.ChartNames())
      run.streams.out << ForTerminal(name) << '\n';
    return kExitOk;
  });
}

int RunChart(const TRun& run) {
  const int actions =
      run.args.Has("--define") + run.args.Has("--delete") + run.args.Has("--output");
  if (actions > 1) return run.Usage("--define, --delete and --output exclude each other");
  if (run.args.Has("--size") && !run.args.Has("--output"))
    return run.Usage("--size goes with --output");
  std::optional<QSize> size;
  if (run.args.Has("--size")) {
    QSize given;
    if (!ReadSize(run.args.Value("--size"), given))
      return run.Usage("--size " + run.args.Value("--size") + ": not WxH, each side 1 to " +
                       std::to_string(kMaxPictureSide));
    size = given;
  }
  const std::string output = run.args.Value("--output");
  if (run.args.Has("--output") && !IsPictureName(output))
    return run.Usage("--output " + output + ": the name must end in .png, .svg or .pdf");

  const std::string& name = run.args[1];
  const bool changes = run.args.Has("--define") || run.args.Has("--delete");
  TProjectSession session(run.args);
  return session.Run(run.args[0], changes ? TAccess::Change : TAccess::Read, [&](TProject&) {
    if (run.args.Has("--define")) return Define(name, run.args.Value("--define"));
    if (run.args.Has("--delete")) return Delete(name);
    if (run.args.Has("--output")) return Render(name, output, size);
    return Print(name, run.streams.out);
  });
}

} // namespace vandro::cli
