// The rules of the "Chart Properties" window that are not drawing: how its
// lists map onto the stored numbers, how series are added, renamed and
// deleted, and how a typed scale end is read. The window (TChartPropsDlg)
// shows the controls and hands every edit here or straight to the
// definition.
#pragma once

#include "charts/chart_definition.h"

#include <string>

namespace vandro {

inline constexpr const char* kTooManySeries = "A chart holds at most 128 series";
inline constexpr const char* kEmptySeriesName = "Series name should not be empty";
// Followed by the name.
inline constexpr const char* kSeriesNameInUse = "Series name is already in use: ";

// The "Axis:" list shows Left, Bottom, Depth, Right, Top; the axes are stored
// left, bottom, right, top, depth.
int AxisOfListRow(int row);
int ListRowOfAxis(int axis);

// The "Align" lists show Left, Center, Right; the stored numbers are
// 0 left, 1 right, 2 centre.
int AlignOfListRow(int row);
int ListRowOfAlign(int align);

// "Series1", "Series2", ...: the first that no series of chart bears, in any
// letter case.
std::string NewSeriesName(const TChartDefinition& chart);

// Appends a series of type (a TChartSeriesType) with a new name, no sources
// and the next colour of DefaultSeriesColor; its index, or -1 after
// "A chart holds at most 128 series" when the chart is full.
int AddChartSeries(TChartDefinition& chart, int type);

// Renames series index; an empty name, or one another series bears in any
// letter case, is refused with a message and changes nothing.
bool RenameChartSeries(TChartDefinition& chart, int index, const std::string& name);

// Asks "You are about to delete the series NAME" / "Do you want to
// continue?" and deletes it on Yes.
bool DeleteChartSeries(TChartDefinition& chart, int index);

// A scale end typed into the field named caption: false, after
// caption + " is not a number: " + text, when it is no number.
bool ReadScaleNumber(const std::string& caption, const std::string& text, double& value);

// What a source field shows for a packed source: the value's text, empty for
// none.
std::string ChartSourceText(const std::string& packed);

} // namespace vandro
