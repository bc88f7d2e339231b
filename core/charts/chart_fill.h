// Filling a chart's series with points from their sources.
#pragma once

#include "charts/chart_definition.h"

namespace vandro {

inline constexpr const char* kYSourceRefusal = "Source of Y values should be a numeric array";
inline constexpr const char* kXSourceRefusal = "Source of X values should be a numeric array";
inline constexpr const char* kYTrimmed = "Set of Y values will be trimmed";
inline constexpr const char* kXTrimmed = "Set of X values will be trimmed";

// Replaces the points of chart.Series[index] with those its X, Y and label
// sources give: Y (and X) as numeric arrays, X = 0, 1, ... when there is no X
// source, Y = 0 when there is no Y source, the longer one trimmed to the
// shorter with a message, labels from an array or a formula that yields one.
// An empty left or bottom axis title takes the Y or X unit. A source that is
// no numeric array is reported (ShowMsg), leaves the series without points
// and gives false.
bool FillSeries(TChartDefinition& chart, int index);
// Every series in turn; false when any was refused.
bool FillChart(TChartDefinition& chart);

} // namespace vandro
