#include "stats/series_grid.h"

#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/numbers.h"

namespace vandro {

namespace {

constexpr size_t kRowCount = 1 + kStatMainRows.size() + kStatOptionalRows.size();

enum Row : size_t {
  rowCount = 1,
  rowMissing,
  rowTotal,
  rowMean,
  rowMin,
  rowMax,
  rowDeviationPopulation,
  rowDeviationSample,
  rowMedian,
  rowMode,
  rowModalFrequency,
  rowLowerTertile,
  rowUpperTertile,
  rowFirstQuartile,
  rowThirdQuartile,
  rowFirstQuintile,
};

std::string DisplayUnit(const TStatSeries& series) {
  if (series.Kind == skDate) return "[day]";
  const std::string& unit = series.UnitText;
  return unit.empty() || unit[0] == '[' ? unit : "[" + unit + "]";
}

std::string DateText(long double moment) {
  return DateTimeToText(static_cast<double>(moment));
}

void FillColumn(const TStatSeries& s, std::vector<std::string*>& cell) {
  const std::string unit = DisplayUnit(s);
  auto withUnit = [&](long double value) { return FloatToText(value) + " " + unit; };
  *cell[rowCount] = std::to_string(s.StatCount);
  *cell[rowMissing] = std::to_string(s.MissingCount);
  switch (s.Kind) {
  case skNumeric:
    *cell[rowTotal] = withUnit(s.Total);
    *cell[rowMean] = withUnit(s.Mean);
    *cell[rowMin] = withUnit(s.Minimum);
    *cell[rowMax] = withUnit(s.Maximum);
    *cell[rowDeviationPopulation] = withUnit(s.DeviationPopulation);
    *cell[rowDeviationSample] = withUnit(s.DeviationSample);
    *cell[rowMedian] = withUnit(s.Median);
    break;
  case skText:
    *cell[rowTotal] = *cell[rowMean] = " n/a ";
    *cell[rowDeviationPopulation] = *cell[rowDeviationSample] = " n/a ";
    *cell[rowMin] = s.MinimumText;
    *cell[rowMax] = s.MaximumText;
    *cell[rowMedian] = "n/a";
    break;
  case skDate:
    *cell[rowTotal] = "n/a";
    *cell[rowMean] = DateText(s.Mean);
    *cell[rowMin] = DateText(s.Minimum);
    *cell[rowMax] = DateText(s.Maximum);
    *cell[rowMedian] = DateText(s.Median);
    *cell[rowDeviationPopulation] = FloatToText(s.DeviationPopulation) + unit;
    *cell[rowDeviationSample] = FloatToText(s.DeviationSample) + unit;
    break;
  case skReference:
    break;
  }

  if (!s.ModeExists)
    *cell[rowMode] = "n/a";
  else if (s.Kind == skText)
    *cell[rowMode] = s.ModeText;
  else if (s.Kind == skDate)
    *cell[rowMode] = DateText(s.Mode) + unit;
  else
    *cell[rowMode] = withUnit(s.Mode);
  *cell[rowModalFrequency] = s.ModeExists ? FloatToText(s.ModalFrequency) : "n/a";
  // Quantiles of dates are moments, shown as the median is.
  auto optional = [&](size_t row, bool valid, long double value) {
    if (!valid)
      *cell[row] = "n/a";
    else
      *cell[row] = s.Kind == skDate ? DateText(value) : withUnit(value);
  };
  optional(rowLowerTertile, s.TertilesValid, s.LowerTertile);
  optional(rowUpperTertile, s.TertilesValid, s.UpperTertile);
  optional(rowFirstQuartile, s.QuartilesValid, s.FirstQuartile);
  optional(rowThirdQuartile, s.QuartilesValid, s.ThirdQuartile);
  for (size_t j = 0; j < 4; ++j)
    optional(rowFirstQuintile + j, s.QuintilesValid, s.Quintiles[j]);
}

} // namespace

TStatGrid BasicStatGrid(const std::vector<TStatSeries*>& series) {
  TStatGrid grid(kRowCount, std::vector<std::string>(series.size() + 1));
  grid[0][0] = kStatGridCorner;
  for (size_t r = 0; r < kStatMainRows.size(); ++r)
    grid[1 + r][0] = kStatMainRows[r];
  for (size_t r = 0; r < kStatOptionalRows.size(); ++r)
    grid[1 + kStatMainRows.size() + r][0] = kStatOptionalRows[r];

  for (size_t c = 0; c < series.size(); ++c) {
    TStatSeries& s = *series[c];
    grid[0][c + 1] = s.Name();
    if (!s.Loaded) {
      ShowMsg(s.Name() + ": improper data in the series content." + kLineBreak + "Series skipped");
      continue;
    }
    s.Compute();
    std::vector<std::string*> column(kRowCount);
    for (size_t r = 0; r < kRowCount; ++r)
      column[r] = &grid[r][c + 1];
    FillColumn(s, column);
  }
  return grid;
}

} // namespace vandro
