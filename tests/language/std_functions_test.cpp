// The function table, the calling convention on the processor's stack, type
// tests, IFF and SWITCH, project variables and the aggregates.
#include "language/std_functions_fixture.h"
#include "language/vocabulary.h"

#include <set>
#include <sstream>

namespace vandro {
namespace {

using namespace testing;

using StdFunctionTableTest = StdFunctionsTest;
using StdFunctionCallTest = StdFunctionsTest;
using StdFunctionControlTest = StdFunctionsTest;
using StdFunctionAggregateTest = StdFunctionsTest;

TEST(StdFunctionList, AgreesWithTheLexerAndHasUniqueCodes) {
  std::istringstream words{std::string(kStdFunctionTable)};
  std::set<std::string> lexerNames;
  for (std::string word; words >> word;) {
    lexerNames.insert(word);
    EXPECT_NE(nullptr, FindStdFunction(word)) << word;
  }
  std::set<int> codes;
  std::set<std::string> bracketless;
  for (const TStdFunctionInfo& info : StdFunctions()) {
    EXPECT_TRUE(lexerNames.count(std::string(info.name))) << info.name;
    EXPECT_TRUE(codes.insert(info.code).second) << info.name;
    EXPECT_EQ(&info, FindStdFunction(info.code)) << info.name;
    EXPECT_TRUE(info.maxArgs == kAnyArgCount || info.maxArgs >= info.minArgs) << info.name;
    if (info.withoutBrackets) bracketless.insert(std::string(info.name));
  }
  EXPECT_EQ(lexerNames.size(), StdFunctions().size());
  EXPECT_EQ((std::set<std::string>{"ACTUALSTATE", "NOW", "ORIGIN", "PI"}), bracketless);
  EXPECT_EQ(nullptr, FindStdFunction("round")) << "names are looked up upper-cased";
}

TEST(StdFunctionInstall, InstallsTheOneTable) {
  TStandardFunctionTable* previous = SetStandardFunctionTable(nullptr);
  InstallStandardFunctions();
  InstallStandardFunctions();
  EXPECT_EQ(&StandardFunctions(), SetStandardFunctionTable(previous));
}

TEST_F(StdFunctionCallTest, ArgumentCountsAreChecked) {
  const auto callWith = [&](std::string_view name, int count) {
    std::vector<TValue::Ptr> args;
    for (int i = 0; i < count; ++i)
      args.push_back(Plain("1"));
    return Call(name, std::move(args));
  };
  EXPECT_EQ("!Stack error", callWith("ABS", 0));
  EXPECT_EQ("!Stack error", callWith("SUM", 0));
  EXPECT_EQ("!First parameter isn't defined", callWith("IFF", 0));
  EXPECT_EQ("!Third parameter isn't defined", callWith("IFF", 2));
  EXPECT_EQ("!Second parameter isn't defined", callWith("RPOWER", 1));
  EXPECT_EQ("!Third parameter isn't defined", callWith("RPOWER", 2));
  EXPECT_EQ("!Second parameter isn't defined", callWith("SUBSTR", 1));
  EXPECT_EQ("!Third parameter isn't defined", callWith("SWITCH", 2));
  EXPECT_EQ("!Too many actual parameters", callWith("ABS", 2));
  EXPECT_EQ("!Too many actual parameters", callWith("PI", 1));
  EXPECT_EQ("6", callWith("COUNT", 6));
}

TEST_F(StdFunctionCallTest, WithoutMarkerOrArguments) {
  TProcessor processor;
  processor.SetFunctionCode(sfAbs);
  EXPECT_EQ("!Parameter isn't defined", Outcome(processor, processor.Execute(ocFunction)));
  processor.Push(*Plain("-1"));
  EXPECT_EQ("!Stack error: marker not found: invalid parameter number",
            Outcome(processor, processor.Execute(ocFunction)));
}

TEST_F(StdFunctionCallTest, ValuesBelowTheMarkerStay) {
  TProcessor processor;
  TValue marker;
  marker.SetFuncMarker("ABS");
  processor.Push(*Plain("outer"));
  processor.Push(marker);
  processor.Push(*Plain("-5 [m]"));
  processor.SetFunctionCode(sfAbs);
  EXPECT_EQ("5 [M]", Outcome(processor, processor.Execute(ocFunction)));
  ASSERT_EQ(1u, processor.StackSize());
  EXPECT_EQ("outer", processor.Peek()->Text());
}

TEST_F(StdFunctionCallTest, UnknownFunctionCodesFailAndClearTheirArguments) {
  TProcessor processor;
  TValue marker;
  marker.SetFuncMarker("NOSUCH");
  processor.Push(marker);
  processor.Push(*Plain("1"));
  processor.SetFunctionCode(200);
  EXPECT_EQ("!Unknown standard function code: 200",
            Outcome(processor, processor.Execute(ocFunction)));
  EXPECT_EQ(0u, processor.StackSize());
}

// Stands in for the executor: every auto formula evaluates to 42.
class FortyTwo final : public TAutoFormulaEvaluator {
public:
  void Evaluate(TValue& value, TDataRecord*, TDataRecord*) override { value.SetPlain("42"); }
};

TEST_F(StdFunctionCallTest, AutoFormulasAreEvaluatedExceptForTheCalculatedTests) {
  FortyTwo evaluator;
  TAutoFormulaEvaluator* previous = SetAutoFormulaEvaluator(&evaluator);
  EXPECT_EQ("True", Call("ISNUMERIC", Make(vkCalculated, "=1+1")));
  EXPECT_EQ("42", Call("ABS", Make(vkCalculated, "=1+1")));
  EXPECT_EQ("True", Call("ISAUTOFORMULA", Make(vkCalculated, "=1+1")));
  EXPECT_EQ("True", Call("ISCALCULATED", Make(vkCalculated, "=1+1")));
  EXPECT_EQ("False", Call("ISFORMULA", Make(vkCalculated, "=1+1")));
  SetAutoFormulaEvaluator(previous);
}

TEST_F(StdFunctionControlTest, TypeTests) {
  CheckTable({
      {"ISNULL", {""}, "True"},
      {"ISNULL", {" "}, "False"},
      {"ISNUMERIC", {"5 ±1 [m]"}, "True"},
      {"ISNUMERIC", {"12.05.2003"}, "False"},
      {"ISINTEGER", {"-7"}, "True"},
      {"ISINTEGER", {"5 [m]"}, "False"},
      {"ISREAL", {"2.5"}, "True"},
      {"ISDATETIME", {"29.02.2004 10:00"}, "True"},
      {"ISDATETIME", {"29.02.2003"}, "False"},
      {"ISBOOLEAN", {"yes"}, "True"},
      {"ISBOOLEAN", {"1"}, "False"},
      {"ISERROR", {"### Error ### bad"}, "True"},
      {"ISTEXT", {"a\r\nb"}, "True"},
      {"ISSTRING", {"a\r\nb"}, "False"},
      {"ISIDENTIFIER", {"abc1"}, "True"},
      {"ISIDENTIFIER", {"1abc"}, "False"},
      {"ISPARAMETER", {"_object_id"}, "True"},
      {"ISPARAMETER", {"weight"}, "False"},
      {"ISPARAMETER", {""}, "False"},
      {"ISUNIT", {"km"}, "True"},
      {"ISUNIT", {"KILOGRAM"}, "True"},
      {"ISUNIT", {"km/h"}, "False"},
      {"ISUNIT", {""}, "False"},
  });
  EXPECT_EQ("True", Call("ISOBJECT", Make(vkObject, "64")));
  EXPECT_EQ("True", Call("ISLINK", Make(vkLink, "c:\\x.txt")));
  EXPECT_EQ("True", Call("ISQUERY", Make(vkCalculated, "  find all objects")));
  EXPECT_EQ("True", Call("ISFUNCTION", Make(vkCalculated, "function f")));
  EXPECT_EQ("True", Call("ISPROCEDURE", Make(vkCalculated, "Procedure p")));
  EXPECT_EQ("True", Call("ISFORMULA", Make(vkCalculated, "a+b")));
  EXPECT_EQ("False", Call("ISCALCULATED", Plain("a+b")));
}

TEST_F(StdFunctionControlTest, TypeTestsTakeAnArrayWholeButIsUnitGoesItemByItem) {
  EXPECT_EQ("True", Call("ISARRAY", Plains({"1", "2"})));
  EXPECT_EQ("False", Call("ISNUMERIC", Plains({"1", "2"})));
  EXPECT_EQ("{True; False}", Call("ISUNIT", Plains({"m", "x"})));
}

TEST_F(StdFunctionControlTest, IsParameterWithoutAProject) {
  SetCurrentProject(nullptr);
  EXPECT_EQ("False", Call("ISPARAMETER", Plain("_OBJECT_ID")));
  SetCurrentProject(project_.get());
}

TEST_F(StdFunctionControlTest, Iff) {
  CheckTable({
      {"IFF", {"True", "a", "b"}, "a"},
      {"IFF", {"no", "a", "b"}, "b"},
      {"IFF", {"1", "a", "b"}, "!First parameter should be boolean"},
      {"IFF", {"", "a", "b"}, "!First parameter should be boolean"},
  });
  EXPECT_EQ("{1; 2}", Call("IFF", Plain("T"), Plains({"1", "2"}), Make(vkObject, "64")));
  EXPECT_EQ("object:64", Call("IFF", Plain("F"), Plains({"1", "2"}), Make(vkObject, "64")));
  EXPECT_EQ("!First parameter should be boolean",
            Call("IFF", Plains({"T"}), Plain("a"), Plain("b")));
}

TEST_F(StdFunctionControlTest, Switch) {
  CheckTable({
      {"SWITCH", {"2", "1", "one", "2", "two", "other"}, "two"},
      {"SWITCH", {"5", "1", "one", "other"}, "other"},
      {"SWITCH", {"5", "1", "one"}, ""},
      {"SWITCH", {"1", "1", "first", "1", "second"}, "first"},
      {"SWITCH", {"1 [km]", "1000 [m]", "same length"}, "same length"},
      {"SWITCH", {"abc", "ABC", "matched", "no match"}, "no match"},
  });
  EXPECT_EQ("!First parameter should be a plain value",
            Call("SWITCH", Make(vkObject, "64"), Plain("1"), Plain("one")));
  EXPECT_EQ("!4-th parameter should be a plain value",
            Call("SWITCH", Plain("1"), Plain("1"), Plain("one"), Plains({"x"})));
}

TEST_F(StdFunctionControlTest, GlobalVar) {
  project_->SetVariable("Limit", *Plain("10 [kg]"));
  CheckTable({
      {"GLOBALVAR", {"limit"}, "10 [kg]"},
      {"GLOBALVAR", {"1limit"}, "!Invalid parameter. An identifier expected"},
      {"GLOBALVAR", {""}, "!Invalid parameter. An identifier expected"},
      {"GLOBALVAR", {"speed"}, "!Invalid parameter. Variable speed doesn't exist"},
      {"GLOBALVAR", {"a\r\nb"}, "!Invalid parameter type"},
  });
  EXPECT_EQ("!Invalid parameter type", Call("GLOBALVAR", Make(vkObject, "64")));
  EXPECT_EQ("{10 [kg]; ### Error ### Invalid parameter. A string expected}",
            Call("GLOBALVAR", Array(Plain("LIMIT"), Make(vkObject, "64"))));

  SetCurrentProject(nullptr);
  EXPECT_EQ("!Invalid parameter. Variable limit doesn't exist", Call("GLOBALVAR", Plain("limit")));
  SetCurrentProject(project_.get());
}

TEST_F(StdFunctionAggregateTest, NumbersWithUnitsAndIntervals) {
  CheckTable({
      {"SUM", {"1 [m]", "2 [km]"}, "2.001 [KM]"},
      {"SUM", {"2 [km]", "1 [m]"}, "2001 [M]"},
      {"SUM", {"1 ±0.5", "2 ±(0.25;0)"}, "3 ±(0.75;0.5)"},
      {"SUM", {"1 [m]", "2 [s]"}, "!Incompatible operand units: (s) and (m)"},
      {"SUM", {"1", "a"}, "!Series/array item should be numeric"},
      {"SUM", {"1", ""}, "!Series/array item should be numeric"},
      {"MEAN", {"1", "2", "3"}, "2"},
      {"MEAN", {"1 ±0.3 [m]", "2 ±0.3 [m]"}, "1.5 ±0.3 [M]"},
      {"MAX", {"1 [km]", "500 [m]"}, "1 [km]"},
      {"MIN", {"1 [km]", "500 [m]"}, "500 [m]"},
      {"MAX", {"3", "3.0"}, "3.0"},
      {"MAX", {"1 [m]", "1 [s]"}, "!Incompatible operand units: (m) and (s)"},
      {"MIN", {"2", "True"}, "!Series/array item should be numeric"},
      {"COUNT", {"1", "a", "3"}, "3"},
  });
}

TEST_F(StdFunctionAggregateTest, ArraysContributeTheirItems) {
  EXPECT_EQ("6", Call("SUM", Plains({"1", "2"}), Plain("3")));
  EXPECT_EQ("1", Call("MIN", Plain("3"), Plains({"1", "2"})));
  EXPECT_EQ("2.5", Call("MEAN", Plains({"1", "2", "3", "4"})));
  EXPECT_EQ("4", Call("COUNT", Plains({"1", "2"}), Make(vkObject, "64"), Plains({"x"})));
  EXPECT_EQ("0", Call("COUNT", Plains({})));
  EXPECT_EQ("!Series/array item should be numeric", Call("SUM", Plains({})));
  EXPECT_EQ("!Series/array item should be numeric", Call("SUM", Array(Plains({"1"})), Plain("2")));
}

} // namespace
} // namespace vandro
