#include "stats/stat_dialog.h"

#include "language/executor.h"
#include "model/project.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <memory>
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

// count copies of each text, in turn.
TValue::Ptr Outcomes(const std::vector<std::pair<std::string, int>>& counts) {
  std::vector<std::string> texts;
  for (const auto& [text, count] : counts)
    texts.insert(texts.end(), static_cast<size_t>(count), text);
  return Array(texts);
}

class StatDialogTest : public ::testing::Test {
protected:
  StatDialogTest() : project_(TProject::CreateInMemory()), scope_(*project_) {}

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < dialog_.Count(); ++i)
      names.push_back(dialog_.Series(i).Name());
    return names;
  }

  std::unique_ptr<TProject> project_;
  ScopedProject scope_;
  ScopedLanguage language_;
  testing::ScriptedSink sink_;
  TStatDialog dialog_;
};

TEST_F(StatDialogTest, SourcesThatAreNoSeriesAreRefused) {
  project_->SetVariable("N", *Item("5"));
  struct TCase {
    const char* what;
    TValue::Ptr source;
    std::string message;
  };
  std::vector<TCase> cases;
  cases.push_back({"a number", Item("5"), kSeriesSourceRefusal});
  cases.push_back({"a text", Item("abc"), kSeriesSourceRefusal});
  cases.push_back(
      {"a formula yielding a number", Item("=PROJECT.N", vkCalculated), kSeriesSourceRefusal});
  cases.push_back({"an empty array", Array({}), "Empty array supplied"});
  for (TCase& c : cases) {
    SCOPED_TRACE(c.what);
    sink_.Reset();
    EXPECT_FALSE(dialog_.Add(*c.source, "S"));
    EXPECT_EQ(std::vector<std::string>{c.message}, sink_.Messages());
    EXPECT_EQ(0, dialog_.Count());
  }

  // A formula that fails shows the executor's error, not a refusal of its kind.
  sink_.Reset();
  EXPECT_FALSE(dialog_.Add(*Item("=1 +* 2", vkCalculated), "S"));
  ASSERT_EQ(1u, sink_.Messages().size());
  EXPECT_NE(std::string(kSeriesSourceRefusal), sink_.Last());
  EXPECT_EQ(0, dialog_.Count());

  // So does a query that fails.
  sink_.Reset();
  EXPECT_FALSE(dialog_.Add(*Item("FIND ALL OBJECTS CONDITION (", vkCalculated), "S"));
  ASSERT_EQ(1u, sink_.Messages().size());
  EXPECT_NE(std::string(kSeriesSourceRefusal), sink_.Last());
  EXPECT_EQ(0, dialog_.Count());
}

TEST_F(StatDialogTest, AFormulaStaysTheDefinitionOfItsSeries) {
  project_->SetVariable("S", *Array({"2 [m]", "50 [cm]"}));
  ASSERT_TRUE(
      dialog_.Add(*Item("=PROJECT.S", vkCalculated), "A name longer than thirty-two chars"));
  EXPECT_EQ("A name longer than thirty-two ch", dialog_.Series(0).Name());
  EXPECT_TRUE(dialog_.Definition(0).IsAutoFormula());
  EXPECT_EQ(skNumeric, dialog_.Series(0).Kind);
  EXPECT_EQ((TValueArray{2, 0.5L}), dialog_.Series(0).Numbers);

  // The variable changes; modifying the series with the same formula reads it anew.
  project_->SetVariable("S", *Array({"1 [m]"}));
  ASSERT_TRUE(dialog_.Modify(0, dialog_.Definition(0), "B"));
  EXPECT_EQ((TValueArray{1}), dialog_.Series(0).Numbers);
  EXPECT_EQ("B", dialog_.Series(0).Name());
  EXPECT_TRUE(sink_.Messages().empty());
}

// Mixed units: the items that do not convert are named, the series is kept.
TEST_F(StatDialogTest, ItemsInOtherUnitsAreListedAndTheSeriesKept) {
  ASSERT_TRUE(dialog_.Add(*Array({"1 [kg]", "2 [m]", "500 [g]"}), "Mass"));
  EXPECT_EQ(std::vector<std::string>{"Incompatible units. kg expected. Item No = 1"},
            sink_.Messages());
  const TValueArray& numbers = dialog_.Series(0).Numbers;
  ASSERT_EQ(3u, numbers.size());
  EXPECT_TRUE(IsMissing(numbers[1])); // left out of every statistic, not 0
  EXPECT_NEAR(0.5, static_cast<double>(numbers[2]), 1e-15);
}

TEST_F(StatDialogTest, HandedItemsThatAreNoArrayAreLeftOutByName) {
  EXPECT_FALSE(dialog_.AddItems(Item("5"), "Pulse"));
  EXPECT_EQ(std::vector<std::string>{"Pulse:\r\nSeries source should be an array"},
            sink_.Messages());
  EXPECT_EQ(0, dialog_.Count());
  EXPECT_TRUE(dialog_.AddItems(Array({"70 [bpm]", "72 [bpm]"}), "Pulse"));
  EXPECT_EQ(1, dialog_.Count());
}

TEST_F(StatDialogTest, ListEditingNeedsASelectedRowAndKeepsOrder) {
  for (const char* name : {"A", "B", "C"})
    ASSERT_TRUE(dialog_.Add(*Array({"1", "2"}), name));
  dialog_.Move(0, 2);
  EXPECT_EQ((std::vector<std::string>{"B", "C", "A"}), Names());
  dialog_.Move(2, 1);
  EXPECT_EQ((std::vector<std::string>{"B", "A", "C"}), Names());

  EXPECT_FALSE(dialog_.Remove(-1));
  EXPECT_FALSE(dialog_.Modify(-1, *Array({"1"}), "X"));
  THistogram histogram;
  EXPECT_FALSE(dialog_.Histogram(-1, histogram));
  EXPECT_EQ(std::vector<std::string>(3, "Select series"), sink_.Messages());

  // A refused new definition leaves the entry as it was.
  sink_.Reset();
  EXPECT_FALSE(dialog_.Modify(1, *Item("7"), "X"));
  EXPECT_EQ(std::vector<std::string>{kSeriesSourceRefusal}, sink_.Messages());
  EXPECT_EQ((std::vector<std::string>{"B", "A", "C"}), Names());

  ASSERT_TRUE(dialog_.Remove(0));
  EXPECT_EQ((std::vector<std::string>{"A", "C"}), Names());
  dialog_.Clear();
  EXPECT_EQ(0, dialog_.Count());
}

TEST_F(StatDialogTest, HistogramOfASeries) {
  ASSERT_TRUE(dialog_.Add(*Array({"5", "5", "5"}), "Constant"));
  ASSERT_TRUE(dialog_.Add(*Array({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}), "Ten"));
  ASSERT_TRUE(dialog_.Add(*Array({"a", "b"}), "Texts"));

  THistogram histogram;
  ASSERT_TRUE(dialog_.Histogram(0, histogram));
  EXPECT_EQ(1, static_cast<double>(histogram.increment));
  ASSERT_EQ(10u, histogram.bars.size());
  EXPECT_EQ(3, histogram.bars[0].count);
  for (size_t i = 1; i < histogram.bars.size(); ++i)
    EXPECT_EQ(0, histogram.bars[i].count) << i;

  ASSERT_TRUE(dialog_.Histogram(1, histogram));
  ASSERT_EQ(10u, histogram.bars.size());
  EXPECT_EQ(9, static_cast<double>(histogram.bars[9].low));
  EXPECT_EQ(2, histogram.bars[9].count); // 9 and 10

  // The interval count stays within 2..24.
  dialog_.Intervals = 40;
  ASSERT_TRUE(dialog_.Histogram(1, histogram));
  EXPECT_EQ(24u, histogram.bars.size());
  dialog_.Intervals = 1;
  ASSERT_TRUE(dialog_.Histogram(1, histogram));
  EXPECT_EQ(2u, histogram.bars.size());

  EXPECT_FALSE(dialog_.Histogram(2, histogram));
  EXPECT_EQ(std::vector<std::string>{"Series should be numeric"}, sink_.Messages());
}

TEST_F(StatDialogTest, ChiSquareOfATwoByTwoTable) {
  ASSERT_TRUE(dialog_.Add(*Outcomes({{"yes", 10}, {"no", 20}}), "S1"));
  ASSERT_TRUE(dialog_.Add(*Outcomes({{"Yes", 20}, {"NO", 10}}), "S2"));
  dialog_.ChooseTest(TStatTest::ChiSquare);
  dialog_.Yates = false;
  TStatTestPanel panel = dialog_.Panel();
  EXPECT_TRUE(panel.yatesVisible);
  EXPECT_TRUE(panel.tableVisible);
  EXPECT_FALSE(panel.hasResult);
  EXPECT_EQ("Chi-Square Statistic Value:", panel.statisticCaption);
  EXPECT_EQ((std::vector<std::string>{"There's no any relationship between outcome",
                                      "frequencies in samples."}),
            panel.hypothesis);

  ASSERT_TRUE(dialog_.RunTest());
  EXPECT_EQ(1, dialog_.Result()->degreesOfFreedom);
  panel = dialog_.Panel();
  EXPECT_TRUE(panel.hasResult);
  EXPECT_EQ("6.666667", panel.statistic);
  EXPECT_EQ("0.009823", panel.p);
  EXPECT_EQ("0.990177", panel.reject);

  TContingencyTable table;
  ASSERT_TRUE(dialog_.ContingencyTable(table));
  EXPECT_EQ((std::vector<std::string>{"YES", "NO"}), table.outcomes);
  EXPECT_EQ(10, static_cast<double>(table.counts[0][0]));
  EXPECT_EQ(60, static_cast<double>(table.counts[2][2]));

  // Another test, or another list, leaves no result behind.
  dialog_.ChooseTest(TStatTest::Z);
  EXPECT_FALSE(dialog_.Panel().hasResult);
  EXPECT_EQ(std::vector<std::string>{}, sink_.Messages());
}

TEST_F(StatDialogTest, IdenticalSeriesInATTest) {
  ASSERT_TRUE(dialog_.Add(*Array({"1 [kg]", "2 [kg]", "4 [kg]"}), "A"));
  ASSERT_TRUE(dialog_.Add(*Array({"1000 [g]", "2000 [g]", "4000 [g]"}), "B"));
  dialog_.ChooseTest(TStatTest::T);
  ASSERT_TRUE(dialog_.RunTest());
  const TStatTestPanel panel = dialog_.Panel();
  EXPECT_FALSE(panel.yatesVisible);
  EXPECT_FALSE(panel.tableVisible);
  EXPECT_EQ("0", panel.statistic);
  EXPECT_EQ("1", panel.p);
  EXPECT_EQ("0", panel.reject);

  ASSERT_TRUE(dialog_.Remove(1));
  EXPECT_FALSE(dialog_.Panel().hasResult);
}

// The panel shows a two-sample test's effect size and interval under its
// result, and nothing of the kind for F.
TEST_F(StatDialogTest, WelchPanelShowsEffectAndInterval) {
  ASSERT_TRUE(dialog_.Add(*Array({"5.1", "4.9", "6.2", "5.8", "6.0", "5.5", "5.3", "6.1"}), "A"));
  ASSERT_TRUE(dialog_.Add(*Array({"4.2", "4.8", "5.0", "4.6", "5.2", "4.4", "4.9"}), "B"));
  EXPECT_EQ("Welch t-Test", std::string(StatTestNames()[static_cast<int>(TStatTest::Welch)]));
  dialog_.ChooseTest(TStatTest::Welch);
  TStatTestPanel panel = dialog_.Panel();
  EXPECT_EQ(3u, panel.hypothesis.size());
  EXPECT_FALSE(panel.yatesVisible);
  EXPECT_FALSE(panel.tableVisible);
  EXPECT_FALSE(panel.hasEffect);
  ASSERT_TRUE(dialog_.RunTest());
  panel = dialog_.Panel();
  EXPECT_EQ("t Statistic Value:", panel.statisticCaption);
  EXPECT_EQ("4.080517", panel.statistic);
  EXPECT_EQ("0.001383", panel.p);
  ASSERT_TRUE(panel.hasEffect);
  EXPECT_EQ("Cohen's d:", panel.effectCaption);
  EXPECT_EQ("2.089494", panel.effect);
  EXPECT_EQ("95% confidence interval of the difference:", panel.intervalCaption);
  EXPECT_EQ("[0.414426, 1.353431]", panel.interval);

  dialog_.ChooseTest(TStatTest::F);
  sink_.Answer(true); // the long series is cut
  ASSERT_TRUE(dialog_.RunTest());
  EXPECT_TRUE(dialog_.Panel().hasResult);
  EXPECT_FALSE(dialog_.Panel().hasEffect);
  EXPECT_EQ(std::vector<std::string>{}, sink_.Messages());
}

TEST_F(StatDialogTest, TestRefusalsLeaveTheListAsItWas) {
  ASSERT_TRUE(dialog_.Add(*Array({"1 [kg]", "2 [kg]"}), "Mass"));
  EXPECT_FALSE(dialog_.RunTest());
  dialog_.ChooseTest(TStatTest::T);
  EXPECT_FALSE(dialog_.RunTest());
  ASSERT_TRUE(dialog_.Add(*Array({"1 [m]", "2 [m]"}), "Length"));
  EXPECT_FALSE(dialog_.RunTest());
  TContingencyTable table;
  dialog_.Remove(1);
  EXPECT_FALSE(dialog_.ContingencyTable(table));
  EXPECT_EQ((std::vector<std::string>{
                "Select test type", "The number of series should be at least two",
                "Incompatible units!", "The number of series should be at least two"}),
            sink_.Messages());
  EXPECT_EQ(1, dialog_.Count());
  EXPECT_FALSE(dialog_.Result());
}

TEST(StatDialog, DescriptiveColumnsShareTheRoomUpToThree) {
  struct TCase {
    int series, room, width;
  };
  for (const TCase& c : {TCase{1, 600, 600}, TCase{2, 600, 300}, TCase{3, 600, 200},
                         TCase{4, 600, 128}, TCase{9, 600, 128}})
    EXPECT_EQ(c.width, BasicStatColumnWidth(c.series, c.room)) << c.series;
}

} // namespace
} // namespace vandro
