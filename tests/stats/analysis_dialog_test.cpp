// The "Data Analysis" window's own rules: "Edit Data" changes what the
// analyses take, a bad number is refused, and any change to the objects or
// parameters drops the edits.
#include "stats/analysis_dialog.h"

#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class AnalysisDialog : public testing::RecordsTest {
protected:
  AnalysisDialog() {
    // Y = 2 + 3 X except for the last object, whose Y is off by 10.
    const char* rows[][2] = {{"1", "5"}, {"2", "8"}, {"4", "14"}, {"7", "33"}};
    char name = 'A';
    for (const auto& row : rows) {
      const int32_t id = APSCreateObject(std::string(1, name++));
      Record(id, Day(1), {{"X", row[0]}, {"Y", row[1]}});
    }
    TValue::Ptr all = TValue::Create("test");
    all->SetText(vkCalculated, "FIND ALL OBJECTS WITHIN EVERYTHING");
    EXPECT_TRUE(dialog.Analysis().SetObjects(*all));
    EXPECT_TRUE(dialog.Analysis().AddParameter("X"));
    EXPECT_TRUE(dialog.Analysis().AddParameter("Y"));
  }

  TAnalysisDialog dialog;
};

TEST_F(AnalysisDialog, EditedDataAreWhatTheAnalysesTake) {
  std::vector<std::vector<std::string>> cells;
  ASSERT_TRUE(dialog.DataCells(cells));
  EXPECT_EQ((std::vector<std::string>{"Object", "X", "Y"}), dialog.DataHeader());
  ASSERT_EQ(4u, cells.size());
  EXPECT_EQ((std::vector<std::string>{cells[3][0], "7", "33"}), cells[3]);
  EXPECT_EQ('D', cells[3][0][0]);

  TLinearRegression before;
  ASSERT_TRUE(dialog.OpenRegression(1, before));
  EXPECT_GT(before.SSRes(), 1);

  ASSERT_TRUE(dialog.SetDataCell(3, 1, " 23 "));
  EXPECT_TRUE(dialog.HasEditedData());
  ASSERT_TRUE(dialog.DataCells(cells));
  EXPECT_EQ("23", cells[3][2]);
  TLinearRegression after;
  ASSERT_TRUE(dialog.OpenRegression(1, after));
  EXPECT_NEAR(2, static_cast<double>(after.Coefficients()[0]), 1e-12);
  EXPECT_NEAR(3, static_cast<double>(after.Coefficients()[1]), 1e-12);

  // The cluster takes the edited number too: with Y = 23, D is as far from
  // C in Y as in X, in deviations.
  TMergeTable edited, built;
  ASSERT_TRUE(dialog.RunCluster(cdEuclidean, edited));
  dialog.Changed();
  EXPECT_FALSE(dialog.HasEditedData());
  ASSERT_TRUE(dialog.RunCluster(cdEuclidean, built));
  ASSERT_EQ(3u, edited.size());
  EXPECT_NE(edited.back().distance, built.back().distance);
}

TEST_F(AnalysisDialog, BadNumbersAreRefusedAndChangeNothing) {
  for (const char* text : {"abc", "", "1e999", "3 [kg]"}) {
    EXPECT_FALSE(dialog.SetDataCell(0, 0, text)) << text;
    EXPECT_EQ(std::string("Invalid real number:") + text, sink.Last());
  }
  EXPECT_FALSE(dialog.HasEditedData());
  std::vector<std::vector<std::string>> cells;
  ASSERT_TRUE(dialog.DataCells(cells));
  EXPECT_EQ("1", cells[0][1]);
}

TEST_F(AnalysisDialog, DomainRowsAndWeightText) {
  ASSERT_TRUE(dialog.Analysis().BuildDomains());
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"1", "0"}, {"2", "1"}, {"4", "2"}, {"7", "3"}}),
            dialog.DomainRows(0));
  dialog.Analysis().StepWeight(0, 1);
  EXPECT_EQ("1.1", dialog.WeightText(0));
  EXPECT_TRUE(dialog.DomainRows(5).empty());
}

} // namespace
} // namespace vandro
