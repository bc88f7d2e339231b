#include "language/processor.h"

#include "values/value_text.h"

#include <utility>

namespace vandro {

namespace {

TAutoFormulaEvaluator* autoFormulaEvaluator = nullptr;
TStandardFunctionTable* standardFunctions = nullptr;
TParameterNames* parameterNames = nullptr;
TStateParameterResolver* stateParameters = nullptr;

template <typename T> T* Install(T*& slot, T* replacement) {
  return std::exchange(slot, replacement);
}

// The parameter of one object reference; the null object has no state and
// so no parameters.
bool ParameterOfReference(TValue& reference, std::string_view name, TValue& result,
                          std::string& message) {
  if (reference.Text() == "0") {
    result.Clear();
    return true;
  }
  if (!stateParameters) {
    message = kNoObjectStates;
    return false;
  }
  result.Clear();
  return stateParameters->GetParameter(reference, name, result, message);
}

} // namespace

TAutoFormulaEvaluator* SetAutoFormulaEvaluator(TAutoFormulaEvaluator* evaluator) {
  return Install(autoFormulaEvaluator, evaluator);
}

TStandardFunctionTable* SetStandardFunctionTable(TStandardFunctionTable* table) {
  return Install(standardFunctions, table);
}

TParameterNames* SetParameterNames(TParameterNames* names) {
  return Install(parameterNames, names);
}

TStateParameterResolver* SetStateParameterResolver(TStateParameterResolver* resolver) {
  return Install(stateParameters, resolver);
}

void TProcessor::SetRecords(TDataRecord* contextRecord, TDataRecord* secondRecord) {
  contextRecord_ = contextRecord;
  secondRecord_ = secondRecord;
}

void TProcessor::Push(const TValue& value) {
  stack_.push_back(value.Clone("TProcessor.Push "));
}

void TProcessor::Push(TValue::Ptr value) {
  stack_.push_back(std::move(value));
}

TValue::Ptr TProcessor::PopRaw() {
  if (stack_.empty()) {
    failed_ = true;
    message_ = "Stack is empty";
    return nullptr;
  }
  TValue::Ptr value = std::move(stack_.back());
  stack_.pop_back();
  return value;
}

TValue::Ptr TProcessor::Pop() {
  TValue::Ptr value = PopRaw();
  if (value && autoFormulaEvaluator && value->IsAutoFormula())
    autoFormulaEvaluator->Evaluate(*value, contextRecord_, secondRecord_);
  return value;
}

const TValue* TProcessor::Peek(size_t depth) const {
  if (depth >= stack_.size()) return nullptr;
  return stack_[stack_.size() - 1 - depth].get();
}

void TProcessor::Clear() {
  stack_.clear();
  operation_ = ocNone;
  functionCode_ = 0;
  failed_ = false;
  message_.clear();
  contextRecord_ = nullptr;
  secondRecord_ = nullptr;
}

bool TProcessor::Execute(uint8_t operation) {
  operation_ = operation;
  failed_ = false;
  message_.clear();
  TValue::Ptr result = TValue::Create("TProcessor.Execute");
  std::string message;
  bool ok = false;
  switch (operation) {
  case ocNone:
    ok = true;
    break;
  case ocNegate:
  case ocNot: {
    TValue::Ptr operand = Pop();
    if (!operand)
      message = operation == ocNegate ? "Operand isn't defined" : "Stack is empty";
    else
      ok = ApplyUnaryOperation(operation, *operand, *result, message);
    break;
  }
  case ocFunction:
    ok = RunFunction(*result, message);
    break;
  case ocGetParam:
    ok = RunGetParam(*result, message);
    break;
  case ocAdd:
  case ocSubtract:
  case ocMultiply:
  case ocDivide:
  case ocIntDivide:
  case ocRemainder:
  case ocEqual:
  case ocLess:
  case ocGreater:
  case ocLessEqual:
  case ocGreaterEqual:
  case ocNotEqual:
  case ocConcat:
  case ocAnd:
  case ocOr:
  case ocArrayItem:
  case ocIn: {
    TValue::Ptr left, right;
    ok = PopOperands(operation, left, right, message) &&
         ApplyBinaryOperation(operation, *left, *right, *result, message);
    break;
  }
  default:
    message = "Unknown operation code";
    break;
  }
  failed_ = !ok;
  if (!ok) {
    message_ = message;
    result->SetError(message);
  }
  stack_.push_back(std::move(result));
  return ok;
}

bool TProcessor::PopOperands(uint8_t operation, TValue::Ptr& left, TValue::Ptr& right,
                             std::string& message) {
  const bool integral = operation == ocIntDivide || operation == ocRemainder;
  right = Pop();
  if (!right) {
    message = integral ? "Second parameter isn't defined" : "Stack is empty";
    return false;
  }
  left = Pop();
  if (!left) {
    message = integral ? "First operand isn't defined" : "Stack is empty";
    return false;
  }
  return true;
}

bool TProcessor::RemoveThroughMarker() {
  for (size_t i = stack_.size(); i-- > 0;) {
    if (stack_[i]->IsFuncMarker()) {
      stack_.resize(i);
      return true;
    }
  }
  return false;
}

bool TProcessor::RunFunction(TValue& result, std::string& message) {
  bool ok = false;
  if (standardFunctions)
    ok = standardFunctions->Call(*this, functionCode_, result, message);
  else
    message = kNoStandardFunctions;
  // Arguments the function left behind go with the marker, on failure too.
  if (!RemoveThroughMarker() && ok) {
    message = "Stack error: marker not found: invalid parameter number";
    return false;
  }
  return ok;
}

bool TProcessor::RunGetParam(TValue& result, std::string& message) {
  TValue::Ptr object, name;
  if (!PopOperands(ocGetParam, object, name, message)) return false;
  if (!object->IsObject() && !object->IsNull() && !object->IsArray()) {
    message = "First operand should be an object";
    return false;
  }
  if (!name->IsPlain() || name->Text().empty() || !IsName(name->Text())) {
    message = "Second operand should be a parameter name";
    return false;
  }
  if (!parameterNames) {
    message = kNoParameterList;
    return false;
  }
  if (!parameterNames->IsParameterName(name->Text())) {
    message = "Second operand should be a parameter name";
    return false;
  }
  if (object->IsNull()) {
    result.Clear();
    return true;
  }
  if (object->IsObject()) return ParameterOfReference(*object, name->Text(), result, message);
  result.SetArray();
  for (int i = 0; i < object->ItemCount(); ++i) {
    TValue::Ptr item = TValue::Create("TProcessor.GetParam");
    TValue& source = object->GetItem(i);
    std::string why;
    if (source.IsObject() && !ParameterOfReference(source, name->Text(), *item, why))
      item->SetError(why);
    result.AddItem(std::move(item));
  }
  return true;
}

} // namespace vandro
