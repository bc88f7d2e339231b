#include "charts/chart_fill.h"

#include "language/executor.h"
#include "model/project.h"
#include "support/scripted_sink.h"
#include "values/value.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vandro {
namespace {

using Texts = std::vector<std::string>;

TValue::Ptr Item(const std::string& text, TValueKind kind = vkPlain) {
  TValue::Ptr item = TValue::Create("test");
  item->SetText(kind, text);
  return item;
}

TValue::Ptr Array(const Texts& texts) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  for (const std::string& text : texts)
    array->AddItem(Item(text));
  return array;
}

std::string Packed(const TValue::Ptr& value) {
  return value->PackValue();
}

class ChartFill : public ::testing::Test {
protected:
  ChartFill() : project_(TProject::CreateInMemory()), scope_(*project_) { chart.Series.resize(1); }

  TChartSeries& Series() { return chart.Series[0]; }

  std::vector<TChartPoint> Filled(const std::string& y, const std::string& x = {},
                                  const std::string& labels = {}) {
    Series().YSource = y;
    Series().XSource = x;
    Series().LSource = labels;
    EXPECT_TRUE(FillSeries(chart, 0));
    return Series().Points;
  }

  std::unique_ptr<TProject> project_;
  ScopedProject scope_;
  ScopedLanguage language_;
  testing::ScriptedSink sink;
  TChartDefinition chart;
};

TEST_F(ChartFill, YWithoutXPlotsAtTheirIndexes) {
  const auto points = Filled(Packed(Array({"5", "4", "3", "2", "1"})));
  ASSERT_EQ(5u, points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(static_cast<double>(i), points[i].X);
    EXPECT_EQ(5.0 - static_cast<double>(i), points[i].Y);
  }
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(ChartFill, XWithoutYPlotsAtZero) {
  const auto points = Filled({}, Packed(Array({"7", "8"})));
  EXPECT_EQ((std::vector<TChartPoint>{{7, 0, ""}, {8, 0, ""}}), points);
}

TEST_F(ChartFill, TheLongerSetIsTrimmed) {
  const auto five = Packed(Array({"1", "2", "3", "4", "5"}));
  const auto three = Packed(Array({"10", "20", "30"}));
  EXPECT_EQ((std::vector<TChartPoint>{{10, 1, ""}, {20, 2, ""}, {30, 3, ""}}), Filled(five, three));
  EXPECT_EQ(Texts{kYTrimmed}, sink.Messages());
  sink.Reset();
  EXPECT_EQ(3u, Filled(three, five).size());
  EXPECT_EQ(Texts{kXTrimmed}, sink.Messages());
}

TEST_F(ChartFill, NumbersInTheFirstItemsUnitNameEmptyAxes) {
  chart.Axes[caxBottom].Title = "Day of stay";
  const auto points = Filled(Packed(Array({"1 [kg]", "500 [g]"})), Packed(Array({"1", "2"})));
  ASSERT_EQ(2u, points.size());
  EXPECT_DOUBLE_EQ(0.5, points[1].Y);
  EXPECT_EQ("kg", chart.Axes[caxLeft].Title);
  EXPECT_EQ("Day of stay", chart.Axes[caxBottom].Title);
}

TEST_F(ChartFill, SourcesYieldingArraysAndLabels) {
  project_->SetVariable("TEMPS", *Array({"36.6", "38.1"}));
  project_->SetVariable("DAYS", *Array({"Mon", "Tue", "Wed"}));
  const auto points = Filled(Packed(Item("=PROJECT.TEMPS", vkCalculated)), {},
                             Packed(Item("=PROJECT.DAYS", vkCalculated)));
  EXPECT_EQ((std::vector<TChartPoint>{{0, 36.6, "Mon"}, {1, 38.1, "Tue"}}), points);

  // Labels from an array, and none from a formula that yields no array.
  EXPECT_EQ("12 [kg]", Filled(Packed(Array({"1"})), {}, Packed(Array({"12 [kg]"})))[0].Label);
  EXPECT_EQ("", Filled(Packed(Array({"1"})), {}, Packed(Item("=2+3", vkCalculated)))[0].Label);
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(ChartFill, NoSourcesClearTheSeries) {
  Series().Points = {{1, 2, "old"}};
  EXPECT_TRUE(Filled({}, Packed(Array({}))).empty());
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(ChartFill, WhatIsNoNumericArrayIsRefused) {
  const std::string numbers = Packed(Array({"1", "2"}));
  struct Case {
    const char* name;
    std::string source;
  };
  const std::vector<Case> cases = {
      {"texts", Packed(Array({"a", "b"}))},
      {"an item that is no number", Packed(Array({"1", "b"}))},
      {"units of two dimensions", Packed(Array({"1 [kg]", "2 [m]"}))},
      {"a single number", Packed(Item("5"))},
      {"a formula yielding a number", Packed(Item("=2+3", vkCalculated))},
      {"damaged packed form", "\x7F"},
  };
  for (const Case& c : cases) {
    for (const bool asY : {true, false}) {
      sink.Reset();
      Series().Points = {{1, 2, "old"}};
      Series().YSource = asY ? c.source : numbers;
      Series().XSource = asY ? numbers : c.source;
      EXPECT_FALSE(FillSeries(chart, 0)) << c.name;
      ASSERT_FALSE(sink.Messages().empty()) << c.name;
      EXPECT_EQ(asY ? kYSourceRefusal : kXSourceRefusal, sink.Last()) << c.name;
      EXPECT_TRUE(Series().Points.empty()) << c.name;
    }
  }
}

TEST_F(ChartFill, FillChartFillsEverySeriesPastARefusal) {
  chart.Series.resize(3);
  chart.Series[0].YSource = Packed(Array({"1"}));
  chart.Series[1].YSource = Packed(Array({"x"}));
  chart.Series[2].YSource = Packed(Array({"2", "3"}));
  EXPECT_FALSE(FillChart(chart));
  EXPECT_EQ(1u, chart.Series[0].Points.size());
  EXPECT_TRUE(chart.Series[1].Points.empty());
  EXPECT_EQ(2u, chart.Series[2].Points.size());
}

} // namespace
} // namespace vandro
