#include "charts/chart_list.h"

#include "language/custom_code.h"
#include "model/parameter.h"
#include "model/project.h"
#include "shell/child_windows.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/descriptors.h"
#include "storage/project_lifecycle.h"
#include "values/value_text.h"

#include <algorithm>

namespace vandro {

namespace {

constexpr const char* kSelectChart = "Select a chart";
constexpr const char* kChartInUse = "Chart is in use";
constexpr const char* kNotIdentifier = "Chart Name should be an identifier";

std::vector<std::string>* Names() {
  TProject* project = CurrentProject();
  return project ? &project->ChartNames() : nullptr;
}

// Whether a chart other than the one named self is named name.
bool OtherChartNamed(std::string_view name, std::string_view self) {
  return !SameText(name, self) && ChartExists(name);
}

// New, Delete and Rename: refused, with the reason, in a project opened for
// looking only.
bool MayChangeCharts() {
  if (ChartsMayChange()) return true;
  ShowMsg("The project " + APSProjectPath() + " is open read-only: nothing can be changed");
  return false;
}

} // namespace

bool ChartsMayChange() {
  return !ProjectIsReadOnly();
}

bool IsChartName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxIdentifierLength && IsName(name);
}

bool ChartExists(std::string_view name) {
  const std::vector<std::string>* names = Names();
  return names && std::any_of(names->begin(), names->end(),
                              [&](const std::string& listed) { return SameText(listed, name); });
}

void AddChartName(std::string_view name) {
  std::vector<std::string>* names = Names();
  if (!names || ChartExists(name)) return;
  std::string stored = UpperCase(name);
  const auto at = std::upper_bound(
      names->begin(), names->end(), stored,
      [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  names->insert(at, std::move(stored));
}

void RemoveChartName(std::string_view name) {
  if (std::vector<std::string>* names = Names())
    std::erase_if(*names, [&](const std::string& listed) { return SameText(listed, name); });
}

bool MarkChartInUse(const std::string& name) {
  TProject* project = CurrentProject();
  if (!project || ChartInUse(name)) return false;
  project->ChartsInUse().push_back(name);
  return true;
}

void ReleaseChart(const std::string& name) {
  if (TProject* project = CurrentProject())
    std::erase_if(project->ChartsInUse(),
                  [&](const std::string& used) { return SameText(used, name); });
}

bool ChartInUse(const std::string& name) {
  const TProject* project = CurrentProject();
  if (!project) return false;
  const auto& used = project->ChartsInUse();
  return std::any_of(used.begin(), used.end(), [&](const auto& u) { return SameText(u, name); });
}

std::optional<std::string> NewChart(const TChartNamePrompt& prompt) {
  if (!MayChangeCharts()) return std::nullopt;
  std::string name = "NewChart";
  if (!prompt("Input Chart Name:", name)) return std::nullopt;
  name = Trim(name);
  if (!IsChartName(name)) {
    ShowMsg(kNotIdentifier);
    return std::nullopt;
  }
  if (ChartExists(name)) {
    ShowMsg("The chart " + name + " already exists.");
    return std::nullopt;
  }
  if (!MarkChartInUse(name)) {
    ShowMsg("The chart " + name + " is in use");
    return std::nullopt;
  }
  return name;
}

namespace {

// Delete and Rename work on a chosen chart that no window has open.
bool ChosenAndFree(const std::string& name) {
  if (!MayChangeCharts()) return false;
  if (name.empty()) {
    ShowMsg(kSelectChart);
    return false;
  }
  if (ChartInUse(name)) {
    ShowMsg(kChartInUse);
    return false;
  }
  return true;
}

} // namespace

bool OpenChart(const std::string& name, const TChildWindows& children) {
  if (name.empty()) {
    ShowMsg(kSelectChart);
    return false;
  }
  if (!children.CheckLimit()) return false;
  if (!MarkChartInUse(name)) {
    ShowMsg(kChartInUse);
    return false;
  }
  return true;
}

bool DeleteChart(const std::string& name) {
  if (!ChosenAndFree(name)) return false;
  if (!Ask("You are about to delete the chart " + name + kLineBreak + "Do you want to continue?",
           false))
    return false;
  if (!DeleteDescriptor(name, dkChart)) return false;
  RemoveChartName(name);
  ReleaseChart(name);
  return true;
}

bool RenameChart(const std::string& name, const TChartNamePrompt& prompt) {
  if (!ChosenAndFree(name)) return false;
  std::string newName = name;
  for (;;) {
    if (!prompt("Input New Chart Name:", newName)) return false;
    newName = Trim(newName);
    if (!IsChartName(newName))
      ShowMsg(kNotIdentifier);
    else if (OtherChartNamed(newName, name))
      ShowMsg("Chart name is already in use: " + newName);
    else
      break;
  }
  // A chart that is not stored (deleted meanwhile) must not come back empty
  // under the new name.
  std::vector<std::string> lines;
  if (!LoadDescriptor(lines, name, dkChart) ||
      !SaveDescriptor(lines, name, dkChart, true, newName)) {
    ShowMsg("Can't rename the chart " + name + " to " + newName);
    return false;
  }
  RemoveChartName(name);
  AddChartName(newName);
  return true;
}

} // namespace vandro
