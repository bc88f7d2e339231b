#include "shell/messages.h"
#include "support/cp.h"
#include "support/scripted_sink.h"
#include "values/default_units.h"
#include "values/units.h"
#include "values/value.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vandro {
namespace {

using testing::Cp;

TValue::Ptr Plain(const std::string& text) {
  auto value = TValue::Create("test");
  value->SetPlain(text);
  return value;
}

TValue::Ptr Make(TValueKind kind, const std::string& text) {
  auto value = TValue::Create("test");
  value->SetText(kind, text);
  return value;
}

TValue::Ptr Array(std::initializer_list<const char*> items) {
  auto value = TValue::Create("test");
  value->SetArray();
  for (const char* item : items)
    value->AddItem(Plain(item));
  return value;
}

class Values : public ::testing::Test {
protected:
  Values() { LoadDefaultUnits(units); }
  TUnitCatalogue units;
  ScopedUnitCatalogue scope{units};
  testing::ScriptedSink sink;
};

TEST_F(Values, PredicatesOfPlainTexts) {
  struct Case {
    std::string text;
    bool numeric, integer, real, dateTime, boolean, string, identifier;
  };
  const Case cases[] = {
      {"12", true, true, true, false, false, true, false},
      {"-7", true, true, true, false, false, true, false},
      {"+7", false, false, false, false, false, true, false},
      {" 7", false, false, false, false, false, true, false},
      {"1,5", true, false, true, false, false, true, false},
      {"12.05.2003", false, false, false, true, false, true, false},
      {"31.02.2003", false, false, false, false, false, true, false},
      {"29.02.2004", false, false, false, true, false, true, false},
      {"3 [m]", true, false, false, false, false, true, false},
      {Cp("5 ±(1;2)"), true, false, false, false, false, true, false},
      {Cp("5 ±(1 2)"), false, false, false, false, false, true, false},
      {Cp("5 ±-1"), false, false, false, false, false, true, false},
      {"5 [kg", false, false, false, false, false, true, false},
      {"5 [furlong]", false, false, false, false, false, true, false},
      {"yes", false, false, false, false, true, true, true},
      {Cp("Д"), false, false, false, false, true, true, true},
      {"1", true, true, true, false, false, true, false},
      {"-", false, false, false, false, true, true, false},
      {"name_1", false, false, false, false, false, true, true},
      {"", false, false, false, false, false, true, true},
      {"a\r\nb", false, false, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    const auto v = Plain(c.text);
    EXPECT_EQ(c.numeric, v->IsNumeric()) << c.text;
    EXPECT_EQ(c.integer, v->IsInteger()) << c.text;
    EXPECT_EQ(c.real, v->IsReal()) << c.text;
    EXPECT_EQ(c.dateTime, v->IsDateTime()) << c.text;
    EXPECT_EQ(c.boolean, v->IsBoolean()) << c.text;
    EXPECT_EQ(c.string, v->IsString()) << c.text;
    EXPECT_EQ(c.identifier, v->IsIdentifier()) << c.text;
  }
  EXPECT_TRUE(Plain("a\r\nb")->IsText());
  const auto error = TValue::Create("test");
  error->SetError("Stack is empty");
  EXPECT_EQ("### Error ### Stack is empty", error->Text());
  EXPECT_TRUE(error->IsError());
  EXPECT_FALSE(error->IsString());
  EXPECT_FALSE(Make(vkLink, "12")->IsNumeric());
  EXPECT_TRUE(Make(vkLink, "1.1.2004")->IsDateTime()); // the kind is not looked at
}

TEST_F(Values, KindsOfCalculatedTexts) {
  struct Case {
    const char* text;
    bool query, function, procedure, autoFormula, formula;
  };
  const Case cases[] = {
      {"  find all objects where a > 1", true, false, false, false, false},
      {"FETCH x", true, false, false, false, false},
      {"function f", false, true, false, false, false},
      {" Procedure p", false, false, true, false, false},
      {"=a+b", false, false, false, true, false},
      {"  = a", false, false, false, true, false},
      {"a+b", false, false, false, false, true},
  };
  for (const auto& c : cases) {
    const auto v = Make(vkCalculated, c.text);
    EXPECT_EQ(c.query, v->IsQuery()) << c.text;
    EXPECT_EQ(c.function, v->IsFunction()) << c.text;
    EXPECT_EQ(c.procedure, v->IsProcedure()) << c.text;
    EXPECT_EQ(c.autoFormula, v->IsAutoFormula()) << c.text;
    EXPECT_EQ(c.formula, v->IsFormula()) << c.text;
  }
  EXPECT_FALSE(Plain("=a")->IsAutoFormula());
}

TEST_F(Values, StateReferencesAreIdentifiersNotDivisibleBy32) {
  EXPECT_TRUE(Make(vkObject, "33")->IsStateRef());
  EXPECT_FALSE(Make(vkObject, "64")->IsStateRef());
  EXPECT_FALSE(Make(vkObject, "0")->IsStateRef());
  EXPECT_FALSE(Plain("33")->IsStateRef());
}

TEST_F(Values, CompareByTheRules) {
  struct Case {
    std::string a, b;
    TRelation relation;
    int expected;
  };
  const Case cases[] = {
      {"5 [km]", "5000 [m]", relEqual, 1},
      {"5 [km]", "3 [s]", relLess, -1},
      {"5 [km]", "3 [s]", relNotEqual, 1},
      {"0.1 [km]", "100 [m]", relEqual, 1},
      {"1 [h]", "59 [min]", relGreater, 1},
      // Temperatures meet with their offsets.
      {"38.1 [C]", "38.1 [K]", relEqual, 0},
      {"0 [C]", "273.15 [K]", relEqual, 1},
      {"38.1 [C]", "300 [K]", relGreater, 1},
      {"98.6 [fahrenheit]", "37 [C]", relEqual, 1},
      {"32 [fahrenheit]", "0 [C]", relEqual, 1},
      {"100.4 [fahrenheit]", "38 [C]", relGreater, 0},
      {"1 [C/s]", "1 [K/s]", relEqual, 1}, // a rate has no offset
      {Cp("5 ±1"), "5", relEqual, 1},      // deviations take no part
      {"", "x", relLess, 1},
      {"", "x", relGreater, 0},
      {"x", "", relGreaterEqual, 1},
      {"", "", relEqual, 1},
      {"", "", relLess, 0},
      {"abc", "ABC", relEqual, 1},
      {"abc", "abd", relLess, 1},
      {"Yes", "TRUE", relEqual, 1},
      {"N", "Y", relLess, 1},
      {"02.01.2004", "1.2.2004", relLess, 1},
      {"10", "9", relGreater, 1}, // numbers, not texts
      {"### Error ### x", "### Error ### x", relEqual, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, Plain(c.a)->Compare(*Plain(c.b), c.relation)) << c.a << " ? " << c.b;
  EXPECT_EQ(1, Make(vkLink, "a")->Compare(*Make(vkLink, "A"), relEqual));
  EXPECT_EQ(-1, Make(vkLink, "a")->Compare(*Plain("a"), relEqual));
  EXPECT_EQ(1, Make(vkLink, "a")->Compare(*Plain("a"), relNotEqual));
}

TEST_F(Values, EqualsMatchesKindTextAndItems) {
  EXPECT_TRUE(Plain("abc")->Equals(*Plain("ABC")));
  EXPECT_FALSE(Plain("1")->Equals(*Plain("1.0")));
  EXPECT_FALSE(Plain("1")->Equals(*Make(vkObject, "1")));
  EXPECT_TRUE(Make(vkCalculated, " a +\r\n  b ")->Equals(*Make(vkCalculated, "A + B")));
  EXPECT_FALSE(Make(vkCalculated, "a+b")->Equals(*Make(vkCalculated, "a + b")));
  EXPECT_TRUE(Array({"1", "x"})->Equals(*Array({"1", "X"})));
  EXPECT_FALSE(Array({"1", "x"})->Equals(*Array({"1"})));
}

TEST_F(Values, AssignCopiesArraysDeeply) {
  auto source = Array({"1", "2"});
  source->AddItem(Array({"3"}));
  TValue copy;
  copy.Assign(*source);
  copy.GetItem(2).GetItem(0).SetPlain("changed");
  copy.GetItem(0).SetPlain("changed");
  EXPECT_EQ("3", source->GetItem(2).GetItem(0).Text());
  EXPECT_EQ("1", source->GetItem(0).Text());
  EXPECT_TRUE(copy.IsArray());
  copy.Clear();
  EXPECT_TRUE(copy.IsNull());
}

// A reference array keeps only identifiers until its items are reached; every
// way of reaching them must see the array built item by item.
TEST_F(Values, ReferenceArrayActsAsTheArrayOfItsReferences) {
  const auto built = [] {
    auto array = TValue::Create("test");
    array->SetArray();
    for (const char* id : {"64", "65", "96"}) {
      auto item = TValue::Create("test");
      item->SetText(vkObject, id);
      array->AddItem(std::move(item));
    }
    return array;
  };
  const auto compact = [] {
    auto array = TValue::Create("test");
    array->SetReferenceArray({64, 65, 96});
    return array;
  };
  EXPECT_EQ(3, compact()->ItemCount());
  EXPECT_EQ("", compact()->Text());
  EXPECT_EQ(built()->PackValue(), compact()->PackValue());
  EXPECT_TRUE(compact()->Equals(*built()));
  EXPECT_TRUE(built()->Equals(*compact()));
  EXPECT_EQ(1, compact()->Compare(*built(), relEqual));
  EXPECT_FALSE(compact()->IsDateTime());

  auto copy = TValue::Create("test");
  copy->Assign(*compact());
  EXPECT_TRUE(copy->GetItem(1).IsStateRef());
  EXPECT_EQ("96", copy->GetItem(2).Text());
  auto grown = compact();
  grown->AddItem(Plain("x"));
  EXPECT_EQ(4, grown->ItemCount());
  EXPECT_EQ("64", grown->GetItem(0).Text());
  EXPECT_THROW(compact()->GetItem(3), ErrorException);

  auto empty = TValue::Create("test");
  empty->SetReferenceArray({});
  EXPECT_EQ(0, empty->ItemCount());
  EXPECT_TRUE(empty->Equals(*Array({})));
}

TEST_F(Values, ItemAccessRaisesOnWrongKindOrIndex) {
  auto array = Array({"1", "2", "3"});
  EXPECT_THROW(array->GetItem(3), ErrorException);
  EXPECT_EQ("Item index out of range: 3", sink.Last());
  EXPECT_THROW(array->SetItem(-1, Plain("x")), ErrorException);
  EXPECT_EQ("Item index out of range: -1", sink.Last());
  EXPECT_THROW(Plain("1")->ItemCount(), ErrorException);
  EXPECT_EQ("Invalid value type. An array expected.", sink.Last());
  array->SetItem(1, Plain("two"));
  EXPECT_EQ("two", array->GetItem(1).Text());
}

TEST_F(Values, ConvertToUnitRewritesNumberAndDeviations) {
  auto v = Plain(Cp("2 ±(0.1;0.2) [km]"));
  ASSERT_TRUE(v->ConvertToUnit("m"));
  EXPECT_EQ(Cp("2000 ±(100;200) [m]"), v->Text());
  EXPECT_FALSE(v->ConvertToUnit("s"));
  EXPECT_EQ(Cp("2000 ±(100;200) [m]"), v->Text());
  EXPECT_FALSE(Plain("abc")->ConvertToUnit("m"));
  auto speed = Plain("36 [km/h]");
  ASSERT_TRUE(speed->ConvertToUnit("MpSec"));
  EXPECT_EQ("10 [MpSec]", speed->Text());
  EXPECT_TRUE(Plain("3 [newton]")->SameDimension("kg*m/s^2"));
  EXPECT_FALSE(Plain("3 [newton]")->SameDimension("kg"));
  EXPECT_FALSE(Plain("x")->SameDimension(""));
}

// The offset moves the number; the deviations take the factor alone.
TEST_F(Values, ConvertToUnitAppliesTheOffsetsOfTemperatures) {
  const struct Case {
    const char* value;
    const char* unit;
    const char* expected;
  } cases[] = {
      {"38.1 ±0.2 [C]", "K", "311.25 ±0.2 [K]"},
      {"98.6 ±(0.9;1.8) [fahrenheit]", "C", "37 ±(0.5;1) [C]"},
      {"310 [K]", "C", "36.85 [C]"},
      {"36.6 [C]", "fahrenheit", "97.88 [fahrenheit]"},
      {"2 [C/s]", "K/s", "2 [K/s]"},
  };
  for (const Case& c : cases) {
    auto v = Plain(Cp(c.value));
    ASSERT_TRUE(v->ConvertToUnit(c.unit)) << c.value;
    EXPECT_EQ(Cp(c.expected), v->Text()) << c.value;
  }
}

TEST_F(Values, ANegativeFactorTurnsTheIntervalAround) {
  TUnit flipped;
  flipped.name = flipped.shortName = "flip";
  flipped.category = "Distance";
  flipped.coefficient = -2;
  units.Add(flipped);
  auto v = Plain(Cp("1 ±(0.5;0.25) [m]"));
  ASSERT_TRUE(v->ConvertToUnit("flip"));
  EXPECT_EQ(Cp("-0.5 ±(0.125;0.25) [flip]"), v->Text());
}

TEST_F(Values, SetNumberWritesTheNumberGrammar) {
  TValue v;
  v.SetNumber("kg", 0.3, 0.3, 12.5);
  EXPECT_EQ(Cp("12.5 ±0.3 [kg]"), v.Text());
  v.SetNumber("kg", 0.2, 0.1, 12.5);
  EXPECT_EQ(Cp("12.5 ±(0.1;0.2) [kg]"), v.Text());
  v.SetNumber("", 0, 0.5, 1);
  EXPECT_EQ(Cp("1 ±(0.5;0)"), v.Text());
  v.SetNumber("", 0, 0, 1);
  EXPECT_EQ("1", v.Text());
  EXPECT_THROW(v.SetNumber("", 0, 0, std::nan("")), std::exception);
  EXPECT_EQ("1", v.Text());
  v.SetBoolean(false);
  EXPECT_EQ("False", v.Text());
}

TEST(ValuePool, KeepsAtMost16384ReleasedValues) {
  {
    std::vector<TValue::Ptr> many;
    for (int i = 0; i < 20000; ++i)
      many.push_back(TValue::Create("test"));
  }
  EXPECT_EQ(TValue::kPoolCapacity, TValue::PoolSize());
  auto reused = TValue::Create("test");
  EXPECT_EQ(TValue::kPoolCapacity - 1, TValue::PoolSize());
  EXPECT_TRUE(reused->IsNull());
  EXPECT_TRUE(TValue::Null().IsNull());
}

} // namespace
} // namespace vandro
