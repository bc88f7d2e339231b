#include "editing/parameter_list.h"

#include "language/parameter_naming.h"
#include "model/project.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "values/value_text.h"

#include <algorithm>

namespace vandro {

namespace {

TProject& RequireOpenProject() {
  TProject* project = CurrentProject();
  if (!project) RaiseSystemError("No project is open");
  return *project;
}

// A parameter other than self answers to name.
bool InUse(const TProject& project, std::string_view name, int32_t self) {
  if (name.empty()) return false;
  for (const auto& parameter : project.Parameters())
    if (parameter->Idtor != self &&
        (SameText(parameter->ParamName, name) || SameText(parameter->ShortName, name)))
      return true;
  return false;
}

bool CheckUnique(const TProject& project, const TParameter& parameter) {
  if (InUse(project, parameter.ParamName, parameter.Idtor)) {
    ShowMsg("Parameter name is already in use:" + parameter.ParamName);
    return false;
  }
  if (InUse(project, parameter.ShortName, parameter.Idtor)) {
    ShowMsg("Parameter short name is already in use:" + parameter.ShortName);
    return false;
  }
  return true;
}

} // namespace

std::vector<std::string> ListCategories(const TProject& project) {
  std::vector<std::string> categories{kAllParameterCategories};
  for (const std::string& category : project.ParameterCategories())
    categories.push_back(category);
  return categories;
}

std::vector<TParameterRow> ParameterRows(const TProject& project, std::string_view category) {
  const bool all = category.empty() || category == kAllParameterCategories;
  std::vector<TParameterRow> rows;
  for (const auto& parameter : project.Parameters())
    if (all || SameText(parameter->Category, category))
      rows.push_back({parameter->Idtor, parameter->ParamName, parameter->ShortName,
                      ToDisplayText(&parameter->DefValue), parameter->Descript});
  return rows;
}

std::vector<TParameterCategory> ParametersByCategory(const TProject& project,
                                                     const std::vector<std::string>& names) {
  std::vector<TParameterCategory> tree;
  for (const std::string& category : project.ParameterCategories())
    tree.push_back({category, {}});
  TParameterCategory unknown;
  for (const std::string& name : names) {
    const TParameter* parameter = project.FindParameter(name);
    const auto found = parameter
                           ? std::find_if(tree.begin(), tree.end(),
                                          [&](const TParameterCategory& branch) {
                                            return SameText(branch.Category, parameter->Category);
                                          })
                           : tree.end();
    (found != tree.end() ? found->Names : unknown.Names).push_back(name);
  }
  std::erase_if(tree, [](const TParameterCategory& branch) { return branch.Names.empty(); });
  if (!unknown.Names.empty()) tree.push_back(std::move(unknown));
  return tree;
}

std::vector<std::string> EditorCategories(const TProject& project) {
  std::vector<std::string> categories;
  for (const std::string& category : project.ParameterCategories())
    if (!IsSystemCategory(category)) categories.push_back(category);
  return categories;
}

bool CheckParameterEditor(const TParameter& parameter) {
  if (parameter.ParamName.empty()) {
    ShowMsg("Parameter name is not defined");
    return false;
  }
  return CheckParameterNaming(parameter);
}

TParameter* AddParameterFromEditor(std::unique_ptr<TParameter> parameter) {
  TProject& project = RequireOpenProject();
  parameter->Fit();
  parameter->Idtor = 0;
  if (!CheckParameterEditor(*parameter) || !CheckUnique(project, *parameter)) return nullptr;
  try {
    return &project.AddParameter(std::move(parameter));
  } catch (const ErrorException&) {
    return nullptr; // shown; the list is as it was
  }
}

bool UpdateParameterFromEditor(const TParameter& edited) {
  TProject& project = RequireOpenProject();
  const TParameter* original = project.ParameterById(edited.Idtor);
  if (!original) {
    ShowMsg("Unknown Parameter:" + edited.ParamName);
    return false;
  }
  if (!CanEditParameter(*original)) return false;
  TParameter staged;
  staged.Assign(edited);
  staged.Fit();
  if (!CheckParameterEditor(staged) || !CheckUnique(project, staged)) return false;
  try {
    project.UpdateParameter(staged);
    return true;
  } catch (const ErrorException&) {
    return false;
  }
}

bool DeleteParameterFromList(std::string_view name) {
  TProject& project = RequireOpenProject();
  const TParameter* parameter = project.FindParameter(name);
  if (!parameter) {
    ShowMsg("Unknown Parameter:" + std::string(name));
    return false;
  }
  if (!CanEditParameter(*parameter)) return false;
  if (!Ask("Parameter " + parameter->ParamName + " will be deleted." + kLineBreak + "Are you sure?",
           false))
    return false;
  try {
    project.DeleteParameter(parameter->Idtor);
    return true;
  } catch (const ErrorException&) {
    return false;
  }
}

} // namespace vandro
