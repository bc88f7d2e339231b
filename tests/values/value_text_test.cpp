#include "shell/datetime.h"
#include "shell/numbers.h"
#include "support/cp.h"
#include "values/default_units.h"
#include "values/units.h"
#include "values/value.h"
#include "values/value_text.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

class ValueText : public ::testing::Test {
protected:
  ValueText() { LoadDefaultUnits(units); }
  ~ValueText() override { SetDateStyle(TDateStyle::European); }
  TUnitCatalogue units;
  ScopedUnitCatalogue scope{units};
};

TEST_F(ValueText, DecodeNumberReadsEveryPart) {
  struct Case {
    std::string text;
    double number, plus, minus;
    std::string unit;
  };
  const Case cases[] = {
      {"12.5", 12.5, 0, 0, ""},
      {"-3", -3, 0, 0, ""},
      {"1,5", 1.5, 0, 0, ""},
      {Cp("12.5 ±0.3 [kg]"), 12.5, 0.3, 0.3, "KG"},
      {Cp("7 ±(0.5;1) [M/S]"), 7, 0.5, 1, "M/S"},
      {Cp("7±(0,5;1,25)"), 7, 0.5, 1.25, ""},
      {Cp("7 ±(;2)"), 7, 0, 2, ""},
      {"5 [NONE]", 5, 0, 0, ""},
      {"5 [(none)]", 5, 0, 0, ""},
      {"5 [ km / h ]", 5, 0, 0, "KM / H"},
      {"1.5E+3", 1500, 0, 0, ""},
  };
  for (const auto& c : cases) {
    double number = -1, plus = -1, minus = -1;
    std::string unit = "x";
    DecodeNumber(c.text, number, plus, minus, unit);
    EXPECT_EQ(c.number, number) << c.text;
    EXPECT_EQ(c.plus, plus) << c.text;
    EXPECT_EQ(c.minus, minus) << c.text;
    EXPECT_EQ(c.unit, unit) << c.text;
  }
  for (const std::string& bad : std::vector<std::string>{
           "", "abc", "5 [kg", "5 [furlong]", Cp("5 ±"), "1.2.3", "5 [kg] x", "5 [g]5 [kg]"}) {
    double number = 0, plus = 0, minus = 0;
    std::string unit;
    EXPECT_THROW(DecodeNumber(bad, number, plus, minus, unit), EConvertError) << bad;
  }
}

TEST_F(ValueText, DateTimeCheck) {
  const std::pair<const char*, bool> cases[] = {
      {"12.05.2003", true},
      {"31.02.2003", false},
      {"29.02.2004", true},
      {"29.02.2100", false},
      {"1.2.03", true},
      {"12/31/2003", true},
      {"31/12/2003", false},
      {"1.1.2004 23:59", true},
      {"1.1.2004 24:00", false},
      {"1.1.2004 12:60", false},
      {"1.1.2004 12:30:59", true},
      {"1.1.2004 12:30:60", false},
      {"1.1.2004 12:30:15 PM", true},
      {"1.1.2004 12:30x", false},
      {"1.1.2004 noon", false},
      {"  1.1.2004  ", true},
      {"1-1-2004", false},
      {"1.1.", false},
      {"1.1.20a4", false},
      {"0.1.2004", false},
      {"1.1.99999", false},
      {"1.1.0000", false},
      {"x1.1.2004", false},
      {"123456789.1.2004", false},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(expected, IsDateTimeText(text)) << text;
}

TEST_F(ValueText, DecodeDateTimeFallsBackToTheOtherStyle) {
  double jan2 = 0, feb1 = 0;
  ASSERT_TRUE(TryEncodeDate(2004, 1, 2, jan2));
  ASSERT_TRUE(TryEncodeDate(2004, 2, 1, feb1));
  EXPECT_EQ(jan2, DecodeDateTime("02.01.2004"));
  EXPECT_EQ(jan2, DecodeDateTime("01/02/2004")); // US text read while European
  EXPECT_EQ(jan2 + 0.5, DecodeDateTime(" 2.1.04 12:00 "));
  SetDateStyle(TDateStyle::US);
  EXPECT_EQ(feb1, DecodeDateTime("02/01/2004"));
  EXPECT_EQ(jan2, DecodeDateTime("02.01.2004"));
  EXPECT_EQ(TDateStyle::US, DateStyle());
  EXPECT_EQ(0, DecodeDateTime("31/31/2004"));
  // Whatever passes the check reads to the moment it names.
  SetDateStyle(TDateStyle::European);
  EXPECT_EQ(jan2, DecodeDateTime("002.01.2004"));
  EXPECT_EQ(jan2 + 0.5, DecodeDateTime("2.1.2004 12:00:00xyz"));
}

TEST_F(ValueText, BooleanWords) {
  for (const std::string& word : std::vector<std::string>{
           "YES", "yes", Cp("да"), Cp("Д"), "y", "+", Cp("истина"), "t", "True", "NO", Cp("нет"),
           Cp("н"), "n", "-", Cp("ЛОЖЬ"), "f", "false"})
    EXPECT_TRUE(IsBooleanText(word)) << word;
  for (const char* word : {" yes", "1", "0", "", "ok"})
    EXPECT_FALSE(IsBooleanText(word)) << word;
  bool flag = false;
  EXPECT_TRUE(DecodeBoolean(" 1 ", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(DecodeBoolean(Cp("нет"), flag));
  EXPECT_FALSE(flag);
  flag = true;
  EXPECT_FALSE(DecodeBoolean("maybe", flag));
  EXPECT_TRUE(flag);
}

class FakeNames final : public TValueNames {
public:
  std::string ObjectName(int32_t id) const override { return "OBJ" + std::to_string(id); }
  std::string RecordName(int32_t id) const override { return "REC" + std::to_string(id); }
};

TEST_F(ValueText, DisplayTexts) {
  FakeNames names;
  const TValueNames* previous = SetValueNames(&names);
  const auto make = [](TValueKind kind, const std::string& text) {
    auto v = TValue::Create("test");
    v->SetText(kind, text);
    return v;
  };
  EXPECT_EQ("NULL", ToDisplayText(nullptr));
  EXPECT_EQ("Null", ToDisplayText(make(vkPlain, "").get()));
  EXPECT_EQ("12 [kg]", ToDisplayText(make(vkPlain, "12 [kg]").get()));
  EXPECT_EQ("<Null Object; ID:0>", ToDisplayText(make(vkObject, "0").get()));
  EXPECT_EQ("<OBJ64; ID:64>", ToDisplayText(make(vkObject, "64").get()));
  EXPECT_EQ("<REC65; ID:65>", ToDisplayText(make(vkObject, "65").get()));
  EXPECT_EQ("<c:/a.txt>", ToDisplayText(make(vkLink, "c:/a.txt").get()));
  EXPECT_EQ("<a+b>", ToDisplayText(make(vkCalculated, "a+b").get()));
  EXPECT_EQ("", ToDisplayText(make(vkFuncMarker, "SUM").get()));

  auto array = make(vkArray, "");
  EXPECT_EQ("[empty]", ToDisplayText(array.get()));
  for (const char* item : {"1", "2", "3"})
    array->AddItem(make(vkPlain, item));
  EXPECT_EQ("[3](1,2,3)", ToDisplayText(array.get()));
  auto inner = make(vkArray, "");
  inner->AddItem(make(vkPlain, ""));
  array->AddItem(std::move(inner));
  EXPECT_EQ("[4](1,2,3,[1](Null))", ToDisplayText(array.get()));

  auto longArray = make(vkArray, "");
  for (int i = 0; i < 40; ++i)
    longArray->AddItem(make(vkPlain, "item" + std::to_string(i)));
  const std::string shown = ToDisplayText(longArray.get());
  EXPECT_EQ("[40](item0,item1,item2,item3,item4,item5,item6,item7,item8,item9,item10,...)", shown);
  SetValueNames(previous);
}

} // namespace
} // namespace vandro
