// A chart's definition text and back.
//
// CaptureChart writes every key in the stored order: the window, the 3-D
// view, the walls, the margins, zoom and axes flags, header and footer, the
// legend, the five axis blocks (left, bottom, right, top, depth) and one
// series block per series. ApplyChart reads such text; a definition read and
// written again gives the same lines.
#pragma once

#include "charts/chart_definition.h"

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

inline constexpr const char* kChartDamaged = "Chart descriptor damaged!";

std::vector<std::string> CaptureChart(const TChartDefinition& chart);

// Resets chart to the defaults, then reads lines in order. A line it cannot
// read stops the reading: false, with "Chart descriptor damaged!", a line
// break and that line in *error (not shown); chart keeps what was read before
// it. The series' points are not filled (FillChart does that).
bool ApplyChart(const std::vector<std::string>& lines, TChartDefinition& chart, std::string* error);

} // namespace vandro
