#include "stats/series.h"
#include "stats/series_grid.h"

#include "language/executor.h"
#include "model/project.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vandro {
namespace {

TValue::Ptr Item(const std::string& text, TValueKind kind = vkPlain) {
  TValue::Ptr item = TValue::Create("test");
  item->SetText(kind, text);
  return item;
}

TValue::Ptr Array(const std::vector<std::string>& texts) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  for (const std::string& text : texts)
    array->AddItem(Item(text));
  return array;
}

// Converted numbers: the unit factors are not exact binary fractions.
void ExpectNumbers(const TValueArray& expected, const TValueArray& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(static_cast<double>(expected[i]), static_cast<double>(actual[i]), 1e-15) << i;
}

void Fill(TStatSeries& series, const std::vector<long double>& numbers) {
  series.Resize(static_cast<int>(numbers.size()));
  series.Numbers = numbers;
  series.Loaded = true;
}

// The order statistics and the mode scan, by the series' load order.
struct ComputeCase {
  const char* name;
  std::vector<long double> items;
  long double median;
  std::optional<long double> mode; // when the mode exists
  long double modalFrequency;
  std::optional<std::pair<long double, long double>> tertiles, quartiles;
  std::optional<std::array<long double, 4>> quintiles;
};

TEST(StatSeriesTest, ComputeOrderStatisticsAndMode) {
  const std::vector<ComputeCase> cases = {
      {"one item", {5}, 5, std::nullopt, 0, std::nullopt, std::nullopt, std::nullopt},
      {"1 2 2 3", {3, 2, 1, 2}, 2, 2, 0.5L, {{2, 2}}, {{1.5L, 2.5L}}, std::nullopt},
      {"two runs of two cancel",
       {1, 2, 1, 2},
       1.5L,
       std::nullopt,
       0,
       {{1, 1.5L}},
       {{1, 2}},
       std::nullopt},
      {"a tie cleared, then a shorter run sets the flag again",
       {1, 1, 1, 2, 2, 2, 3, 3},
       2,
       1,
       0.375L,
       {{1, 2}},
       {{1, 2.5L}},
       {{1, 1, 2, 2}}},
      {"run that starts before the first loaded item",
       {3, 1, 1},
       1,
       1,
       2.0L / 3,
       {{1, 2}},
       std::nullopt,
       std::nullopt},
      {"five items",
       {3, 1, 5, 2, 4},
       3,
       std::nullopt,
       0,
       {{2, 4}},
       {{1.5L, 4.5L}},
       {{1.5L, 2.5L, 3.5L, 4.5L}}},
      {"one to ten",
       {7, 1, 10, 4, 2, 9, 3, 8, 6, 5},
       5.5L,
       std::nullopt,
       0,
       {{4, 6.5L}},
       {{3, 8}},
       {{2.5L, 4.5L, 6.5L, 8.5L}}},
  };
  for (const ComputeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TStatSeries series;
    Fill(series, c.items);
    series.Compute();
    EXPECT_TRUE(series.Computed);
    EXPECT_EQ(static_cast<int>(c.items.size()), series.StatCount);
    EXPECT_EQ(c.median, series.Median);
    EXPECT_EQ(c.mode.has_value(), series.ModeExists);
    if (c.mode) {
      EXPECT_EQ(*c.mode, series.Mode);
    }
    EXPECT_DOUBLE_EQ(static_cast<double>(c.modalFrequency),
                     static_cast<double>(series.ModalFrequency));
    ASSERT_EQ(c.tertiles.has_value(), series.TertilesValid);
    if (c.tertiles) {
      EXPECT_EQ(c.tertiles->first, series.LowerTertile);
      EXPECT_EQ(c.tertiles->second, series.UpperTertile);
    }
    ASSERT_EQ(c.quartiles.has_value(), series.QuartilesValid);
    if (c.quartiles) {
      EXPECT_EQ(c.quartiles->first, series.FirstQuartile);
      EXPECT_EQ(c.quartiles->second, series.ThirdQuartile);
    }
    ASSERT_EQ(c.quintiles.has_value(), series.QuintilesValid);
    if (c.quintiles) {
      EXPECT_EQ(*c.quintiles, series.Quintiles);
    }
  }
}

// For n mod 4 = 2 or 3 the quartiles are single items, k = n div 4 from
// either end; the third one lies above the median.
TEST(StatSeriesTest, ThirdQuartileMirrorsTheFirst) {
  const struct Case {
    int n;
    long double first, third;
  } cases[] = {{6, 20, 50}, {7, 20, 60}, {10, 30, 80}, {11, 30, 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    TStatSeries series;
    std::vector<long double> items;
    for (int i = c.n; i >= 1; --i)
      items.push_back(10.0L * i);
    Fill(series, items);
    series.Compute();
    ASSERT_TRUE(series.QuartilesValid);
    EXPECT_EQ(c.first, series.FirstQuartile);
    EXPECT_EQ(c.third, series.ThirdQuartile);
    EXPECT_GT(series.ThirdQuartile, series.Median);
  }
}

TEST(StatSeriesTest, ComputeMomentsAndRange) {
  TStatSeries series;
  Fill(series, {7, 1, 10, 4, 2, 9, 3, 8, 6, 5});
  series.Compute();
  EXPECT_EQ(1, series.Minimum);
  EXPECT_EQ(10, series.Maximum);
  EXPECT_EQ(55, series.Total);
  EXPECT_EQ(5.5L, series.Mean);
  EXPECT_NEAR(std::sqrt(82.5 / 9), static_cast<double>(series.DeviationSample), 1e-15);
  EXPECT_NEAR(std::sqrt(8.25), static_cast<double>(series.DeviationPopulation), 1e-15);

  Fill(series, {5});
  series.Compute();
  EXPECT_EQ(0, series.DeviationSample);
  EXPECT_EQ(0, series.DeviationPopulation);

  // Nothing to divide by: zeros, never NaN.
  Fill(series, {});
  series.Compute();
  EXPECT_EQ(0, series.StatCount);
  EXPECT_EQ(0, series.Mean);
  EXPECT_EQ(0, series.DeviationPopulation);

  Fill(series, {3, -1, 7});
  series.ComputeRange();
  EXPECT_TRUE(series.RangeKnown);
  EXPECT_EQ(-1, series.Minimum);
  EXPECT_EQ(7, series.Maximum);
  EXPECT_EQ(1, series.CountInRange(-1, 3));
  EXPECT_EQ(1, series.CountInRange(3, 7));
  EXPECT_EQ(3, series.CountInRange(-1, 7.0000001L));
  // New items make the cached range stale.
  series.Resize(4);
  series.Numbers[3] = 20;
  series.ComputeRange();
  EXPECT_EQ(20, series.Maximum);
}

TEST(StatSeriesTest, TextSeriesSortsWithoutCaseAndFindsTheMode) {
  TStatSeries series;
  series.Kind = skText;
  series.Texts = {"b", "a", "B"};
  series.Loaded = true;
  series.Compute();
  EXPECT_EQ("a", series.MinimumText);
  EXPECT_EQ("B", series.MaximumText); // equal without case: load order kept
  EXPECT_FALSE(series.ModeExists);
  EXPECT_EQ("n/a", series.MedianText);
  EXPECT_EQ(0, series.CountInRange(-1e9L, 1e9L));

  series.Texts = {"x", "y", "x"};
  series.Compute();
  EXPECT_TRUE(series.ModeExists);
  EXPECT_EQ("x", series.ModeText);
  EXPECT_DOUBLE_EQ(2.0 / 3, static_cast<double>(series.ModalFrequency));
}

class SeriesFixture : public ::testing::Test {
protected:
  SeriesFixture() : project_(TProject::CreateInMemory()), scope_(*project_) {}

  // Loads source into a fresh series; returns Load's result.
  bool LoadFrom(TValue::Ptr source) {
    series_ = std::make_unique<TStatSeries>();
    series_->Source = std::move(source);
    return series_->Load(errors_);
  }

  std::unique_ptr<TProject> project_;
  ScopedProject scope_;
  ScopedLanguage language_;
  testing::ScriptedSink sink_;
  std::unique_ptr<TStatSeries> series_;
  std::vector<std::string> errors_;
};

TEST_F(SeriesFixture, LoadRefusesWhatIsNoSeries) {
  TStatSeries series;
  EXPECT_FALSE(series.Load(errors_));
  EXPECT_EQ(std::vector<std::string>{"Series source isn't defined"}, errors_);
  series.Resize(2);
  EXPECT_TRUE(series.Load(errors_));
  EXPECT_TRUE(series.Loaded);
  EXPECT_TRUE(errors_.empty());

  EXPECT_FALSE(LoadFrom(Item("5")));
  EXPECT_EQ(std::vector<std::string>{"Series source should be an array"}, errors_);
  EXPECT_FALSE(LoadFrom(Array({})));
  EXPECT_EQ(std::vector<std::string>{"Empty array supplied"}, errors_);
  EXPECT_FALSE(series_->Loaded);
  EXPECT_TRUE(sink_.Messages().empty());
}

TEST_F(SeriesFixture, LoadNumbersInTheFirstItemsUnit) {
  ASSERT_TRUE(LoadFrom(Array({"1 [kg]", "500 [g]", "abc", "2 [m]", "3"})));
  EXPECT_EQ(skNumeric, series_->Kind);
  EXPECT_EQ("kg", series_->UnitText);
  EXPECT_FALSE(series_->NormalUnitText.empty());
  ExpectNumbers({1, 0.5L, 0, 0, 0}, series_->Numbers);
  EXPECT_EQ((std::vector<std::string>{"Value should be numeric. Item No = 2",
                                      "Incompatible units. kg expected. Item No = 3",
                                      "Incompatible units. kg expected. Item No = 4"}),
            errors_);
  EXPECT_TRUE(series_->Loaded);
}

TEST_F(SeriesFixture, LoadDatesTextsAndReferences) {
  ASSERT_TRUE(LoadFrom(Array({"02.01.2020", "5", "03.01.2020 12:00"})));
  EXPECT_EQ(skDate, series_->Kind);
  EXPECT_EQ("[day]", series_->UnitText);
  EXPECT_EQ("[s]", series_->NormalUnitText);
  EXPECT_EQ((TValueArray{43832, 0, 43833.5L}), series_->Numbers);
  EXPECT_EQ(std::vector<std::string>{"Value should be numeric. Item No = 1"}, errors_);

  ASSERT_TRUE(LoadFrom(Array({"b", "7 [kg]", "a"})));
  EXPECT_EQ(skText, series_->Kind);
  EXPECT_TRUE(series_->UnitText.empty());
  EXPECT_EQ((std::vector<std::string>{"b", "7 [kg]", "a"}), series_->Texts);
  EXPECT_TRUE(series_->Numbers.empty());

  TValue::Ptr references = TValue::Create("test");
  references->SetArray();
  references->AddItem(Item("64", vkObject));
  ASSERT_TRUE(LoadFrom(std::move(references)));
  EXPECT_EQ(skText, series_->Kind);
  EXPECT_EQ(std::vector<std::string>{"<; ID:64>"}, series_->Texts);
}

TEST_F(SeriesFixture, LoadEvaluatesFormulas) {
  project_->SetVariable("S", *Array({"2 [m]", "50 [cm]"}));
  ASSERT_TRUE(LoadFrom(Item("=PROJECT.S", vkCalculated)));
  ExpectNumbers({2, 0.5L}, series_->Numbers);
  // The result took the formula's place.
  EXPECT_TRUE(series_->Source->IsArray());

  TValue::Ptr source = Array({"4"});
  source->SetItem(0, Item("=2+3", vkCalculated));
  source->AddItem(Item("=1", vkCalculated));
  ASSERT_TRUE(LoadFrom(std::move(source)));
  EXPECT_EQ(skNumeric, series_->Kind);
  EXPECT_EQ((TValueArray{5, 0}), series_->Numbers);
  EXPECT_EQ(std::vector<std::string>{"Value should be numeric. Item No = 1"}, errors_);
}

TEST_F(SeriesFixture, QueriesNeedTheInstalledRunner) {
  EXPECT_FALSE(LoadFrom(Item("FIND ALL OBJECTS WITHIN EVERYTHING", vkCalculated)));
  EXPECT_EQ(std::vector<std::string>{"Series source should be an array"}, errors_);

  struct Runner final : TSeriesQueryRunner {
    TValue::Ptr Run(const TValue& query) override {
      last = query.Text();
      return Array({"1", "2"});
    }
    std::string last;
  } runner;
  TSeriesQueryRunner* previous = SetSeriesQueryRunner(&runner);
  EXPECT_TRUE(LoadFrom(Item("FIND ALL OBJECTS WITHIN EVERYTHING", vkCalculated)));
  SetSeriesQueryRunner(previous);
  EXPECT_EQ("FIND ALL OBJECTS WITHIN EVERYTHING", runner.last);
  EXPECT_EQ((TValueArray{1, 2}), series_->Numbers);
}

TEST_F(SeriesFixture, ReloadForgetsTheStatistics) {
  ASSERT_TRUE(LoadFrom(Array({"1", "2"})));
  series_->ComputeRange();
  series_->Compute();
  series_->Source = Array({"10", "20"});
  ASSERT_TRUE(series_->Load(errors_));
  EXPECT_FALSE(series_->Computed);
  series_->ComputeRange();
  EXPECT_EQ(20, series_->Maximum);
}

TEST_F(SeriesFixture, NumericSeriesOfAValue) {
  TValueArray numbers{9};
  std::string unit = "x";
  EXPECT_TRUE(GetNumericSeries(TValue::Null(), numbers, unit));
  EXPECT_TRUE(numbers.empty());
  EXPECT_TRUE(unit.empty());

  const TValue::Ptr mixed = Array({"1 [m]", "x", "20 [cm]"});
  ASSERT_TRUE(GetNumericSeries(*mixed, numbers, unit));
  ExpectNumbers({1, 0.2L}, numbers);
  EXPECT_EQ("m", unit);
  EXPECT_EQ("20 [cm]", mixed->GetItem(2).Text()); // the value is left as it was

  EXPECT_FALSE(GetNumericSeries(*Item("5"), numbers, unit));
  EXPECT_FALSE(GetNumericSeries(*Array({}), numbers, unit));

  const std::string question =
      "The first value in series isn't numeric.\r\nDo you want to skip all non-numeric values?";
  sink_.Answer(false, question);
  EXPECT_FALSE(GetNumericSeries(*Array({"a", "1"}), numbers, unit));
  EXPECT_TRUE(sink_.Messages().empty());
  sink_.Answer(true, question);
  ASSERT_TRUE(GetNumericSeries(*Array({"a", "3 [s]", "b", "1 [min]"}), numbers, unit));
  EXPECT_EQ((TValueArray{3, 60}), numbers);
  EXPECT_EQ("s", unit);
  sink_.Answer(true, question);
  EXPECT_FALSE(GetNumericSeries(*Array({"a", "b"}), numbers, unit));
  EXPECT_EQ("Series is empty", sink_.Last());

  EXPECT_FALSE(GetNumericSeries(*Array({"1 [m]", "2", "3 [s]"}), numbers, unit));
  EXPECT_EQ("Incompatible units. Item # 1", sink_.Last());

  project_->SetVariable("S", *Array({"4", "5"}));
  ASSERT_TRUE(GetNumericSeries(*Item("=PROJECT.S", vkCalculated), numbers, unit));
  EXPECT_EQ((TValueArray{4, 5}), numbers);
}

// One column of the grid, by row title.
std::string Cell(const TStatGrid& grid, size_t column, const std::string& title) {
  for (const auto& row : grid)
    if (row[0] == title) return row[column];
  ADD_FAILURE() << "no row " << title;
  return {};
}

// Readings of one temperature in three units, each converted with its
// unit's offset into the first item's unit.
TEST_F(SeriesFixture, TemperaturesConvertWithTheirOffsets) {
  const auto expectNear = [](const TValueArray& expected, const TValueArray& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_NEAR(static_cast<double>(expected[i]), static_cast<double>(actual[i]), 1e-12) << i;
  };
  ASSERT_TRUE(LoadFrom(Array({"36.6 [C]", "310 [K]", "98.6 [fahrenheit]"})));
  EXPECT_TRUE(errors_.empty());
  expectNear({36.6L, 36.85L, 37}, series_->Numbers);
  const TStatGrid grid = BasicStatGrid({series_.get()});
  EXPECT_EQ("36.6 [C]", Cell(grid, 1, "Min"));
  EXPECT_EQ("37 [C]", Cell(grid, 1, "Max"));

  TValueArray numbers;
  std::string unit;
  ASSERT_TRUE(GetNumericSeries(*Array({"0 [C]", "283.15 [K]", "212 [fahrenheit]"}), numbers, unit));
  expectNear({0, 10, 100}, numbers);
}

TEST_F(SeriesFixture, DescriptiveStatsGridCells) {
  TStatSeries numeric, text, dates, references, broken;
  numeric.SetName("Weights of the parcels sent in the first week");
  Fill(numeric, {1, 2, 2, 3});
  numeric.UnitText = "kg";
  text.SetName("Colours");
  text.Kind = skText;
  text.Texts = {"red", "blue", "red"};
  text.Loaded = true;
  dates.SetName("Visits");
  dates.Kind = skDate;
  Fill(dates, {43831, 43833});
  references.SetName("Objects");
  references.Kind = skReference;
  Fill(references, {64, 96});
  broken.SetName("Broken");

  const TStatGrid grid = BasicStatGrid({&numeric, &text, &dates, &references, &broken});
  EXPECT_EQ("Broken: improper data in the series content.\r\nSeries skipped", sink_.Last());
  ASSERT_EQ(19u, grid.size());
  EXPECT_EQ((std::vector<std::string>{"Statistics \\ Series", "Weights of the parcels sent in t",
                                      "Colours", "Visits", "Objects", "Broken"}),
            grid[0]);
  EXPECT_EQ("4th quintile", grid[18][0]);
  struct Row {
    const char* title;
    std::vector<std::string> cells; // numeric, text, dates, references, broken
  };
  const std::vector<Row> rows = {
      {"Count", {"4", "3", "2", "2", ""}},
      {"Total", {"8 [kg]", " n/a ", "n/a", "", ""}},
      {"Mean", {"2 [kg]", " n/a ", "02.01.2020", "", ""}},
      {"Min", {"1 [kg]", "blue", "01.01.2020", "", ""}},
      {"Max", {"3 [kg]", "red", "03.01.2020", "", ""}},
      {"Std.Deviation (poulation)", {"0.707106781186548 [kg]", " n/a ", "1[day]", "", ""}},
      {"Std.Deviation (sample)",
       {"0.816496580927726 [kg]", " n/a ", "1.4142135623731[day]", "", ""}},
      {"Median", {"2 [kg]", "n/a", "02.01.2020", "", ""}},
      {"Mode", {"2 [kg]", "red", "n/a", "n/a", ""}},
      {"Modal Frequancy", {"0.5", "0.666666666666667", "n/a", "n/a", ""}},
      {"Lower tertile", {"2 [kg]", "n/a", "n/a", "n/a", ""}},
      {"3rd quartile", {"2.5 [kg]", "n/a", "n/a", "n/a", ""}},
      {"1st quintile", {"n/a", "n/a", "n/a", "n/a", ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    for (size_t c = 0; c < row.cells.size(); ++c)
      EXPECT_EQ(row.cells[c], Cell(grid, c + 1, row.title)) << "column " << c + 1;
  }
  // The brackets are for display only.
  EXPECT_EQ("kg", numeric.UnitText);
}

// Order statistics of dates are moments: shown as date-time texts, as the
// median is, not as day numbers.
TEST_F(SeriesFixture, DateQuantilesAreShownAsDates) {
  TStatSeries dates;
  dates.SetName("Visits");
  dates.Kind = skDate;
  Fill(dates, {43835, 43831, 43833, 43832, 43834}); // 1 to 5 January 2020
  const TStatGrid grid = BasicStatGrid({&dates});
  const std::pair<const char*, const char*> rows[] = {
      {"Median", "03.01.2020"},
      {"Lower tertile", "02.01.2020"},
      {"Upper tertile", "04.01.2020"},
      {"1st quartile", "01.01.2020 12:00:00"},
      {"3rd quartile", "04.01.2020 12:00:00"},
      {"1st quintile", "01.01.2020 12:00:00"},
      {"4th quintile", "04.01.2020 12:00:00"},
  };
  for (const auto& [title, text] : rows)
    EXPECT_EQ(text, Cell(grid, 1, title)) << title;
}

} // namespace
} // namespace vandro
