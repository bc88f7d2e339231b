#include "language/executor.h"
#include "language/processor_operations.h"
#include "language/std_functions.h"
#include "language/vocabulary.h"
#include "model/data_record.h"
#include "model/project.h"
#include "shell/messages.h"
#include "support/cp.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vandro {
namespace {

using testing::Cp;

// Stands in for the standard functions: answers "code(arg;arg;...)" with the
// arguments in call order, so a test sees what reached the processor. Code
// 6 (ABS) with the argument "fail" fails.
class EchoFunctions final : public TStandardFunctionTable {
public:
  bool Call(TProcessor& processor, uint8_t functionCode, TValue& result,
            std::string& message) override {
    ++calls;
    std::vector<std::string> arguments;
    while (processor.Peek() && !processor.Peek()->IsFuncMarker())
      arguments.insert(arguments.begin(), processor.Pop()->Text());
    if (functionCode == 6 && arguments == std::vector<std::string>{"fail"}) {
      message = "Invalid parameter type";
      return false;
    }
    std::string text = std::to_string(functionCode) + "(";
    for (size_t i = 0; i < arguments.size(); ++i)
      text += (i ? ";" : "") + arguments[i];
    result.SetPlain(text + ")");
    return true;
  }
  int calls = 0;
};

class ExecutorTest : public ::testing::Test {
protected:
  ExecutorTest() : project_(TProject::CreateInMemory()), scope_(*project_) {
    context_.Idtor = 65;
    context_.ObjIdtor = 64;
    context_.RecName = "Sample[1]";
  }

  // Adds a parameter to the project; the records get values with Set.
  const TParameter& Parameter(const std::string& name, const std::string& shortName = {}) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->ShortName = shortName.empty() ? name : shortName;
    return project_->AddParameter(std::move(parameter));
  }
  void Set(TDataRecord& record, const std::string& name, const std::string& text,
           TValueKind kind = vkPlain) {
    const TParameter* parameter = project_->FindParameter(name);
    if (!parameter) parameter = &Parameter(name);
    TValue value;
    value.SetText(kind, text);
    if (TPVRelation* pair = record.FindPV(name))
      pair->Value.Assign(value);
    else
      record.AddPV(*parameter, value);
  }
  void SetArray(TDataRecord& record, const std::string& name, std::vector<std::string> items) {
    TValue array;
    array.SetArray();
    for (const std::string& item : items) {
      TValue::Ptr value = TValue::Create("test");
      value->SetPlain(item);
      array.AddItem(std::move(value));
    }
    Set(record, name, "");
    record.FindPV(name)->Value.Assign(array);
  }
  void Variable(const std::string& name, const std::string& text, TValueKind kind = vkPlain) {
    TValue value;
    value.SetText(kind, text);
    project_->SetVariable(name, value);
  }

  // The result text of evaluating source against both records.
  std::string Eval(const std::string& source, TExecutor::TNameChain* chain = nullptr) {
    return executor_.Run(chain, &context_, source, &second_).Text();
  }

  std::unique_ptr<TProject> project_;
  ScopedProject scope_;
  ScopedLanguage language_;
  testing::ScriptedSink sink_;
  TDataRecord context_;
  TDataRecord second_;
  TExecutor executor_;
};

struct Case {
  const char* source;
  const char* expected;
};

// Expected error texts write the position mark "???" as "^^^", which C++
// compilers would otherwise read as the start of a trigraph.
std::string Marked(std::string text) {
  for (size_t at = text.find("^^^"); at != std::string::npos; at = text.find("^^^", at))
    text.replace(at, 3, "???");
  return text;
}

TEST_F(ExecutorTest, EvaluatesOperatorsByPrecedence) {
  const Case cases[] = {
      {"=2+3*4", "14"},
      {"2+3*4", "14"},
      {"(2+3)*4", "20"},
      {"-2*3", "-6"},
      {"- -2", "2"},
      {"-(1+2)", "-3"},
      {"  =  10 - 2 - 3", "5"},
      {"1 < 2 AND 2 < 3", "True"},
      {"NOT 1 > 2", "True"},
      {"NOT NOT 0", "False"},
      {"1 > 2 OR 2 > 1 AND 0", "False"},
      {"1 > 2 OR 2 > 1 AND 1", "True"},
      {"(1 > 2 OR 2 > 1) AND 0", "False"},
      {"1 + 1 = 2", "True"},
      {"1 == 2", "False"},
      {"1 <> 2", "True"},
      {"2 <= 2", "True"},
      {"3 >= 4", "False"},
      {"7 MOD 3", "1"},
      {"7 % 3", "1"},
      {"7 DIV 2", "3"},
      {"7 /: 2", "3"},
      {"6 / 4", "1.5"},
      {"'ab' && 'cd' && (1 + 2)", "abcd3"},
      {"1 + 2 && 3", "24"},
      {"2 IN 2", "True"},
      {"'it''s'", "it's"},
      {"\"say \"\"hi\"\"\"", "say \"hi\""},
      {"TRUE", "TRUE"},
      {"yes AND 1", "True"},
      {"NULL", ""},
      {"null + 1", ""},
      {"2 [km] + 300 [m]", "2.3 [KM]"},
      {"(10 ±1) * (2 ±0.5)", "20 ±(7.5;6.5)"},
      {"1 +\r\n  2\r\n\r\n * 3", "7"},
      {"1 +\n2\n", "3"},
      {"1 И 0", "False"},
      {"1 ИЛИ 0", "True"},
      {"НЕ 0", "True"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Cp(c.expected), Eval(Cp(c.source)));
    EXPECT_FALSE(executor_.Failed());
  }
}

TEST_F(ExecutorTest, ArraysAreIndexedAndSearched) {
  SetArray(second_, "ITEMS", {"1", "2", "3"});
  const Case cases[] = {
      {"items[1]", "2"},         {"items[0] + items[2]", "4"}, {"-items[1]", "-2"},
      {"items[1 + 1] * 2", "6"}, {"3 IN items", "True"},       {"4 IN items", "False"},
      {"items[items[0]]", "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Marked(c.expected), Eval(c.source));
  }
}

// Full error texts: the message, the processor's reason, and the source line
// with "???" where reading stopped.
TEST_F(ExecutorTest, FailuresComposeTheMessageAndThePosition) {
  Set(second_, "A", "2 [m]");
  SetArray(second_, "ITEMS", {"1", "2"});
  EXPECT_EQ(Marked("### Error ### Execution error. Command: +: Incompatible operand units: (m) and "
                   "(s)\r\na + 1 [s]^^^"),
            Eval("a + 1 [s]"));

  const Case cases[] = {
      {"1 < 2 < 3", "### Error ### Unexpected lexeme\r\n1 < 2 <^^^ 3"},
      {"PROJECT.X", "### Error ### Variable X doesn't exist.\r\nPROJECT.X^^^"},
      {"PROJECT X", "### Error ### Invalid variable reference. '.' expected.\r\nPROJECT X^^^"},
      {"PROJECT.'x'",
       "### Error ### Invalid variable reference. Identifier expected.\r\nPROJECT.'x'^^^"},
      {"", "### Error ### Stack is empty\r\nEmpty source code"},
      {"=", "### Error ### Stack is empty\r\n=^^^"},
      {"(1 + 2", "### Error ### Error in expression:  )  expected.\r\n(1 + 2^^^"},
      {"items[1", "### Error ### Error in expression:  ]  expected.\r\nitems[1^^^"},
      {"items[5] + 1", "### Error ### Index error: Index out of range\r\nitems[5]^^^ + 1"},
      {"'x'.a", "### Error ### Index error: First operand should be an object\r\n'x'.a^^^"},
      {"SIN 1", "### Error ### Standard function call error: ( expected\r\nSIN 1^^^"},
      {"ABS(1, 2)", "### Error ### Too many actual parameters\r\nABS(1, 2^^^)"},
      {"POWER(2)", "### Error ### Too little actual parameters\r\nPOWER(2)^^^"},
      {"ABS(1 2)", "### Error ### Standard function call error:  ) expected\r\nABS(1 2^^^)"},
      {"ACTUALSTATE(1, 2, 3)",
       "### Error ### Standard function execution error: First parameter should be an "
       "object/state reference\r\nACTUALSTATE(1, 2, 3)^^^"},
      {"unknownname + 1", "### Error ### Unknown identifier: UNKNOWNNAME\r\nunknownname^^^ + 1"},
      {"1 + $", "### Error ### Unknown symbol:$\r\n1 + $^^^"},
      {"1 + 'abc", "### Error ### Unterminated string\r\n1 + 'abc^^^"},
      {"IF 1", "### Error ### Unknown lexeme:IF\r\nIF^^^ 1"},
      {"1 +", "### Error ### Unknown lexeme:\r\n1 +^^^"},
      {"(1, 2)", "### Error ### Error in expression:  )  expected.\r\n(1,^^^ 2)"},
      {"TRUE AND 'x'", "### Error ### Execution error. Command: AND: Second operand isn't "
                       "Boolean\r\nTRUE AND 'x'^^^"},
      {"NOT 'x'",
       "### Error ### Execution error. Command: NOT: First operand isn't Boolean\r\nNOT 'x'^^^"},
      {"1 / 0 + 1",
       "### Error ### Execution error. Command: /: Division by zero or denominator interval "
       "contains zero\r\n1 / 0 +^^^ 1"},
      {"7.5 DIV 2",
       "### Error ### Execution error. Command: DIV: First operand should be an integer \r\n"
       "without units and deviations\r\n7.5 DIV 2^^^"},
      {"-'a'", "### Error ### Execution error. Command: -: Operand should be numeric\r\n-'a'^^^"},
      {"1 +\r\n'a' * 2\r\n",
       "### Error ### Execution error. Command: *: First operand isn't Numeric\r\n'a' * 2^^^"},
      {"1 +\r\n\r\n", "### Error ### Unknown lexeme:\r\n^^^"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Marked(c.expected), Eval(c.source));
    EXPECT_TRUE(executor_.Failed());
  }
}

TEST_F(ExecutorTest, ParametersResolveInTheSecondRecordFirst) {
  Parameter("Weight", "W");
  Parameter("Height");
  Set(context_, "Weight", "70 [kg]");
  Set(context_, "Height", "180");
  Set(second_, "Weight", "72 [kg]");
  const Case cases[] = {
      {"weight", "72 [kg]"}, {"w", "72 [kg]"},         {"Height", "180"},
      {"_RECORD_ID", "65"},  {"_object_id + 1", "65"}, {"_RECORD_NAME", "Sample[1]"},
      {"_PARAM_COUNT", "2"}, {"_CONTENT_COUNT", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Marked(c.expected), Eval(c.source));
  }
  EXPECT_EQ("180", executor_.Run(nullptr, &context_, "height", nullptr).Text());
  EXPECT_EQ("72 [kg]", executor_.Run(nullptr, nullptr, "weight", &second_).Text());

  // A parameter neither record holds, and any parameter or system name
  // without records, is null.
  Parameter("Age");
  EXPECT_EQ("", Eval("AGE"));
  EXPECT_EQ("", executor_.Run(nullptr, nullptr, "weight", nullptr).Text());
  EXPECT_EQ("", executor_.Run(nullptr, nullptr, "_RECORD_ID", &second_).Text());
  EXPECT_FALSE(executor_.Failed());

  Eval("w + weight * height / (age + 1)");
  EXPECT_EQ((std::vector<std::string>{"WEIGHT", "HEIGHT", "AGE"}), executor_.ReferencedNames());
}

TEST_F(ExecutorTest, ProjectVariablesAreCopied) {
  Variable("Rate", "1.5");
  Variable("Auto", "=PROJECT.RATE * 2", vkCalculated);
  Variable("Plain", "PROJECT.RATE * 2", vkCalculated);
  EXPECT_EQ("1.5", Eval("project.rate"));
  EXPECT_EQ("3", Eval("PROJECT.Auto"));
  EXPECT_EQ("4", Eval("PROJECT.AUTO + 1")) << "evaluated when the processor pops it";
  const TValue& formula = executor_.Run(nullptr, &context_, "PROJECT.PLAIN", nullptr);
  EXPECT_EQ(vkCalculated, formula.Kind()) << "a formula that is no auto formula stays as it is";
  EXPECT_EQ("PROJECT.RATE * 2", formula.Text());
}

TEST_F(ExecutorTest, FormulaParametersAreEvaluatedInTurn) {
  Set(context_, "C", "1");
  Set(context_, "B", "=C + 1", vkCalculated);
  Set(second_, "A", "B * 10", vkCalculated);
  Set(context_, "F", "FUNCTION F", vkCalculated);
  TExecutor::TNameChain chain = {"X"};
  EXPECT_EQ("20", Eval("A", &chain));
  EXPECT_EQ((std::vector<std::string>{"X"}), chain) << "the chain is handed back as it came";
  EXPECT_EQ((std::vector<std::string>{"A"}), executor_.ReferencedNames());
  EXPECT_EQ("21", Eval("A + B - c"));
  const TValue& function = executor_.Run(nullptr, &context_, "F", nullptr);
  EXPECT_EQ(vkCalculated, function.Kind()) << "functions and procedures are values, not formulas";
  EXPECT_EQ("FUNCTION F", function.Text());

  // A failing formula fails the run that needed it, each level adding its
  // own line.
  Set(context_, "C", "'x'");
  EXPECT_EQ(Marked("### Error ### Execution error. Command: +: First operand isn't Numeric\r\n"
                   "=C + 1^^^\r\n"
                   "B^^^ * 10\r\n"
                   "a^^^ + 1"),
            Eval("a + 1"));
}

TEST_F(ExecutorTest, LoopsBetweenFormulasAreReported) {
  Set(context_, "A", "=B+1", vkCalculated);
  Set(context_, "B", "=A+1", vkCalculated);
  Set(context_, "S", "s * 2", vkCalculated);
  Set(context_, "V", "=PROJECT.V2", vkCalculated);
  Variable("V2", "=V", vkCalculated);
  // The function pops its argument, and the processor has the auto formula
  // evaluated by an executor of its own, which knows no chain.
  Set(context_, "W", "=SUM(PROJECT.W2)", vkCalculated);
  Variable("W2", "=W", vkCalculated);
  EchoFunctions functions;
  TStandardFunctionTable* previous = SetStandardFunctionTable(&functions);

  // The record dialog evaluating A passes A in the chain.
  TExecutor::TNameChain chain = {"A"};
  EXPECT_EQ(Marked("### Error ### Loop reference. Parameter:A\r\n=A^^^+1\r\n=B^^^+1"),
            Eval("=B+1", &chain));
  EXPECT_EQ((std::vector<std::string>{"A"}), chain);

  // Runs without a chain stop the same loops, also where the path goes
  // through an auto formula the processor evaluates.
  const Case cases[] = {
      {"A", "Loop reference. Parameter:A"},
      {"1 + b", "Loop reference. Parameter:B"},
      {"S", "Loop reference. Parameter:S"},
      {"V", "Loop reference. Parameter:V"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    const std::string text = Eval(c.source);
    EXPECT_TRUE(executor_.Failed());
    EXPECT_NE(std::string::npos, text.find(c.expected)) << text;
  }
  EXPECT_EQ(Marked("85(### Error ### Loop reference. Parameter:W\r\n=W^^^)"), Eval("W"));
  SetStandardFunctionTable(previous);

  // The same parameter in two places is no loop.
  Set(context_, "C", "3");
  Set(context_, "D", "=C * C + C", vkCalculated);
  EXPECT_EQ("15", Eval("D + C"));
}

TEST_F(ExecutorTest, EachFormulaIsEvaluatedOncePerRun) {
  // Each formula reads the one before twice: evaluated at every reading, E60
  // would take 2^60 evaluations and never end. Halves keep E0's value exact
  // all the way up.
  Set(context_, "E0", "1");
  for (int i = 1; i <= 60; ++i) {
    const std::string before = "E" + std::to_string(i - 1);
    Set(context_, "E" + std::to_string(i), before + " / 2 + " + before + " / 2", vkCalculated);
  }
  EXPECT_EQ("1", Eval("E60"));
  EXPECT_FALSE(executor_.Failed());

  // The next run reads the records as they are now.
  Set(context_, "E0", "2");
  EXPECT_EQ("2", Eval("E60"));
  // A formula of the second record hides the context record's, also for the
  // formulas that read it.
  Set(second_, "E58", "E57 * 0 + 5", vkCalculated);
  EXPECT_EQ("5", Eval("E60"));
}

TEST_F(ExecutorTest, DeepNestingIsRefused) {
  auto repeat = [](const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
      out += text;
    return out;
  };
  SetArray(second_, "L", {"0"});
  const int deep = 100000;
  const std::string sources[] = {
      repeat("(", deep) + "1" + repeat(")", deep),
      repeat("-", deep) + "1",
      repeat("NOT ", deep) + "1",
      repeat("L[", deep) + "0" + repeat("]", deep),
      repeat("ABS(", deep) + "1" + repeat(")", deep),
      "'x'" + repeat(".('x'", deep),
  };
  for (const std::string& source : sources) {
    SCOPED_TRACE(source.substr(0, 8));
    EXPECT_TRUE(Eval(source).starts_with("### Error ### Expression is too deeply nested\r\n"));
    EXPECT_FALSE(executor_.Check(source));
    EXPECT_TRUE(executor_.Result().Text().starts_with("### Error ### Expression is too deeply"));
  }
  EXPECT_EQ("1", Eval(repeat("(", 50) + "1" + repeat(")", 50)));
  EXPECT_EQ("1", Eval(repeat("- ", 50) + "1"));

  // A variable whose auto formula names itself nests evaluations without end.
  Variable("SELF", "=PROJECT.SELF", vkCalculated);
  EXPECT_NE(std::string::npos, Eval("PROJECT.SELF").find(kTooDeeplyNested));
  EXPECT_NE(std::string::npos, Eval("PROJECT.SELF + 1").find("### Error ###"));

  // A long chain of formulas: twenty levels work, a thousand are refused.
  for (int i = 1; i <= 1000; ++i)
    Set(context_, "P" + std::to_string(i), "P" + std::to_string(i + 1) + " + 1", vkCalculated);
  Set(context_, "P20", "0");
  EXPECT_EQ("19", Eval("P1"));
  Set(context_, "P20", "P21 + 1", vkCalculated);
  Set(context_, "P1000", "0");
  EXPECT_NE(std::string::npos, Eval("P1").find(kTooDeeplyNested));
}

TEST_F(ExecutorTest, CallsPassTheirArgumentsToTheFunctionTable) {
  EchoFunctions functions;
  TStandardFunctionTable* previous = SetStandardFunctionTable(&functions);
  Variable("AUTO", "=2 * 3", vkCalculated);
  const Case cases[] = {
      {"SUM(1, 2 + 3, 'x')", "85(1;5;x)"},
      {"sum(PROJECT.AUTO)", "85(6)"},
      {"PI", "25()"},
      {"PI()", "25()"},
      {"NOW && '!'", "48()!"},
      {"ORIGIN", "49()"},
      {"ACTUALSTATE", "77()"},
      {"ACTUALSTATE(1, 2, 3)", "77(1;2;3)"},
      {"ROUND(1.5) && ROUND(1.5, 1)", "7(1.5)7(1.5;1)"},
      {"ABS(ABS(-1))", "6(6(-1))"},
      {"SWITCH(1, 2, 3, 4, 5, 6, 7, 8, 9, 10)", "95(1;2;3;4;5;6;7;8;9;10)"},
      {"LEN('abc')", "64(abc)"},
      {"'<' && IFF(1 < 2, 'a', 'b') && '>'", "<47(True;a;b)>"},
      {"ABS('fail')", "### Error ### Standard function execution error: Invalid parameter type\r\n"
                      "ABS('fail')^^^"},
      {"ACTUALSTATE(1, 2, 3, 4)", "### Error ### Too many actual parameters\r\n"
                                  "ACTUALSTATE(1, 2, 3, 4^^^)"},
      {"SWITCH(1, 2)", "### Error ### Too little actual parameters\r\nSWITCH(1, 2)^^^"},
      {"ABS()", "### Error ### Too little actual parameters\r\nABS()^^^"},
      {"PI(1)", "### Error ### Too many actual parameters\r\nPI(1^^^)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Marked(c.expected), Eval(c.source));
    if (!executor_.Failed()) {
      EXPECT_EQ(0u, executor_.Processor().StackSize());
    }
  }
  SetStandardFunctionTable(previous);
}

TEST_F(ExecutorTest, EveryFunctionWordHasASignature) {
  std::istringstream words{std::string(kStdFunctionTable)};
  for (std::string word; words >> word;) {
    SCOPED_TRACE(word);
    const TStdFunctionInfo* signature = FindStdFunction(word);
    ASSERT_NE(nullptr, signature);
    std::string call = word + "(";
    for (int i = 0; i < signature->minArgs; ++i)
      call += i ? ", 1" : "1";
    EXPECT_TRUE(executor_.Check(call + ")")) << executor_.Result().Text();
    if (signature->minArgs > 0) {
      EXPECT_FALSE(executor_.Check(word));
    }
  }
}

TEST_F(ExecutorTest, CheckOnlyValidatesWithoutEvaluating) {
  EchoFunctions functions;
  TStandardFunctionTable* previous = SetStandardFunctionTable(&functions);
  Set(context_, "A", "=A", vkCalculated);
  struct CheckCase {
    const char* source;
    const char* error; // nullptr: the check passes
  };
  const CheckCase cases[] = {
      {"=a * 2 + _RECORD_ID", nullptr},
      {"NULL.A", nullptr},
      {"PROJECT.NOSUCHVARIABLE", nullptr},
      {"1 / 0", nullptr},
      {"SUM(1, 'x') + PI", nullptr},
      {"A.B.C[1]", nullptr},
      {"UNKNOWNNAME + 1", "### Error ### Unknown identifier: UNKNOWNNAME\r\nUNKNOWNNAME^^^ + 1"},
      {"1 < 2 < 3", "### Error ### Unexpected lexeme\r\n1 < 2 <^^^ 3"},
      {"SIN 1", "### Error ### Standard function call error: ( expected\r\nSIN 1^^^"},
      {"", "### Error ### Stack is empty\r\nEmpty source code"},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(c.error == nullptr, executor_.Check(c.source));
    EXPECT_EQ(c.error == nullptr, !executor_.Failed());
    EXPECT_EQ(Marked(c.error ? c.error : ""), executor_.Result().Text());
  }
  EXPECT_EQ(0, functions.calls);
  Parameter("UnknownName");
  EXPECT_TRUE(executor_.Check("UNKNOWNNAME + 1"));
  SetStandardFunctionTable(previous);
}

TEST_F(ExecutorTest, ObjectParametersNeedAParameterName) {
  Parameter("Weight");
  EXPECT_EQ("", Eval("NULL.weight"));
  EXPECT_EQ("", Eval("NULL.('WEIGHT')"));
  EXPECT_EQ(Marked("### Error ### Index error: Second operand should be a parameter name\r\n"
                   "NULL.height^^^"),
            Eval("NULL.height"));
}

TEST_F(ExecutorTest, ProcessorsEvaluateAutoFormulasThroughTheExecutor) {
  Set(context_, "A", "20");
  Set(second_, "B", "=A + 1", vkCalculated);
  TProcessor processor;
  processor.SetRecords(&context_, &second_);
  TValue formula;
  formula.SetText(vkCalculated, "=A * 2 + B");
  processor.Push(formula);
  EXPECT_EQ("61", processor.Pop()->Text());
  formula.SetText(vkCalculated, "=A +");
  processor.Push(formula);
  EXPECT_EQ(Marked("### Error ### Unknown lexeme:\r\n=A +^^^"), processor.Pop()->Text());
}

// What the layers below raise ends the run as a failure, not at the caller.
class RaisingStates final : public TStateParameterResolver {
public:
  bool GetParameter(TValue&, std::string_view, TValue&, std::string&) override {
    throw ErrorException("Object not found. Id=64");
  }
};

TEST_F(ExecutorTest, RaisedErrorsBecomeFailures) {
  RaisingStates states;
  TStateParameterResolver* previous = SetStateParameterResolver(&states);
  Parameter("Weight");
  Set(second_, "O", "64", vkObject);
  Set(context_, "F", "O.WEIGHT", vkCalculated);
  EXPECT_EQ(Marked("### Error ### Object not found. Id=64\r\nO.WEIGHT^^^"), Eval("O.WEIGHT"));
  EXPECT_EQ(Marked("### Error ### Object not found. Id=64\r\nO.WEIGHT^^^\r\nF^^^ + 1"),
            Eval("F + 1"));
  EXPECT_EQ("3", Eval("1 + 2")) << "the executor is whole after a raised error";
  SetStateParameterResolver(previous);
}

} // namespace
} // namespace vandro
