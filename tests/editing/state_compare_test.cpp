#include "editing/state_compare.h"

#include "model/data_record.h"
#include "model/parameter.h"
#include "values/default_units.h"
#include "values/units.h"
#include "values/value.h"

#include <gtest/gtest.h>

#include <memory>

namespace vandro {
namespace {

class StateCompare : public testing::Test {
protected:
  StateCompare() { LoadDefaultUnits(units); }

  static TValue::Ptr Make(TValueKind kind, const std::string& text) {
    TValue::Ptr value = TValue::Create("test");
    value->SetText(kind, text);
    return value;
  }

  TUnitCatalogue units;
  ScopedUnitCatalogue scope{units};
};

TEST_F(StateCompare, NumbersInCompatibleUnitsGiveTheChangeInTheFirstOnesUnit) {
  struct Case {
    const char* first;
    const char* second;
    const char* difference;
    const char* relative;
    bool changed;
  };
  const Case cases[] = {
      // The offset of celsius takes part: 311.15 [K] is 38 [C].
      {"36.6 [C]", "311.15 [K]", "1.4 [C]", "+3.825 %", true},
      {"5 [km]", "5000 [m]", "0 [km]", "+0 %", false},
      {"2 [h]", "90 [min]", "-0.5 [h]", "-25 %", true},
      // Interval subtraction: the second's plus and the first's minus make
      // the plus deviation, and the other way round.
      {"10 \xB1"
       "1 [m]",
       "12 \xB1(0.5;0.2) [m]", "2 \xB1(1.5;1.2) [m]", "+20 %", true},
      {"10 \xB1"
       "1 [m]",
       "10 \xB1"
       "1 [m]",
       "0 \xB1"
       "2 [m]",
       "+0 %", false},
      {"10 \xB1"
       "1 [m]",
       "10 [m]",
       "0 \xB1"
       "1 [m]",
       "+0 %", true},
      {"-4", "-5", "-1", "-25 %", true},
      {"0", "3", "3", "n/a", true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.first + std::string(" / ") + test.second);
    const TValue::Ptr first = Make(vkPlain, test.first);
    const TValue::Ptr second = Make(vkPlain, test.second);
    const TCompareRow row = CompareValues("T", first.get(), second.get());
    EXPECT_EQ(test.first, row.First);
    EXPECT_EQ(test.second, row.Second);
    EXPECT_EQ(test.difference, row.Difference);
    EXPECT_EQ(test.relative, row.Relative);
    EXPECT_EQ(test.changed, row.Changed);
  }
}

TEST_F(StateCompare, OtherPairsAreOnlyChangedOrUnchanged) {
  struct Case {
    const char* name;
    TValueKind firstKind;
    const char* first; // nullptr: the state lacks the parameter
    TValueKind secondKind;
    const char* second;
    bool changed;
  };
  const Case cases[] = {
      {"same text", vkPlain, "pump", vkPlain, "pump", false},
      {"case is a change", vkPlain, "pump", vkPlain, "PUMP", true},
      {"same reference", vkObject, "64", vkObject, "64", false},
      {"other reference", vkObject, "64", vkObject, "96", true},
      {"units that do not convert", vkPlain, "5 [m]", vkPlain, "5 [s]", true},
      {"number and text", vkPlain, "5", vkPlain, "five", true},
      {"added", vkPlain, nullptr, vkPlain, "1", true},
      {"removed", vkPlain, "1", vkPlain, nullptr, true},
      {"a link is not a text", vkLink, "a.txt", vkPlain, "a.txt", true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const TValue::Ptr first = test.first ? Make(test.firstKind, test.first) : nullptr;
    const TValue::Ptr second = test.second ? Make(test.secondKind, test.second) : nullptr;
    const TCompareRow row = CompareValues("T", first.get(), second.get());
    EXPECT_EQ(test.changed ? kChanged : kUnchanged, row.Difference);
    EXPECT_EQ("", row.Relative);
    EXPECT_EQ(test.changed, row.Changed);
    // A parameter the state lacks shows nothing; any value shows something.
    EXPECT_EQ(test.first == nullptr, row.First.empty());
    EXPECT_EQ(test.second == nullptr, row.Second.empty());
  }
}

TEST_F(StateCompare, ArraysCompareItemByItem) {
  const auto array = [this](std::initializer_list<const char*> items) {
    TValue::Ptr value = TValue::Create("test");
    value->SetArray();
    for (const char* item : items)
      value->AddItem(Make(vkPlain, item));
    return value;
  };
  EXPECT_FALSE(CompareValues("A", array({"1", "x"}).get(), array({"1", "x"}).get()).Changed);
  EXPECT_TRUE(CompareValues("A", array({"1", "x"}).get(), array({"1", "y"}).get()).Changed);
  EXPECT_TRUE(CompareValues("A", array({"1"}).get(), array({"1", "x"}).get()).Changed);
}

TEST_F(StateCompare, EveryParameterOfEitherStateInTheFirstOnesOrder) {
  TParameter temperature, status, owner, note;
  temperature.ParamName = "TEMPERATURE";
  status.ParamName = "STATUS";
  owner.ParamName = "OWNER";
  note.ParamName = "NOTE";
  TDataRecord first, second;
  first.AddPV(status, *Make(vkPlain, "running"));
  first.AddPV(temperature, *Make(vkPlain, "36.6 [C]"));
  first.AddPV(owner, *Make(vkObject, "64"));
  first.PVs.back()->Invisible = true; // hidden parameters are compared too
  second.AddPV(note, *Make(vkPlain, "checked"));
  second.AddPV(temperature, *Make(vkPlain, "311.15 [K]"));
  second.AddPV(status, *Make(vkPlain, "running"));
  second.AddPV(owner, *Make(vkObject, "64"));

  const std::vector<TCompareRow> rows = CompareStates(first, second);
  ASSERT_EQ(4u, rows.size());
  const char* const names[] = {"STATUS", "TEMPERATURE", "OWNER", "NOTE"};
  const bool changed[] = {false, true, false, true};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(names[i], rows[i].Parameter);
    EXPECT_EQ(changed[i], rows[i].Changed) << names[i];
  }
  EXPECT_EQ("1.4 [C]", rows[1].Difference);
  EXPECT_EQ("", rows[3].First);
  EXPECT_EQ(2, ChangedCount(rows));
}

} // namespace
} // namespace vandro
