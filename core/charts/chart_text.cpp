// The keys of a definition are listed once, in VisitChart and VisitSeries, in
// the order the text stores them. The writer walks that list to write the
// lines; the reader walks it to build a table from key to field and then
// looks every line's key up in the table. A key added to the list is thus
// written and read alike.
#include "charts/chart_text.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <variant>

namespace vandro {

namespace {

constexpr std::string_view kMarker = kChartTextMarker;
// A text whose lines the markers cannot hold (one before the last ends with
// the marker, which would close it early) is written as this prefix and its
// count of lines, then the lines as they are. No other text is written so.
constexpr std::string_view kCountedText = "!^~*#";
constexpr std::string_view kSeriesBegin = "Series begin";
constexpr std::string_view kSeriesEnd = "Series end";

// The values an integer key accepts; codes of a fixed table accept only
// their own numbers, so the drawing never meets a code it cannot map.
struct TRange {
  int64_t min = std::numeric_limits<int32_t>::min();
  int64_t max = std::numeric_limits<int32_t>::max();
};
constexpr TRange kAnyInt{};
constexpr TRange Codes(int count) {
  return {0, count - 1};
}

bool HasPointKeys(int type) {
  return type == cstLine || type == cstPoint;
}

// --- The keys, in stored order ------------------------------------------------

template <typename V, typename Font> void VisitFont(V& v, const std::string& prefix, Font& font) {
  v.Int(prefix + ".Color=", font.Color);
  v.Int(prefix + ".Size=", font.Size);
  v.Text(prefix + ".Name=", font.Name);
  v.Int(prefix + ".Style=", font.Style, Codes(16));
}

template <typename V, typename Axis>
void VisitAxis(V& v, const std::string& prefix, Axis& axis, bool wrappedTitle) {
  v.Bool(prefix + ".AxVisible=", axis.Visible);
  if (wrappedTitle)
    v.Memo(prefix + ".AxisTitle=", axis.Title);
  else
    v.Text(prefix + ".AxisTitle=", axis.Title);
  v.Int(prefix + ".AxisAngle=", axis.TitleAngle);
  v.Bool(prefix + ".Inverted=", axis.Inverted);
  v.Bool(prefix + ".Logarithmic=", axis.Logarithmic);
  v.Int(prefix + ".LabelStyle=", axis.LabelStyle, Codes(5));
  v.Bool(prefix + ".LabelsVisible=", axis.LabelsVisible);
  v.Int(prefix + ".LabelAngle=", axis.LabelAngle);
  v.Bool(prefix + ".TicksVisible=", axis.TicksVisible);
  v.Bool(prefix + ".MinTicksVisible=", axis.MinTicksVisible);
  v.Bool(prefix + ".Grid=", axis.Grid);
  v.Bool(prefix + ".MinTicksGrid=", axis.MinTicksGrid);
  v.Int(prefix + ".MinorCount=", axis.MinorCount);
  v.Bool(prefix + ".GridCentered=", axis.GridCentered);
  v.Int(prefix + ".OuterTickSize=", axis.OuterTickSize);
  v.Int(prefix + ".InnerTickSize=", axis.InnerTickSize);
  v.Int(prefix + ".MinTickOuter=", axis.MinTickOuter);
  v.Bool(prefix + ".Auto=", axis.Auto);
  v.Bool(prefix + ".ScaleMinAuto=", axis.ScaleMinAuto);
  v.Bool(prefix + ".ScaleMaxAuto=", axis.ScaleMaxAuto);
  v.Real(prefix + ".ScaleMax=", axis.ScaleMax);
  v.Real(prefix + ".ScaleMin=", axis.ScaleMin);
  v.Real(prefix + ".ScaleInc=", axis.ScaleInc);
  VisitFont(v, prefix + ".Font", axis.Font);
  VisitFont(v, prefix + ".LblFont", axis.LblFont);
}

// Every key outside the series blocks.
template <typename V, typename Chart> void VisitChart(V& v, Chart& chart) {
  v.Int("Width=", chart.Width);
  v.Int("Height=", chart.Height);
  v.Int("Top=", chart.Top);
  v.Int("Left=", chart.Left);
  v.Bool("Chart3D=", chart.Chart3D);
  v.Bool("OrthogonalCB=", chart.Orthogonal);
  v.Int("Percent3D=", chart.Percent3D);
  v.Int("Perspective=", chart.Perspective);
  v.Int("VOffset=", chart.VOffset);
  v.Int("HOffset=", chart.HOffset);
  v.Int("Rotation=", chart.Rotation);
  v.Int("Elevation=", chart.Elevation);
  v.Int("LeftWallColor=", chart.LeftWallColor);
  v.Int("BackWallColor=", chart.BackWallColor);
  v.Int("BottomWallColor=", chart.BottomWallColor);
  v.Int("LMargin=", chart.LMargin);
  v.Int("RMargin=", chart.RMargin);
  v.Int("TMargin=", chart.TMargin);
  v.Int("BMargin=", chart.BMargin);
  v.Bool("AllowZoomRG=", chart.AllowZoom);
  v.Bool("ShowAxis=", chart.ShowAxis);
  v.Bool("HdVisible=", chart.Header.Visible);
  v.Bool("FtVisible=", chart.Footer.Visible);
  v.Int("HdAlign=", chart.Header.Align, Codes(3));
  v.Int("FtAlign=", chart.Footer.Align, Codes(3));
  v.Memo("HdTextMemo=", chart.Header.Text);
  v.Memo("FtTextMemo=", chart.Footer.Text);
  v.Int("HdBGColor=", chart.Header.BGColor);
  v.Int("FtBGColor=", chart.Footer.BGColor);
  VisitFont(v, "HdFont", chart.Header.Font);
  VisitFont(v, "FtFont", chart.Footer.Font);
  v.Bool("LegendVisible=", chart.Legend.Visible);
  v.Bool("LegendFrame=", chart.Legend.Frame);
  v.Bool("LegendInverted=", chart.Legend.Inverted);
  v.Int("LegendPosition=", chart.Legend.Position, Codes(4));
  v.Int("LegendColorWidth=", chart.Legend.ColorWidth);
  v.Int("LegendTextStyle=", chart.Legend.TextStyle, Codes(6));
  v.Int("LegendStyle=", chart.Legend.Style, Codes(4));
  v.Int("LegendShadow=", chart.Legend.Shadow);
  v.Int("LegendBgColor=", chart.Legend.BgColor);
  VisitFont(v, "LegendFont", chart.Legend.Font);
  for (int axis = 0; axis < kChartAxisCount; ++axis)
    VisitAxis(v, ChartAxisPrefix(axis), chart.Axes[static_cast<size_t>(axis)], axis != caxDepth);
}

// The keys between "Series begin" and "Series end". The point keys belong
// to line and point series only.
template <typename V, typename Series> void VisitSeries(V& v, Series& series, bool pointKeys) {
  v.Text("SeriesName=", series.Name);
  v.Int("SeriesType=", series.Type, Codes(4));
  v.Source("XValue=", series.XSource);
  v.Source("YValue=", series.YSource);
  v.Source("LValue=", series.LSource);
  v.Bool("SeriesVisible=", series.Visible);
  if (pointKeys) {
    v.Int("SeriesPointVSz=", series.PointVSize);
    v.Int("SeriesPointHSz=", series.PointHSize);
    v.Bool("SeriesPointsVisible=", series.PointsVisible);
    v.Int("SeriesPointStyle=", series.PointStyle, Codes(kPointStyleCount));
    v.Bool("SeriesPoint3D=", series.Point3D);
    v.Int("SeriesPointPenColor=", series.PointPenColor);
    v.Int("SeriesPointBrushColor=", series.PointBrushColor);
  }
  v.Int("SeriesMarksWidth=", series.MarksWidth);
  v.Int("SeriesMarksLen=", series.MarksLen);
  v.Bool("SeriesMarksVisible=", series.MarksVisible);
  v.Int("SeriesMarksColor=", series.MarksColor);
  v.Int("SeriesMarksArrowColor=", series.MarksArrowColor);
  v.Int("SeriesPenWidth=", series.PenWidth);
  v.Int("SeriesPenColor=", series.PenColor);
  v.Int("SeriesBrush=", series.Brush);
  v.Int("SeriesVertAxis=", series.VertAxis, Codes(2));
  v.Int("SeriesHorizAxis=", series.HorizAxis, Codes(2));
  VisitFont(v, "SeriesMarksFont", series.MarksFont);
}

// --- Writing -------------------------------------------------------------------

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A text's lines; unlike SplitLines, a break at the end opens one more
// (empty) line, so that every text reads back as it was written.
std::vector<std::string> TextLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

class TWriter {
public:
  explicit TWriter(std::vector<std::string>& lines) : lines_(lines) {}

  void Int(const std::string& key, int value, TRange = kAnyInt) {
    lines_.push_back(key + std::to_string(value));
  }
  void Bool(const std::string& key, bool value) { lines_.push_back(key + (value ? "-1" : "0")); }
  // A number without text (NaN, infinity) is written as 0, which reads back.
  void Real(const std::string& key, double value) {
    lines_.push_back(key + ShownNumber(value, "0"));
  }
  // A one-line value: a line break would end it early, so breaks become
  // blanks.
  void Text(const std::string& key, const std::string& value) {
    std::string line = key + value;
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    lines_.push_back(std::move(line));
  }
  void Memo(const std::string& key, const std::string& value) {
    const std::vector<std::string> lines = TextLines(value);
    if (std::any_of(lines.begin(), lines.end() - 1,
                    [](const std::string& line) { return EndsWith(line, kMarker); })) {
      lines_.push_back(key + std::string(kCountedText) + std::to_string(lines.size()));
      lines_.insert(lines_.end(), lines.begin(), lines.end());
      return;
    }
    lines_.push_back(key + std::string(kMarker) + lines.front());
    for (size_t i = 1; i < lines.size(); ++i)
      lines_.push_back(lines[i]);
    lines_.back() += kMarker;
  }
  void Source(const std::string& key, const std::string& packed) {
    lines_.push_back(key + BytesToHex(packed));
  }

private:
  std::vector<std::string>& lines_;
};

// --- Reading -------------------------------------------------------------------

struct TIntField {
  int* value;
  TRange range;
};
struct TBoolField {
  bool* value;
};
struct TRealField {
  double* value;
};
struct TTextField {
  std::string* value;
};
struct TMemoField {
  std::string* value;
};
struct TSourceField {
  std::string* value;
};
using TField =
    std::variant<TIntField, TBoolField, TRealField, TTextField, TMemoField, TSourceField>;

// Key to field of one chart or one series.
class TFieldTable {
public:
  void Int(const std::string& key, int& value, TRange range = kAnyInt) {
    fields_[key] = TIntField{&value, range};
  }
  void Bool(const std::string& key, bool& value) { fields_[key] = TBoolField{&value}; }
  void Real(const std::string& key, double& value) { fields_[key] = TRealField{&value}; }
  void Text(const std::string& key, std::string& value) { fields_[key] = TTextField{&value}; }
  void Memo(const std::string& key, std::string& value) { fields_[key] = TMemoField{&value}; }
  void Source(const std::string& key, std::string& value) { fields_[key] = TSourceField{&value}; }

  const TField* Find(std::string_view key) const {
    const auto found = fields_.find(key);
    return found == fields_.end() ? nullptr : &found->second;
  }

private:
  std::map<std::string, TField, std::less<>> fields_;
};

bool ReadInt(std::string_view text, TRange range, int& value) {
  int64_t number = 0;
  if (!TextToInt(text, number) || number < range.min || number > range.max) return false;
  value = static_cast<int>(number);
  return true;
}

// Reals are kept as their written form reads back, so that a definition
// read, written and read again holds the same numbers. A number whose
// rounded form leaves the range of reals does not read.
bool ReadReal(std::string_view text, double& value) {
  double number = 0;
  if (!TextToFloat(text, number) || !TextToFloat(FloatToText(number), number)) return false;
  value = number;
  return true;
}

// Reads one definition into a chart, line by line.
class TReader {
public:
  TReader(const std::vector<std::string>& lines, TChartDefinition& chart)
      : lines_(lines), chart_(chart) {
    VisitChart(chartFields_, chart_);
  }

  // False with the damaged line's message in error.
  bool Read(std::string& error) {
    for (next_ = 0; next_ < lines_.size(); ++next_) {
      if (!ReadLine()) return Damaged(lines_[next_], error);
    }
    if (!inSeries_) return true;
    // The last block never ended: what it read stays, as after any damage.
    FinishSeries();
    return Damaged(std::string(kSeriesBegin), error);
  }

private:
  static bool Damaged(const std::string& line, std::string& error) {
    error = std::string(kChartDamaged) + kLineBreak + line;
    return false;
  }

  bool ReadLine() {
    const std::string& line = lines_[next_];
    if (line == kSeriesBegin) return BeginSeries();
    if (line == kSeriesEnd) return EndSeries();
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::string_view key = std::string_view(line).substr(0, equals + 1);
    const std::string_view value = std::string_view(line).substr(equals + 1);
    const TField* field = (inSeries_ ? seriesFields_ : chartFields_).Find(key);
    return field && std::visit([&](const auto& f) { return ReadField(f, value); }, *field);
  }

  bool BeginSeries() {
    if (inSeries_ || chart_.Series.size() >= static_cast<size_t>(kMaxChartSeries)) return false;
    chart_.Series.emplace_back();
    seriesFields_ = {};
    VisitSeries(seriesFields_, chart_.Series.back(), true);
    inSeries_ = true;
    return true;
  }

  bool EndSeries() {
    if (!inSeries_) return false;
    FinishSeries();
    return true;
  }

  // A bar or pie series keeps no point keys: whatever its block said of
  // them goes, as the text written from it will not hold them.
  void FinishSeries() {
    TChartSeries& series = chart_.Series.back();
    if (!HasPointKeys(series.Type)) {
      const TChartSeries defaults;
      series.PointVSize = defaults.PointVSize;
      series.PointHSize = defaults.PointHSize;
      series.PointsVisible = defaults.PointsVisible;
      series.PointStyle = defaults.PointStyle;
      series.Point3D = defaults.Point3D;
      series.PointPenColor = defaults.PointPenColor;
      series.PointBrushColor = defaults.PointBrushColor;
    }
    inSeries_ = false;
  }

  bool ReadField(const TIntField& field, std::string_view value) {
    return ReadInt(value, field.range, *field.value);
  }
  bool ReadField(const TBoolField& field, std::string_view value) {
    int flag = 0;
    if (!ReadInt(value, kAnyInt, flag)) return false;
    *field.value = flag != 0;
    return true;
  }
  bool ReadField(const TRealField& field, std::string_view value) {
    return ReadReal(value, *field.value);
  }
  bool ReadField(const TTextField& field, std::string_view value) {
    *field.value = std::string(value);
    return true;
  }
  bool ReadField(const TSourceField& field, std::string_view value) {
    return HexToBytes(value, *field.value);
  }
  // A value opened by the marker goes on over the following lines up to the
  // one that ends with the marker; the first line closes it only when the
  // closing marker follows the opening one.
  bool ReadField(const TMemoField& field, std::string_view value) {
    if (StartsWith(value, kCountedText) && ReadCounted(field, value.substr(kCountedText.size())))
      return true;
    if (!StartsWith(value, kMarker)) {
      *field.value = std::string(value);
      return true;
    }
    value.remove_prefix(kMarker.size());
    if (EndsWith(value, kMarker)) {
      value.remove_suffix(kMarker.size());
      *field.value = std::string(value);
      return true;
    }
    std::string text(value);
    for (size_t i = next_ + 1; i < lines_.size(); ++i) {
      std::string_view line = lines_[i];
      text += kLineBreak;
      if (EndsWith(line, kMarker)) {
        line.remove_suffix(kMarker.size());
        text += line;
        *field.value = std::move(text);
        next_ = i;
        return true;
      }
      text += line;
    }
    return false;
  }

  // The count of a counted text: digits only, else the value is a plain one.
  static std::optional<size_t> LineCount(std::string_view digits) {
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    size_t count = 0;
    for (char c : digits)
      count = count * 10 + static_cast<size_t>(c - '0');
    return count;
  }

  // The count's lines follow as they are. A value that is no count of lines
  // that follow is read as any other value.
  bool ReadCounted(const TMemoField& field, std::string_view digits) {
    const std::optional<size_t> count = LineCount(digits);
    if (!count || *count == 0 || *count > lines_.size() - next_ - 1) return false;
    std::string text;
    for (size_t i = 1; i <= *count; ++i) {
      if (i > 1) text += kLineBreak;
      text += lines_[next_ + i];
    }
    *field.value = std::move(text);
    next_ += *count;
    return true;
  }

  const std::vector<std::string>& lines_;
  TChartDefinition& chart_;
  TFieldTable chartFields_;
  TFieldTable seriesFields_;
  bool inSeries_ = false;
  size_t next_ = 0;
};

} // namespace

std::vector<std::string> CaptureChart(const TChartDefinition& chart) {
  std::vector<std::string> lines;
  TWriter writer(lines);
  VisitChart(writer, chart);
  for (const TChartSeries& series : chart.Series) {
    lines.emplace_back(kSeriesBegin);
    VisitSeries(writer, series, HasPointKeys(series.Type));
    lines.emplace_back(kSeriesEnd);
  }
  return lines;
}

bool ApplyChart(const std::vector<std::string>& lines, TChartDefinition& chart,
                std::string* error) {
  chart = TChartDefinition{};
  std::string message;
  const bool read = TReader(lines, chart).Read(message);
  if (error) *error = std::move(message);
  return read;
}

} // namespace vandro
