// The sample project as the program opens it: written once by the generator
// into a temporary directory, then opened through the core by every test.
#include "healthmonitor.h"

#include "charts/chart_document.h"
#include "charts/chart_list.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "model/template.h"
#include "shell/datetime.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "support/scripted_sink.h"
#include "values/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace vandro {
namespace {

using testing::ScriptedSink;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

double At(int month, int day, int hour) {
  double date = 0, time = 0;
  TryEncodeDate(2026, month, day, date);
  TryEncodeTime(hour, 0, 0, 0, time);
  return ComposeDateTime(date, time);
}

class HealthMonitorSample : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    std::string pattern = ::testing::TempDir() + "vandro-sample-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    dir = pattern;
    ScriptedSink sink;
    written = sample::MakeHealthMonitor(File());
    EXPECT_EQ(std::vector<std::string>{}, sink.Messages());
  }

  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  static std::string File() { return dir + "/healthmonitor.vdp"; }

  void SetUp() override {
    ASSERT_TRUE(written);
    ASSERT_TRUE(OpenProject(File()));
  }

  void TearDown() override { CloseProject(); }

  // The texts of the group's members at the moment.
  static std::set<std::string> Members(const char* group, double moment) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(APSFindObject(group))) << group;
    TStateTrack track;
    std::set<std::string> members;
    if (!set.LatestStateAt(moment, track)) return members;
    track.ConstructState();
    if (track.State->Content)
      for (const auto& member : *track.State->Content)
        members.insert(member->Text());
    return members;
  }

  // The state of the scripted patient at the moment.
  static std::unique_ptr<TStateTrack> Alice(TObjectSet& set, double moment) {
    EXPECT_TRUE(set.Load(APSFindObject(sample::kScriptedPatient)));
    auto track = std::make_unique<TStateTrack>();
    EXPECT_TRUE(set.LatestStateAt(moment, *track));
    track->ConstructState();
    return track;
  }

  static inline std::string dir;
  static inline bool written = false;
  ScriptedSink sink;
  ScopedLanguage language;
  ScopedRecords records;
};

TEST_F(HealthMonitorSample, HoldsPatientsWardsTemplatesAndVariables) {
  TProject& project = *CurrentProject();
  const int32_t alice = APSFindObject(sample::kScriptedPatient);
  ASSERT_NE(0, alice);
  EXPECT_GE(APSObjectCount(), 20);
  EXPECT_EQ((std::vector<std::string>{"ADMISSION", "DISCHARGE", "VITALS"}),
            project.TemplateNames());
  std::set<std::string> wards;
  for (const auto& entry : project.IndexEntries(ikGroups))
    wards.insert(entry.ObjName);
  EXPECT_EQ((std::set<std::string>{"CARDIOLOGY", "INPATIENTS", "SURGERY", "THERAPY"}), wards);
  ASSERT_NE(nullptr, project.FindVariable("FEVER"));
  EXPECT_EQ("37.5 [C]", project.FindVariable("FEVER")->Value.Text());
  const TParameter* temperature = project.FindParameter("Temp");
  ASSERT_NE(nullptr, temperature);
  EXPECT_EQ("Temperature", temperature->ParamName);
  EXPECT_TRUE(project.Units().FindUnit("bpm"));
}

TEST_F(HealthMonitorSample, WardsListTheirPatientsAtAMoment) {
  const std::string alice = std::to_string(APSFindObject(sample::kScriptedPatient));
  const struct {
    double moment;
    const char* ward; // where she is, or nullptr
  } stay[] = {
      {At(9, 2, 9), nullptr},     {At(9, 3, 12), "CARDIOLOGY"}, {At(9, 8, 12), "THERAPY"},
      {At(9, 12, 10), "THERAPY"}, {At(9, 13, 12), nullptr},
  };
  for (const auto& [moment, ward] : stay) {
    for (const char* group : {"CARDIOLOGY", "SURGERY", "THERAPY"})
      EXPECT_EQ(ward && std::string(ward) == group, Members(group, moment).count(alice) == 1)
          << group << " at " << DateTimeToText(moment);
    EXPECT_EQ(ward != nullptr, Members("INPATIENTS", moment).count(alice) == 1);
  }
  EXPECT_EQ(1u, Members("DISCHARGED", At(9, 13, 12)).count(alice));

  // Every week, whoever is in hospital is in exactly one ward, and the
  // wards hold nobody else.
  bool someoneAtTheEnd = false;
  for (double moment = sample::FirstDay(); moment <= sample::LastDay() + 7; moment += 7) {
    std::multiset<std::string> inWards;
    for (const char* group : {"CARDIOLOGY", "SURGERY", "THERAPY"})
      for (const auto& member : Members(group, moment))
        inWards.insert(member);
    const auto inHospital = Members("INPATIENTS", moment);
    EXPECT_EQ(std::multiset<std::string>(inHospital.begin(), inHospital.end()), inWards)
        << DateTimeToText(moment);
    someoneAtTheEnd = !inHospital.empty();
  }
  EXPECT_TRUE(someoneAtTheEnd);
}

TEST_F(HealthMonitorSample, RecordsCarryTheirTemplatesDefaultsAndKeepTheirConstraints) {
  TTemplate admission;
  admission.Name = "ADMISSION";
  admission.Load();
  TObjectSet set;
  const auto admitted = Alice(set, At(9, 2, 12));
  const TDataRecord& first = *admitted->Last();
  EXPECT_EQ(admission.Idtor, first.Type);
  // Status was left to its default; BMI is the default's auto formula,
  // evaluated when the record was stored.
  const TPVRelation* status = first.FindPV("Status");
  ASSERT_NE(nullptr, status);
  const TParameter& statusParameter = *CurrentProject()->FindParameter("Status");
  const TParamTemplate& statusLine = admission.ParamLine(admission.FindParamLine(statusParameter));
  EXPECT_EQ(statusLine.DefValue.Text(), status->Value.Text());
  double weight = 0, height = 0, bmi = 0, plus = 0, minus = 0;
  std::string unit;
  DecodeNumber(first.FindPV("Weight")->Value.Text(), weight, plus, minus, unit);
  DecodeNumber(first.FindPV("Height")->Value.Text(), height, plus, minus, unit);
  ASSERT_TRUE(first.FindPV("BMI")->Value.IsNumeric()) << first.FindPV("BMI")->Value.Text();
  DecodeNumber(first.FindPV("BMI")->Value.Text(), bmi, plus, minus, unit);
  EXPECT_NEAR(weight / (height / 100) / (height / 100), bmi, 0.05);

  // Every value of every record made with a template meets its line's
  // constraint.
  std::map<int32_t, std::unique_ptr<TTemplate>> templates;
  for (const auto& name : CurrentProject()->TemplateNames()) {
    auto tmpl = std::make_unique<TTemplate>();
    tmpl->Name = name;
    tmpl->Load();
    templates[tmpl->Idtor] = std::move(tmpl);
  }
  int checked = 0;
  ForEachObjectHistory(set, [&](TObjectSet& history) {
    for (const auto& record : history.Records) {
      const auto tmpl = templates.find(record->Type);
      if (tmpl == templates.end()) continue;
      for (const auto& line : tmpl->second->ParamLines) {
        if (line->Constr.IsNull() || !record->FindPV(line->Parameter->ParamName)) continue;
        TExecutor executor;
        EXPECT_EQ("True", executor.Run(nullptr, nullptr, line->Constr.Text(), record.get()).Text())
            << record->RecName << ": " << line->Constr.Text();
        ++checked;
      }
    }
    return true;
  });
  EXPECT_GT(checked, 1000);
}

TEST_F(HealthMonitorSample, VitalSignsHaveTheirUnits) {
  TObjectSet set;
  const auto feverish = Alice(set, At(9, 3, 9));
  TValue temperature, pulse;
  ASSERT_TRUE(feverish->State->GetSystemValue("Temperature", temperature));
  ASSERT_TRUE(feverish->State->GetSystemValue("Pulse", pulse));
  EXPECT_TRUE(temperature.SameDimension("K")) << temperature.Text();
  EXPECT_TRUE(
      temperature.Compare(CurrentProject()->FindVariable("FEVER")->Value, relGreaterEqual) == 1)
      << temperature.Text();
  // 60 beats a minute are one hertz.
  double beats = 0, hertz = 0, plus = 0, minus = 0;
  std::string unit;
  DecodeNumber(pulse.Text(), beats, plus, minus, unit);
  EXPECT_EQ("BPM", unit);
  ASSERT_TRUE(pulse.ConvertToUnit("Hz"));
  DecodeNumber(pulse.Text(), hertz, plus, minus, unit);
  EXPECT_NEAR(beats / 60, hertz, 1e-9);
}

TEST_F(HealthMonitorSample, ChartsOpenFilledWithoutAMessage) {
  EXPECT_EQ((std::vector<std::string>{"PULSEBYWARD", "SPO2VSPULSE", "TEMPERATURECURVE"}),
            CurrentProject()->ChartNames());
  const auto open = [](const std::string& name) {
    EXPECT_TRUE(MarkChartInUse(name));
    auto document = std::make_unique<TChartDocument>();
    EXPECT_TRUE(document->Open(name, false)) << name;
    EXPECT_EQ(1u, document->Chart().Series.size()) << name;
    return document;
  };

  // Alice's rounds: morning and evening while feverish, then mornings.
  const auto curve = open("TemperatureCurve");
  const auto& temperatures = curve->Chart().Series.at(0).Points;
  ASSERT_EQ(13u, temperatures.size());
  EXPECT_GE(temperatures.front().Y, 37.5);
  EXPECT_LT(temperatures.back().Y, 37.5);
  EXPECT_NEAR(0.92, temperatures.front().X, 0.01); // 08:00 the day after admission at 10:00
  EXPECT_LT(temperatures.back().X, 10);

  const auto byWard = open("PulseByWard");
  const auto& means = byWard->Chart().Series.at(0).Points;
  ASSERT_EQ(3u, means.size());
  EXPECT_EQ("CARDIOLOGY", means[0].Label);
  for (const TChartPoint& mean : means)
    EXPECT_TRUE(mean.Y > 60 && mean.Y < 100) << mean.Label << " " << mean.Y;

  const auto scatter = open("SpO2VsPulse");
  const auto& points = scatter->Chart().Series.at(0).Points;
  EXPECT_GT(points.size(), 50u);
  for (const TChartPoint& point : points)
    EXPECT_TRUE(point.X > 40 && point.X < 140 && point.Y > 85 && point.Y <= 100)
        << point.X << " " << point.Y;
  EXPECT_EQ(std::vector<std::string>{}, sink.Messages());
}

TEST(HealthMonitorSampleBuild, TwoRunsInTwoDirectoriesWriteTheSameFiles) {
  std::string pattern = ::testing::TempDir() + "vandro-sample-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern.data()));
  ScriptedSink sink;
  for (const char* run : {"/a", "/b"}) {
    std::filesystem::create_directory(pattern + run);
    ASSERT_TRUE(sample::MakeHealthMonitor(pattern + run + "/healthmonitor.vdp"));
  }
  for (const char* file : {"/healthmonitor.vdp", "/healthmonitor.vdb"})
    EXPECT_TRUE(ReadBytes(pattern + "/a" + file) == ReadBytes(pattern + "/b" + file)) << file;
  std::filesystem::remove_all(pattern);
}

} // namespace
} // namespace vandro
