// The rules of the parameter list ("Parameters:") and the parameter editor
// ("Edit Param") on the open project, without their windows: what is checked
// when the editor's OK is pressed, when the list takes an accepted
// parameter, and when a row is deleted. Each refusal shows its message.
#pragma once

#include "model/parameter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TProject;

// The list's category filter: "(All Categories)", then the project's
// categories in their order.
inline constexpr const char* kAllParameterCategories = "(All Categories)";
std::vector<std::string> ListCategories(const TProject& project);

// One row of the list: "Param Name", "Brief Name", "Default Value",
// "Description".
struct TParameterRow {
  int32_t Id = 0;
  std::string Name;
  std::string ShortName;
  std::string Default;
  std::string Description;
};
// The project's parameters of the category (any case; every one for
// "(All Categories)"), in the project's order.
std::vector<TParameterRow> ParameterRows(const TProject& project, std::string_view category);

// The parameter selection dialog's tree: every category of the project, in
// its order, that holds one of names, with its names in the order given;
// names of no parameter of the project come last, under no category.
struct TParameterCategory {
  std::string Category;
  std::vector<std::string> Names;
};
std::vector<TParameterCategory> ParametersByCategory(const TProject& project,
                                                     const std::vector<std::string>& names);

// The categories the editor offers: the project's, in its order, without
// the system parameters' category, which no other parameter may take.
std::vector<std::string> EditorCategories(const TProject& project);

// The editor's checks on OK, in order: a name ("Parameter name is not
// defined"), then the naming rules of CheckParameterNaming.
bool CheckParameterEditor(const TParameter& parameter);

// Takes a new parameter the editor filled in (texts cut to their
// capacities): the editor's checks, then "Parameter name is already in use:"
// + name when a parameter has it as name or short name, and "Parameter short
// name is already in use:" + short name likewise. Stores and lists it; the
// parameter stored, or nullptr when refused.
TParameter* AddParameterFromEditor(std::unique_ptr<TParameter> parameter);

// Rewrites the parameter with edited's identifier from edited: a system
// parameter is never edited ("Editing of system parameters is not
// allowed"), then the same checks as adding, other parameters only. False
// when refused; the parameter is then as it was.
bool UpdateParameterFromEditor(const TParameter& edited);

// The list's "Delete": "Unknown Parameter:" + name when no parameter has the
// name, then "Parameter " + name + " will be deleted." CR LF "Are you sure?"
// (default No). Records and template lines that use the parameter are left
// as they are. System parameters are refused like editing them: every
// project needs them and they cannot be made again.
bool DeleteParameterFromList(std::string_view name);

} // namespace vandro
