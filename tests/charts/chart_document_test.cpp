// One chart window's rules and the chart list's, on a project in files.
#include "charts/chart_document.h"
#include "charts/chart_list.h"
#include "charts/chart_text.h"

#include "shell/child_windows.h"
#include "storage/access.h"
#include "storage/descriptors.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"
#include "storage/storage_fixture.h"
#include "storage/unit_rows.h"
#include "support/plain_array.h"
#include "values/value.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace vandro {
namespace {

using Texts = std::vector<std::string>;

class Charts : public testing::StorageTest {
protected:
  Charts() { CreateAndOpen(); }

  // Stores a chart whose title is title and whose one line series plots the
  // numbers.
  static void StoreChart(const std::string& name, const std::string& title,
                         const Texts& numbers = {"1", "2"}) {
    TChartDefinition chart;
    chart.Header.Text = title;
    chart.Series.resize(1);
    chart.Series[0].YSource = testing::PlainArray(numbers)->PackValue();
    ASSERT_TRUE(SaveDescriptor(CaptureChart(chart), name, dkChart, false, name));
    LoadChartNames();
  }

  static Texts Stored(const std::string& name) {
    Texts lines;
    LoadDescriptor(lines, name, dkChart);
    return lines;
  }

  static const Texts& Names() { return CurrentProject()->ChartNames(); }

  // A prompt that answers from a queue (nullopt: cancel) and notes what it
  // was asked with.
  TChartNamePrompt Prompt(std::deque<std::optional<std::string>> answers) {
    return [this, answers](const std::string& prompt, std::string& text) mutable {
      prompts.push_back(prompt + "|" + text);
      EXPECT_FALSE(answers.empty()) << "unexpected prompt " << prompt;
      if (answers.empty() || !answers.front()) return false;
      text = *answers.front();
      answers.pop_front();
      return true;
    };
  }

  Texts prompts;
};

TEST_F(Charts, OpenReadsAndFillsTheStoredChart) {
  StoreChart("Pulse", "Pulse by day", {"70", "80", "75"});
  ASSERT_TRUE(MarkChartInUse("Pulse"));
  {
    TChartDocument document;
    ASSERT_TRUE(document.Open("pulse", false));
    EXPECT_FALSE(document.Changed());
    EXPECT_EQ("Pulse by day", document.Chart().Header.Text);
    ASSERT_EQ(1u, document.Chart().Series.size());
    EXPECT_EQ(3u, document.Chart().Series[0].Points.size());
    EXPECT_TRUE(ChartInUse("PULSE"));
    EXPECT_TRUE(document.Close()); // unchanged: no question
  }
  EXPECT_FALSE(ChartInUse("Pulse"));
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(Charts, OpenRefusesAMissingChart) {
  TChartDocument document;
  EXPECT_FALSE(document.Open("Ghost", false));
  EXPECT_EQ("Chart not found. Name=Ghost", sink.Last());
}

TEST_F(Charts, OpenShowsDamageAndKeepsWhatWasRead) {
  ASSERT_TRUE(
      SaveDescriptor({"Width=321", "Bogus=1", "Height=123"}, "Broken", dkChart, false, "Broken"));
  TChartDocument document;
  ASSERT_TRUE(document.Open("Broken", false));
  EXPECT_EQ("Chart descriptor damaged!\r\nBogus=1", sink.Last());
  EXPECT_EQ(321, document.Chart().Width);
  EXPECT_EQ(TChartDefinition{}.Height, document.Chart().Height);
}

TEST_F(Charts, NewChartIsStoredOnYesAndJoinsTheList) {
  StoreChart("Alpha", "a");
  StoreChart("Gamma", "g");
  {
    TChartDocument document;
    ASSERT_TRUE(document.Open("Beta", true));
    EXPECT_TRUE(document.IsNew());
    EXPECT_TRUE(document.Changed());
    EXPECT_EQ("Beta", document.Chart().Header.Text);
    EXPECT_TRUE(document.Chart().Series.empty());
    sink.Answer(true, "Chart was changed. Do you want to save it?");
    EXPECT_TRUE(document.Close());
  }
  EXPECT_EQ((Texts{"ALPHA", "BETA", "GAMMA"}), Names());
  TChartDefinition stored;
  ASSERT_TRUE(ApplyChart(Stored("Beta"), stored, nullptr));
  EXPECT_EQ("Beta", stored.Header.Text);

  TChartDocument discarded;
  ASSERT_TRUE(discarded.Open("Delta", true));
  sink.Answer(false, "Chart was changed. Do you want to save it?");
  EXPECT_TRUE(discarded.Close());
  EXPECT_TRUE(Stored("Delta").empty());
  EXPECT_EQ(3u, Names().size());
}

TEST_F(Charts, AcceptCapturesAndRevertGoesBackToIt) {
  StoreChart("Pulse", "stored title");
  TChartDocument document;
  ASSERT_TRUE(document.Open("Pulse", false));
  document.Chart().Header.Text = "edited";
  document.Revert();
  EXPECT_EQ("stored title", document.Chart().Header.Text);
  EXPECT_EQ(2u, document.Chart().Series[0].Points.size()); // filled again

  document.Chart().Header.Text = "accepted";
  document.Accept(true);
  EXPECT_TRUE(document.Changed());
  document.Chart().Series.clear();
  document.Revert();
  EXPECT_EQ("accepted", document.Chart().Header.Text);
  EXPECT_EQ(1u, document.Chart().Series.size());

  // Stored in place on Yes.
  sink.Answer(true, "Chart was changed. Do you want to save it?");
  EXPECT_TRUE(document.Close());
  TChartDefinition stored;
  ASSERT_TRUE(ApplyChart(Stored("Pulse"), stored, nullptr));
  EXPECT_EQ("accepted", stored.Header.Text);
}

// A title's border has no key: OK keeps it for the window, Cancel goes back
// to what OK kept, and the stored text never holds it.
TEST_F(Charts, ATitlesBorderLastsWhileTheWindowIsOpen) {
  StoreChart("Pulse", "t");
  const Texts stored = Stored("Pulse");
  TChartDocument document;
  ASSERT_TRUE(document.Open("Pulse", false));
  document.Chart().Header.Border = true;
  document.Accept(true);
  EXPECT_EQ(stored, document.Lines());
  document.Chart().Footer.Border = true;
  document.Revert();
  EXPECT_TRUE(document.Chart().Header.Border);
  EXPECT_FALSE(document.Chart().Footer.Border);
  ASSERT_TRUE(document.Store());
  EXPECT_EQ(stored, Stored("Pulse"));
}

TEST_F(Charts, AFailedStoreAsksWhetherToStay) {
  StoreChart("Pulse", "t");
  TChartDocument existing, fresh;
  ASSERT_TRUE(existing.Open("Pulse", false));
  ASSERT_TRUE(fresh.Open("Fresh", true));
  existing.Accept(true);
  APSDatabase().Execute("DROP TABLE VD_Rpt_Frm_Chrt");

  sink.Answer(true, "Chart was changed. Do you want to save it?");
  sink.Answer(true, "Can't store the chart.\r\nVerify the cart name");
  EXPECT_FALSE(existing.Close()); // stays open
  sink.Answer(true, "Chart was changed. Do you want to save it?");
  sink.Answer(false, "Can't store the chart.\r\nDo you want to proceed with the chart?");
  EXPECT_TRUE(fresh.Close()); // discarded
  EXPECT_EQ((Texts{"PULSE"}), Names());
}

TEST_F(Charts, NewChecksTheName) {
  StoreChart("Pulse", "t");
  struct Case {
    std::string typed;
    std::string message; // empty: accepted
  };
  const std::vector<Case> cases = {
      {"1st", "Chart Name should be an identifier"},
      {"two words", "Chart Name should be an identifier"},
      {std::string(33, 'A'), "Chart Name should be an identifier"},
      {"pULSE", "The chart pULSE already exists."},
      {" Weight ", ""},
      {"WEIGHT", "The chart WEIGHT is in use"}, // the one just made is open
  };
  for (const Case& c : cases) {
    sink.Reset();
    prompts.clear();
    const auto name = NewChart(Prompt({c.typed}));
    EXPECT_EQ(Texts{"Input Chart Name:|NewChart"}, prompts);
    if (c.message.empty()) {
      EXPECT_EQ("Weight", name.value_or("<refused>"));
      EXPECT_TRUE(sink.Messages().empty());
    } else {
      EXPECT_FALSE(name) << c.typed;
      EXPECT_EQ(Texts{c.message}, sink.Messages()) << c.typed;
    }
  }
  EXPECT_FALSE(NewChart(Prompt({std::nullopt})));
}

TEST_F(Charts, OpenChecksSelectionLimitAndUse) {
  TChildWindows children;
  EXPECT_FALSE(OpenChart("", children));
  EXPECT_EQ("Select a chart", sink.Last());
  EXPECT_TRUE(OpenChart("Pulse", children));
  EXPECT_FALSE(OpenChart("PULSE", children));
  EXPECT_EQ("Chart is in use", sink.Last());

  struct Child final : TChildWindow {
    TChildKind Kind() const override { return TChildKind::RecordDialog; }
    TChildPlace Place() const override { return {}; }
    bool UsesObject(int32_t) const override { return false; }
    void CloseForProject() override {}
  };
  std::vector<Child> many(TChildWindows::kMaxOpen);
  for (Child& child : many)
    children.Add(child);
  EXPECT_FALSE(OpenChart("Other", children));
  EXPECT_EQ("Too many dialogs opened", sink.Last());
  EXPECT_FALSE(ChartInUse("Other"));
}

TEST_F(Charts, DeleteAsksAndRefusesAChartInUse) {
  StoreChart("Pulse", "t");
  StoreChart("Weight", "t");
  const std::string question =
      "You are about to delete the chart Pulse\r\nDo you want to continue?";
  sink.Answer(false, question);
  EXPECT_FALSE(DeleteChart("Pulse"));
  EXPECT_EQ(2u, Names().size());

  ASSERT_TRUE(MarkChartInUse("WEIGHT"));
  EXPECT_FALSE(DeleteChart("weight"));
  EXPECT_EQ("Chart is in use", sink.Last());

  sink.Answer(true, question);
  EXPECT_TRUE(DeleteChart("Pulse"));
  EXPECT_EQ((Texts{"WEIGHT"}), Names());
  EXPECT_TRUE(Stored("Pulse").empty());
  EXPECT_FALSE(DeleteChart(""));
  EXPECT_EQ("Select a chart", sink.Last());
}

TEST_F(Charts, RenameAsksUntilTheNameIsFree) {
  StoreChart("Pulse", "pulse title");
  StoreChart("Weight", "t");
  // Another chart's name in other case is refused; the own name in other
  // case is a free name.
  EXPECT_TRUE(RenameChart("Pulse", Prompt({"wEIGHT", "HeartRate"})));
  EXPECT_EQ((Texts{"Input New Chart Name:|Pulse", "Input New Chart Name:|wEIGHT"}), prompts);
  EXPECT_EQ((Texts{"Chart name is already in use: wEIGHT"}), sink.Messages());
  EXPECT_EQ((Texts{"HEARTRATE", "WEIGHT"}), Names());
  TChartDefinition renamed;
  ASSERT_TRUE(ApplyChart(Stored("HeartRate"), renamed, nullptr));
  EXPECT_EQ("pulse title", renamed.Header.Text);
  EXPECT_TRUE(Stored("Pulse").empty());

  EXPECT_FALSE(RenameChart("Weight", Prompt({"2x", std::nullopt})));
  EXPECT_EQ("Chart Name should be an identifier", sink.Last());
  ASSERT_TRUE(MarkChartInUse("Weight"));
  EXPECT_FALSE(RenameChart("Weight", Prompt({})));
  EXPECT_EQ("Chart is in use", sink.Last());
}

TEST_F(Charts, RenameOfAChartNoLongerStoredFails) {
  StoreChart("Pulse", "t");
  ASSERT_TRUE(DeleteDescriptor("Pulse", dkChart));
  EXPECT_FALSE(RenameChart("Pulse", Prompt({"Other"})));
  EXPECT_EQ("Can't rename the chart Pulse to Other", sink.Last());
  EXPECT_TRUE(Stored("Other").empty());
}

TEST_F(Charts, AUnitInAChartsSourceIsAUnitInUse) {
  const TUnit* unit = CurrentProject()->Units().FindUnit("km");
  ASSERT_NE(nullptr, unit);
  StoreChart("Title", "Distance in [km] in the title only");
  EXPECT_TRUE(APSStoredValuesNameUnit(*unit)); // the text as it stands is read too
  ASSERT_TRUE(DeleteDescriptor("Title", dkChart));
  EXPECT_FALSE(APSStoredValuesNameUnit(*unit));
  StoreChart("Distance", "d", {"5 [m]", "2 [km]"});
  EXPECT_TRUE(APSStoredValuesNameUnit(*unit));
}

TEST_F(Charts, ClosingTheProjectReleasesTheMarks) {
  ASSERT_TRUE(MarkChartInUse("Pulse"));
  EXPECT_FALSE(MarkChartInUse("pulse"));
  Reopen();
  EXPECT_FALSE(ChartInUse("Pulse"));
}

// A project opened for looking: no chart is made, deleted or renamed, and a
// chart's edits go with its window without a question.
TEST_F(Charts, AProjectOpenedForLookingKeepsItsChartsAsTheyAre) {
  StoreChart("Pulse", "Pulse by day");
  const Texts before = Stored("Pulse");
  CloseProject();
  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look));
  EXPECT_FALSE(ChartsMayChange());

  const std::string refusal =
      "The project " + APSProjectPath() + " is open read-only: nothing can be changed";
  EXPECT_FALSE(NewChart(Prompt({})));
  EXPECT_EQ(refusal, sink.Last());
  EXPECT_FALSE(DeleteChart("Pulse"));
  EXPECT_EQ(refusal, sink.Last());
  EXPECT_FALSE(RenameChart("Pulse", Prompt({})));
  EXPECT_EQ(refusal, sink.Last());
  EXPECT_TRUE(prompts.empty());

  ASSERT_TRUE(MarkChartInUse("Pulse"));
  {
    TChartDocument document;
    ASSERT_TRUE(document.Open("Pulse", false));
    document.Chart().Header.Text = "Looked at";
    document.Accept(true);
    EXPECT_TRUE(document.Changed());
    EXPECT_TRUE(document.Close());
  }
  EXPECT_TRUE(sink.Questions().empty());
  EXPECT_FALSE(ChartInUse("Pulse"));
  EXPECT_EQ((Texts{"PULSE"}), Names());
  EXPECT_EQ(before, Stored("Pulse"));

  Reopen();
  EXPECT_TRUE(ChartsMayChange());
}

} // namespace
} // namespace vandro
