#include "editing/value_constructor.h"

#include "storage/records_fixture.h"
#include "values/default_units.h"
#include "values/units.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class ValueConstructor : public testing::RecordsTest {
protected:
  static TValue::Ptr Plain(const std::string& text) {
    TValue::Ptr value = TValue::Create("test");
    value->SetPlain(text);
    return value;
  }
  static TValue::Ptr Of(TValueKind kind, const std::string& text) {
    TValue::Ptr value = TValue::Create("test");
    value->SetText(kind, text);
    return value;
  }
};

TEST_F(ValueConstructor, ReadsBackEveryPlainTypeUnchanged) {
  struct Case {
    std::string text;
    TPlainType type;
  };
  const Case cases[] = {
      {"", TPlainType::Null},
      {"True", TPlainType::Boolean},
      {"12.5 \xB1(0.5;1) [M]", TPlainType::Numeric},
      {"-3", TPlainType::Numeric},
      {"01.02.2009 10:30:00", TPlainType::Time},
      {"hello", TPlainType::String},
      {"two\r\nlines", TPlainType::Text},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    TValue::Ptr value = Plain(test.text);
    TValueConstructor constructor(*value, nullptr, vpAll, 0);
    EXPECT_EQ(vpPlain, constructor.Page());
    EXPECT_EQ(test.type, constructor.PlainType);
    TValue::Ptr result = Of(vkLink, "old");
    ASSERT_TRUE(constructor.Build(*result));
    EXPECT_TRUE(result->Equals(*value)) << result->Text();
  }
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(ValueConstructor, BadFieldsAreNamedAndTheValueKept) {
  struct Case {
    const char* name;
    std::string number, unit, minus, plus;
    std::string message;
  };
  const Case cases[] = {
      {"empty number", "", "", "", "", "Number is empty"},
      {"letters", "12a", "", "", "", "Number is not a number: 12a"},
      {"bad deviation", "1", "", "", "x", "Plus deviation is not a number: x"},
      {"negative deviation", "1", "", "", "-1", "A deviation can't be negative"},
      {"unknown unit", "1", "FURLONG", "", "", "Unit FURLONG is not in the catalogue"},
  };
  TUnitCatalogue units;
  LoadDefaultUnits(units);
  ScopedUnitCatalogue scope(units);
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    TValueConstructor constructor(TValue::Null(), nullptr, vpAll, vpPlain);
    constructor.PlainType = TPlainType::Numeric;
    constructor.Number = test.number;
    constructor.Unit = test.unit;
    constructor.MinusDeviation = test.minus;
    constructor.PlusDeviation = test.plus;
    TValue::Ptr result = Plain("kept");
    EXPECT_FALSE(constructor.Build(*result));
    EXPECT_EQ("kept", result->Text());
    EXPECT_EQ(test.message, sink.Last());
  }

  // A decimal comma reads; one deviation given is both.
  TValueConstructor constructor(TValue::Null(), nullptr, vpAll, vpPlain);
  constructor.PlainType = TPlainType::Numeric;
  constructor.Number = "1,5";
  constructor.PlusDeviation = "0.1";
  constructor.Unit = "m";
  TValue::Ptr result = Plain("");
  ASSERT_TRUE(constructor.Build(*result));
  EXPECT_EQ("1.5 \xB1"
            "0.1 [m]",
            result->Text());

  // A string is one line.
  constructor.PlainType = TPlainType::String;
  constructor.String = "a\nb";
  EXPECT_FALSE(constructor.Build(*result));
  constructor.PlainType = TPlainType::Text;
  constructor.Text = "a\nb";
  ASSERT_TRUE(constructor.Build(*result));
  EXPECT_EQ("a\r\nb", result->Text());
  EXPECT_TRUE(result->IsText());
}

TEST_F(ValueConstructor, PagesOpenAsAskedWithinTheEnabledOnes) {
  TValue::Ptr formula = Of(vkCalculated, "X+1");
  struct Case {
    int pages, opening, shown;
  };
  const Case cases[] = {
      {vpAll, 0, vpCalculated},
      {vpAll, vpArray, vpArray},
      {vpPlain | vpCalculated, vpArray, vpCalculated},
      {vpPlain | vpLink, 0, vpPlain},
      {vpLink, vpCalculated, vpLink},
  };
  for (const Case& test : cases) {
    TValueConstructor constructor(*formula, nullptr, test.pages, test.opening);
    EXPECT_EQ(test.shown, constructor.Page()) << test.pages << " " << test.opening;
    constructor.SetPage(vpObjects);
    EXPECT_EQ(test.pages & vpObjects ? vpObjects : test.shown, constructor.Page());
  }

  // The last page accepted is where vpLastUsed opens.
  TValueConstructor link(TValue::Null(), nullptr, vpAll, vpLink);
  link.Link = "/tmp/report.txt";
  TValue::Ptr result = Plain("");
  ASSERT_TRUE(link.Build(*result));
  EXPECT_EQ(vkLink, result->Kind());
  TValueConstructor again(TValue::Null(), nullptr, vpAll, vpLastUsed);
  EXPECT_EQ(vpLink, again.Page());
}

TEST_F(ValueConstructor, CheckShowsWhereReadingStopped) {
  TValueConstructor constructor(TValue::Null(), nullptr, vpAll, vpCalculated);
  struct Case {
    std::string source;
    TCalculatedType type;
    bool passes;
  };
  const Case cases[] = {
      {"X + 1", TCalculatedType::Formula, true},
      {"= Y * 2", TCalculatedType::AutoFormula, true},
      {"X + (1", TCalculatedType::Formula, false},
      {"NOSUCHNAME + 1", TCalculatedType::Formula, false},
      {"FUNCTION f", TCalculatedType::Function, false},
      {"procedure p", TCalculatedType::Procedure, false},
      {"FIND ALL OBJECTS CONDITION X > 1", TCalculatedType::Query, true},
      {"FIND ALL OBJECTS WHERE X > 1", TCalculatedType::Query, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.source);
    constructor.Source = test.source;
    EXPECT_EQ(test.type, constructor.SourceType());
    const TCheckResult check = constructor.Check();
    EXPECT_EQ(test.passes, check.Passed) << check.Message;
    if (!check.Passed && test.type == TCalculatedType::Formula) {
      EXPECT_NE(std::string::npos, check.Message.find("???")) << check.Message;
    }
  }
  // A failed check does not stop OK: the text is stored as it is.
  constructor.Source = "X + (1";
  TValue::Ptr result = Plain("");
  ASSERT_TRUE(constructor.Build(*result));
  EXPECT_EQ(vkCalculated, result->Kind());
  constructor.Source = "  ";
  EXPECT_FALSE(constructor.Build(*result));
  EXPECT_EQ("The calculated value is empty", sink.Last());
}

// "Evaluate" gives what the window the value is for will get: against the
// caller's record, reading other objects' states.
TEST_F(ValueConstructor, EvaluateRunsAgainstTheCallersRecord) {
  const int32_t pump = APSCreateObject("pump");
  Record(pump, Day(1), {{"X", "40"}});
  Record(pump, Day(2), {{"X", "41"}});
  TDataRecord record;
  record.AddPV(*CurrentProject()->FindParameter("Y"), *Plain("2"));
  TValueConstructor constructor(TValue::Null(), &record, vpAll, vpCalculated);
  struct Case {
    std::string source;
    bool passes;
    std::string message; // the value's text, or how the error starts
  };
  const Case cases[] = {
      {"Y * 3", true, "6"},
      {"= Y + OBJECT('pump').X", true, "43"},
      {"SUM(HISTORYOF('pump').X)", true, "81"},
      {"FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 40", true, "[1](<PUMP; ID:"},
      {"Y / 0 +", false, "### Error ###"},
      {"FUNCTION f", false, "Functions and procedures are kept as text"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.source);
    constructor.Source = test.source;
    const TCheckResult result = constructor.Evaluate();
    EXPECT_EQ(test.passes, result.Passed);
    EXPECT_EQ(0u, result.Message.rfind(test.message, 0)) << result.Message;
  }
}

TEST_F(ValueConstructor, ArraysAndReferences) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  array->AddItem(Plain("1"));
  array->AddItem(Of(vkCalculated, "X"));
  TValueConstructor constructor(*array, nullptr, vpAll, 0);
  ASSERT_EQ(vpArray, constructor.Page());
  ASSERT_EQ(2, constructor.ItemCount());
  // Items are copies: editing them leaves the caller's array alone.
  constructor.SetItem(0, *Plain("one"));
  EXPECT_EQ("1", array->GetItem(0).Text());
  EXPECT_EQ(1, constructor.AddItem(0));
  constructor.SetItem(1, *Of(vkLink, "f.txt"));
  EXPECT_EQ(2, constructor.MoveItem(1, 1));
  EXPECT_EQ(2, constructor.MoveItem(2, 1)); // the last stays last
  constructor.RemoveItem(0);
  TValue::Ptr result = Plain("");
  ASSERT_TRUE(constructor.Build(*result));
  ASSERT_EQ(2, result->ItemCount());
  EXPECT_EQ(vkCalculated, result->GetItem(0).Kind());
  EXPECT_EQ("f.txt", result->GetItem(1).Text());
  EXPECT_EQ(2, array->ItemCount());

  // A reference names the state when one is given, else the object.
  const int32_t object = APSCreateObject("Probe");
  const int32_t record = Record(object, Day(1), {{"X", "1"}});
  TValueConstructor reference(*Of(vkObject, std::to_string(object)), nullptr, vpAll, 0);
  EXPECT_EQ(vpObjects, reference.Page());
  EXPECT_EQ(object, reference.Reference);
  reference.SetReference(object, record);
  ASSERT_TRUE(reference.Build(*result));
  EXPECT_TRUE(result->IsStateRef());
  EXPECT_EQ(std::to_string(record), result->Text());
}

} // namespace
} // namespace vandro
