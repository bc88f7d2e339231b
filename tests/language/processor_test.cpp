#include "language/processor.h"

#include "shell/datetime.h"
#include "shell/text.h"
#include "support/cp.h"
#include "support/scripted_sink.h"
#include "values/default_units.h"
#include "values/units.h"
#include "values/value_text.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace vandro {
namespace {

using testing::Cp;
using testing::ScriptedSink;

TValue::Ptr Make(TValueKind kind, std::string_view utf8) {
  TValue::Ptr value = TValue::Create("test");
  value->SetText(kind, Cp(utf8));
  return value;
}

TValue::Ptr Plain(std::string_view utf8) {
  return Make(vkPlain, utf8);
}
TValue::Ptr Object(std::string_view id) {
  return Make(vkObject, id);
}

template <typename... Items> TValue::Ptr Array(Items... items) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  (array->AddItem(std::move(items)), ...);
  return array;
}

TValue::Ptr Plains(std::initializer_list<std::string_view> texts) {
  TValue::Ptr array = Array();
  for (auto text : texts)
    array->AddItem(Plain(text));
  return array;
}

// What a value shows in a test: the text of a plain value, the display text
// of an array, in UTF-8.
std::string Shown(const TValue& value) {
  return Cp1251ToUtf8(value.IsArray() ? ToDisplayText(&value) : value.Text());
}

// Expected results: a leading "!" means the operation fails with the rest as
// its message.
void ExpectOutcome(TProcessor& processor, bool ok, const std::string& expected) {
  ASSERT_EQ(1u, processor.StackSize()) << "every operation leaves exactly one result";
  TValue::Ptr top = processor.PopRaw();
  if (!expected.empty() && expected[0] == '!') {
    const std::string message = expected.substr(1);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(processor.Failed());
    EXPECT_EQ(message, Cp1251ToUtf8(processor.Message()));
    EXPECT_EQ("### Error ### " + message, Shown(*top));
  } else {
    EXPECT_TRUE(ok) << processor.Message();
    EXPECT_FALSE(processor.Failed());
    EXPECT_EQ(expected, Shown(*top));
  }
}

struct Case {
  const char* left;
  uint8_t operation;
  const char* right;
  const char* expected;
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
  return out << c.left << " [" << int(c.operation) << "] " << c.right;
}

class ProcessorTest : public ::testing::Test {
protected:
  void SetUp() override {
    LoadDefaultUnits(catalogue_);
    previousStyle_ = DateStyle();
    SetDateStyle(TDateStyle::European);
  }
  void TearDown() override { SetDateStyle(previousStyle_); }

  void Check(TValue::Ptr left, uint8_t operation, TValue::Ptr right, const std::string& expected) {
    TProcessor processor;
    processor.Push(std::move(left));
    processor.Push(std::move(right));
    const bool ok = processor.Execute(operation);
    ExpectOutcome(processor, ok, expected);
  }

  void CheckTable(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << c);
      Check(Plain(c.left), c.operation, Plain(c.right), c.expected);
    }
  }

  ScriptedSink sink_;
  TUnitCatalogue catalogue_;
  ScopedUnitCatalogue units_{catalogue_};
  TDateStyle previousStyle_ = TDateStyle::European;
};

TEST_F(ProcessorTest, ArithmeticConvertsUnitsAndCarriesIntervals) {
  CheckTable({
      {"2 [km]", ocAdd, "300 [m]", "2.3 [KM]"},
      {"300 [m]", ocAdd, "2 [km]", "2300 [M]"},
      {"1 [km]", ocSubtract, "1 ±1 [m]", "0.999 ±0.001 [KM]"},
      {"5 ±1", ocSubtract, "2 ±(0.5;0.25)", "3 ±(1.25;1.5)"},
      {"10 ±1", ocMultiply, "2 ±0.5", "20 ±(7.5;6.5)"},
      {"-3 ±1", ocMultiply, "2", "-6 ±2"},
      {"2 [m]", ocMultiply, "3 [s]", "6 [(meter)*(second)]"},
      {"2 [km]", ocMultiply, "3", "6000 [(meter)]"},
      {"6 [m]", ocDivide, "2 [m]", "3"},
      {"6 [m]", ocDivide, "2 [km]", "0.003"},
      {"6", ocDivide, "2 [s]", "3 [(second^-1)]"},
      {"6 [m]", ocDivide, "2 [s]", "3 [(meter)*(second^-1)]"},
      {"6 ±2", ocDivide, "2 ±1", "3 ±(5;1.66666666666667)"},
      {"1,5", ocAdd, "1", "2.5"},
      {"5 [none]", ocAdd, "1", "6"},
      {"True", ocAdd, "1", "2"},
      {"no", ocMultiply, "5", "0"},
      {"", ocAdd, "5", ""},
      {"5 [m]", ocDivide, "", ""},
  });
}

// Celsius and fahrenheit are kelvin with an offset. Comparison, addition and
// subtraction bring the right operand into the left one's unit with both
// offsets; deviations and products of units take the factors alone.
TEST_F(ProcessorTest, TemperaturesMeetWithTheirOffsets) {
  CheckTable({
      {"38.1 [C]", ocEqual, "38.1 [K]", "False"},
      {"0 [C]", ocEqual, "273.15 [K]", "True"},
      {"98.6 [fahrenheit]", ocEqual, "37 [C]", "True"},
      {"38.1 [C]", ocGreater, "300 [K]", "True"},
      {"100.4 [fahrenheit]", ocGreater, "38 [C]", "False"},
      {"100.4 [fahrenheit]", ocGreaterEqual, "38 [C]", "True"},
      {"0 [C]", ocAdd, "300 [K]", "26.85 [C]"},
      {"300 [K]", ocSubtract, "0 [C]", "26.85 [K]"},
      {"10 ±0.5 [C]", ocAdd, "300 ±1 [K]", "36.85 ±1.5 [C]"},
      {"1 [C/s]", ocEqual, "1 [K/s]", "True"},
      {"2 [C]", ocMultiply, "3 [K]", "6 [(kelvin^2)]"},
  });
}

TEST_F(ProcessorTest, DatesTakePartInAdditionAndSubtraction) {
  CheckTable({
      {"01.01.2004", ocAdd, "2", "03.01.2004"},
      {"2", ocAdd, "01.01.2004", "03.01.2004"},
      {"03.01.2004", ocSubtract, "01.01.2004", "2 [day]"},
      {"01.01.2004", ocSubtract, "03.01.2004 12:00", "-2.5 [day]"},
      {"01.01.2004", ocAdd, "12 [h]", "01.01.2004 12:00:00"},
      {"01.01.2004", ocSubtract, "1 [d]", "31.12.2003"},
      {"1/31/2004", ocAdd, "1", "01.02.2004"},
      {"01.01.2004", ocAdd, "", ""},
  });
}

TEST_F(ProcessorTest, ArithmeticFailures) {
  CheckTable({
      {"abc", ocAdd, "1", "!First operand isn't Numeric"},
      {"1", ocSubtract, "abc", "!Second operand isn't Numeric"},
      {"1 [m]", ocAdd, "1 [s]", "!Incompatible operand units: (m) and (s)"},
      {"1 [m]", ocSubtract, "1", "!Incompatible operand units: (m) and ()"},
      {"1", ocDivide, "0 ±1", "!Division by zero or denominator interval contains zero"},
      {"1", ocDivide, "2 ±(1;2)", "!Division by zero or denominator interval contains zero"},
      {"1", ocDivide, "2 ±(0;2)", "!Division by zero or denominator interval contains zero"},
      {"1", ocDivide, "0", "!Division by zero or denominator interval contains zero"},
      {"1", ocDivide, "False", "!Division by zero or denominator interval contains zero"},
      // "m^2/s" reads as m^2 on its own, but not inside the brackets of the
      // product's unit.
      {"1 [m^2/s]", ocMultiply, "2 [s]", "!Can't normalize the result unit: (M^2/S)*(S)"},
      {"01.01.2004", ocAdd, "1 ±0.5", "!Time can't be combined with fuzzy operands"},
      {"01.01.2004", ocAdd, "02.01.2004", "!Both operands are dates"},
      {"01.01.2004", ocAdd, "yes", "!Incompatible operand types"},
      {"01.01.2004", ocAdd, "1 [m]", "!Incompatible operand units"},
      {"01.01.2004", ocMultiply, "2", "!First operand is invalid (date)"},
      {"2", ocDivide, "01.01.2004", "!Second operand is invalid (date)"},
  });
}

TEST_F(ProcessorTest, ResultsWithoutATextFailInsteadOfShowingInfinity) {
  CheckTable({
      {"1E300", ocMultiply, "1E300", "!The number is out of range"},
      {"1 ±1E308", ocMultiply, "2 ±1E308", "!The number is out of range"},
      {"1", ocDivide, "1E-320", "!The number is out of range"},
      {"31.12.9999", ocAdd, "1", "!The resulting date is out of range"},
      {"01.01.0001", ocSubtract, "1", "!The resulting date is out of range"},
  });
}

TEST_F(ProcessorTest, IntegerDivisionAndRemainder) {
  CheckTable({
      {"7", ocRemainder, "3", "1"},
      {"-7", ocRemainder, "3", "-1"},
      {"7", ocRemainder, "-3", "1"},
      {"-7", ocIntDivide, "2", "-3"},
      {"7", ocIntDivide, "-2", "-3"},
      {"7.0", ocIntDivide, "2", "3"},
      {"7.5", ocIntDivide, "2",
       "!First operand should be an integer \r\nwithout units and deviations"},
      {"7 ±1", ocRemainder, "2",
       "!First operand should be an integer \r\nwithout units and deviations"},
      {"1E19", ocIntDivide, "1",
       "!First operand should be an integer \r\nwithout units and deviations"},
      {"7", ocIntDivide, "2 [m]",
       "!Second operand should be an integer \r\nwithout units and deviations"},
      {"abc", ocIntDivide, "2", "!First operand should be numeric"},
      {"7", ocRemainder, "", "!Second operand should be numeric"},
      {"7", ocIntDivide, "0", "!Division by zero"},
      {"7", ocRemainder, "0", "!Division by zero"},
  });
}

TEST_F(ProcessorTest, MissingOperandsAreReported) {
  struct Missing {
    uint8_t operation;
    int operands;
    const char* expected;
  };
  for (const Missing& m : std::vector<Missing>{
           {ocNegate, 0, "!Operand isn't defined"},
           {ocIntDivide, 0, "!Second parameter isn't defined"},
           {ocRemainder, 1, "!First operand isn't defined"},
           {ocAdd, 1, "!Stack is empty"},
           {ocNot, 0, "!Stack is empty"},
       }) {
    SCOPED_TRACE(int(m.operation));
    TProcessor processor;
    for (int i = 0; i < m.operands; ++i)
      processor.Push(*Plain("7"));
    const bool ok = processor.Execute(m.operation);
    ExpectOutcome(processor, ok, m.expected);
  }
}

TEST_F(ProcessorTest, NegateExchangesTheDeviationsAndKeepsTheUnit) {
  struct Negation {
    TValue::Ptr operand;
    const char* expected;
  };
  Negation cases[] = {
      {Plain("5 ±(1;2) [km]"), "-5 ±(2;1) [KM]"},
      {Plain("-0"), "0"},
      {Plain("abc"), "!Operand should be numeric"},
      {Plain(""), "!Operand should be numeric"},
      {Object("64"), "!Operand should be numeric"},
      {Plains({"1", "x"}), "[2](-1,### Error ### Operand should be numeric)"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(Shown(*c.operand));
    TProcessor processor;
    processor.Push(std::move(c.operand));
    const bool ok = processor.Execute(ocNegate);
    ExpectOutcome(processor, ok, c.expected);
  }
}

TEST_F(ProcessorTest, EqualityOfPlainValues) {
  struct Pair {
    const char* left;
    const char* right;
    bool equal;
  };
  for (const Pair& p : std::vector<Pair>{
           {"abc", "abc", true},
           {"abc", "ABC", false},
           {"5 [km]", "5000 [m]", true},
           {"0.1 [km]", "100 [m]", true},
           {"5 [m]", "5 [s]", false},
           {"5 ±1", "5 ±1", true},
           {"5 ±1", "5", false},
           // Deviations are compared as written, each in its operand's unit.
           {"5 ±1 [km]", "5000 ±1000 [m]", false},
           {"01.01.2004", "1.1.2004", true},
           {"01.01.2004", "1/1/2004", true},
           {"Yes", "TRUE", true},
           {"yes", "no", false},
           {"1", "True", false},
           {"", "", true},
           {"", "0", false},
           {"### Error ### one", "### Error ### two", true},
       }) {
    SCOPED_TRACE(::testing::Message() << p.left << " = " << p.right);
    Check(Plain(p.left), ocEqual, Plain(p.right), p.equal ? "True" : "False");
    Check(Plain(p.left), ocNotEqual, Plain(p.right), p.equal ? "False" : "True");
  }
}

TEST_F(ProcessorTest, EqualityOfOtherKindsAndArrays) {
  Check(Object("64"), ocEqual, Plain("64"), "False");
  Check(Object("64"), ocEqual, Object("64"), "True");
  Check(Make(vkLink, "a.txt"), ocEqual, Make(vkLink, "A.TXT"), "False");
  Check(Plains({"1", "2"}), ocEqual, Plains({"1", "2"}), "True");
  Check(Plains({"1", "2"}), ocNotEqual, Plains({"1", "2"}), "False");
  Check(Plains({"1", "2"}), ocEqual, Plains({"1", "2", "3"}), "False");
  Check(Plains({"1 [km]", "x"}), ocEqual, Plains({"1000 [m]", "x"}), "True");
  Check(Array(Plains({"1"}), Object("64")), ocEqual, Array(Plains({"1"}), Object("64")), "True");
  Check(Array(Plains({"1"})), ocEqual, Array(Plains({"2"})), "False");
  Check(Plains({}), ocEqual, Plains({}), "True");
}

TEST_F(ProcessorTest, ComparisonFailsWhenAUnitCannotBeNormalised) {
  TUnitCatalogue broken;
  broken.Add({1, "meter", "m", "Length", true, false, 1, 0, "", "", false, {}});
  broken.Add({2, "foo", "foo", "Odd", false, false, 2, 0, "", "", false, {}});
  ScopedUnitCatalogue scope(broken);
  Check(Plain("1 [foo]"), ocEqual, Plain("1 [foo]"), "!Comparison error");
  Check(Plains({"1 [foo]"}), ocEqual, Plains({"1 [foo]"}), "!Comparison error");
  Check(Plain("1 [foo]"), ocAdd, Plain("1 [foo]"), "!Incompatible operand units: (foo) and (foo)");
  EXPECT_FALSE(sink_.Messages().empty()) << "the catalogue reports what it cannot normalise";
}

TEST_F(ProcessorTest, DeeplyNestedArraysAreRefusedNotFollowed) {
  TValue::Ptr nested = Plains({"1"});
  for (int i = 0; i < 300; ++i)
    nested = Array(std::move(nested));
  TValue::Ptr copy = nested->Clone("test");
  Check(std::move(nested), ocEqual, std::move(copy), "!Expression is too deeply nested");
}

TEST_F(ProcessorTest, Relations) {
  CheckTable({
      {"abc", ocLess, "abd", "True"},
      {"abc", ocLess, "ABC", "False"},
      {"", ocLess, "a", "True"},
      {"10", ocLess, "9", "False"},
      {"1 [km]", ocGreater, "999 [m]", "True"},
      {"0.1 [km]", ocLessEqual, "100 [m]", "True"},
      {"0.1 [km]", ocLess, "100 [m]", "False"},
      {"5 ±10", ocLess, "6", "True"},
      {"01.02.2004", ocGreater, "31.01.2004", "True"},
      {"True", ocGreater, "no", "True"},
      {"T", ocLess, "no", "False"},
      {"### Error ### a", ocLess, "### Error ### b", "False"},
      {"### Error ### a", ocGreaterEqual, "### Error ### a", "False"},
      {"1 [m]", ocLess, "1 [s]", "!Incompatible operand units: (m) and (s)"},
  });
}

TEST_F(ProcessorTest, RelationsNeedPlainOperands) {
  Check(Object("64"), ocLess, Plain("1"), "!Invalid operand");
  Check(Array(Object("64"), Plain("1")), ocLess, Plain("2"),
        "[2](### Error ### Both operands should be plain values,True)");
}

TEST_F(ProcessorTest, Concatenation) {
  Check(Plain("ab"), ocConcat, Plain("cd"), "abcd");
  Check(Plain("1"), ocConcat, Plain("2 [m]"), "12 [m]");
  Check(Plains({"a", "b"}), ocConcat, Plain("x"), "[2](ax,bx)");
  Check(Plain("x"), ocConcat, Plains({"a", "b"}), "[2](xa,xb)");
  Check(Plains({"a", "b", "c"}), ocConcat, Plains({"1", "2"}), "[2](a1,b2)");
  Check(Array(Object("64"), Plain("b")), ocConcat, Plain("x"),
        "[2](### Error ### Item should be a plain value,bx)");
  Check(Array(Plain("a"), Plains({"b"})), ocConcat, Plains({"1", "2"}),
        "[2](a1,### Error ### Both operands should be plain values)");
  Check(Plains({"a"}), ocConcat, Object("64"), "!Second operand should be a plain value");
  Check(Object("64"), ocConcat, Plains({"a"}), "!First operand should be a plain value");
  Check(Object("64"), ocConcat, Plain("x"), "!Invalid operand");
}

TEST_F(ProcessorTest, AndOrNot) {
  CheckTable({
      {"1", ocAnd, "0", "False"},
      {"TRUE", ocAnd, "yes", "True"},
      {"", ocOr, "yes", "True"},
      {"-1", ocOr, "0", "False"},
      {"Д", ocAnd, "да", "True"},
      {"НЕТ", ocOr, "н", "False"},
      {"TRUE", ocAnd, "x", "!Second operand isn't Boolean"},
      {"x", ocOr, "1", "!First operand isn't Boolean"},
      {"2 [m]", ocAnd, "1", "!First operand isn't Boolean"},
      {"1", ocOr, "1 ±1", "!Second operand isn't Boolean"},
  });
  struct Negation {
    TValue::Ptr operand;
    const char* expected;
  };
  Negation cases[] = {
      {Plain("yes"), "False"},
      {Plain("0"), "True"},
      {Plain("abc"), "!First operand isn't Boolean"},
      {Plains({"1", "0", "x"}), "[3](False,True,### Error ### First operand isn't Boolean)"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(Shown(*c.operand));
    TProcessor processor;
    processor.Push(std::move(c.operand));
    const bool ok = processor.Execute(ocNot);
    ExpectOutcome(processor, ok, c.expected);
  }
}

TEST_F(ProcessorTest, ArraysDistributeItemByItem) {
  Check(Plains({"1", "2", "3"}), ocAdd, Plain("1"), "[3](2,3,4)");
  Check(Plain("10"), ocSubtract, Plains({"1", "2"}), "[2](9,8)");
  Check(Plains({"1", "2", "3"}), ocMultiply, Plains({"2", "3"}), "[2](2,6)");
  Check(Plains({"1", "2", "3"}), ocLess, Plain("2"), "[3](True,False,False)");
  Check(Plains({"7", "8"}), ocRemainder, Plain("3"), "[2](1,2)");
  Check(Plains({"1", "0"}), ocAnd, Plain("1"), "[2](True,False)");
  Check(Plains({}), ocAdd, Plain("1"), "[empty]");
  // A failing item becomes an error value; the operation still succeeds.
  Check(Plains({"1", "x"}), ocAdd, Plain("1"), "[2](2,### Error ### First operand isn't Numeric)");
  Check(Plains({"1"}), ocAdd, Object("64"), "[1](### Error ### Second operand isn't Numeric)");
  // Only one level: a nested array is an item like any other.
  Check(Array(Plains({"1"})), ocAdd, Plain("1"), "[1](### Error ### First operand isn't Numeric)");
  Check(Object("64"), ocAdd, Plain("1"), "!Invalid operand");
}

TEST_F(ProcessorTest, ArrayItem) {
  Check(Plains({"a", "b", "c"}), ocArrayItem, Plain("1"), "b");
  Check(Plains({"a", "b", "c"}), ocArrayItem, Plain("2.0"), "c");
  Check(Array(Plain("a"), Plains({"x", "y"})), ocArrayItem, Plain("1"), "[2](x,y)");
  Check(Plains({"a", "b", "c"}), ocArrayItem, Plain("3"), "!Index out of range");
  Check(Plains({"a"}), ocArrayItem, Plain("-1"), "!Index out of range");
  Check(Plains({"a"}), ocArrayItem, Plain("1E300"), "!Index out of range");
  Check(Plains({"a", "b"}), ocArrayItem, Plain("0.5"), "!Index should be integer without units");
  Check(Plains({"a", "b"}), ocArrayItem, Plain("1 [m]"), "!Index should be integer without units");
  Check(Plains({"a", "b"}), ocArrayItem, Plain("1 ±1"), "!Index should be integer without units");
  Check(Plains({"a"}), ocArrayItem, Plain("x"), "!Second operand should be numeric");
  Check(Plain("abc"), ocArrayItem, Plain("0"), "!First operand should be an array");
}

TEST_F(ProcessorTest, Membership) {
  Check(Plain("2"), ocIn, Plains({"1", "2", "3"}), "True");
  Check(Plain("4"), ocIn, Plains({"1", "2", "3"}), "False");
  Check(Plain("1 [km]"), ocIn, Plains({"1000 [m]"}), "True");
  Check(Plain("abc"), ocIn, Plains({"ABC"}), "False");
  Check(Plains({"1", "2"}), ocIn, Array(Plains({"1", "2"}), Plain("3")), "True");
  Check(Plain("x"), ocIn, Plains({}), "False");
  Check(Plain("5"), ocIn, Plain("5"), "True");
  Check(Plain("5"), ocIn, Plain("6"), "False");
  Check(Plain("64"), ocIn, Object("64"), "!Invalid operand");
}

TEST_F(ProcessorTest, NoOperationAndUnknownCodesLeaveTheOperands) {
  TProcessor processor;
  processor.Push(*Plain("1"));
  processor.Push(*Plain("2"));
  EXPECT_TRUE(processor.Execute(ocNone));
  ASSERT_EQ(3u, processor.StackSize());
  EXPECT_TRUE(processor.PopRaw()->IsNull());

  EXPECT_FALSE(processor.Execute(99));
  EXPECT_EQ("Unknown operation code", processor.Message());
  EXPECT_EQ("### Error ### Unknown operation code", processor.PopRaw()->Text());
  EXPECT_EQ("2", processor.PopRaw()->Text());
  EXPECT_EQ(99, processor.Operation());
}

TEST_F(ProcessorTest, PushCopiesAndClearForgetsEverything) {
  TValue::Ptr value = Plains({"1"});
  TProcessor processor;
  processor.Push(*value);
  value->GetItem(0).SetPlain("changed");
  EXPECT_EQ("[1](1)", Shown(*processor.Peek()));

  int records[2] = {};
  processor.SetRecords(reinterpret_cast<TDataRecord*>(&records[0]),
                       reinterpret_cast<TDataRecord*>(&records[1]));
  processor.SetFunctionCode(64);
  processor.Execute(99);
  processor.Clear();
  EXPECT_EQ(0u, processor.StackSize());
  EXPECT_FALSE(processor.Failed());
  EXPECT_EQ("", processor.Message());
  EXPECT_EQ(0, processor.FunctionCode());
  EXPECT_EQ(nullptr, processor.ContextRecord());
  EXPECT_EQ(nullptr, processor.SecondRecord());
}

TEST_F(ProcessorTest, PopOnAnEmptyStackFails) {
  TProcessor processor;
  EXPECT_EQ(nullptr, processor.Pop());
  EXPECT_TRUE(processor.Failed());
  EXPECT_EQ("Stack is empty", processor.Message());
  EXPECT_EQ(nullptr, processor.Peek());
}

// Stands in for the executor: answers every auto formula with a fixed number
// and notes the records it was given.
class FixedEvaluator final : public TAutoFormulaEvaluator {
public:
  void Evaluate(TValue& value, TDataRecord* contextRecord, TDataRecord* secondRecord) override {
    formulas.push_back(value.Text());
    records = {contextRecord, secondRecord};
    value.SetPlain("41");
  }
  std::vector<std::string> formulas;
  std::pair<TDataRecord*, TDataRecord*> records;
};

TEST_F(ProcessorTest, PopEvaluatesAutoFormulasWithTheProcessorsRecords) {
  TProcessor processor;
  processor.Push(*Make(vkCalculated, "=a+b"));
  EXPECT_EQ("=a+b", processor.Pop()->Text()) << "no evaluator: the value stays as it is";

  FixedEvaluator evaluator;
  TAutoFormulaEvaluator* previous = SetAutoFormulaEvaluator(&evaluator);
  int records[2] = {};
  auto* context = reinterpret_cast<TDataRecord*>(&records[0]);
  auto* second = reinterpret_cast<TDataRecord*>(&records[1]);
  processor.SetRecords(context, second);

  processor.Push(*Make(vkCalculated, " =a+b"));
  EXPECT_EQ("41", processor.Pop()->Text());
  EXPECT_EQ(context, evaluator.records.first);
  EXPECT_EQ(second, evaluator.records.second);

  processor.Push(*Make(vkCalculated, "=a+b"));
  EXPECT_EQ("=a+b", processor.PopRaw()->Text());
  processor.Push(*Make(vkCalculated, "a+b"));
  EXPECT_EQ("a+b", processor.Pop()->Text()) << "a plain formula is not an auto formula";

  processor.Push(*Make(vkCalculated, "=x"));
  processor.Push(*Plain("1"));
  EXPECT_TRUE(processor.Execute(ocAdd));
  EXPECT_EQ("42", processor.PopRaw()->Text());
  EXPECT_EQ((std::vector<std::string>{" =a+b", "=x"}), evaluator.formulas);
  SetAutoFormulaEvaluator(previous);
}

// Stands in for the standard functions: SUM adds every argument above the
// marker with the processor's addition, PI takes none, any other code pops
// one argument and fails.
class FakeFunctions final : public TStandardFunctionTable {
public:
  static constexpr uint8_t kPi = 25;
  static constexpr uint8_t kSum = 85;
  bool Call(TProcessor& processor, uint8_t functionCode, TValue& result,
            std::string& message) override {
    codes.push_back(functionCode);
    if (functionCode == kPi) {
      result.SetPlain("3.14159265358979");
      return true;
    }
    if (functionCode != kSum) {
      processor.Pop();
      message = "Invalid parameter type";
      return false;
    }
    result.SetPlain("0");
    while (processor.Peek() && !processor.Peek()->IsFuncMarker()) {
      TValue sum;
      if (!ApplyBinaryOperation(ocAdd, *processor.Pop(), result, sum, message)) return false;
      result.Assign(sum);
    }
    return true;
  }
  std::vector<uint8_t> codes;
};

class ProcessorFunctionTest : public ProcessorTest {
protected:
  void SetUp() override {
    ProcessorTest::SetUp();
    previous_ = SetStandardFunctionTable(&functions_);
    processor_.Push(*Plain("outer"));
  }
  void TearDown() override {
    SetStandardFunctionTable(previous_);
    ProcessorTest::TearDown();
  }
  void PushCall(const char* name, std::initializer_list<const char*> arguments) {
    TValue marker;
    marker.SetFuncMarker(name);
    processor_.Push(marker);
    for (const char* argument : arguments)
      processor_.Push(*Plain(argument));
  }
  std::vector<std::string> Stack() {
    std::vector<std::string> texts;
    for (size_t depth = processor_.StackSize(); depth-- > 0;)
      texts.push_back(processor_.Peek(depth)->Text());
    return texts;
  }

  FakeFunctions functions_;
  TStandardFunctionTable* previous_ = nullptr;
  TProcessor processor_;
};

TEST_F(ProcessorFunctionTest, ResultReplacesTheArgumentsAndTheMarker) {
  PushCall("SUM", {"1", "2", "3"});
  processor_.SetFunctionCode(FakeFunctions::kSum);
  EXPECT_TRUE(processor_.Execute(ocFunction));
  EXPECT_EQ((std::vector<std::string>{"outer", "6"}), Stack());
  EXPECT_EQ(std::vector<uint8_t>{FakeFunctions::kSum}, functions_.codes);
}

TEST_F(ProcessorFunctionTest, FailureRemovesWhatIsLeftDownToTheMarker) {
  PushCall("SIN", {"1", "2"});
  processor_.SetFunctionCode(14);
  EXPECT_FALSE(processor_.Execute(ocFunction));
  EXPECT_EQ("Invalid parameter type", processor_.Message());
  EXPECT_EQ((std::vector<std::string>{"outer", "### Error ### Invalid parameter type"}), Stack());
}

TEST_F(ProcessorFunctionTest, AMissingMarkerIsAStackError) {
  processor_.SetFunctionCode(FakeFunctions::kPi);
  EXPECT_FALSE(processor_.Execute(ocFunction));
  EXPECT_EQ((std::vector<std::string>{
                "outer", "### Error ### Stack error: marker not found: invalid parameter number"}),
            Stack());
}

TEST_F(ProcessorFunctionTest, WithoutAFunctionTableTheCallFails) {
  SetStandardFunctionTable(nullptr);
  PushCall("SUM", {"1"});
  processor_.SetFunctionCode(FakeFunctions::kSum);
  EXPECT_FALSE(processor_.Execute(ocFunction));
  EXPECT_EQ((std::vector<std::string>{"outer", "### Error ### Standard functions are not loaded"}),
            Stack());
}

// Stands in for the project: parameters WEIGHT and _OBJECT_ID; object 64
// weighs 70 kg, state 97 has no weight, object 128 is gone.
class FakeProject final : public TParameterNames, public TStateParameterResolver {
public:
  bool IsParameterName(std::string_view name) const override {
    return SameText(name, "weight") || SameText(name, "_OBJECT_ID");
  }
  bool GetParameter(TValue& reference, std::string_view name, TValue& result,
                    std::string& message) override {
    asked.push_back(reference.Text());
    if (reference.Text() == "128") {
      message = "Object not found. Id=128";
      return false;
    }
    if (SameText(name, "_OBJECT_ID"))
      result.SetPlain(reference.Text());
    else if (reference.Text() == "64")
      result.SetPlain("70 [kg]");
    return true;
  }
  std::vector<std::string> asked;
};

class ProcessorParameterTest : public ProcessorTest {
protected:
  void SetUp() override {
    ProcessorTest::SetUp();
    previousNames_ = SetParameterNames(&project_);
    previousResolver_ = SetStateParameterResolver(&project_);
  }
  void TearDown() override {
    SetParameterNames(previousNames_);
    SetStateParameterResolver(previousResolver_);
    ProcessorTest::TearDown();
  }
  FakeProject project_;
  TParameterNames* previousNames_ = nullptr;
  TStateParameterResolver* previousResolver_ = nullptr;
};

TEST_F(ProcessorParameterTest, ParameterOfAnObjectNullOrArray) {
  Check(Object("64"), ocGetParam, Plain("Weight"), "70 [kg]");
  Check(Object("97"), ocGetParam, Plain("weight"), "");
  Check(Object("64"), ocGetParam, Plain("_object_id"), "64");
  Check(Plain(""), ocGetParam, Plain("weight"), "");
  Check(Object("0"), ocGetParam, Plain("weight"), "");
  Check(Array(Object("64"), Plain("x"), Object("97"), Object("128")), ocGetParam, Plain("weight"),
        "[4](70 [kg],Null,Null,### Error ### Object not found. Id=128)");
  Check(Object("128"), ocGetParam, Plain("weight"), "!Object not found. Id=128");
  EXPECT_EQ((std::vector<std::string>{"64", "97", "64", "64", "97", "128", "128"}), project_.asked);
}

TEST_F(ProcessorParameterTest, OperandsAreChecked) {
  Check(Plain("abc"), ocGetParam, Plain("weight"), "!First operand should be an object");
  Check(Make(vkLink, "a"), ocGetParam, Plain("weight"), "!First operand should be an object");
  for (auto name : {"height", "1weight", ""}) {
    SCOPED_TRACE(name);
    Check(Object("64"), ocGetParam, Plain(name), "!Second operand should be a parameter name");
  }
  Check(Object("64"), ocGetParam, Object("64"), "!Second operand should be a parameter name");
  EXPECT_TRUE(project_.asked.empty());
}

TEST_F(ProcessorParameterTest, WithoutTheProjectTheOperationFails) {
  SetStateParameterResolver(nullptr);
  Check(Object("64"), ocGetParam, Plain("weight"), "!Object states are not loaded");
  Check(Plain(""), ocGetParam, Plain("weight"), "");
  SetParameterNames(nullptr);
  Check(Plain(""), ocGetParam, Plain("weight"), "!Parameters are not loaded");
}

} // namespace
} // namespace vandro
