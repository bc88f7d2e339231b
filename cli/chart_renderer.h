// The drawing of "chart --output": vandro-chart-render installs it; without
// one, the command runs in that program.
#pragma once

#include "charts/chart_definition.h"

#include <functional>
#include <string>

namespace vandro::cli {

struct TPictureSize {
  int width = 0;
  int height = 0;
};

// Draws chart at size to path (".png", ".svg" or ".pdf"); false with the
// reason in *error.
using TChartRenderer = std::function<bool(const TChartDefinition& chart, const std::string& path,
                                          TPictureSize size, std::string* error)>;

void InstallChartRenderer(TChartRenderer renderer);

} // namespace vandro::cli
