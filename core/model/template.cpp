#include "model/template.h"

#include "model/project.h"
#include "shell/diagnostics.h"
#include "shell/messages.h"

#include <algorithm>

namespace vandro {

namespace {

constexpr const char* kActionTypeNames[] = {"Add to Group", "Message", "Error Message", "Launch"};
constexpr const char* kLaunchMomentNames[] = {"Before Create", "Before Save", "After Save"};
constexpr const char* kApplyToNames[] = {"Object", "State"};

template <size_t N> std::string NameOf(const char* const (&names)[N], int code) {
  return code >= 0 && static_cast<size_t>(code) < N ? names[code] : std::string();
}

[[noreturn]] void RaiseIndex(int index) {
  RaiseError("Index out of range: " + std::to_string(index));
}

template <class Line> void CheckIndex(const std::vector<std::unique_ptr<Line>>& lines, int index) {
  if (index < 0 || static_cast<size_t>(index) >= lines.size()) RaiseIndex(index);
}

template <class Line>
void Put(std::vector<std::unique_ptr<Line>>& lines, std::vector<int32_t>& removed, int index,
         std::unique_ptr<Line> line) {
  if (index < 0 || static_cast<size_t>(index) > lines.size()) RaiseIndex(index);
  if (static_cast<size_t>(index) == lines.size()) {
    lines.push_back(std::move(line));
    return;
  }
  const int32_t old = lines[static_cast<size_t>(index)]->Idtor;
  if (old != 0 && old != line->Idtor) removed.push_back(old);
  lines[static_cast<size_t>(index)] = std::move(line);
}

template <class Line>
std::unique_ptr<Line> Take(std::vector<std::unique_ptr<Line>>& lines, std::vector<int32_t>& removed,
                           int index) {
  CheckIndex(lines, index);
  auto line = std::move(lines[static_cast<size_t>(index)]);
  lines.erase(lines.begin() + index);
  if (line->Idtor != 0) removed.push_back(line->Idtor);
  // Its row goes with the next save, so the line handed back is a new one:
  // saved elsewhere it gets a row of its own.
  line->Idtor = 0;
  line->TemplateId = 0;
  return line;
}

// The template names follow the table after every change of it.
void RefreshTemplateNames(TTemplateStore& store) {
  if (TProject* project = CurrentProject()) project->TemplateNames() = store.ListTemplates();
}

} // namespace

std::string ActionTypeName(int type) {
  return NameOf(kActionTypeNames, type);
}

std::string LaunchMomentName(int launch) {
  return NameOf(kLaunchMomentNames, launch);
}

std::string ApplyToName(int applyTo) {
  return NameOf(kApplyToNames, applyTo);
}

void CheckActionCodes(int type, int launch, int applyTo) {
  if (type < atAddToGroup || type > atLaunch) RaiseError("Invalid action type");
  if (launch < 0 || launch > kLastLaunchCode) RaiseError("Invalid launch condition");
  if (applyTo != apObject && applyTo != apState) RaiseError("Invalid action object");
}

TParamTemplate::TParamTemplate(std::string_view origin) {
  NoteCreation("TParamTemplate", origin);
}

void TParamTemplate::Clear() {
  Idtor = 0;
  SerialNum = 0;
  ParamId = 0;
  TemplateId = 0;
  Optional = false;
  Invisible = false;
  Parameter = nullptr;
  DefValue.Clear();
  Constr.Clear();
}

void TParamTemplate::Save() {
  RequireTemplateStore().PutParamLine(*this);
}

void TParamTemplate::Delete() {
  RequireTemplateStore().DeleteParamLine(Idtor);
}

TActionTemplate::TActionTemplate(std::string_view origin) {
  NoteCreation("TActionTemplate", origin);
}

void TActionTemplate::Clear() {
  Idtor = 0;
  SerialNum = 0;
  TemplateId = 0;
  Condition.Clear();
  ActionType = atAddToGroup;
  Launch = lmAfterSave;
  Argument.Clear();
  ApplyTo = apObject;
}

void TActionTemplate::Assign(const TActionTemplate& source) {
  if (&source == this) return;
  Condition.Assign(source.Condition);
  Argument.Assign(source.Argument);
  ActionType = source.ActionType;
  Launch = source.Launch;
  ApplyTo = source.ApplyTo;
}

void TActionTemplate::Save() {
  RequireTemplateStore().PutActionLine(*this);
}

void TActionTemplate::Delete() {
  RequireTemplateStore().DeleteActionLine(Idtor);
}

TTemplate::TTemplate(std::string_view origin) {
  NoteCreation("TTemplate", origin);
}

void TTemplate::Load() {
  RequireTemplateStore().GetTemplate(*this);
}

bool TTemplate::Save() {
  TTemplateStore& store = RequireTemplateStore();
  if (!store.PutTemplate(*this)) return false;
  RefreshTemplateNames(store);
  return true;
}

TParamTemplate& TTemplate::ParamLine(int index) const {
  CheckIndex(ParamLines, index);
  return *ParamLines[static_cast<size_t>(index)];
}

TActionTemplate& TTemplate::Action(int index) const {
  CheckIndex(Actions, index);
  return *Actions[static_cast<size_t>(index)];
}

void TTemplate::SetParamLine(int index, std::unique_ptr<TParamTemplate> line) {
  Put(ParamLines, removedParamLines_, index, std::move(line));
}

void TTemplate::SetAction(int index, std::unique_ptr<TActionTemplate> action) {
  Put(Actions, removedActions_, index, std::move(action));
}

std::unique_ptr<TParamTemplate> TTemplate::RemoveParamLine(int index) {
  return Take(ParamLines, removedParamLines_, index);
}

std::unique_ptr<TActionTemplate> TTemplate::RemoveAction(int index) {
  return Take(Actions, removedActions_, index);
}

int TTemplate::FindParamLine(const TParameter& parameter) const {
  for (size_t i = 0; i < ParamLines.size(); ++i)
    if (const TParameter* own = ParamLines[i]->Parameter;
        own && (own == &parameter || (own->Idtor != 0 && own->Idtor == parameter.Idtor)))
      return static_cast<int>(i);
  return -1;
}

void TTemplate::ForgetRemovedLines() {
  removedParamLines_.clear();
  removedActions_.clear();
}

TTemplateStore& RequireTemplateStore() {
  const TProject* project = CurrentProject();
  TProjectStore* store = project ? project->Store() : nullptr;
  TTemplateStore* templates = store ? store->Templates() : nullptr;
  if (!templates) RaiseSystemError("No project with a database is open: templates can't be kept");
  return *templates;
}

void DeleteTemplate(std::string_view name) {
  TTemplateStore& store = RequireTemplateStore();
  store.DeleteTemplate(name);
  RefreshTemplateNames(store);
}

} // namespace vandro
