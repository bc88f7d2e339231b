#include "model/project.h"

#include "shell/text.h"
#include "values/default_units.h"

#include <algorithm>

namespace vandro {

namespace {
TProject* currentProject = nullptr;
} // namespace

TProject::TProject() = default;

TProject::~TProject() {
  if (currentProject == this) SetCurrentProject(nullptr);
}

std::unique_ptr<TProject> TProject::CreateInMemory() {
  auto project = std::make_unique<TProject>();
  const TSystemParameterRow* rows = SystemParameterRows();
  for (int i = 0; i < kSystemParameterCount; ++i) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = rows[i].name;
    parameter->ShortName = rows[i].shortName;
    parameter->Category = "System";
    parameter->ParamType = rows[i].type;
    parameter->Descript = rows[i].description;
    project->AddParameter(std::move(parameter));
  }
  LoadDefaultUnits(project->units_);
  for (int i = 0; i < project->units_.Count(); ++i)
    project->NewId(); // the units took 12..136
  return project;
}

int32_t TProject::NewObjectId() {
  return objectCounter_ += 32;
}

int32_t TProject::NewId() {
  ++idCounter_;
  if (idCounter_ % 32 == 0) ++idCounter_;
  return idCounter_;
}

void TProject::SetCounters(int32_t objectCounter, int32_t idCounter) {
  objectCounter_ = objectCounter;
  idCounter_ = idCounter;
}

TParameter* TProject::FindParameter(std::string_view name) const {
  for (const auto& parameter : parameters_)
    if (SameText(parameter->ParamName, name) || SameText(parameter->ShortName, name))
      return parameter.get();
  return nullptr;
}

TParameter* TProject::ParameterById(int32_t id) const {
  for (const auto& parameter : parameters_)
    if (parameter->Idtor == id) return parameter.get();
  return nullptr;
}

TParameter& TProject::AddParameter(std::unique_ptr<TParameter> parameter) {
  parameter->Fit();
  parameter->Idtor = NewId();
  const auto at = std::upper_bound(
      parameters_.begin(), parameters_.end(), parameter,
      [](const auto& a, const auto& b) { return CompareText(a->ParamName, b->ParamName) < 0; });
  TParameter& added = **parameters_.insert(at, std::move(parameter));
  RebuildCategories();
  return added;
}

void TProject::RebuildCategories() {
  categories_.clear();
  for (const auto& parameter : parameters_) {
    const bool known = std::any_of(categories_.begin(), categories_.end(),
                                   [&](const auto& c) { return SameText(c, parameter->Category); });
    if (!known) categories_.push_back(parameter->Category);
  }
}

TVariable* TProject::FindVariable(std::string_view name) const {
  for (const auto& variable : variables_)
    if (SameText(variable->Name, name)) return variable.get();
  return nullptr;
}

TVariable& TProject::SetVariable(std::string_view name, const TValue& value, std::string comment) {
  TVariable* variable = FindVariable(name);
  if (!variable) {
    auto created = std::make_unique<TVariable>();
    created->Name = UpperCase(name.substr(0, kNameCapacity));
    const auto at =
        std::upper_bound(variables_.begin(), variables_.end(), created,
                         [](const auto& a, const auto& b) { return a->Name < b->Name; });
    variable = variables_.insert(at, std::move(created))->get();
  }
  variable->Comment = std::move(comment);
  variable->Value.Assign(value);
  return *variable;
}

std::string TProject::ObjectName(int32_t) const {
  return {};
}
std::string TProject::RecordName(int32_t) const {
  return {};
}

TProject* CurrentProject() {
  return currentProject;
}

void SetCurrentProject(TProject* project) {
  currentProject = project;
  SetActiveUnits(project ? &project->Units() : nullptr);
  SetValueNames(project);
}

} // namespace vandro
