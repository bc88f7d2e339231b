// Formulas come from users and from stored values: any text must evaluate or
// fail with an error value, in both modes, without a crash, a hang or an
// exhausted stack, however deep it nests and whatever loops its parameters
// form.
#include "fuzz/quiet_sink.h"
#include "language/executor.h"
#include "language/processor.h"
#include "model/data_record.h"
#include "model/project.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

using namespace vandro;

namespace {

// Stands in for the standard functions: takes the arguments off the stack
// (evaluating auto formulas, as the real ones do) and answers their count;
// ABS fails, so that failing calls are reached too.
class CountingFunctions final : public TStandardFunctionTable {
public:
  bool Call(TProcessor& processor, uint8_t functionCode, TValue& result,
            std::string& message) override {
    int count = 0;
    while (processor.Peek() && !processor.Peek()->IsFuncMarker()) {
      processor.Pop();
      ++count;
    }
    if (functionCode == 6) {
      message = "Invalid parameter type";
      return false;
    }
    result.SetPlain(std::to_string(count));
    return true;
  }
};

struct World {
  std::unique_ptr<TProject> project = TProject::CreateInMemory();
  TDataRecord context;
  TDataRecord second;

  World() {
    SetCurrentProject(project.get());
    Add(context, "A", vkPlain, "2 [m]");
    Add(context, "B", vkPlain, "3");
    Add(second, "F", vkCalculated, "=A * 2 + B");
    Add(context, "G", vkCalculated, "G2 + 1");
    Add(second, "G2", vkCalculated, "=G * 2");
    Add(context, "H", vkCalculated, "=PROJECT.V + SUM(PROJECT.W)");
    Add(context, "N", vkPlain, "");
    TValue array;
    array.SetArray();
    for (const char* item : {"1", "2 [m]", "x"}) {
      TValue::Ptr value = TValue::Create("fuzz");
      value->SetPlain(item);
      array.AddItem(std::move(value));
    }
    context.AddPV(Parameter("L"), array);
    Variable("V", vkCalculated, "=B + 1");
    Variable("W", vkCalculated, "=H");
    Variable("S", vkCalculated, "=PROJECT.S");
    context.Idtor = 33;
    context.ObjIdtor = 32;
  }

  const TParameter& Parameter(const char* name) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->ShortName = name;
    return project->AddParameter(std::move(parameter));
  }
  void Add(TDataRecord& record, const char* name, TValueKind kind, const char* text) {
    TValue value;
    value.SetText(kind, text);
    record.AddPV(Parameter(name), value);
  }
  void Variable(const char* name, TValueKind kind, const char* text) {
    TValue value;
    value.SetText(kind, text);
    project->SetVariable(name, value);
  }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static CountingFunctions functions;
  static World* world = [] {
    SetMessageSink(&sink);
    SetStandardFunctionTable(&functions);
    InstallLanguage();
    return new World();
  }();

  const std::string source(reinterpret_cast<const char*>(data), size);
  TExecutor executor;
  TExecutor::TNameChain chain = {"Q"};
  const TValue& result = executor.Run(&chain, &world->context, source, &world->second);
  const bool evaluated = !executor.Failed();
  // A failure is always an error value, and the chain comes back as it went.
  if (!evaluated && !result.IsError()) __builtin_trap();
  if (chain.size() != 1 || chain[0] != "Q") __builtin_trap();
  if (executor.Failed() && result.Text().find("???") == std::string::npos &&
      result.Text().find("Empty source code") == std::string::npos)
    __builtin_trap();

  (void)executor.Run(nullptr, nullptr, source, nullptr);

  // What evaluates also passes the check: the check only skips evaluation.
  const bool checked = executor.Check(source);
  if (evaluated && !checked) __builtin_trap();
  if (!checked && !executor.Result().IsError()) __builtin_trap();
  return 0;
}
