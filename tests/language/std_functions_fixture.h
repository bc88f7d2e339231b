// What the tests of the standard functions share: values written in UTF-8,
// a fixture with the default project, a fixed clock and the functions
// installed, and calls through the processor as the executor makes them.
#pragma once

#include "language/processor.h"
#include "language/std_functions.h"
#include "model/project.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/text.h"
#include "support/cp.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro::testing {

inline TValue::Ptr Make(TValueKind kind, std::string_view utf8) {
  TValue::Ptr value = TValue::Create("test");
  value->SetText(kind, Cp(utf8));
  return value;
}

inline TValue::Ptr Plain(std::string_view utf8) {
  return Make(vkPlain, utf8);
}

inline TValue::Ptr Plains(std::initializer_list<std::string_view> texts) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  for (auto text : texts)
    array->AddItem(Plain(text));
  return array;
}

template <typename... Items> TValue::Ptr Array(Items... items) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  (array->AddItem(std::move(items)), ...);
  return array;
}

// A value as the tests write it, in UTF-8: plain text as it is, other kinds
// tagged, arrays as "{item; item}".
inline std::string Shown(const TValue& value) {
  switch (value.Kind()) {
  case vkPlain:
    return Cp1251ToUtf8(value.Text());
  case vkObject:
    return "object:" + value.Text();
  case vkLink:
    return "link:" + Cp1251ToUtf8(value.Text());
  case vkCalculated:
    return "calculated:" + Cp1251ToUtf8(value.Text());
  case vkArray: {
    std::string out = "{";
    for (int i = 0; i < value.ItemCount(); ++i)
      out += (i ? "; " : "") + Shown(value.GetItem(i));
    return out + "}";
  }
  default:
    return "marker:" + value.Text();
  }
}

// A call with plain arguments and its expected outcome: the result as
// Shown, or "!" followed by the failure message.
struct TCall {
  const char* name;
  std::vector<std::string> args;
  std::string expected;
};

inline std::ostream& operator<<(std::ostream& out, const TCall& call) {
  out << call.name << "(";
  for (size_t i = 0; i < call.args.size(); ++i)
    out << (i ? ", " : "") << "'" << call.args[i] << "'";
  return out << ")";
}

class StdFunctionsTest : public ::testing::Test {
protected:
  // 15.03.2004 10:20:30
  static constexpr double kNow = 38061.430902777778;

  void SetUp() override {
    previousTable_ = SetStandardFunctionTable(&StandardFunctions());
    previousClock_ = SetClock(&clock_);
    previousStyle_ = DateStyle();
    SetDateStyle(TDateStyle::European);
  }
  void TearDown() override {
    SetStandardFunctionTable(previousTable_);
    SetClock(previousClock_);
    SetDateStyle(previousStyle_);
  }

  // Runs operation 8 on what stands on the processor and returns the
  // outcome; the operation must leave exactly one value more than stood
  // below the marker.
  static std::string Outcome(TProcessor& processor, bool ok) {
    TValue::Ptr top = processor.PopRaw();
    if (!top) return "<nothing>";
    if (!ok) {
      EXPECT_TRUE(processor.Failed());
      EXPECT_EQ(std::string(kErrorPrefix) + " " + processor.Message(), top->Text());
      return "!" + Cp1251ToUtf8(processor.Message());
    }
    EXPECT_FALSE(processor.Failed());
    return Shown(*top);
  }

  static uint8_t CodeOf(std::string_view name) {
    const TStdFunctionInfo* info = FindStdFunction(name);
    EXPECT_NE(nullptr, info) << name;
    return info ? info->code : 0;
  }

  std::string Call(std::string_view name, std::vector<TValue::Ptr> args) {
    TProcessor processor;
    TValue marker;
    marker.SetFuncMarker(std::string(name));
    processor.Push(marker);
    for (TValue::Ptr& arg : args)
      processor.Push(std::move(arg));
    processor.SetFunctionCode(CodeOf(name));
    const bool ok = processor.Execute(ocFunction);
    EXPECT_EQ(1u, processor.StackSize()) << "the call leaves its result alone";
    return Outcome(processor, ok);
  }

  std::string Call(const TCall& call) {
    std::vector<TValue::Ptr> args;
    for (const std::string& text : call.args)
      args.push_back(Plain(text));
    return Call(call.name, std::move(args));
  }

  template <typename... Args> std::string Call(std::string_view name, Args... args) {
    std::vector<TValue::Ptr> list;
    (list.push_back(std::move(args)), ...);
    return Call(name, std::move(list));
  }

  void CheckTable(const std::vector<TCall>& calls) {
    for (const TCall& call : calls)
      EXPECT_EQ(call.expected, Call(call)) << call;
  }

  ScriptedSink sink_;
  std::unique_ptr<TProject> project_ = TProject::CreateInMemory();
  ScopedProject scope_{*project_};
  TFixedClock clock_{kNow};
  TStandardFunctionTable* previousTable_ = nullptr;
  const TClock* previousClock_ = nullptr;
  TDateStyle previousStyle_ = TDateStyle::European;
};

} // namespace vandro::testing
