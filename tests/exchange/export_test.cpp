#include "exchange/export_objects.h"
#include "exchange/import_objects.h"
#include "model/record_export.h"
#include "shell/datetime.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace vandro {
namespace {

class ExportTest : public testing::RecordsTest {
protected:
  ExportTest() {
    SetDateStyle(TDateStyle::European);
    table.AsTable = true;
  }

  // Values as the import reads them: "@NAME" a reference to object NAME,
  // "=TEXT" a calculated value (so "==TEXT" an auto formula), else plain.
  static std::vector<std::unique_ptr<TPVRelation>> Make(Values values) {
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    for (const auto& [name, text] : values) {
      auto pair = std::make_unique<TPVRelation>();
      pair->Parameter = CurrentProject()->FindParameter(name);
      pair->Modified = true;
      if (!text.empty() && text[0] == '@')
        pair->Value.SetText(vkObject, std::to_string(APSFindObject(text.substr(1))));
      else if (!text.empty() && text[0] == '=')
        pair->Value.SetText(vkCalculated, text.substr(1));
      else
        pair->Value.SetPlain(text);
      pairs.push_back(std::move(pair));
    }
    return pairs;
  }

  // A record of object on day: after its latest state then, or after the
  // record `after` (0: a first record).
  int32_t Store(int32_t object, double day, Values values, int32_t after = -1) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    TStateTrack track;
    if (after < 0)
      set.LatestStateAt(Day(day), track);
    else if (after == 0)
      track.SetRootPath(set, Day(day));
    else
      EXPECT_TRUE(track.SetPath(set, after, Day(day)));
    return track.ModifyRecord(Make(values), Day(day));
  }

  int32_t Group(int32_t group, double day, std::vector<int32_t> added,
                std::vector<int32_t> deleted = {}) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(group));
    TStateTrack track;
    set.LatestStateAt(Day(day), track);
    const auto members = [](const std::vector<int32_t>& ids) {
      std::vector<TValue::Ptr> values;
      for (const int32_t id : ids) {
        values.push_back(TValue::Create("test"));
        values.back()->SetText(vkObject, std::to_string(id));
      }
      return values;
    };
    return track.ModifyGroup(members(added), members(deleted), Day(day));
  }

  std::string Exported(bool (*run)(const std::string&, int32_t, const TExportSettings&,
                                   TExportResult&),
                       int32_t target, const TExportSettings& settings) {
    result = TExportResult();
    EXPECT_TRUE(run(Path("out.txt"), target, settings, result));
    return ReadBytes(Path("out.txt"));
  }

  std::string T(double day) { return DateTimeToText(Day(day)); }

  TExportSettings table;
  TExportResult result;
};

TEST_F(ExportTest, AnObjectWithTwoStatesGivesTwoNumberedRowsOrReports) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t first = Store(pump, 1, {{"X", "1"}});
  const int32_t second = Store(pump, 2, {{"Y", "2 [m]"}}, first);
  Store(pump, 3, {{"Z", "=X+1"}}, first);
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\tY\tZ\r\n"
            "PUMP(1)\t" +
                T(2) +
                "\t1\t2 [m]\r\n"
                "PUMP(2)\t" +
                T(3) + "\t1\t\t=X+1\r\n",
            Exported(ExportObject, pump, table));
  EXPECT_EQ("1 objects, 2 states exported", result.Summary);

  // One state, chosen by its record; with history one row per record.
  TExportSettings history = table;
  history.History = true;
  history.Separator = ";";
  EXPECT_EQ("_Object_Name;_Real_Time;X;Y\r\nPUMP;" + T(1) + ";1\r\nPUMP;" + T(2) + ";1;2 [m]\r\n",
            Exported(ExportObject, second, history));

  const std::string report = Exported(ExportObject, pump, TExportSettings());
  EXPECT_EQ(0u, report.find("Object PUMP (version 1)\r\n    State: PUMP[2]; Time: " + T(2)));
  EXPECT_NE(std::string::npos, report.find("End of PUMP\r\nObject PUMP (version 2)\r\n"));

  for (const int32_t nothing : {0, 32 * 1000, 999})
    EXPECT_THROW(ExportObject(Path("out.txt"), nothing, table, result), ErrorException);
  EXPECT_EQ("Error selecting object", sink.Last());
}

TEST_F(ExportTest, GroupMembersBecomeRowsUnderEveryGroupState) {
  const int32_t pump = APSCreateObject("Pump"), tank = APSCreateObject("Tank"),
                valve = APSCreateObject("Valve");
  const int32_t pumpFirst = Store(pump, 1, {{"X", "1"}});
  Store(pump, 2, {{"X", "2"}}, pumpFirst);
  Store(pump, 3, {{"X", "3"}}, pumpFirst);
  const int32_t tankFirst = Store(tank, 1, {{"Y", "@Valve"}});
  Store(tank, 2, {{"Y", "@Pump"}});
  Store(valve, 1, {{"Z", "0"}});
  // The group forks: one state gets the members (a record of Tank stands
  // for the states that descend from it), the other never has any.
  const int32_t plant = APSCreateObject("Plant");
  const int32_t start = Store(plant, 1, {});
  Store(plant, 4, {}, start);
  Group(plant, 5, {pump, tankFirst});
  Store(plant, 6, {}, start);
  const std::string rows = Exported(ExportGroup, plant, table);
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\tY\r\nVersion 1\r\nPUMP(1)\t" + T(2) + "\t2\r\nPUMP(2)\t" +
                T(3) + "\t3\r\nTANK\t" + T(2) + "\t\t@PUMP\r\n\r\nVersion 2\r\nEmpty\r\n\r\n",
            rows);
  EXPECT_EQ(3, result.States);
}

TEST_F(ExportTest, AllObjectsListEveryColumnInTheHeader) {
  EXPECT_FALSE(ExportAllObjects(Path("out.txt"), table, nullptr, result));
  EXPECT_EQ("Project is empty", sink.Last());
  Store(APSCreateObject("A"), 1, {{"X", "1"}});
  Store(APSCreateObject("B"), 1, {{"Y", "2"}, {"Z", "3"}});
  ASSERT_TRUE(ExportAllObjects(Path("out.txt"), table, nullptr, result));
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\tY\tZ\r\nA\t" + T(1) + "\t1\r\nB\t" + T(1) +
                "\t\t2\t3\r\n",
            ReadBytes(Path("out.txt")));
}

// Every current state of every object by its row name (with "(n)" when the
// object has several), its time and its values as the export writes them.
std::map<std::string, std::string> AllStates() {
  std::map<std::string, std::string> states;
  TObjectSet set;
  ForEachObjectHistory(set, [&](TObjectSet& history) {
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    history.StatesAt(Now(), tracks);
    for (size_t i = 0; i < tracks.size(); ++i) {
      tracks[i]->ConstructState();
      const TDataRecord& state = *tracks[i]->State;
      std::string text = DateTimeToText(state.RealTime);
      for (const auto& pair : state.PVs)
        text += " " + pair->Parameter->ParamName + "=" + ExportValueText(pair->Value);
      const std::string suffix = tracks.size() > 1 ? "(" + std::to_string(i + 1) + ")" : "";
      states[history.ObjName + suffix] = text;
    }
    return true;
  });
  return states;
}

TEST_F(ExportTest, ATableOfAllObjectsImportsIntoTheSameStates) {
  const int32_t pump = APSCreateObject("Pump"), tank = APSCreateObject("Tank");
  const int32_t valve = APSCreateObject("Valve");
  const int32_t first = Store(pump, 1, {{"X", "1.5 [m]"}, {"Y", "@Tank"}});
  Store(pump, 2, {{"Z", "=X*2"}}, first);
  Store(pump, 3, {{"X", ""}, {"Z", "yes"}}, first);
  Store(tank, 1, {{"X", "7"}, {"Y", "@Valve"}});
  Store(tank, 4, {{"Z", "03.02.2008 10:00:00"}});
  Store(valve, 2, {{"Y", "@Tank"}, {"Z", testing::Cp("3±0.5 [kg]")}});
  Store(APSCreateObject(testing::Cp("Насос")), 5, {{"X", testing::Cp("тепло")}, {"Y", "==X"}});
  const std::map<std::string, std::string> before = AllStates();
  ASSERT_EQ(5u, before.size());
  ASSERT_TRUE(ExportAllObjects(Path("all.txt"), table, nullptr, result));
  EXPECT_EQ(5, result.States);

  CloseProject();
  ASSERT_TRUE(APSCreateProject(Path("Copy.vdp"), "", NewProjectInfo("Copy")));
  ASSERT_TRUE(OpenProject(Path("Copy.vdp")));
  TImportResult imported;
  ASSERT_TRUE(ImportObjectsFromFile(Path("all.txt"), TImportSettings(), nullptr, imported));
  EXPECT_EQ(std::vector<std::string>{}, sink.Messages());
  EXPECT_EQ("5 new objects. 5 states were successfully modified", imported.Summary);
  EXPECT_EQ(before, AllStates());
}

} // namespace
} // namespace vandro
