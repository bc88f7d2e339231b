// A chart as data: everything its definition text stores, and the points its
// series were filled with.
//
// The definition text is the only persistent form of a chart: a descriptor of
// kind 2 whose lines are "Key=value" items in a fixed order (see
// CaptureChart). Integers are decimal, booleans "-1" and "0", colours 32-bit
// colour numbers in decimal, reals in the general number format. Texts that
// may span lines (the header and footer, the four main axes' titles) are
// wrapped in "!^~*!" markers and continue over the following lines (a text
// with a line before its last that ends with the marker, which would close
// it early, is written as "!^~*#" and its count of lines, then the lines). A
// series' X, Y and label sources are values in packed form written as
// hexadecimal.
//
// Some keys describe a 3-D view, walls, a depth axis and shadows that the
// drawing does not show; they are kept, edited and written back unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vandro {

// A colour number: 0x00BBGGRR (red in the low byte). Negative numbers name
// colours of the desktop's scheme; the drawing shows them in a default colour
// and the text keeps the number.
using TChartColor = int32_t;

inline constexpr TChartColor kChartBlack = 0x000000;
inline constexpr TChartColor kChartWhite = 0xFFFFFF;
inline constexpr TChartColor kChartGray = 0x808080;
inline constexpr TChartColor kChartSilver = 0xC0C0C0;
inline constexpr TChartColor kChartRed = 0x0000FF;
inline constexpr TChartColor kChartGreen = 0x008000;
inline constexpr TChartColor kChartBlue = 0xFF0000;
// The button face of the desktop's scheme: the walls' and the legend's
// default.
inline constexpr TChartColor kChartButtonFace = -16777201;

inline constexpr int kMaxChartSeries = 128;
// Wraps a multi-line value.
inline constexpr const char* kChartTextMarker = "!^~*!";

// Style bits of a font.
enum TChartFontStyle : int {
  fsStrikeOut = 1,
  fsUnderline = 2,
  fsItalic = 4,
  fsBold = 8,
};

struct TChartFont {
  TChartColor Color = kChartBlack;
  int Size = 8;
  std::string Name = "Arial";
  int Style = 0; // TChartFontStyle bits
  bool operator==(const TChartFont&) const = default;
};

// Title and footer alignment as stored: 0 left, 1 right, 2 centre.
enum TChartAlign : int { caLeft = 0, caRight = 1, caCenter = 2 };

struct TChartTitle {
  bool Visible = true;
  int Align = caCenter;
  std::string Text; // lines joined with "\r\n"
  TChartColor BGColor = kChartWhite;
  TChartFont Font;
  // A frame around the text. The definition has no key for it: it is drawn
  // while the window is open and not stored.
  bool Border = false;
  bool operator==(const TChartTitle&) const = default;
};

// Legend position: 0 left, 1 right, 2 top, 3 bottom.
enum TLegendPosition : int { lpLeft = 0, lpRight = 1, lpTop = 2, lpBottom = 3 };

struct TChartLegend {
  bool Visible = true;
  bool Frame = true;
  bool Inverted = false;
  int Position = lpRight;
  int ColorWidth = 25;
  int TextStyle = 0; // 0 plain, 1 left value, 2 right value, 3 left percent,
                     // 4 right percent, 5 X value
  int Style = 0;     // 0 automatic, 1 series names, 2 series values, 3 last values
  int Shadow = 3;
  TChartColor BgColor = kChartWhite;
  TChartFont Font;
  bool operator==(const TChartLegend&) const = default;
};

// The axes in the order the Axis page lists them is not the stored order;
// the stored order is this one.
enum TChartAxisId : int { caxLeft = 0, caxBottom = 1, caxRight = 2, caxTop = 3, caxDepth = 4 };
inline constexpr int kChartAxisCount = 5;
// "LeftAxis", "BottomAxis", "RightAxis", "TopAxis", "DepthAxis".
const char* ChartAxisPrefix(int axis);

// Label style: 0 auto, 1 none, 2 value, 3 mark, 4 text.
enum TAxisLabelStyle : int { alsAuto = 0, alsNone = 1, alsValue = 2, alsMark = 3, alsText = 4 };

struct TChartAxis {
  bool Visible = true;
  std::string Title; // lines joined with "\r\n"
  int TitleAngle = 0;
  bool Inverted = false;
  bool Logarithmic = false;
  int LabelStyle = alsAuto;
  bool LabelsVisible = true;
  int LabelAngle = 0;
  bool TicksVisible = true;
  bool MinTicksVisible = true;
  bool Grid = true;
  bool MinTicksGrid = false;
  int MinorCount = 3;
  bool GridCentered = false;
  int OuterTickSize = 4;
  int InnerTickSize = 0;
  int MinTickOuter = 2;
  bool Auto = true; // both ends automatic
  bool ScaleMinAuto = true;
  bool ScaleMaxAuto = true;
  double ScaleMax = 0;
  double ScaleMin = 0;
  double ScaleInc = 0; // 0: the drawing chooses
  TChartFont Font;     // the title's
  TChartFont LblFont;  // the labels'
  bool operator==(const TChartAxis&) const = default;
};

enum TChartSeriesType : int { cstLine = 0, cstBar = 1, cstPie = 2, cstPoint = 3 };

// Point style: 0 rectangle, 1 circle, 2 triangle, 3 down triangle, 4 cross,
// 5 diagonal cross, 6 star, 7 diamond, 8 small dot.
inline constexpr int kPointStyleCount = 9;

struct TChartPoint {
  double X = 0;
  double Y = 0;
  std::string Label;
  bool operator==(const TChartPoint&) const = default;
};

struct TChartSeries {
  std::string Name;
  int Type = cstLine;
  // The sources in packed form; empty: none.
  std::string XSource;
  std::string YSource;
  std::string LSource;
  bool Visible = true;
  // Kept for line and point series only.
  int PointVSize = 4;
  int PointHSize = 4;
  bool PointsVisible = false;
  int PointStyle = 0;
  bool Point3D = true;
  TChartColor PointPenColor = kChartBlack;
  TChartColor PointBrushColor = kChartWhite;
  // Every type.
  int MarksWidth = 8;
  int MarksLen = 8;
  bool MarksVisible = false;
  TChartColor MarksColor = 0xE1FFFF; // pale yellow
  TChartColor MarksArrowColor = kChartWhite;
  int PenWidth = 1;
  TChartColor PenColor = kChartBlack;
  TChartColor Brush = kChartRed; // the series colour
  int VertAxis = 0;              // 0 left, 1 right
  int HorizAxis = 0;             // 0 bottom, 1 top
  TChartFont MarksFont;

  // Filled from the sources (FillSeries), never stored.
  std::vector<TChartPoint> Points;

  bool operator==(const TChartSeries&) const = default;
};

// The series colours handed out in turn to new series.
TChartColor DefaultSeriesColor(int index);

struct TChartDefinition {
  int Width = 600;
  int Height = 400;
  int Top = 0;
  int Left = 0;
  bool Chart3D = false;
  bool Orthogonal = true;
  int Percent3D = 15;
  int Perspective = 15;
  int VOffset = 0;
  int HOffset = 0;
  int Rotation = 345;
  int Elevation = 345;
  TChartColor LeftWallColor = kChartButtonFace;
  TChartColor BackWallColor = kChartButtonFace;
  TChartColor BottomWallColor = kChartWhite;
  int LMargin = 3;
  int RMargin = 3;
  int TMargin = 4;
  int BMargin = 4;
  bool AllowZoom = true;
  bool ShowAxis = true;
  TChartTitle Header;
  TChartTitle Footer{
      .Visible = true, .Align = caCenter, .Text = {}, .BGColor = kChartWhite, .Font = {}};
  TChartLegend Legend;
  std::array<TChartAxis, kChartAxisCount> Axes;
  std::vector<TChartSeries> Series;

  bool operator==(const TChartDefinition&) const = default;
};

} // namespace vandro
