// The data mining tools over a small stored project: the objects to analyse,
// the domains with their warnings and questions, calculated parameters, the
// numeric table with null replacement, the checks before regression and
// clustering, and the progress of the long steps.
#include "stats/mining.h"

#include "language/query.h"
#include "model/record_store.h"
#include "shell/messages.h"
#include "shell/progress.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandro {
namespace {

using testing::RecordsTest;

class Mining : public RecordsTest {
protected:
  Mining() {
    for (const char* name : {"Colour", "Born"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      parameter->Category = "Data";
      CurrentProject()->AddParameter(std::move(parameter));
    }
  }

  // Objects named A, B, C ... with one record each.
  void Objects(std::initializer_list<Values> records) {
    char name = 'A';
    for (const Values& values : records) {
      ids.push_back(APSCreateObject(std::string(1, name++)));
      Record(ids.back(), Day(1), values);
    }
  }

  static TValue::Ptr Formula(const std::string& text) {
    TValue::Ptr value = TValue::Create("test");
    value->SetText(vkCalculated, text);
    return value;
  }

  // Analysis of every object with the parameters named.
  void Analyse(std::initializer_list<const char*> names) {
    ASSERT_TRUE(analysis.SetObjects(*Formula("FIND ALL OBJECTS WITHIN EVERYTHING")));
    for (const char* name : names)
      ASSERT_TRUE(analysis.AddParameter(name));
  }

  std::vector<long double> Column(const TDataTable& table, size_t column) {
    std::vector<long double> numbers;
    for (const auto& row : table)
      numbers.push_back(row[column]);
    return numbers;
  }

  // Values converted between units carry the rounding of the factors.
  void ExpectColumn(std::vector<double> expected, const TDataTable& table, size_t column) {
    const std::vector<long double> numbers = Column(table, column);
    ASSERT_EQ(expected.size(), numbers.size());
    for (size_t i = 0; i < numbers.size(); ++i)
      EXPECT_NEAR(expected[i], static_cast<double>(numbers[i]), 1e-12) << "row " << i;
  }

  static std::string Warning(const std::string& name, const std::string& rest) {
    return "Warning! Domain of parameter " + name + rest;
  }

  std::vector<int32_t> ids;
  TDataAnalysis analysis;
};

TEST_F(Mining, DomainsTakeTheirTypeFromTheValuesWithAWarningForEachOrderedOne) {
  Objects(
      {{{"X", "1 [kg]"},
        {"Y", "5 [kg]"},
        {"Z", "01.02.2010"},
        {"Colour", "red"},
        {"Born", "01.02.2010"}},
       {{"X", "2000 [g]"},
        {"Y", "2 [m]"},
        {"Z", "5"},
        {"Colour", "blue"},
        {"Born", "03.02.2010 12:00"}},
       {{"X", "3 [kg]"}, {"Y", "5 [kg]"}, {"Z", "7"}, {"Colour", "RED"}, {"Born", "04.02.2010"}}});
  Analyse({"X", "Y", "Z", "Colour", "Born"});
  ASSERT_TRUE(analysis.BuildDomains());
  const std::string lineBreak = kLineBreak;
  EXPECT_EQ((std::vector<std::string>{
                Warning("Y", " contains" + lineBreak +
                                 "incompatible units. Domain type is changed to Ordered Set."),
                Warning("Z", " shold contain" + lineBreak +
                                 "date and time values. Domain type is changed to Ordered Set."),
                Warning("Colour", " contains" + lineBreak +
                                      "non-numeric values. Domain type is changed to Ordered Set."),
            }),
            sink.Messages());

  struct Expected {
    uint8_t type;
    bool nonNumeric;
    std::string unit;
    int count;
  } expected[] = {{dtNumeric, false, "KG", 3},
                  {dtOrdered, false, "", 2},
                  {dtOrdered, true, "", 3},
                  {dtOrdered, true, "", 2}, // "red" and "RED" are one value
                  {dtNumeric, false, "day", 3}};
  for (int c = 0; c < 5; ++c) {
    const TDomain& domain = analysis.Param(c).Domain;
    SCOPED_TRACE(analysis.Param(c).Name);
    EXPECT_EQ(expected[c].type, domain.Type);
    EXPECT_EQ(expected[c].nonNumeric, domain.NonNumeric);
    EXPECT_EQ(expected[c].unit, domain.UnitText);
    EXPECT_EQ(expected[c].count, domain.Count());
  }

  TDataTable table;
  ASSERT_TRUE(analysis.BuildTable(table));
  EXPECT_EQ((std::vector<long double>{0, 1, 2}), Column(table, 0));
  ExpectColumn({1, 2, 3}, table, 1);                                // in kg
  EXPECT_EQ((std::vector<long double>{0, 1, 0}), Column(table, 2)); // positions
  EXPECT_EQ((std::vector<long double>{0, 1, 0}), Column(table, 4));
  const std::vector<long double> born = Column(table, 5);
  EXPECT_DOUBLE_EQ(2.5, static_cast<double>(born[1] - born[0]));
}

// The table holds every temperature in the domain's unit, offsets applied.
TEST_F(Mining, TemperaturesEnterTheTableInTheDomainsUnit) {
  Objects({{{"X", "36.6 [C]"}}, {{"X", "310 [K]"}}, {{"X", "98.6 [fahrenheit]"}}});
  Analyse({"X"});
  ASSERT_TRUE(analysis.BuildDomains());
  EXPECT_EQ(dtNumeric, analysis.Param(0).Domain.Type);
  EXPECT_EQ("C", analysis.Param(0).Domain.UnitText);
  TDataTable table;
  ASSERT_TRUE(analysis.BuildTable(table));
  ExpectColumn({36.6, 36.85, 37}, table, 1);
}

TEST_F(Mining, DomainEditsAndTheirRefusals) {
  Objects({{{"X", "1 [kg]"}, {"Colour", "red"}}, {{"X", "2 [m]"}, {"Colour", "blue"}}});
  Analyse({"X", "Colour"});
  ASSERT_TRUE(analysis.BuildDomains());
  sink.Reset();
  TDomain& colour = analysis.Param(1).Domain;
  EXPECT_FALSE(colour.SetType(dtNumeric));
  EXPECT_EQ(std::string("Domain contains non-numeric values.") + kLineBreak +
                "Type of the domain can't be changed.",
            sink.Last());
  EXPECT_TRUE(colour.SetType(dtUnordered));
  EXPECT_FALSE(colour.SetNumberText(0, "1,5x"));
  EXPECT_EQ("Invalid real number:1,5x", sink.Last());
  EXPECT_TRUE(colour.SetNumberText(0, "10"));
  colour.MoveValue(0, 1);
  EXPECT_EQ("blue", colour.Values[0]->Text());
  EXPECT_EQ(10, colour.Number(1));
  EXPECT_EQ(-1, colour.Number(2));
  colour.SetMappingAutomatically();
  EXPECT_EQ(1, colour.Number(1));

  // X mixes units that do not convert: ordered, yet it may be made numeric,
  // and then the table names each value that does not fit.
  TDomain& x = analysis.Param(0).Domain;
  EXPECT_EQ(dtOrdered, x.Type);
  ASSERT_TRUE(x.SetType(dtNumeric));
  TDataTable table;
  sink.Reset();
  EXPECT_FALSE(analysis.BuildTable(table));
  EXPECT_EQ("KG", x.UnitText);
  EXPECT_EQ("Incompatible units. [KG] expected. Object:B [" + std::to_string(ids[1]) +
                "], column #1" + kLineBreak + "Can't retrieve data",
            sink.Last());

  EXPECT_FALSE(analysis.SetWeightText(0, "-1"));
  EXPECT_EQ("Invalid real number:-1", sink.Last());
  EXPECT_TRUE(analysis.SetWeightText(0, "0.15"));
  analysis.StepWeight(0, -1);
  analysis.StepWeight(0, -1);
  EXPECT_EQ(0, analysis.Param(0).Weight);
}

TEST_F(Mining, MissingValuesAreReplacedByTheMeanTheMedianOrAChosenValue) {
  Objects({{{"X", "1 [kg]"}, {"Y", "a"}},
           {{"X", "2 [kg]"}, {"Y", "b"}},
           {{"X", "6000 [g]"}, {"Y", "c"}},
           {{"Y", "c"}}});
  Analyse({"X", "Y"});
  ASSERT_TRUE(analysis.BuildDomains());
  TDomain& domain = analysis.Param(0).Domain;
  EXPECT_TRUE(domain.HasNulls);
  EXPECT_TRUE(domain.NullsReplaceable());
  EXPECT_FALSE(analysis.Param(1).Domain.NullsReplaceable());

  TDataTable table;
  ASSERT_TRUE(analysis.BuildTable(table));
  EXPECT_NEAR(3, static_cast<double>(table[3][1]), 1e-12); // mean
  domain.NullMode = nmMedian;
  ASSERT_TRUE(analysis.BuildTable(table));
  EXPECT_EQ(2, table[3][1]);

  // "Value:" chosen before any value.
  domain.NullMode = nmValue;
  sink.Reset();
  EXPECT_FALSE(analysis.BuildTable(table));
  EXPECT_EQ("No value replaces the nulls of parameter X" + std::string(kLineBreak) +
                "Can't retrieve data",
            sink.Last());
  domain.NullMode = nmMedian;

  TValue value;
  for (const char* refused : {"abc", "01.02.2010"}) {
    value.SetPlain(refused);
    EXPECT_FALSE(domain.SetNullValue(value));
    EXPECT_EQ("Value should be numeric", sink.Last());
  }
  value.SetPlain("3 [m]");
  EXPECT_FALSE(domain.SetNullValue(value));
  EXPECT_EQ("Value units should comply with domain units", sink.Last());
  EXPECT_EQ(nmMedian, domain.NullMode);
  value.SetPlain("4000 [g]");
  ASSERT_TRUE(domain.SetNullValue(value));
  ASSERT_TRUE(analysis.BuildTable(table));
  ExpectColumn({1, 2, 6, 4}, table, 1);
}

TEST_F(Mining, ADomainOfOneValueAsksWhetherToDropTheParameter) {
  Objects({{{"X", "1"}, {"Y", "5"}}, {{"X", "2"}, {"Y", "5"}}, {{"X", "3"}}});
  Analyse({"X", "Y", "Z"});
  sink.Answer(true, "Domain of parameterY contains only one value" + std::string(kLineBreak) +
                        "Do you want to delete the parameter from list?");
  sink.Answer(false, "Domain of parameterZ contains no values" + std::string(kLineBreak) +
                         "Do you want to delete the parameter from list?");
  ASSERT_TRUE(analysis.BuildDomains());
  ASSERT_EQ(2, analysis.ParamCount());
  EXPECT_EQ("X", analysis.Param(0).Name);
  EXPECT_EQ("Z", analysis.Param(1).Name);
  // Kept at the user's word, a parameter without values cannot be tabled.
  TDataTable table;
  EXPECT_FALSE(analysis.BuildTable(table));
  EXPECT_EQ("Parameter Z has no values" + std::string(kLineBreak) + "Can't retrieve data",
            sink.Last());
}

TEST_F(Mining, ObjectsComeFromArraysQueriesAndGroups) {
  Objects({{{"X", "1"}}, {{"X", "2"}}, {{"X", "3"}}});
  const int32_t team = APSCreateObject("TEAM");
  const int32_t pair = APSCreateObject("PAIR");
  const auto group = [&](int32_t id, std::vector<int32_t> members) {
    TObjectSet set;
    ASSERT_TRUE(set.Load(id));
    TStateTrack track;
    set.LatestStateAt(Day(4), track);
    std::vector<TValue::Ptr> added;
    for (int32_t member : members) {
      added.push_back(TValue::Create("test"));
      added.back()->SetText(vkObject, std::to_string(member));
    }
    track.ModifyGroup(added, {}, Day(4));
  };
  group(team, {ids[2], ids[0]});
  group(pair, {ids[1]});

  struct Case {
    std::string source;  // "=" + formula, or a plain text
    std::string message; // empty when the objects are taken
    std::vector<std::string> names;
  } cases[] = {
      {"=FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 1",
       "",
       {"B [" + std::to_string(ids[1]) + "]", "C [" + std::to_string(ids[2]) + "]"}},
      {"=OBJECT('TEAM')",
       "",
       {"C [" + std::to_string(ids[2]) + "]", "A [" + std::to_string(ids[0]) + "]"}},
      {"=CONTENTOF('TEAM')",
       "",
       {"C [" + std::to_string(ids[2]) + "]", "A [" + std::to_string(ids[0]) + "]"}},
      {"A, B", "Source should be an array or formula", {}},
      {"=1 + 1", "A series should be a group or an array of objects", {}},
      {"=FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 2",
       "The number of objects in array should be at least 2",
       {}},
      {"=OBJECT('A')", "The series should be a group of objects", {}},
      {"=OBJECT('PAIR')", "The number of objects in group should be at least 2", {}},
      {"=1 +", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    TDataAnalysis fresh;
    TValue::Ptr source = c.source[0] == '=' ? Formula(c.source.substr(1)) : TValue::Create("test");
    if (c.source[0] != '=') source->SetPlain(c.source);
    sink.Reset();
    const bool taken = fresh.SetObjects(*source);
    EXPECT_EQ(!c.names.empty(), taken);
    if (taken) {
      EXPECT_EQ(c.names, fresh.ObjectNames());
      EXPECT_TRUE(sink.Messages().empty());
    } else if (!c.message.empty()) {
      EXPECT_EQ((std::vector<std::string>{c.message}), sink.Messages());
    } else {
      ASSERT_EQ(1u, sink.Messages().size()); // the formula's own error
      EXPECT_NE(std::string::npos, sink.Last().find("### Error ###"));
    }
  }

  // An array given directly: its items must be objects.
  TValue array;
  array.SetArray();
  for (const char* text : {"32", "x"}) {
    array.AddItem(TValue::Create("test"));
    array.GetItem(array.ItemCount() - 1)
        .SetText(text[0] == 'x' ? vkPlain : vkObject,
                 text[0] == 'x' ? "x" : std::to_string(ids[0]));
  }
  sink.Reset();
  EXPECT_FALSE(analysis.SetObjects(array));
  EXPECT_EQ("A series should be a group or an array of objects", sink.Last());
  EXPECT_EQ(0, analysis.ObjectCount());
}

TEST_F(Mining, CalculatedParametersAreEvaluatedOnEachObjectsState) {
  Objects({{{"X", "1"}, {"Y", "2"}}, {{"X", "3"}, {"Y", "0"}}, {{"X", "5"}, {"Y", "1"}}});
  Analyse({"X"});
  sink.Reset();
  struct Refusal {
    std::string name, formula, message;
  } refusals[] = {
      {"2x", "X", "Parameter name should be an identifier."},
      {"x", "X * 2", "Parameterx already exists"},
      {"Twice", "X *", ""}, // the executor's syntax error
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.name);
    EXPECT_FALSE(analysis.AddCalculated(refusal.name, *Formula(refusal.formula)));
    if (refusal.message.empty())
      EXPECT_NE(std::string::npos, sink.Last().find("### Error ###"));
    else
      EXPECT_EQ(refusal.message, sink.Last());
  }
  EXPECT_EQ(1, analysis.ParamCount());

  ASSERT_TRUE(analysis.AddCalculated("Twice", *Formula("X * 2")));
  TDataTable table;
  ASSERT_TRUE(analysis.BuildTable(table));
  EXPECT_EQ((std::vector<long double>{2, 6, 10}), Column(table, 2));
  ASSERT_TRUE(analysis.ChangeFormula(1, *Formula("X + Y")));
  EXPECT_FALSE(analysis.DomainsCurrent());
  ASSERT_TRUE(analysis.BuildTable(table));
  EXPECT_EQ((std::vector<long double>{3, 3, 6}), Column(table, 2));

  // A formula that fails for one object stops the domains with its reason.
  ASSERT_TRUE(analysis.ChangeFormula(1, *Formula("X DIV Y")));
  sink.Reset();
  EXPECT_FALSE(analysis.BuildDomains());
  ASSERT_EQ(1u, sink.Messages().size());
  EXPECT_NE(std::string::npos,
            sink.Last().find("Parameter:Twice; Object:B [" + std::to_string(ids[1]) + "]"));
}

TEST_F(Mining, ChecksBeforeRegressionAndClustering) {
  Objects({{{"X", "1"}, {"Y", "5"}, {"Colour", "red"}},
           {{"X", "2"}, {"Y", "8"}, {"Colour", "blue"}},
           {{"X", "4"}, {"Y", "14"}, {"Colour", "red"}},
           {{"X", "7"}, {"Y", "23"}, {"Colour", "green"}}});
  TMergeTable merges;
  TLinearRegression regression;
  ASSERT_TRUE(analysis.SetObjects(*Formula("FIND ALL OBJECTS WITHIN EVERYTHING")));
  EXPECT_FALSE(analysis.RunCluster(cdEuclidean, merges));
  EXPECT_EQ("Select parameters to analyse!", sink.Last());
  ASSERT_TRUE(analysis.AddParameter("X"));
  EXPECT_FALSE(analysis.OpenRegression(0, regression));
  EXPECT_EQ("Too little parameters to analize", sink.Last());
  ASSERT_TRUE(analysis.AddParameter("Y"));
  EXPECT_FALSE(analysis.OpenRegression(-1, regression));
  EXPECT_EQ("Select dependent parameter", sink.Last());
  ASSERT_TRUE(analysis.AddParameter("Colour"));
  ASSERT_TRUE(analysis.BuildDomains());
  analysis.Param(2).Domain.SetType(dtUnordered);
  EXPECT_FALSE(analysis.OpenRegression(1, regression));
  EXPECT_EQ(std::string("Linear regression can't deal with an unordered values.") + kLineBreak +
                "Parameter:Colour",
            sink.Last());

  // Y = 2 + 3 X exactly, whatever the colour.
  analysis.RemoveParameter(2);
  ASSERT_TRUE(analysis.OpenRegression(1, regression));
  ASSERT_EQ(2u, regression.Coefficients().size());
  EXPECT_NEAR(2, static_cast<double>(regression.Coefficients()[0]), 1e-12);
  EXPECT_NEAR(3, static_cast<double>(regression.Coefficients()[1]), 1e-12);

  // The cluster of the table is the one Cluster makes of the same numbers,
  // with the weights and the unordered flags of the parameters.
  ASSERT_TRUE(analysis.AddParameter("Colour"));
  ASSERT_TRUE(analysis.BuildDomains());
  analysis.Param(2).Domain.SetType(dtUnordered);
  analysis.Param(0).Weight = 2;
  ASSERT_TRUE(analysis.RunCluster(cdManhattan, merges));
  TClusterTable expected;
  expected.Resize(4, 3);
  const long double rows[4][3] = {{1, 5, 0}, {2, 8, 1}, {4, 14, 0}, {7, 23, 2}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c)
      expected.At(r, c) = rows[r][c];
  expected.weights[0] = 2;
  expected.nominal[2] = true;
  EXPECT_EQ(Cluster(expected, cdManhattan), merges);

  // Two objects are too few for a regression.
  TDataAnalysis few;
  ASSERT_TRUE(few.SetObjects(*Formula("FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X < 4")));
  ASSERT_TRUE(few.AddParameter("X"));
  ASSERT_TRUE(few.AddParameter("Y"));
  EXPECT_FALSE(few.OpenRegression(1, regression));
  EXPECT_EQ("Too short data series", sink.Last());
}

TEST_F(Mining, AnOrderedPredictorEntersTheResultFormulaThroughItsMapping) {
  Objects({{{"X", "low"}, {"Y", "10 [kg]"}},
           {{"X", "high"}, {"Y", "30 [kg]"}},
           {{"X", "low"}, {"Y", "10 [kg]"}},
           {{"X", "mid"}, {"Y", "20 [kg]"}}});
  Analyse({"X", "Y"});
  ASSERT_TRUE(analysis.BuildDomains());
  TDomain& x = analysis.Param(0).Domain;
  x.MoveValue(1, 2); // low, mid, high
  x.SetMappingAutomatically();
  TLinearRegression regression;
  ASSERT_TRUE(analysis.OpenRegression(1, regression));
  EXPECT_NEAR(10, static_cast<double>(regression.Coefficients()[0]), 1e-9);
  EXPECT_NEAR(10, static_cast<double>(regression.Coefficients()[1]), 1e-9);
  const std::vector<std::string> formula = regression.ResultFormula();
  std::string text;
  for (const std::string& line : formula)
    text += line + "\n";
  EXPECT_NE(std::string::npos, text.find("Switch( X, ")) << text;
  EXPECT_NE(std::string::npos, text.find("'mid', 1, ")) << text;
}

// Records each report as caption and share; asks to stop at the report
// numbered stopAt (from 1) of the step captioned stopIn.
class TRecordedProgress final : public TProgress {
public:
  void Start(const std::string& caption) override {
    caption_ = caption;
    started.push_back(caption);
  }
  bool Update(double share) override {
    reports.emplace_back(caption_, share);
    return !(caption_ == stopIn && ++seen_ == stopAt);
  }
  void End() override { ++ended; }

  std::vector<std::string> started;
  std::vector<std::pair<std::string, double>> reports;
  int ended = 0;
  std::string stopIn;
  int stopAt = 0;

  std::vector<double> SharesOf(const std::string& caption) const {
    std::vector<double> shares;
    for (const auto& [step, share] : reports)
      if (step == caption) shares.push_back(share);
    return shares;
  }

private:
  std::string caption_;
  int seen_ = 0;
};

// The query reports each object walked out of every stored object; loading
// the objects and reading their values report per object (and parameter).
TEST_F(Mining, LongStepsReportTheirProgress) {
  Objects({{{"X", "1"}, {"Y", "2"}}, {{"X", "3"}, {"Y", "5"}}, {{"X", "4"}, {"Y", "7"}}});
  TRecordedProgress progress;
  ASSERT_TRUE(analysis.SetObjects(*Formula("FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 1"),
                                  &progress));
  ASSERT_EQ(2, analysis.ObjectCount());
  ASSERT_TRUE(analysis.AddParameter("X"));
  ASSERT_TRUE(analysis.AddParameter("Y"));
  ASSERT_TRUE(analysis.BuildDomains(&progress));
  EXPECT_EQ((std::vector<std::string>{kQueryProgress, kLoadObjectsProgress, kReadValuesProgress}),
            progress.started);
  EXPECT_EQ(3, progress.ended);

  const std::vector<double> walked = progress.SharesOf(kQueryProgress);
  ASSERT_EQ(static_cast<size_t>(OpenRecordStore()->ObjectCount()), walked.size());
  EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
  EXPECT_LT(walked.front(), 1);
  EXPECT_DOUBLE_EQ(1, walked.back());
  EXPECT_EQ((std::vector<double>{0, 0.5}), progress.SharesOf(kLoadObjectsProgress));
  EXPECT_EQ((std::vector<double>{0, 0.25, 0.5, 0.75}), progress.SharesOf(kReadValuesProgress));
  EXPECT_TRUE(sink.Messages().empty());
}

// Over listed objects the query reports per item; over a group's content,
// per member.
TEST_F(Mining, AListedQueryReportsPerItemAndPerMember) {
  Objects({{{"X", "1"}}, {{"X", "2"}}, {{"X", "3"}}});
  const int32_t group = APSCreateObject("G");
  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  TStateTrack track;
  set.LatestStateAt(Day(2), track);
  std::vector<TValue::Ptr> members;
  for (const int32_t id : ids) {
    members.push_back(TValue::Create("test"));
    members.back()->SetText(vkObject, std::to_string(id));
  }
  ASSERT_NE(0, track.ModifyGroup(members, {}, Day(2)));

  const struct {
    const char* query;
    std::vector<double> shares;
  } cases[] = {
      {"FIND ALL OBJECTS WITHIN LIST OBJECT('A'), OBJECT('C')", {0.5, 1}},
      {"FIND ALL OBJECTS WITHIN CONTENT OF OBJECT('G')", {1.0 / 3, 2.0 / 3, 1, 1}},
  };
  for (const auto& one : cases) {
    SCOPED_TRACE(one.query);
    TRecordedProgress progress;
    std::string message;
    const TValue::Ptr found =
        ExecuteQuery(*Formula(one.query), nullptr, nullptr, &message, &progress);
    ASSERT_NE(nullptr, found) << message;
    const std::vector<double> shares = progress.SharesOf(kQueryProgress);
    ASSERT_EQ(one.shares.size(), shares.size());
    for (size_t i = 0; i < shares.size(); ++i)
      EXPECT_DOUBLE_EQ(one.shares[i], shares[i]) << i;
  }
}

// Cancel in any step says so and leaves the analysis as it was; the query
// alone also says so through its own message.
TEST_F(Mining, CancelStopsTheStepWithItsMessageAndChangesNothing) {
  Objects({{{"X", "1"}}, {{"X", "3"}}, {{"X", "4"}}});
  ASSERT_TRUE(analysis.SetObjects(*Formula("FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X < 4")));
  ASSERT_TRUE(analysis.AddParameter("X"));
  ASSERT_TRUE(analysis.BuildDomains());
  ASSERT_EQ(2, analysis.ObjectCount());
  ASSERT_EQ(2, analysis.Param(0).Domain.Count());

  const struct {
    const char* step;
    const char* message;
  } cases[] = {{kQueryProgress, kQueryCancelled},
               {kLoadObjectsProgress, kLoadObjectsCancelled},
               {kReadValuesProgress, kReadValuesCancelled}};
  for (const auto& cancel : cases) {
    SCOPED_TRACE(cancel.step);
    sink.Reset();
    TRecordedProgress progress;
    progress.stopIn = cancel.step;
    progress.stopAt = 2;
    if (cancel.step == std::string(kReadValuesProgress)) {
      ASSERT_TRUE(analysis.AddParameter("Y"));
      EXPECT_FALSE(analysis.BuildDomains(&progress));
      analysis.RemoveParameter(1);
    } else {
      EXPECT_FALSE(analysis.SetObjects(*Formula("FIND ALL OBJECTS WITHIN EVERYTHING"), &progress));
    }
    EXPECT_EQ((std::vector<std::string>{cancel.message}), sink.Messages());
    EXPECT_EQ(progress.started.size(), static_cast<size_t>(progress.ended));
    EXPECT_EQ(2, analysis.ObjectCount());
    EXPECT_EQ(2, analysis.Param(0).Domain.Count());
  }

  std::string message;
  TRecordedProgress progress;
  progress.stopIn = kQueryProgress;
  progress.stopAt = 1;
  EXPECT_EQ(nullptr, ExecuteQuery(*Formula("FIND ALL STATES WITHIN HISTORY OF EVERYTHING"), nullptr,
                                  nullptr, &message, &progress));
  EXPECT_EQ(kQueryCancelled, message);
}

} // namespace
} // namespace vandro
