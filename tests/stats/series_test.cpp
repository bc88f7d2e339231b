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

constexpr long double kMissing = kMissingNumber;

// Converted numbers: the unit factors are not exact binary fractions. A
// missing item (NaN) is expected as kMissing.
void ExpectNumbers(const TValueArray& expected, const TValueArray& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i)
    if (IsMissing(expected[i]))
      EXPECT_TRUE(IsMissing(actual[i])) << i << ": " << static_cast<double>(actual[i]);
    else
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
       {{1, 2}},
       {{1, 2}},
       std::nullopt},
      {"a tie cleared, then a shorter run sets the flag again",
       {1, 1, 1, 2, 2, 2, 3, 3},
       2,
       1,
       0.375L,
       {{1, 2}},
       {{1, 2.5L}},
       {{1, 2, 2, 3}}},
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
       {{2, 4}},
       {{1.5L, 2.5L, 3.5L, 4.5L}}},
      {"one to ten",
       {7, 1, 10, 4, 2, 9, 3, 8, 6, 5},
       5.5L,
       std::nullopt,
       0,
       {{4, 7}},
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

// Tertiles, quartiles and quintiles against R's quantile(type = 2), for
// every n up to 40, with distinct values and with many ties. The series are
// made here as make_references.R makes them ("quantiles").
TEST(StatSeriesTest, QuantilesFollowOneRuleAsR) {
  const struct Case {
    int n;
    bool ties;
    std::array<long double, 8> q; // 1/3, 2/3, 1/4, 3/4, 1/5, 2/5, 3/5, 4/5
  } cases[] = {
      {1, false, {649, 649, 649, 649, 649, 649, 649, 649}},
      {2, false, {289, 442, 289, 442, 289, 289, 442, 442}},
      {3, false, {158.5, 586.5, 82, 938, 82, 235, 235, 938}},
      {4, false, {578, 731, 303, 807.5, 28, 578, 731, 884}},
      {5, false, {371, 677, 371, 677, 294.5, 447.5, 600.5, 753.5}},
      {6, false, {240.5, 546.5, 164, 623, 164, 317, 470, 623}},
      {7, false, {416, 660, 263, 813, 263, 416, 660, 813}},
      {8, false, {209, 606, 178, 682.5, 147, 300, 453, 759}},
      {9, false, {322.5, 750.5, 246, 796, 93, 399, 705, 858}},
      {10, false, {436, 651, 345, 742, 268.5, 467, 620, 773}},
      {11, false, {291, 597, 229, 688, 229, 382, 535, 688}},
      {12, false, {282.5, 679.5, 206, 756, 175, 328, 634, 787}},
      {13, false, {365, 671, 274, 733, 183, 427, 580, 824}},
      {14, false, {311, 679, 220, 770, 158, 373, 617, 832}},
      {15, false, {364.5, 685, 257, 778, 211.5, 441, 639.5, 792.5}},
      {16, false, {356, 600, 279.5, 707.5, 265, 418, 571, 753}},
      {17, false, {302, 699, 240, 761, 211, 364, 608, 852}},
      {18, false, {293.5, 676, 186, 736, 157, 401, 583, 798}},
      {19, false, {376, 682, 285, 806, 223, 438, 653, 835}},
      {20, false, {322, 690, 262, 766.5, 200, 415, 613.5, 812}},
      {21, false, {361, 650.5, 268, 727, 239, 421, 574, 789}},
      {22, false, {305, 611, 214, 735, 185, 338, 582, 764}},
      {23, false, {313, 710, 222, 801, 160, 404, 619, 834}},
      {24, false, {381, 687, 290, 763.5, 197, 441, 627, 809}},
      {25, false, {358, 664, 267, 726, 219.5, 403.5, 587.5, 786}},
      {26, false, {333, 701, 242, 763, 213, 395, 610, 792}},
      {27, false, {326.5, 661.5, 250, 738, 188, 370, 585, 800}},
      {28, false, {316, 655, 210.5, 760.5, 163, 378, 593, 808}},
      {29, false, {386, 721, 295, 783, 233, 448, 659, 845}},
      {30, false, {346.5, 652.5, 270, 729, 224.5, 408.5, 590.5, 774.5}},
      {31, false, {307, 613, 216, 737, 187, 369, 551, 766}},
      {32, false, {315, 683, 238.5, 757.5, 191, 377, 621, 803}},
      {33, false, {337.5, 672.5, 261, 749, 199, 414, 596, 811}},
      {34, false, {360, 695, 269, 786, 207, 422, 633, 848}},
      {35, false, {335, 670, 244, 732, 198.5, 411.5, 595.5, 779.5}},
      {36, false, {312, 632.5, 235.5, 725.5, 190, 372, 558, 769}},
      {37, false, {318, 686, 256, 777, 198, 380, 624, 810}},
      {38, false, {355, 694, 264, 756, 202, 446, 603, 814}},
      {39, false, {348.5, 683.5, 243, 760, 210, 396, 607, 822}},
      {40, false, {338, 648, 232.5, 737, 187, 385.5, 600.5, 782.5}},
      {1, true, {4, 4, 4, 4, 4, 4, 4, 4}},
      {2, true, {0, 3, 0, 3, 0, 0, 3, 3}},
      {3, true, {3.5, 5, 3, 6, 3, 4, 4, 6}},
      {4, true, {0, 2, 0, 4, 0, 0, 2, 6}},
      {5, true, {3, 5, 3, 5, 2.5, 3, 4, 5}},
      {6, true, {3, 5.5, 1, 6, 1, 5, 5, 6}},
      {7, true, {1, 2, 1, 4, 1, 1, 2, 4}},
      {8, true, {3, 4, 1.5, 4.5, 0, 4, 4, 5}},
      {9, true, {0.5, 3, 0, 3, 0, 1, 3, 3}},
      {10, true, {3, 4, 3, 6, 3, 3.5, 4, 6}},
      {11, true, {0, 5, 0, 6, 0, 2, 2, 6}},
      {12, true, {2.5, 4, 2, 5, 2, 3, 3, 5}},
      {13, true, {4, 5, 1, 6, 1, 5, 5, 6}},
      {14, true, {1, 2, 1, 4, 1, 1, 2, 4}},
      {15, true, {3, 4, 0, 5, 0, 3.5, 4, 5}},
      {16, true, {1, 3, 0, 3, 0, 1, 3, 3}},
      {17, true, {3, 4, 3, 6, 3, 3, 4, 6}},
      {18, true, {1, 5, 0, 6, 0, 2, 2, 6}},
      {19, true, {2, 3, 2, 5, 2, 3, 3, 5}},
      {20, true, {4, 5, 1, 6, 1, 4.5, 5, 6}},
      {21, true, {1, 2, 1, 4, 1, 1, 2, 4}},
      {22, true, {3, 4, 0, 5, 0, 3, 4, 5}},
      {23, true, {1, 3, 0, 3, 0, 1, 3, 3}},
      {24, true, {3, 4, 3, 6, 3, 3, 4, 6}},
      {25, true, {2, 5, 0, 6, 0, 2, 3.5, 6}},
      {26, true, {2, 3, 2, 5, 2, 3, 3, 5}},
      {27, true, {4, 5, 1, 6, 1, 4, 5, 6}},
      {28, true, {1, 2, 1, 4, 1, 1, 2, 4}},
      {29, true, {3, 4, 0, 5, 0, 3, 4, 5}},
      {30, true, {1, 3, 0, 3, 0, 1, 3, 3}},
      {31, true, {3, 4, 3, 6, 3, 3, 4, 6}},
      {32, true, {2, 5, 0, 6, 0, 2, 5, 6}},
      {33, true, {2, 3, 2, 5, 2, 3, 3, 5}},
      {34, true, {4, 5, 1, 6, 1, 4, 5, 6}},
      {35, true, {1, 2, 1, 4, 1, 1, 2, 4}},
      {36, true, {3, 4, 0, 5, 0, 3, 4, 5}},
      {37, true, {1, 3, 0, 3, 0, 1, 3, 3}},
      {38, true, {3, 4, 3, 6, 3, 3, 4, 6}},
      {39, true, {2, 5, 0, 6, 0, 2, 5, 6}},
      {40, true, {2, 3, 2, 5, 2, 2.5, 3, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + (c.ties ? " with ties" : ""));
    std::vector<long double> items;
    for (long long i = 1; i <= c.n; ++i)
      items.push_back(c.ties ? static_cast<long double>((i * i + 3 * c.n) % 7)
                             : static_cast<long double>((i * 7919 + c.n * 104729LL) % 1009));
    TStatSeries series;
    Fill(series, items);
    series.Compute();
    const std::array<long double, 8> actual = {
        series.LowerTertile, series.UpperTertile, series.FirstQuartile, series.ThirdQuartile,
        series.Quintiles[0], series.Quintiles[1], series.Quintiles[2],  series.Quintiles[3]};
    const bool valid[8] = {c.n >= 3, c.n >= 3, c.n >= 4, c.n >= 4,
                           c.n >= 5, c.n >= 5, c.n >= 5, c.n >= 5};
    for (size_t j = 0; j < 8; ++j)
      if (valid[j])
        EXPECT_EQ(c.q[j], actual[j]) << "quantile " << j;
      else
        EXPECT_EQ(0, actual[j]) << "quantile " << j;
  }
}

// Whatever the length, the rows read in order: a quantile of a larger p is
// never below one of a smaller p, and the median sits where p = 1/2 does.
TEST(StatSeriesTest, QuantileRowsAreInOrder) {
  for (int n = 5; n <= 120; ++n) {
    std::vector<long double> items;
    for (int i = 0; i < n; ++i)
      items.push_back(static_cast<long double>((i * 37 + 11) % 53));
    TStatSeries series;
    Fill(series, items);
    series.Compute();
    const struct {
      long double p, value;
    } rows[] = {{0.2L, series.Quintiles[0]},     {0.25L, series.FirstQuartile},
                {1 / 3.0L, series.LowerTertile}, {0.4L, series.Quintiles[1]},
                {0.5L, series.Median},           {0.6L, series.Quintiles[2]},
                {2 / 3.0L, series.UpperTertile}, {0.75L, series.ThirdQuartile},
                {0.8L, series.Quintiles[3]}};
    for (size_t j = 1; j < std::size(rows); ++j)
      EXPECT_LE(rows[j - 1].value, rows[j].value) << "n = " << n << ", p = " << rows[j].p;
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
  // Items that are no numbers in the unit are missing, never 0.
  ExpectNumbers({1, 0.5L, kMissing, kMissing, kMissing}, series_->Numbers);
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
  ExpectNumbers({43832, kMissing, 43833.5L}, series_->Numbers);
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
  ExpectNumbers({5, kMissing}, series_->Numbers);
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
  ASSERT_EQ(20u, grid.size());
  EXPECT_EQ((std::vector<std::string>{"Statistics \\ Series", "Weights of the parcels sent in t",
                                      "Colours", "Visits", "Objects", "Broken"}),
            grid[0]);
  EXPECT_EQ("Missing", grid[2][0]);
  EXPECT_EQ("4th quintile", grid[19][0]);
  struct Row {
    const char* title;
    std::vector<std::string> cells; // numeric, text, dates, references, broken
  };
  const std::vector<Row> rows = {
      {"Count", {"4", "3", "2", "2", ""}},
      {"Missing", {"0", "0", "0", "0", ""}},
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
// median is, not as day numbers; the values are R's quantile(type = 2) of
// the same moments.
TEST_F(SeriesFixture, DateQuantilesAreShownAsDates) {
  TStatSeries dates;
  dates.SetName("Visits");
  dates.Kind = skDate;
  // 1 January 2020 is day 43831.
  Fill(dates, {43835.25L, 43831, 43833.5L, 43832.75L, 43834, 43837, 43836 + 8.5L / 24});
  const TStatGrid grid = BasicStatGrid({&dates});
  const std::pair<const char*, const char*> rows[] = {
      {"Median", "04.01.2020"},
      {"Lower tertile", "03.01.2020 12:00:00"},
      {"Upper tertile", "05.01.2020 06:00:00"},
      {"1st quartile", "02.01.2020 18:00:00"},
      {"3rd quartile", "06.01.2020 08:30:00"},
      {"1st quintile", "02.01.2020 18:00:00"},
      {"2nd quintile", "03.01.2020 12:00:00"},
      {"3rd quintile", "05.01.2020 06:00:00"},
      {"4th quintile", "06.01.2020 08:30:00"},
  };
  for (const auto& [title, text] : rows)
    EXPECT_EQ(text, Cell(grid, 1, title)) << title;
}

// Empty items (a history where a state lacks the parameter) are missing:
// they fix no kind, ask nothing, enter no statistic and are counted apart.
TEST_F(SeriesFixture, EmptyItemsAreMissing) {
  ASSERT_TRUE(LoadFrom(Array({"", "10 [g]", "", "20 [g]", "abc", "30 [g]"})));
  EXPECT_EQ(skNumeric, series_->Kind);
  EXPECT_EQ("g", series_->UnitText);
  ExpectNumbers({kMissing, 10, kMissing, 20, kMissing, 30}, series_->Numbers);
  // A text is not a number: it is named, and missing all the same.
  EXPECT_EQ(std::vector<std::string>{"Value should be numeric. Item No = 4"}, errors_);
  const TStatGrid grid = BasicStatGrid({series_.get()});
  const std::pair<const char*, const char*> rows[] = {{"Count", "3"},
                                                      {"Missing", "3"},
                                                      {"Total", "60 [g]"},
                                                      {"Mean", "20 [g]"},
                                                      {"Min", "10 [g]"},
                                                      {"Max", "30 [g]"},
                                                      {"Median", "20 [g]"},
                                                      {"Std.Deviation (sample)", "10 [g]"},
                                                      {"Lower tertile", "15 [g]"}};
  for (const auto& [title, text] : rows)
    EXPECT_EQ(text, Cell(grid, 1, title)) << title;
  series_->RangeKnown = false;
  series_->ComputeRange();
  EXPECT_EQ(10, series_->Minimum);
  EXPECT_EQ(2, series_->CountInRange(0, 25));

  // Dates and texts the same way; nothing but empty items is a series with
  // every item missing.
  ASSERT_TRUE(LoadFrom(Array({"", "02.01.2020", "04.01.2020"})));
  EXPECT_EQ(skDate, series_->Kind);
  EXPECT_EQ("03.01.2020", Cell(BasicStatGrid({series_.get()}), 1, "Mean"));
  ASSERT_TRUE(LoadFrom(Array({"red", "", "red", "blue"})));
  series_->Compute();
  EXPECT_EQ(3, series_->StatCount);
  EXPECT_EQ(1, series_->MissingCount);
  EXPECT_EQ("blue", series_->MinimumText);
  ASSERT_TRUE(LoadFrom(Array({"", ""})));
  series_->Compute();
  EXPECT_EQ(0, series_->StatCount);
  EXPECT_EQ(2, series_->MissingCount);
  EXPECT_TRUE(errors_.empty());

  // The numbers of a value skip empty items without asking.
  TValueArray numbers;
  std::string unit;
  ASSERT_TRUE(GetNumericSeries(*Array({"", "5 [s]", "", "1 [min]"}), numbers, unit));
  EXPECT_EQ((TValueArray{5, 60}), numbers);
  EXPECT_EQ("s", unit);
  EXPECT_FALSE(GetNumericSeries(*Array({"", ""}), numbers, unit));
  EXPECT_EQ("Series is empty", sink_.Last());
  EXPECT_TRUE(sink_.Questions().empty());
}

} // namespace
} // namespace vandro
