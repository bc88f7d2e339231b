#include "charts/chart_text.h"
#include "shell/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vandro {
namespace {

using Lines = std::vector<std::string>;

std::string KeyOf(const std::string& line) {
  const size_t equals = line.find('=');
  return equals == std::string::npos ? line : line.substr(0, equals + 1);
}

Lines Keys(const Lines& lines) {
  Lines keys;
  for (const std::string& line : lines)
    keys.push_back(KeyOf(line));
  return keys;
}

// The line of the key, or "" when there is none.
std::string LineOf(const Lines& lines, const std::string& key) {
  const auto found =
      std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return KeyOf(l) == key; });
  return found == lines.end() ? std::string() : *found;
}

void Customise(TChartFont& font, int seed) {
  font.Color = 0x112233 + seed;
  font.Size = 20 + seed;
  font.Name = "Courier New " + std::to_string(seed);
  font.Style = fsBold | fsItalic | fsUnderline | fsStrikeOut;
}

void Customise(TChartAxis& axis, int seed) {
  axis.Visible = false;
  axis.Title = "Axis " + std::to_string(seed);
  axis.TitleAngle = 90 + seed;
  axis.Inverted = true;
  axis.Logarithmic = true;
  axis.LabelStyle = alsText;
  axis.LabelsVisible = false;
  axis.LabelAngle = 45 + seed;
  axis.TicksVisible = false;
  axis.MinTicksVisible = false;
  axis.Grid = false;
  axis.MinTicksGrid = true;
  axis.MinorCount = 7 + seed;
  axis.GridCentered = true;
  axis.OuterTickSize = 9 + seed;
  axis.InnerTickSize = 5 + seed;
  axis.MinTickOuter = 6 + seed;
  axis.Auto = false;
  axis.ScaleMinAuto = false;
  axis.ScaleMaxAuto = false;
  axis.ScaleMax = 1.5e20 + seed;
  axis.ScaleMin = -0.5 - seed;
  axis.ScaleInc = 0.25 + seed;
  Customise(axis.Font, seed + 1);
  Customise(axis.LblFont, seed + 2);
}

void Customise(TChartSeries& series, int seed) {
  series.Name = "Series " + std::to_string(seed);
  series.XSource = std::string("\x02\x00\xFF", 3);
  series.YSource = "packed Y";
  series.LSource = std::string(1, '\0');
  series.Visible = false;
  series.PointVSize = 11;
  series.PointHSize = 12;
  series.PointsVisible = true;
  series.PointStyle = 8;
  series.Point3D = false;
  series.PointPenColor = 0x0000AA;
  series.PointBrushColor = 0x00AA00;
  series.MarksWidth = 13;
  series.MarksLen = 14;
  series.MarksVisible = true;
  series.MarksColor = 0x123456;
  series.MarksArrowColor = 0x654321;
  series.PenWidth = 3;
  series.PenColor = -16777208;
  series.Brush = 0xAA0000;
  series.VertAxis = 1;
  series.HorizAxis = 1;
  Customise(series.MarksFont, seed + 3);
}

// Every key of the definition away from its default.
TChartDefinition CustomChart() {
  TChartDefinition chart;
  chart.Width = 801;
  chart.Height = 602;
  chart.Top = -3;
  chart.Left = 44;
  chart.Chart3D = true;
  chart.Orthogonal = false;
  chart.Percent3D = 30;
  chart.Perspective = 40;
  chart.VOffset = 5;
  chart.HOffset = -6;
  chart.Rotation = 10;
  chart.Elevation = 20;
  chart.LeftWallColor = 0x010203;
  chart.BackWallColor = 0x040506;
  chart.BottomWallColor = 0x070809;
  chart.LMargin = 11;
  chart.RMargin = 12;
  chart.TMargin = 13;
  chart.BMargin = 14;
  chart.AllowZoom = false;
  chart.ShowAxis = false;
  chart.Header = {false, caLeft, "Title", 0x0A0B0C, {}};
  chart.Footer = {false, caRight, "Footer", 0x0C0B0A, {}};
  Customise(chart.Header.Font, 10);
  Customise(chart.Footer.Font, 20);
  chart.Legend = {false, false, true, lpBottom, 30, 5, 3, 7, 0x00FFFF, {}};
  Customise(chart.Legend.Font, 30);
  for (int axis = 0; axis < kChartAxisCount; ++axis)
    Customise(chart.Axes[static_cast<size_t>(axis)], 40 + 10 * axis);
  chart.Series.resize(2);
  Customise(chart.Series[0], 100);
  chart.Series[0].Type = cstPoint;
  Customise(chart.Series[1], 200);
  chart.Series[1].Type = cstPie;
  return chart;
}

TEST(ChartText, EveryKeyReadsBackAsWritten) {
  const TChartDefinition custom = CustomChart();
  const Lines lines = CaptureChart(custom);

  // The fixture sets every key: no line may be a default chart's line.
  TChartDefinition defaults;
  defaults.Series.resize(2);
  defaults.Series[0].Type = cstPoint;
  defaults.Series[1].Type = cstPie;
  const Lines defaultLines = CaptureChart(defaults);
  ASSERT_EQ(Keys(defaultLines), Keys(lines));
  for (size_t i = 0; i < lines.size(); ++i) {
    // Block markers, and the types both charts share by construction.
    if (lines[i].find('=') == std::string::npos || KeyOf(lines[i]) == "SeriesType=") continue;
    EXPECT_NE(defaultLines[i], lines[i]) << "key left at its default: " << lines[i];
  }

  TChartDefinition read;
  std::string error = "untouched";
  ASSERT_TRUE(ApplyChart(lines, read, &error)) << error;
  EXPECT_TRUE(error.empty());
  TChartDefinition expected = custom;
  // A pie series keeps no point keys.
  const TChartSeries fresh;
  expected.Series[1].PointVSize = fresh.PointVSize;
  expected.Series[1].PointHSize = fresh.PointHSize;
  expected.Series[1].PointsVisible = fresh.PointsVisible;
  expected.Series[1].PointStyle = fresh.PointStyle;
  expected.Series[1].Point3D = fresh.Point3D;
  expected.Series[1].PointPenColor = fresh.PointPenColor;
  expected.Series[1].PointBrushColor = fresh.PointBrushColor;
  EXPECT_EQ(expected, read);
  EXPECT_EQ(lines, CaptureChart(read));
}

TEST(ChartText, KeysInStoredOrder) {
  TChartDefinition chart;
  chart.Series.resize(2);
  chart.Series[1].Type = cstBar;
  const Lines keys = Keys(CaptureChart(chart));
  const auto font = [](const std::string& p) {
    return Lines{p + ".Color=", p + ".Size=", p + ".Name=", p + ".Style="};
  };
  const auto axis = [&](const std::string& a) {
    Lines block;
    for (const char* key : {".AxVisible=",       ".AxisTitle=",    ".AxisAngle=",
                            ".Inverted=",        ".Logarithmic=",  ".LabelStyle=",
                            ".LabelsVisible=",   ".LabelAngle=",   ".TicksVisible=",
                            ".MinTicksVisible=", ".Grid=",         ".MinTicksGrid=",
                            ".MinorCount=",      ".GridCentered=", ".OuterTickSize=",
                            ".InnerTickSize=",   ".MinTickOuter=", ".Auto=",
                            ".ScaleMinAuto=",    ".ScaleMaxAuto=", ".ScaleMax=",
                            ".ScaleMin=",        ".ScaleInc="})
      block.push_back(a + key);
    for (const auto& part : {font(a + ".Font"), font(a + ".LblFont")})
      block.insert(block.end(), part.begin(), part.end());
    return block;
  };
  const auto series = [&](bool points) {
    Lines block = {"Series begin", "SeriesName=", "SeriesType=",   "XValue=",
                   "YValue=",      "LValue=",     "SeriesVisible="};
    if (points)
      block.insert(block.end(), {"SeriesPointVSz=", "SeriesPointHSz=", "SeriesPointsVisible=",
                                 "SeriesPointStyle=", "SeriesPoint3D=", "SeriesPointPenColor=",
                                 "SeriesPointBrushColor="});
    block.insert(block.end(),
                 {"SeriesMarksWidth=", "SeriesMarksLen=", "SeriesMarksVisible=",
                  "SeriesMarksColor=", "SeriesMarksArrowColor=", "SeriesPenWidth=",
                  "SeriesPenColor=", "SeriesBrush=", "SeriesVertAxis=", "SeriesHorizAxis="});
    const Lines marks = font("SeriesMarksFont");
    block.insert(block.end(), marks.begin(), marks.end());
    block.push_back("Series end");
    return block;
  };
  Lines expected = {
      "Width=",        "Height=",     "Top=",           "Left=",          "Chart3D=",
      "OrthogonalCB=", "Percent3D=",  "Perspective=",   "VOffset=",       "HOffset=",
      "Rotation=",     "Elevation=",  "LeftWallColor=", "BackWallColor=", "BottomWallColor=",
      "LMargin=",      "RMargin=",    "TMargin=",       "BMargin=",       "AllowZoomRG=",
      "ShowAxis=",     "HdVisible=",  "FtVisible=",     "HdAlign=",       "FtAlign=",
      "HdTextMemo=",   "FtTextMemo=", "HdBGColor=",     "FtBGColor="};
  for (const Lines& part :
       {font("HdFont"), font("FtFont"),
        Lines{"LegendVisible=", "LegendFrame=", "LegendInverted=", "LegendPosition=",
              "LegendColorWidth=", "LegendTextStyle=", "LegendStyle=", "LegendShadow=",
              "LegendBgColor="},
        font("LegendFont"), axis("LeftAxis"), axis("BottomAxis"), axis("RightAxis"),
        axis("TopAxis"), axis("DepthAxis"), series(true), series(false)})
    expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(expected, keys);
}

TEST(ChartText, ValueForms) {
  TChartDefinition chart;
  chart.Header.Text = "Temperature\r\nWard 3";
  chart.Header.Font.Style = fsBold | fsItalic;
  chart.Legend.Inverted = true;
  chart.Axes[caxLeft].ScaleMax = 0.1;
  chart.Axes[caxLeft].ScaleMin = 1e20;
  chart.Axes[caxLeft].Title = "kg";
  chart.Axes[caxDepth].Title = "one\r\ntwo";
  chart.Series.resize(1);
  chart.Series[0].YSource = std::string("\x00\xAB\x7F", 3);
  const Lines lines = CaptureChart(chart);

  // The two-line title is one item over two lines.
  const auto title = std::find(lines.begin(), lines.end(), "HdTextMemo=!^~*!Temperature");
  ASSERT_NE(lines.end(), title);
  EXPECT_EQ("Ward 3!^~*!", *(title + 1));
  EXPECT_EQ("FtTextMemo=!^~*!!^~*!", LineOf(lines, "FtTextMemo="));
  EXPECT_EQ("HdFont.Style=12", LineOf(lines, "HdFont.Style="));
  EXPECT_EQ("LegendInverted=-1", LineOf(lines, "LegendInverted="));
  EXPECT_EQ("LegendFrame=-1", LineOf(lines, "LegendFrame="));
  EXPECT_EQ("LeftAxis.Inverted=0", LineOf(lines, "LeftAxis.Inverted="));
  EXPECT_EQ("LeftAxis.ScaleMax=0.1", LineOf(lines, "LeftAxis.ScaleMax="));
  EXPECT_EQ("LeftAxis.ScaleMin=1E+20", LineOf(lines, "LeftAxis.ScaleMin="));
  EXPECT_EQ("LeftAxis.AxisTitle=!^~*!kg!^~*!", LineOf(lines, "LeftAxis.AxisTitle="));
  // The depth axis title is not wrapped: it stays on its line.
  EXPECT_EQ("DepthAxis.AxisTitle=one  two", LineOf(lines, "DepthAxis.AxisTitle="));
  EXPECT_EQ("LeftWallColor=-16777201", LineOf(lines, "LeftWallColor="));
  EXPECT_EQ("YValue=00AB7F", LineOf(lines, "YValue="));
  EXPECT_EQ("XValue=", LineOf(lines, "XValue="));

  TChartDefinition read;
  ASSERT_TRUE(ApplyChart(lines, read, nullptr));
  EXPECT_EQ("Temperature\r\nWard 3", read.Header.Text);
  EXPECT_EQ(fsBold | fsItalic, read.Header.Font.Style);
  EXPECT_EQ(0.1, read.Axes[caxLeft].ScaleMax);
  EXPECT_EQ(chart.Series[0].YSource, read.Series[0].YSource);
}

TEST(ChartText, TextsOverSeveralLinesKeepEveryLine) {
  // Empty lines at either end, and a last line that only closes the text.
  for (const std::string text : {"", "\r\n", "a\r\n", "\r\nb", "one\r\n\r\nthree", "x!^~*!"}) {
    TChartDefinition chart;
    chart.Footer.Text = text;
    TChartDefinition read;
    ASSERT_TRUE(ApplyChart(CaptureChart(chart), read, nullptr)) << text;
    EXPECT_EQ(text, read.Footer.Text);
  }
  // A text not opened by the marker is one line as it stands.
  TChartDefinition read;
  ASSERT_TRUE(ApplyChart({"HdTextMemo=plain"}, read, nullptr));
  EXPECT_EQ("plain", read.Header.Text);
}

// A line before the last that ends with the marker would close the text
// early: such a text is written with its count of lines and reads back
// whole, with the keys after it.
TEST(ChartText, TextsWithTheMarkerAtALineEndReadBack) {
  for (const std::string text : {"a!^~*!\r\nb", "a\r\nb!^~*!\r\nc", "!^~*!\r\n!^~*!", "x!^~*!\r\n",
                                 "!^~*#2\r\ny!^~*!\r\n"}) {
    TChartDefinition chart;
    chart.Header.Text = text;
    chart.Header.BGColor = 0x123456;
    chart.Axes[caxBottom].Title = text;
    const Lines lines = CaptureChart(chart);
    TChartDefinition read;
    std::string error;
    ASSERT_TRUE(ApplyChart(lines, read, &error)) << text << ": " << error;
    EXPECT_EQ(chart, read) << text;
    EXPECT_EQ(lines, CaptureChart(read)) << text;
  }

  TChartDefinition chart;
  chart.Header.Text = "a!^~*!\r\nb";
  const Lines lines = CaptureChart(chart);
  const auto title = std::find(lines.begin(), lines.end(), "HdTextMemo=!^~*#2");
  ASSERT_NE(lines.end(), title);
  EXPECT_EQ("a!^~*!", *(title + 1));
  EXPECT_EQ("b", *(title + 2));
  EXPECT_EQ("FtTextMemo=!^~*!!^~*!", *(title + 3));
}

// Values that were read as one plain line before the counted form are read
// so still: no count, or more lines than follow.
TEST(ChartText, ACountThatCountsNoFollowingLinesIsAPlainValue) {
  for (const std::string value : {"!^~*#", "!^~*#x", "!^~*#0", "!^~*#3", "!^~*#1a"}) {
    TChartDefinition read;
    ASSERT_TRUE(ApplyChart({"HdTextMemo=" + value, "Width=5"}, read, nullptr)) << value;
    EXPECT_EQ(value, read.Header.Text);
    EXPECT_EQ(5, read.Width) << value;
  }
}

TEST(ChartText, LenientNumbersReadAsTheirValue) {
  TChartDefinition read;
  ASSERT_TRUE(ApplyChart({"Width= +640", "Chart3D=1", "ShowAxis=0", "LeftAxis.ScaleMax=2.50",
                          "Series begin", "YValue=0aff", "Series end"},
                         read, nullptr));
  EXPECT_EQ(640, read.Width);
  EXPECT_TRUE(read.Chart3D);
  EXPECT_FALSE(read.ShowAxis);
  EXPECT_EQ(2.5, read.Axes[caxLeft].ScaleMax);
  EXPECT_EQ(std::string("\x0A\xFF", 2), read.Series.at(0).YSource);
}

struct DamageCase {
  const char* name;
  Lines lines;
  std::string badLine;
};

TEST(ChartText, DamagedLineStopsReadingAndKeepsWhatCameBefore) {
  Lines full129;
  for (int i = 0; i < kMaxChartSeries + 1; ++i)
    full129.insert(full129.end(), {"Series begin", "SeriesType=1", "Series end"});
  const std::vector<DamageCase> cases = {
      {"unknown key", {"Colour=5"}, "Colour=5"},
      {"key in other case", {"width=5"}, "width=5"},
      {"no key", {"Width"}, "Width"},
      {"empty line", {""}, ""},
      {"not a number", {"Height=tall"}, "Height=tall"},
      {"beyond 32 bits", {"Height=4294967296"}, "Height=4294967296"},
      {"real that is no number", {"LeftAxis.ScaleMin=1,5"}, "LeftAxis.ScaleMin=1,5"},
      {"real whose rounded form is too large",
       {"LeftAxis.ScaleMin=1.7976931348623157E+308"},
       "LeftAxis.ScaleMin=1.7976931348623157E+308"},
      {"code out of its table", {"LegendPosition=4"}, "LegendPosition=4"},
      {"font style beyond the four bits", {"HdFont.Style=16"}, "HdFont.Style=16"},
      {"unterminated text", {"HdTextMemo=!^~*!first", "second"}, "HdTextMemo=!^~*!first"},
      {"series key outside a series", {"SeriesName=Pulse"}, "SeriesName=Pulse"},
      {"chart key inside a series", {"Series begin", "Width=3"}, "Width=3"},
      {"series end without begin", {"Series end"}, "Series end"},
      {"series inside a series", {"Series begin", "Series begin"}, "Series begin"},
      {"unknown series type", {"Series begin", "SeriesType=4"}, "SeriesType=4"},
      {"odd hexadecimal", {"Series begin", "YValue=ABC"}, "YValue=ABC"},
      {"not hexadecimal", {"Series begin", "XValue=0G"}, "XValue=0G"},
      {"129th series", full129, "Series begin"},
  };
  for (const DamageCase& c : cases) {
    Lines lines = {"Width=777", "HdTextMemo=!^~*!kept!^~*!"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    lines.push_back("Height=999"); // after the damage: never read
    TChartDefinition chart;
    chart.Width = 1; // reset by the reading
    std::string error;
    EXPECT_FALSE(ApplyChart(lines, chart, &error)) << c.name;
    EXPECT_EQ("Chart descriptor damaged!\r\n" + c.badLine, error) << c.name;
    EXPECT_EQ(777, chart.Width) << c.name;
    EXPECT_EQ("kept", chart.Header.Text) << c.name;
    EXPECT_EQ(TChartDefinition{}.Height, chart.Height) << c.name;
  }
}

TEST(ChartText, SeriesReadBeforeTheDamageStay) {
  Lines lines;
  for (int i = 0; i < kMaxChartSeries; ++i)
    lines.insert(lines.end(), {"Series begin", "SeriesName=S" + std::to_string(i), "Series end"});
  TChartDefinition chart;
  ASSERT_TRUE(ApplyChart(lines, chart, nullptr));
  ASSERT_EQ(static_cast<size_t>(kMaxChartSeries), chart.Series.size());
  lines.insert(lines.end(), {"Series begin", "Series end"});
  EXPECT_FALSE(ApplyChart(lines, chart, nullptr));
  EXPECT_EQ(static_cast<size_t>(kMaxChartSeries), chart.Series.size());
  EXPECT_EQ("S127", chart.Series.back().Name);

  // A block the text never ends keeps what it read.
  std::string error;
  EXPECT_FALSE(ApplyChart({"Series begin", "SeriesName=Pulse"}, chart, &error));
  EXPECT_EQ("Chart descriptor damaged!\r\nSeries begin", error);
  ASSERT_EQ(1u, chart.Series.size());
  EXPECT_EQ("Pulse", chart.Series[0].Name);
}

TEST(ChartText, HexadecimalOfPackedBytes) {
  EXPECT_EQ("", BytesToHex(""));
  EXPECT_EQ("000FF010", BytesToHex(std::string("\x00\x0F\xF0\x10", 4)));
  std::string packed = "untouched";
  EXPECT_TRUE(HexToBytes("00fF", packed));
  EXPECT_EQ(std::string("\x00\xFF", 2), packed);
  packed = "untouched";
  for (const char* bad : {"0", "0x", "G0", "0 "})
    EXPECT_FALSE(HexToBytes(bad, packed)) << bad;
  EXPECT_EQ("untouched", packed);
}

} // namespace
} // namespace vandro
