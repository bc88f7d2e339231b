// TProcessor: the stack machine under the executor.
//
// The executor parses a formula and drives the processor as it goes: every
// operand is pushed, every operator is executed the moment it is recognised.
// Each operation pops its operands (the right one first), computes one value
// by the rules of processor_operations.h and pushes it. An operation never
// raises: on failure it pushes an error value ("### Error ### " + message)
// and keeps the message, so the stack always receives exactly one result.
//
// Three things the processor needs live in modules above it. They reach it
// through interfaces installed at run time (each Set... returns the previous
// one; nullptr uninstalls):
//   - TAutoFormulaEvaluator: the executor evaluates auto formulas met by Pop;
//   - TStandardFunctionTable: the standard functions behind operation 8;
//   - TParameterNames and TStateParameterResolver: the project's parameter
//     list and the object states behind operation 19 ("object.parameter").
// Without them the processor still works; the operations that need them fail
// with a message saying what is missing, and auto formulas stay unevaluated.
#pragma once

#include "language/processor_operations.h"
#include "values/value.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TDataRecord;
class TProcessor;

// Messages of the operations whose module is not installed.
inline constexpr const char* kNoStandardFunctions = "Standard functions are not loaded";
inline constexpr const char* kNoParameterList = "Parameters are not loaded";
inline constexpr const char* kNoObjectStates = "Object states are not loaded";

class TAutoFormulaEvaluator {
public:
  virtual ~TAutoFormulaEvaluator() = default;
  // Replaces value, an auto formula popped from a processor, with its result
  // (an error value when the evaluation fails). The records are the
  // processor's context record and second record; either may be null.
  virtual void Evaluate(TValue& value, TDataRecord* contextRecord, TDataRecord* secondRecord) = 0;
};

class TStandardFunctionTable {
public:
  virtual ~TStandardFunctionTable() = default;
  // Runs the standard function with this code. Its arguments stand on the
  // processor's stack above a marker value (vkFuncMarker, text = the
  // function's name); the function pops them itself (Pop, or PopRaw for the
  // tests that look at a calculated value as it is) and may Peek at the
  // marker. Returns true with the result in result, or false with the reason
  // in message. The processor removes what is left down to and including the
  // marker, and pushes the result or the error value.
  virtual bool Call(TProcessor& processor, uint8_t functionCode, TValue& result,
                    std::string& message) = 0;
};

class TParameterNames {
public:
  virtual ~TParameterNames() = default;
  // True when name (any case) names a parameter of the open project; the
  // system parameters are parameters too.
  virtual bool IsParameterName(std::string_view name) const = 0;
};

class TStateParameterResolver {
public:
  virtual ~TStateParameterResolver() = default;
  // The value of parameter name in the state the object reference points at
  // (the reference builds its state track on first use, hence not const);
  // null when that state has no such parameter. False with the reason in
  // message when the state cannot be reached. Never called for the null
  // object "0".
  virtual bool GetParameter(TValue& reference, std::string_view name, TValue& result,
                            std::string& message) = 0;
};

TAutoFormulaEvaluator* SetAutoFormulaEvaluator(TAutoFormulaEvaluator* evaluator);
TStandardFunctionTable* SetStandardFunctionTable(TStandardFunctionTable* table);
TParameterNames* SetParameterNames(TParameterNames* names);
TStateParameterResolver* SetStateParameterResolver(TStateParameterResolver* resolver);

class TProcessor {
public:
  TProcessor() = default;
  TProcessor(const TProcessor&) = delete;
  TProcessor& operator=(const TProcessor&) = delete;

  // The records names resolve against in nested evaluations: the context
  // record first, then the further record being built or edited. Not owned.
  void SetRecords(TDataRecord* contextRecord, TDataRecord* secondRecord);
  TDataRecord* ContextRecord() const { return contextRecord_; }
  TDataRecord* SecondRecord() const { return secondRecord_; }

  // Pushes a copy; the caller keeps its own value.
  void Push(const TValue& value);
  // Pushes a value the caller hands over.
  void Push(TValue::Ptr value);
  // Removes and returns the top value. An auto formula is replaced by its
  // result first (when an evaluator is installed). On an empty stack: sets
  // failed with "Stack is empty" and returns nullptr.
  TValue::Ptr Pop();
  // The same without evaluation.
  TValue::Ptr PopRaw();
  size_t StackSize() const { return stack_.size(); }
  // The value depth places below the top (0 is the top); nullptr beyond the
  // bottom.
  const TValue* Peek(size_t depth = 0) const;

  // Runs one operation (TOperationCode); returns true when it did not fail.
  // On failure the error value is pushed and Failed() and Message() tell why.
  bool Execute(uint8_t operation);
  uint8_t Operation() const { return operation_; }
  // The standard function operation 8 runs.
  void SetFunctionCode(uint8_t code) { functionCode_ = code; }
  uint8_t FunctionCode() const { return functionCode_; }

  bool Failed() const { return failed_; }
  const std::string& Message() const { return message_; }

  // Releases the values on the stack, clears both codes, the failed flag and
  // the message, and forgets both records.
  void Clear();

private:
  bool PopOperands(uint8_t operation, TValue::Ptr& left, TValue::Ptr& right, std::string& message);
  bool RunFunction(TValue& result, std::string& message);
  bool RunGetParam(TValue& result, std::string& message);
  // Removes the values down to and including the topmost function marker;
  // false (nothing removed) when there is no marker.
  bool RemoveThroughMarker();

  TDataRecord* contextRecord_ = nullptr;
  TDataRecord* secondRecord_ = nullptr;
  std::vector<TValue::Ptr> stack_; // top at the end
  uint8_t operation_ = ocNone;
  uint8_t functionCode_ = 0;
  bool failed_ = false;
  std::string message_;
};

} // namespace vandro
