#include "charts/chart_fill.h"

#include "shell/messages.h"
#include "stats/mining.h"
#include "stats/series.h"
#include "values/value.h"
#include "values/value_text.h"

#include <algorithm>

namespace vandro {

namespace {

// The value a source holds; nullptr when its packed form is damaged (the
// unpacking has said where).
TValue::Ptr Unpack(const std::string& packed) {
  TValue::Ptr value = TValue::Create("FillSeries");
  try {
    value->UnpackValue(packed, 1);
  } catch (const ErrorException&) {
    return nullptr;
  }
  return value;
}

// A source as numbers in the unit of its first item. No source, and an
// empty array, give no numbers; false when the source yields no array of
// numbers in one unit.
bool LoadNumbers(const std::string& packed, std::vector<double>& numbers, std::string& unit) {
  numbers.clear();
  unit.clear();
  if (packed.empty()) return true;
  TValue::Ptr source = Unpack(packed);
  if (!source) return false;
  if (source->IsNull()) return true;
  TValue::Ptr items = TValue::Create("FillSeries");
  if (!EvaluateSource(*source, *items)) return false;
  if (items->IsArray() && items->ItemCount() == 0) return true;

  TStatSeries series;
  series.Source = std::move(items);
  std::vector<std::string> errors;
  if (!series.Load(errors) || !errors.empty() || series.Kind != skNumeric) return false;
  numbers.assign(series.Numbers.begin(), series.Numbers.end());
  unit = series.UnitText;
  return true;
}

// The labels an array gives, or a formula or query that yields one; none
// for anything else.
std::vector<std::string> LoadLabels(const std::string& packed) {
  std::vector<std::string> labels;
  if (packed.empty()) return labels;
  TValue::Ptr source = Unpack(packed);
  if (!source) return labels;
  TValue::Ptr items = TValue::Create("FillSeries");
  if (!EvaluateSource(*source, *items) || !items->IsArray()) return labels;
  for (int i = 0; i < items->ItemCount(); ++i)
    labels.push_back(ToDisplayText(&items->GetItem(i)));
  return labels;
}

void TakeUnitAsTitle(TChartAxis& axis, const std::string& unit) {
  if (axis.Title.empty()) axis.Title = unit;
}

} // namespace

bool FillSeries(TChartDefinition& chart, int index) {
  if (index < 0 || index >= static_cast<int>(chart.Series.size())) return false;
  TChartSeries& series = chart.Series[static_cast<size_t>(index)];
  series.Points.clear();

  std::vector<double> ys, xs;
  std::string yUnit, xUnit;
  if (!LoadNumbers(series.YSource, ys, yUnit)) {
    ShowMsg(kYSourceRefusal);
    return false;
  }
  if (!LoadNumbers(series.XSource, xs, xUnit)) {
    ShowMsg(kXSourceRefusal);
    return false;
  }
  if (ys.empty() && xs.empty()) return true;

  TakeUnitAsTitle(chart.Axes[caxLeft], yUnit);
  TakeUnitAsTitle(chart.Axes[caxBottom], xUnit);
  if (xs.empty()) {
    for (size_t i = 0; i < ys.size(); ++i)
      xs.push_back(static_cast<double>(i));
  } else if (ys.empty()) {
    ys.assign(xs.size(), 0);
  }
  if (ys.size() > xs.size()) {
    ShowMsg(kYTrimmed);
    ys.resize(xs.size());
  } else if (xs.size() > ys.size()) {
    ShowMsg(kXTrimmed);
    xs.resize(ys.size());
  }

  const std::vector<std::string> labels = LoadLabels(series.LSource);
  series.Points.reserve(xs.size());
  for (size_t i = 0; i < xs.size(); ++i)
    series.Points.push_back({xs[i], ys[i], i < labels.size() ? labels[i] : std::string()});
  return true;
}

bool FillChart(TChartDefinition& chart) {
  bool filled = true;
  for (int i = 0; i < static_cast<int>(chart.Series.size()); ++i)
    filled = FillSeries(chart, i) && filled;
  return filled;
}

} // namespace vandro
