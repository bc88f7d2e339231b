#include "charts/chart_props.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/value.h"
#include "values/value_text.h"

#include <algorithm>
#include <iterator>

namespace vandro {

namespace {

constexpr int kAxisRows[kChartAxisCount] = {caxLeft, caxBottom, caxDepth, caxRight, caxTop};
constexpr int kAlignRows[] = {caLeft, caCenter, caRight};

// The row of value in rows; 0 for a number the list does not show, so a
// damaged definition still opens on a row.
template <size_t N> int RowOf(const int (&rows)[N], int value) {
  const auto* found = std::find(std::begin(rows), std::end(rows), value);
  return found == std::end(rows) ? 0 : static_cast<int>(found - std::begin(rows));
}

template <size_t N> int ValueOf(const int (&rows)[N], int row) {
  return row >= 0 && row < static_cast<int>(N) ? rows[row] : rows[0];
}

bool NameTaken(const TChartDefinition& chart, const std::string& name, int except) {
  for (int i = 0; i < static_cast<int>(chart.Series.size()); ++i)
    if (i != except && SameText(chart.Series[static_cast<size_t>(i)].Name, name)) return true;
  return false;
}

bool ValidIndex(const TChartDefinition& chart, int index) {
  return index >= 0 && index < static_cast<int>(chart.Series.size());
}

} // namespace

int AxisOfListRow(int row) {
  return ValueOf(kAxisRows, row);
}

int ListRowOfAxis(int axis) {
  return RowOf(kAxisRows, axis);
}

int AlignOfListRow(int row) {
  return ValueOf(kAlignRows, row);
}

int ListRowOfAlign(int align) {
  return RowOf(kAlignRows, align);
}

std::string NewSeriesName(const TChartDefinition& chart) {
  // At most 128 names are taken, so one of the first 129 is free.
  for (int number = 1;; ++number) {
    std::string name = "Series" + std::to_string(number);
    if (!NameTaken(chart, name, -1)) return name;
  }
}

int AddChartSeries(TChartDefinition& chart, int type) {
  if (static_cast<int>(chart.Series.size()) >= kMaxChartSeries) {
    ShowMsg(kTooManySeries);
    return -1;
  }
  TChartSeries series;
  series.Name = NewSeriesName(chart);
  series.Type = std::clamp(type, static_cast<int>(cstLine), static_cast<int>(cstPoint));
  series.Brush = DefaultSeriesColor(static_cast<int>(chart.Series.size()));
  chart.Series.push_back(std::move(series));
  return static_cast<int>(chart.Series.size()) - 1;
}

bool RenameChartSeries(TChartDefinition& chart, int index, const std::string& name) {
  if (!ValidIndex(chart, index)) return false;
  const std::string trimmed = Trim(name);
  if (trimmed.empty()) {
    ShowMsg(kEmptySeriesName);
    return false;
  }
  if (NameTaken(chart, trimmed, index)) {
    ShowMsg(kSeriesNameInUse + trimmed);
    return false;
  }
  chart.Series[static_cast<size_t>(index)].Name = trimmed;
  return true;
}

bool DeleteChartSeries(TChartDefinition& chart, int index) {
  if (!ValidIndex(chart, index)) return false;
  if (!Ask("You are about to delete the series " + chart.Series[static_cast<size_t>(index)].Name +
               kLineBreak + "Do you want to continue?",
           false))
    return false;
  chart.Series.erase(chart.Series.begin() + index);
  return true;
}

bool ReadScaleNumber(const std::string& caption, const std::string& text, double& value) {
  std::string typed = Trim(text);
  // A decimal comma reads as a point, as in the value constructor.
  std::replace(typed.begin(), typed.end(), ',', '.');
  double read = 0;
  if (TextToFloat(typed, read)) {
    value = read;
    return true;
  }
  ShowMsg(caption + " is not a number: " + text);
  return false;
}

std::string ChartSourceText(const std::string& packed) {
  if (packed.empty()) return {};
  TValue::Ptr value = TValue::Create("ChartSourceText");
  try {
    value->UnpackValue(packed, 1);
  } catch (const ErrorException&) {
    return {}; // the unpacking has said where it is damaged
  }
  return value->IsNull() ? std::string() : ToDisplayText(value.get());
}

} // namespace vandro
