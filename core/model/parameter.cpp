#include "model/parameter.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "values/value_text.h"

namespace vandro {

namespace {

const TSystemParameterRow kSystemRows[kSystemParameterCount] = {
    {"_OBJECT_ID", "_OBJECT_ID", 0, "The unique identifier of object in the project"},
    {"_RECORD_ID", "_RECORD_ID", 0, "The unique identifier of data record in the project"},
    {"_OBJECT_NAME", "_OBJECT_NAME", 0, "By default the object name is it's number + \"Object\""},
    {"_RECORD_NAME", "_RECORD_NAME", 0, "The name of DataRecord"},
    {"_REAL_TIME", "_REAL_TIME", 0,
     "The parameter determins the real world date and  time of data record"},
    {"_SYSTEM_TIME", "_SYSTEM_TIME", 0,
     "The parameter determins the system date and the time of DataRecord"},
    {"_PARAM_COUNT", "_PARAM_COUNT", 0, "The number of parameters defined in the current state"},
    {"_CONTENT", "_CONTENT", kListParamType, "The content of a group object"},
    {"_CONTENT_COUNT", "_CONTENT_COUNT", 0, "The number of values in the group object"},
    {"_HISTORY", "_CONTENT_HISTORY", kListParamType, "The number of values in the group object"},
};

void Cut(std::string& text, size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
}

} // namespace

void TParameter::Fit() {
  Cut(Descript, kDescriptionCapacity);
}

void TParameter::RequireStorableNames() const {
  RequireStorableName(ParamName, kNameCapacity);
  RequireStorableName(ShortName, kShortNameCapacity);
  RequireStorableName(Category, kNameCapacity);
}

void TParameter::Assign(const TParameter& source) {
  if (&source == this) return;
  Idtor = source.Idtor;
  ParamName = source.ParamName;
  ShortName = source.ShortName;
  Category = source.Category;
  ParamType = source.ParamType;
  DefValue.Assign(source.DefValue);
  Descript = source.Descript;
  ValidTime = source.ValidTime;
}

bool IsSystemCategory(std::string_view category) {
  return SameText(category, kSystemCategory);
}

bool CanEditParameter(const TParameter& parameter) {
  if (!parameter.IsSystem()) return true;
  ShowMsg("Editing of system parameters is not allowed");
  return false;
}

std::string DescriptorKindWord(int kind) {
  switch (kind) {
  case dkForm:
    return "form";
  case dkReport:
    return "report";
  case dkChart:
    return "chart";
  case dkVariable:
    return "variable";
  }
  return "descriptor";
}

bool IsSystemName(std::string_view name) {
  if (name.empty()) return false;
  return std::string_view(kSystemNames).find(" " + UpperCase(name) + " ") != std::string::npos;
}

const TSystemParameterRow* SystemParameterRows() {
  return kSystemRows;
}

std::unique_ptr<TParameter> MakeSystemParameter(const TSystemParameterRow& row) {
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = row.name;
  parameter->ShortName = row.shortName;
  parameter->Category = "System";
  parameter->ParamType = row.type;
  parameter->Descript = row.description;
  return parameter;
}

} // namespace vandro
