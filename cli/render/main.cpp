// vandro-chart-render: vandro-cli's commands with the drawing of charts put
// in; vandro-cli runs it for "chart --output", so that its other commands
// start without loading Qt.
#include "app/charts/chart_builder.h"
#include "chart_renderer.h"
#include "cli.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  vandro::cli::InstallChartRenderer([](const vandro::TChartDefinition& chart,
                                       const std::string& path, vandro::cli::TPictureSize size,
                                       std::string* error) {
    return vandro::RenderChartFile(chart, path, QSize(size.width, size.height), error);
  });
  const std::vector<std::string> args(argv + 1, argv + argc);
  return vandro::cli::RunCli(args, {std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1});
}
