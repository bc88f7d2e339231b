#include "charts/chart_props.h"

#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandro {
namespace {

TEST(ChartProps, ListRowsMapOntoStoredNumbersBothWays) {
  struct Case {
    int row;
    int stored;
  };
  // Left, Bottom, Depth, Right, Top as listed.
  for (const Case& c :
       std::vector<Case>{{0, caxLeft}, {1, caxBottom}, {2, caxDepth}, {3, caxRight}, {4, caxTop}}) {
    EXPECT_EQ(AxisOfListRow(c.row), c.stored) << c.row;
    EXPECT_EQ(ListRowOfAxis(c.stored), c.row) << c.stored;
  }
  // Left, Center, Right as listed.
  for (const Case& c : std::vector<Case>{{0, caLeft}, {1, caCenter}, {2, caRight}}) {
    EXPECT_EQ(AlignOfListRow(c.row), c.stored) << c.row;
    EXPECT_EQ(ListRowOfAlign(c.stored), c.row) << c.stored;
  }
  // A number no list shows (a damaged definition) lands on the first row.
  EXPECT_EQ(ListRowOfAlign(7), 0);
  EXPECT_EQ(ListRowOfAxis(-1), 0);
}

TEST(ChartProps, NewSeriesTakeTheFirstFreeNameAndTheNextColour) {
  testing::ScriptedSink sink;
  TChartDefinition chart;
  ASSERT_EQ(AddChartSeries(chart, cstBar), 0);
  ASSERT_EQ(AddChartSeries(chart, cstPoint), 1);
  EXPECT_EQ(chart.Series[0].Name, "Series1");
  EXPECT_EQ(chart.Series[0].Type, cstBar);
  EXPECT_EQ(chart.Series[1].Name, "Series2");
  EXPECT_EQ(chart.Series[1].Type, cstPoint);
  EXPECT_EQ(chart.Series[1].Brush, DefaultSeriesColor(1));
  EXPECT_TRUE(chart.Series[1].YSource.empty());

  // A freed number is taken again; names are compared without case.
  chart.Series[0].Name = "SERIES3";
  EXPECT_EQ(NewSeriesName(chart), "Series1");
  chart.Series[0].Name = "series1";
  EXPECT_EQ(NewSeriesName(chart), "Series3");
  EXPECT_TRUE(sink.Messages().empty());
}

TEST(ChartProps, The129thSeriesIsRefusedWithAMessage) {
  testing::ScriptedSink sink;
  TChartDefinition chart;
  for (int i = 0; i < kMaxChartSeries; ++i)
    ASSERT_EQ(AddChartSeries(chart, cstLine), i);
  EXPECT_EQ(chart.Series.back().Name, "Series128");
  EXPECT_EQ(AddChartSeries(chart, cstLine), -1);
  EXPECT_EQ(chart.Series.size(), static_cast<size_t>(kMaxChartSeries));
  EXPECT_EQ(sink.Messages(), std::vector<std::string>{kTooManySeries});
}

TEST(ChartProps, RenameRefusesEmptyAndTakenNames) {
  testing::ScriptedSink sink;
  TChartDefinition chart;
  AddChartSeries(chart, cstLine);
  AddChartSeries(chart, cstLine);

  EXPECT_FALSE(RenameChartSeries(chart, 1, "  "));
  EXPECT_EQ(sink.Last(), kEmptySeriesName);
  EXPECT_FALSE(RenameChartSeries(chart, 1, "series1"));
  EXPECT_EQ(sink.Last(), std::string(kSeriesNameInUse) + "series1");
  EXPECT_EQ(chart.Series[1].Name, "Series2");

  // Its own name in other letters is no clash.
  EXPECT_TRUE(RenameChartSeries(chart, 0, "SERIES1"));
  EXPECT_TRUE(RenameChartSeries(chart, 1, " Pulse "));
  EXPECT_EQ(chart.Series[0].Name, "SERIES1");
  EXPECT_EQ(chart.Series[1].Name, "Pulse");
}

TEST(ChartProps, DeleteAsksAndKeepsTheSeriesOnNo) {
  testing::ScriptedSink sink;
  TChartDefinition chart;
  AddChartSeries(chart, cstLine);
  AddChartSeries(chart, cstPie);

  const std::string question = std::string("You are about to delete the series Series1") +
                               kLineBreak + "Do you want to continue?";
  sink.Answer(false, question);
  EXPECT_FALSE(DeleteChartSeries(chart, 0));
  EXPECT_EQ(chart.Series.size(), 2u);
  sink.Answer(true, question);
  EXPECT_TRUE(DeleteChartSeries(chart, 0));
  ASSERT_EQ(chart.Series.size(), 1u);
  EXPECT_EQ(chart.Series[0].Name, "Series2");
}

TEST(ChartProps, ScaleEndsReadPointOrCommaAndRefuseTheRest) {
  testing::ScriptedSink sink;
  double value = 0;
  EXPECT_TRUE(ReadScaleNumber("Minimum", " -1,5 ", value));
  EXPECT_EQ(value, -1.5);
  EXPECT_TRUE(ReadScaleNumber("Minimum", "2.5E+3", value));
  EXPECT_EQ(value, 2500);
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_FALSE(ReadScaleNumber("Maximum", "ten", value));
  EXPECT_EQ(value, 2500);
  EXPECT_EQ(sink.Last(), "Maximum is not a number: ten");
}

} // namespace
} // namespace vandro
