// vandro-cli charts and chart: the project's charts listed, a definition
// printed, made or replaced from a text file, deleted, or drawn to a picture
// file without a display.
//
// Drawing needs Qt, which takes longer to load than most commands take to
// run: vandro-cli leaves it out and hands "chart --output" to
// vandro-chart-render, the same commands with the drawing put in.
#include "chart_renderer.h"
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
#include "storage/project_files.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vandro::cli {

namespace {

constexpr int kMaxPictureSide = 20000;

TChartRenderer& InstalledRenderer() {
  static TChartRenderer renderer;
  return renderer;
}

// "WxH" with both sides from 1 to kMaxPictureSide.
bool ReadSize(const std::string& text, TPictureSize& size) {
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
  size = {sides[0], sides[1]};
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
int Render(const std::string& name, const std::string& path, std::optional<TPictureSize> size) {
  if (!MayWriteOver(path)) return kExitFailed;
  if (!MarkChartInUse(name)) return kExitFailed;
  TChartDocument document;
  if (!document.Open(name, false)) return kExitFailed;
  const TChartDefinition& chart = document.Chart();
  std::string error;
  if (!InstalledRenderer()(chart, OsPath(path),
                           size.value_or(TPictureSize{chart.Width, chart.Height}), &error)) {
    ShowMsg("Can't draw the chart " + name + " to " + path + ": " + error);
    return kExitFailed;
  }
  return kExitOk;
}

// vandro-chart-render beside the running program (installed together), or
// where the build put it.
std::string RendererProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path beside = self.parent_path() / "vandro-chart-render";
    if (std::filesystem::is_regular_file(beside, error)) return beside.string();
  }
  return VANDRO_CHART_RENDERER;
}

// The same command run by vandro-chart-render: its messages, wherever they
// were written, come back as this command's, and so does its exit status.
int RenderInRenderer(const TRun& run) {
  const std::string program = RendererProgram();
  std::vector<std::string> words = {program, "chart"};
  for (size_t i = 0; i < 2; ++i)
    words.push_back(ForTerminal(run.args[i]));
  for (const char* option : {"--output", "--size"})
    if (run.args.Has(option)) {
      words.push_back(option);
      words.push_back(ForTerminal(run.args.Value(option)));
    }
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    ShowMsg("Can't start " + program + ": " + std::strerror(errno));
    return kExitFailed;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  pid_t child = 0;
  const int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (started != 0) {
    close(pipeEnds[0]);
    ShowMsg("Can't start " + program + ": " + std::strerror(started));
    return kExitFailed;
  }
  std::string said;
  char buffer[4096];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0)
      said.append(buffer, static_cast<size_t>(got));
    else if (errno != EINTR)
      break;
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  run.streams.err << said;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  ShowMsg(program + " stopped by signal " + std::to_string(WTERMSIG(status)));
  return kExitFailed;
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
  std::optional<TPictureSize> size;
  if (run.args.Has("--size")) {
    TPictureSize given;
    if (!ReadSize(run.args.Value("--size"), given))
      return run.Usage("--size " + run.args.Value("--size") + ": not WxH, each side 1 to " +
                       std::to_string(kMaxPictureSide));
    size = given;
  }
  const std::string output = run.args.Value("--output");
  if (run.args.Has("--output") && !IsPictureName(output))
    return run.Usage("--output " + output + ": the name must end in .png, .svg or .pdf");

  if (run.args.Has("--output") && !InstalledRenderer()) return RenderInRenderer(run);

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

void InstallChartRenderer(TChartRenderer renderer) {
  InstalledRenderer() = std::move(renderer);
}

} // namespace vandro::cli
