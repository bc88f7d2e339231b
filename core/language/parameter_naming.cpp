#include "language/parameter_naming.h"

#include "language/vocabulary.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "values/value_text.h"

namespace vandro {

bool CheckParameterNaming(const TParameter& parameter) {
  if (!CheckStorableName(parameter.ParamName, kNameCapacity) ||
      !CheckStorableName(parameter.ShortName, kShortNameCapacity) ||
      !CheckStorableName(parameter.Category, kNameCapacity))
    return false;
  const std::string name = UpperCase(parameter.ParamName);
  const char* refusal = nullptr;
  std::string standardFunction;
  if (IsSystemCategory(parameter.Category)) {
    refusal = "You can't set parameter category to 'System'";
  } else if (name.empty() || !IsName(name)) {
    refusal = "Parameter name should be an identifier";
  } else if (IsSystemName(name)) {
    refusal = "Duplicate parameter name";
  } else if (InTable(name, kStdFunctionTable)) {
    standardFunction = parameter.ParamName + " is a standard function";
  } else if (InTable(name, kKeywordTable)) {
    refusal = "The parameter name is a reserved word";
  }
  if (!standardFunction.empty()) {
    ShowMsg(standardFunction);
    return false;
  }
  if (refusal) {
    ShowMsg(refusal);
    return false;
  }
  return true;
}

} // namespace vandro
