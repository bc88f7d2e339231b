// OBJECT, ACTUALSTATE, CONTENTOF, HISTORYOF, EXECUTE and ORIGIN over a small
// stored project.
#include "shell/datetime.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class ObjectFunctions : public testing::RecordsTest {
protected:
  ObjectFunctions() {
    a = APSCreateObject("A");
    b = APSCreateObject("B");
    aFirst = Record(a, Day(1), {{"X", "3"}});
    aSecond = Record(a, Day(3), {{"X", "4"}});
    bFirst = Record(b, Day(2), {{"X", "7"}});
    team = APSCreateObject("TEAM");
    TObjectSet set;
    EXPECT_TRUE(set.Load(team));
    TStateTrack track;
    set.LatestStateAt(Day(4), track);
    std::vector<TValue::Ptr> members;
    for (int32_t id : {a, b}) {
      members.push_back(TValue::Create("test"));
      members.back()->SetText(vkObject, std::to_string(id));
    }
    teamFirst = track.ModifyGroup(members, {}, Day(4));
  }

  static std::string At(double day) { return "'" + DateTimeToText(Day(day)) + "'"; }

  // The result's text; arrays as "[item item]"; failures as "!" + message.
  std::string Eval(const std::string& source, TDataRecord* context = nullptr) {
    const TValue& result = executor.Run(nullptr, context, source);
    if (executor.Failed()) {
      const std::string& text = result.Text();
      const size_t colon = text.find("error: ");
      const size_t end = text.find("\r\n");
      return "!" + text.substr(colon == std::string::npos ? 0 : colon + 7,
                               end - (colon == std::string::npos ? 0 : colon + 7));
    }
    return Text(result);
  }

  static std::string Text(const TValue& value) {
    if (!value.IsArray()) return (value.IsObject() ? "@" : "") + value.Text();
    std::string text = "[";
    for (int i = 0; i < value.ItemCount(); ++i)
      text += (i ? " " : "") + Text(value.GetItem(i));
    return text + "]";
  }

  static std::string Ref(int32_t id) { return "@" + std::to_string(id); }

  TExecutor executor;
  int32_t a = 0, b = 0, team = 0;
  int32_t aFirst = 0, aSecond = 0, bFirst = 0, teamFirst = 0;
};

TEST_F(ObjectFunctions, ObjectsAndTheirStates) {
  const std::string day2 = At(2);
  struct Case {
    std::string source;
    std::string expected;
  } cases[] = {
      {"OBJECT('A')", Ref(a)},
      {"OBJECT('a')", Ref(a)},
      {"OBJECT('NOBODY')", Ref(0)},
      {"OBJECT(OBJECT('A'))", "!Invalid parameter type"},
      {"ACTUALSTATE(OBJECT('A'))", Ref(aSecond)},
      {"ACTUALSTATE('A')", Ref(aSecond)},
      {"ACTUALSTATE(OBJECT('A'), " + day2 + ")", Ref(aFirst)},
      {"ACTUALSTATE(OBJECT('A'), " + At(0) + ")", ""},
      {"ACTUALSTATE(OBJECT('A'), 1)", ""},
      {"ACTUALSTATE(OBJECT('A'), " + day2 + ", 0)", Ref(aFirst)},
      {"ACTUALSTATE(" + Ref(aFirst).substr(1) + ", 2, 3)",
       "!First parameter should be an object/state reference"},
      {"ACTUALSTATE(OBJECT('NOBODY'), NOW, 0)", "!First parameter should not be a Null Object"},
      {"ACTUALSTATE(OBJECT('A'), 5, 0)", "!Second parameter should be DateTime"},
      {"ACTUALSTATE(OBJECT('A'), NOW, 'x')", "!Third parameter should be an integer"},
      {"ACTUALSTATE(OBJECT('A'), 'x')", "!Invalid parameters"},
      {"ACTUALSTATE(SUM(1))", "!Object not found. Id=0"},
      {"ACTUALSTATE('NOBODY')", "!Object not found. Id=0"},
      {"ACTUALSTATE(OBJECT('A')).X", "4"},
      {"CONTENTOF(OBJECT('TEAM'))", "[" + Ref(a) + " " + Ref(b) + "]"},
      {"CONTENTOF('TEAM')", "[" + Ref(a) + " " + Ref(b) + "]"},
      {"CONTENTOF(OBJECT('A'))", ""},
      {"CONTENTOF(OBJECT('NOBODY'))", ""},
      {"HISTORYOF(OBJECT('A'))", "[" + Ref(aFirst) + " " + Ref(aSecond) + "]"},
      {"HISTORYOF('A', " + At(0) + ", " + day2 + ", NOW)",
       "[" + Ref(0) + " " + Ref(aFirst) + " " + Ref(aSecond) + "]"},
      {"HISTORYOF(ACTUALSTATE(OBJECT('A'), " + day2 + "))", "[" + Ref(aFirst) + "]"},
      {"HISTORYOF(1 + 1 = 2)", "!Object not found. Id=0"},
      {"HISTORYOF(OBJECT('A'), 'x')", "!Invalid argument #2: x"},
      {"ORIGIN", DateTimeToText(Day(1))},
      {"EXECUTE('FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5')", "[" + Ref(b) + "]"},
      {"EXECUTE('FIND TOP 1.5 OBJECTS WITHIN EVERYTHING')", "!Error in query"},
      {"EXECUTE(5)", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, Eval(c.source)) << c.source;
}

TEST_F(ObjectFunctions, TheContextRecordIsTheDefaultObject) {
  TObjectSet set;
  ASSERT_TRUE(set.Load(a));
  TStateTrack track;
  ASSERT_TRUE(track.FirstStateTrack(set, Day(10)));
  track.ConstructState();
  EXPECT_EQ(Ref(aSecond), Eval("ACTUALSTATE", track.State.get()));
  EXPECT_EQ(Ref(aFirst), Eval("ACTUALSTATE(" + At(2) + ")", track.State.get()));
  EXPECT_EQ(Ref(aFirst), Eval("ACTUALSTATE(" + At(2) + ", 0)", track.State.get()));
  EXPECT_EQ("", Eval("ACTUALSTATE(1)", track.State.get()));
  EXPECT_EQ("!Object not found. Id=0", Eval("ACTUALSTATE"));
  // A query run by EXECUTE sees the caller's records.
  EXPECT_EQ(
      "[" + Ref(a) + "]",
      Eval("EXECUTE('FIND ALL OBJECTS WITHIN LIST OF OBJECT(_OBJECT_NAME)')", track.State.get()));
}

// The system clock's now, not the fixed one: a record stamped now must be
// found at once by everything that asks for now, not from the next second.
TEST_F(ObjectFunctions, AStateStoredNowIsFoundAtOnceByQueriesAndStatesAtNow) {
  const TClock* fixed = SetClock(nullptr);
  int millisecond = -1, hour = 0, minute = 0, second = 0;
  DecodeTime(Now(), hour, minute, second, millisecond);
  EXPECT_EQ(0, millisecond);
  const int32_t fresh = APSCreateObject("FRESH");
  const int32_t record = Record(fresh, Now(), {{"X", "5"}});
  EXPECT_EQ("3", Eval("COUNT(EXECUTE('FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 2'))"));
  EXPECT_EQ(Ref(record), Eval("ACTUALSTATE('FRESH')"));
  EXPECT_EQ(Ref(record), Eval("ACTUALSTATE('FRESH', Now)"));
  EXPECT_EQ((std::vector<int32_t>{record}), Current(fresh, Now()));
  SetClock(fixed);
}

} // namespace
} // namespace vandro
