#include "model/project.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "values/default_units.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace vandro {

namespace {

TProject* currentProject = nullptr;

void Cut(std::string& text, size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
}

bool ParameterBefore(const std::unique_ptr<TParameter>& a, const std::unique_ptr<TParameter>& b) {
  return CompareText(a->ParamName, b->ParamName) < 0;
}

bool VariableBefore(const std::unique_ptr<TVariable>& a, const std::unique_ptr<TVariable>& b) {
  return a->Name < b->Name;
}

} // namespace

void TProjectInfo::Fit() {
  Cut(Name, kProjectNameCapacity);
  Cut(Location, kLocationCapacity);
  Cut(Description, kProjectDescriptionCapacity);
  Cut(Version, kProjectNameCapacity);
  Cut(Author, kProjectNameCapacity);
  Cut(Organization, kProjectNameCapacity);
  Cut(Comments, kCommentsCapacity);
}

TProject::TProject() = default;

TProject::~TProject() {
  if (currentProject == this) SetCurrentProject(nullptr);
}

std::unique_ptr<TProject> TProject::CreateInMemory() {
  auto project = std::make_unique<TProject>();
  const TSystemParameterRow* rows = SystemParameterRows();
  for (int i = 0; i < kSystemParameterCount; ++i) {
    project->AddParameter(MakeSystemParameter(rows[i]));
  }
  LoadDefaultUnits(project->units_);
  for (int i = 0; i < project->units_.Count(); ++i)
    project->NewId(); // the units took 12..136
  return project;
}

int32_t TProject::NewObjectId() {
  // An identifier past the 32-bit range would wrap round to ones in use.
  if (objectCounter_ > std::numeric_limits<int32_t>::max() - 32)
    RaiseSystemError("The project has no object identifiers left");
  objectCounter_ += 32;
  if (store_) store_->ProjectFileChanged(*this);
  return objectCounter_;
}

int32_t TProject::NewId() {
  int64_t next = int64_t{idCounter_} + 1;
  if (next % 32 == 0) ++next;
  if (next > std::numeric_limits<int32_t>::max())
    RaiseSystemError("The project has no identifiers left");
  idCounter_ = static_cast<int32_t>(next);
  if (store_) store_->ProjectFileChanged(*this);
  return idCounter_;
}

void TProject::SetCounters(int32_t objectCounter, int32_t idCounter) {
  objectCounter_ = objectCounter;
  idCounter_ = idCounter;
}

void TProject::UpdateInfo(const TProjectInfo& edited) {
  info_.Name = edited.Name;
  info_.Version = edited.Version;
  info_.Description = edited.Description;
  info_.Author = edited.Author;
  info_.Organization = edited.Organization;
  info_.Comments = edited.Comments;
  info_.Fit();
  WriteProjectFile();
}

void TProject::NoteRecordTime(double t) {
  if (t >= info_.EarliestRecordTime) return;
  info_.EarliestRecordTime = t;
  WriteProjectFile();
}

void TProject::WriteProjectFile() {
  if (store_) store_->ProjectFileChanged(*this);
}

TParameter* TProject::FindParameter(std::string_view name) const {
  // Parameters without a short name must not answer to an empty name.
  if (name.empty()) return nullptr;
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
  parameter->RequireStorableNames();
  parameter->Fit();
  parameter->Idtor = NewId();
  if (store_) store_->InsertParameter(*parameter);
  const auto at =
      std::upper_bound(parameters_.begin(), parameters_.end(), parameter, ParameterBefore);
  TParameter& added = **parameters_.insert(at, std::move(parameter));
  RebuildCategories();
  return added;
}

std::vector<TParameter*>
TProject::AdoptParameters(std::vector<std::unique_ptr<TParameter>> parameters) {
  std::vector<TParameter*> adopted;
  adopted.reserve(parameters.size());
  for (auto& parameter : parameters) {
    adopted.push_back(parameter.get());
    parameters_.push_back(std::move(parameter));
  }
  SortParameters();
  RebuildCategories();
  return adopted;
}

void TProject::ForgetParameters(const std::vector<int32_t>& ids) {
  if (ids.empty()) return;
  const std::unordered_set<int32_t> gone(ids.begin(), ids.end());
  std::erase_if(parameters_, [&](const auto& parameter) { return gone.count(parameter->Idtor); });
  RebuildCategories();
}

void TProject::UpdateParameter(const TParameter& edited) {
  TParameter staged;
  staged.Assign(edited);
  staged.RequireStorableNames();
  staged.Fit();
  if (store_) store_->UpdateParameter(staged);
  TParameter* parameter = ParameterById(edited.Idtor);
  if (!parameter) {
    if (!store_) RaiseSystemError("Can't find parameter. Idtor = " + std::to_string(edited.Idtor));
    // The row exists although the list lost it: the list follows the table.
    auto added = std::make_unique<TParameter>();
    parameter = added.get();
    parameters_.push_back(std::move(added));
  }
  if (parameter != &edited)
    parameter->Assign(staged);
  else
    parameter->Fit();
  SortParameters();
  RebuildCategories();
}

void TProject::DeleteParameter(int32_t id) {
  if (store_) store_->DeleteParameter(id);
  std::erase_if(parameters_, [id](const auto& parameter) { return parameter->Idtor == id; });
  RebuildCategories();
}

void TProject::ReplaceParameters(std::vector<std::unique_ptr<TParameter>> parameters) {
  parameters_ = std::move(parameters);
  SortParameters();
  RebuildCategories();
}

void TProject::SortParameters() {
  std::stable_sort(parameters_.begin(), parameters_.end(), ParameterBefore);
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
    const auto at = std::upper_bound(variables_.begin(), variables_.end(), created, VariableBefore);
    variable = variables_.insert(at, std::move(created))->get();
  }
  variable->Comment = std::move(comment);
  variable->Value.Assign(value);
  return *variable;
}

bool TProject::SaveVariable(const TVariable& variable, std::string_view storedName) {
  if (!CheckStorableName(variable.Name, kNameCapacity)) return false;
  TVariable staged;
  staged.Name = UpperCase(variable.Name);
  staged.Comment = variable.Comment.substr(0, kCommentCapacity);
  staged.Value.Assign(variable.Value);
  const std::string from = storedName.empty() ? staged.Name : UpperCase(storedName);
  if (store_ && !store_->SaveVariable(staged, from)) return false;

  TVariable* entry = FindVariable(from);
  if (!entry) entry = FindVariable(staged.Name);
  if (!entry) {
    variables_.push_back(std::make_unique<TVariable>());
    entry = variables_.back().get();
  }
  // A rename onto the name of another entry of a project in memory replaces it.
  std::erase_if(variables_, [&](const auto& other) {
    return other.get() != entry && SameText(other->Name, staged.Name);
  });
  entry->Name = staged.Name;
  entry->Comment = staged.Comment;
  entry->Value.Assign(staged.Value);
  SortVariables();
  return true;
}

void TProject::DeleteVariable(std::string_view name) {
  TVariable* variable = FindVariable(name);
  if (!variable) return;
  if (store_) store_->DeleteVariable(variable->Name);
  std::erase_if(variables_, [variable](const auto& entry) { return entry.get() == variable; });
}

void TProject::ReplaceVariables(std::vector<std::unique_ptr<TVariable>> variables) {
  variables_ = std::move(variables);
}

void TProject::SortVariables() {
  std::stable_sort(variables_.begin(), variables_.end(), VariableBefore);
}

void TProject::InsertIndexEntry(TIndexKind kind, TIndexEntry entry) {
  auto& list = IndexEntries(kind);
  const auto at =
      std::upper_bound(list.begin(), list.end(), entry,
                       [](const auto& a, const auto& b) { return a.EntryName < b.EntryName; });
  list.insert(at, std::move(entry));
}

void TProject::ClearLists() {
  parameters_.clear();
  categories_.clear();
  units_.Clear();
  variables_.clear();
  chartNames_.clear();
  chartsInUse_.clear();
  templateNames_.clear();
  for (auto& list : indexEntries_)
    list.clear();
}

std::string TProject::ObjectName(int32_t id) const {
  return store_ ? store_->ObjectName(id) : std::string();
}
std::string TProject::RecordName(int32_t id) const {
  return store_ ? store_->RecordName(id) : std::string();
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
