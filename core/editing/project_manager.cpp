#include "editing/project_manager.h"

#include "editing/parameter_list.h"
#include "editing/project_info.h"
#include "editing/unit_editor.h"
#include "model/template.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "values/value_text.h"

#include <algorithm>
#include <iterator>

namespace vandro {

namespace {

using Kind = TManagerNodeKind;

TManagerNode Node(Kind kind, std::string caption, int32_t id = 0) {
  TManagerNode node;
  node.Kind = kind;
  node.Caption = std::move(caption);
  node.Id = id;
  return node;
}

// Only read here; the catalogue has no const access because it builds normal
// forms on demand.
TUnitCatalogue& Catalogue(const TProject& project) {
  return const_cast<TProject&>(project).Units();
}

TManagerNode UnitsNode(const TProject& project) {
  TManagerNode units = Node(Kind::Units, "Units");
  TUnitCatalogue& catalogue = Catalogue(project);
  for (const std::string& category : catalogue.Categories()) {
    TManagerNode node = Node(Kind::UnitCategory, category);
    for (int i = 0; i < catalogue.Count(); ++i)
      if (SameText(catalogue[i].category, category))
        node.Children.push_back(Node(Kind::Unit, catalogue[i].name, catalogue[i].id));
    units.Children.push_back(std::move(node));
  }
  return units;
}

TManagerNode NamesNode(Kind kind, Kind childKind, std::string caption,
                       const std::vector<std::string>& names) {
  TManagerNode node = Node(kind, std::move(caption));
  for (const std::string& name : names)
    node.Children.push_back(Node(childKind, name));
  return node;
}

TManagerNode IndexNode(const TProject& project, TIndexKind kind) {
  const bool groups = kind == ikGroups;
  TManagerNode node =
      Node(groups ? Kind::GroupIndex : Kind::ObjectIndex, groups ? "Group Index" : "Object Index");
  if (groups) node.Children.push_back(Node(Kind::AllObjects, "All Objects"));
  for (const TIndexEntry& entry : project.IndexEntries(kind))
    node.Children.push_back(Node(groups ? Kind::GroupEntry : Kind::ObjectEntry, entry.EntryName));
  return node;
}

TDetailGrid CaptionGrid(std::initializer_list<std::pair<const char*, std::string>> rows) {
  TDetailGrid grid;
  for (const auto& [caption, value] : rows)
    grid.Rows.push_back({caption, value});
  return grid;
}

const TIndexEntry& EntryOf(const TProject& project, const TManagerNode& node) {
  const TIndexKind kind = node.Kind == Kind::GroupEntry ? ikGroups : ikObjects;
  for (const TIndexEntry& entry : project.IndexEntries(kind))
    if (entry.EntryName == node.Caption) return entry;
  RaiseError(kind == ikGroups ? "??? Group index entry not found ???"
                              : "??? Object index entry not found ???");
}

TDetailGrid ParameterGrid(const TParameter& parameter) {
  return CaptionGrid({{"Parameter Name", parameter.ParamName},
                      {"Short Name", parameter.ShortName},
                      {"Category", parameter.Category},
                      {"Description", parameter.Descript},
                      {"Default Value", ToDisplayText(&parameter.DefValue)},
                      {"Param Type", ""},
                      {"Valid Time", std::to_string(parameter.ValidTime)}});
}

TDetailGrid UnitGrid(const TUnit& unit) {
  return CaptionGrid({{"Unit Name", unit.name},
                      {"Short Name", unit.shortName},
                      {"Category", unit.category},
                      {"Description", unit.description},
                      {"User Defined", ShownYesNo(!unit.generic)},
                      {"Basic Unit", ShownYesNo(unit.basic)},
                      {"Factor", ShownNumber(unit.coefficient)},
                      {"Offset", ShownNumber(unit.offset)},
                      {"Formula", unit.formula}});
}

TDetailGrid TemplateGrid(const std::string& name) {
  TTemplate tmpl;
  tmpl.Name = name;
  tmpl.Load();
  TDetailGrid grid;
  grid.Columns = {"Parameter", "Default Value", "Constraints", "Optional", "Invisible"};
  for (const auto& line : tmpl.ParamLines)
    grid.Rows.push_back({line->Parameter ? line->Parameter->ParamName : std::string(),
                         ToDisplayText(&line->DefValue), ToDisplayText(&line->Constr),
                         ShownYesNo(line->Optional), ShownYesNo(line->Invisible)});
  return grid;
}

// The name the entry's object has now: the list keeps the name it had when
// the project was opened, and the object may have been renamed since.
std::string EntryObjectName(const TIndexEntry& entry) {
  std::string name = APSObjectName(entry.ObjIdtor);
  return name.empty() ? entry.ObjName : name;
}

TDetailGrid EntryGrid(const TIndexEntry& entry) {
  return CaptionGrid({{"Entry Name", entry.EntryName},
                      {"Object Name", EntryObjectName(entry)},
                      {"Object Identifier", std::to_string(entry.ObjIdtor)},
                      {"Description", entry.Comment}});
}

} // namespace

// --- the tree -----------------------------------------------------------------

TManagerNode ParametersNode(const TProject& project) {
  TManagerNode parameters = Node(Kind::Parameters, "Parameters");
  for (const std::string& category : project.ParameterCategories()) {
    TManagerNode node = Node(Kind::ParameterCategory, category);
    for (const auto& parameter : project.Parameters())
      if (SameText(parameter->Category, category))
        node.Children.push_back(Node(Kind::Parameter, parameter->ParamName, parameter->Idtor));
    if (!node.Children.empty()) parameters.Children.push_back(std::move(node));
  }
  return parameters;
}

TManagerNode ProjectTree(const TProject& project) {
  TManagerNode root =
      Node(Kind::Project, project.Info().Name.empty() ? APSProjectName() : project.Info().Name);
  root.Children.push_back(ParametersNode(project));
  root.Children.push_back(UnitsNode(project));
  root.Children.push_back(
      NamesNode(Kind::Templates, Kind::Template, "Templates", project.TemplateNames()));
  root.Children.push_back(NamesNode(Kind::Charts, Kind::Chart, "Charts", project.ChartNames()));
  root.Children.push_back(IndexNode(project, ikObjects));
  root.Children.push_back(IndexNode(project, ikGroups));
  return root;
}

// --- details ------------------------------------------------------------------

TDetailGrid ProjectInfoGrid(const TProjectInfo& info) {
  TDetailGrid grid;
  for (const TInfoRowText& row : ProjectInfoRows(info, TInfoUse::Showing))
    grid.Rows.push_back({row.Title, row.Text});
  return grid;
}

std::vector<std::string> ProjectInfoLines(const TProjectInfo& info) {
  const std::vector<TInfoRowText> rows = ProjectInfoRows(info, TInfoUse::Showing);
  return {"Location:",
          info.Location,
          info.Name,
          "Version info: " + info.Version,
          info.Description,
          info.Author,
          info.Organization,
          "Project started: " + rows[irStartDate].Text,
          "Last opened: " + rows[irLastOpened].Text,
          "Comments:",
          info.Comments};
}

void ApplyProjectInfo(TProject& project, const std::vector<std::string>& edited) {
  project.UpdateInfo(ProjectInfoFromRows(project.Info(), TInfoUse::Editing, edited));
}

TDetailGrid NodeDetails(const TProject& project, const TManagerNode& node) {
  switch (node.Kind) {
  case Kind::Project:
    return ProjectInfoGrid(project.Info());
  case Kind::Parameter:
    if (const TParameter* parameter = project.ParameterById(node.Id))
      return ParameterGrid(*parameter);
    return {};
  case Kind::Unit:
    if (const TUnit* unit = Catalogue(project).FindById(node.Id)) return UnitGrid(*unit);
    return {};
  case Kind::Template:
    return TemplateGrid(node.Caption);
  case Kind::ObjectEntry:
  case Kind::GroupEntry:
    return EntryGrid(EntryOf(project, node));
  default:
    return {};
  }
}

// --- double-click -------------------------------------------------------------

bool ManagerButtonChangesProject(std::string_view caption) {
  static constexpr std::string_view kChanging[] = {"Edit",       "Add Entry",    "Delete Entry",
                                                   "Edit Entry", "Add Variable", "Delete Variable"};
  return std::find(std::begin(kChanging), std::end(kChanging), caption) != std::end(kChanging);
}

TNodeAction NodeAction(const TProject& project, const TManagerNode& node) {
  const bool editor =
      node.Kind == Kind::Parameter || node.Kind == Kind::Unit || node.Kind == Kind::Template;
  if (editor && ProjectIsReadOnly()) {
    ShowMsg("The project " + APSProjectPath() + " is open read-only: nothing can be changed");
    return TNodeAction::None;
  }
  switch (node.Kind) {
  case Kind::Parameter: {
    const TParameter* parameter = project.ParameterById(node.Id);
    if (!parameter || !CanEditParameter(*parameter)) return TNodeAction::None;
    return TNodeAction::EditParameter;
  }
  case Kind::Unit:
    return CanEditUnit(node.Id) ? TNodeAction::EditUnit : TNodeAction::None;
  case Kind::Template:
    return TNodeAction::EditTemplate;
  case Kind::Chart:
    return TNodeAction::OpenChart;
  case Kind::ObjectEntry:
  case Kind::GroupEntry:
    EntryOf(project, node);
    return TNodeAction::ViewObject;
  case Kind::AllObjects:
    return TNodeAction::ListGroups;
  default:
    return TNodeAction::None;
  }
}

int32_t EntryObject(const TProject& project, const TManagerNode& node) {
  return EntryOf(project, node).ObjIdtor;
}

std::vector<std::pair<int32_t, std::string>> AllGroups() {
  std::vector<std::pair<int32_t, std::string>> groups;
  TAPSObjTablePage page;
  APSFillPageFiltered(page, false, true);
  for (int offset = 0;;) {
    for (int i = 0; i < page.Count; ++i)
      groups.emplace_back(page.Entries[static_cast<size_t>(i)].ObjIdtor,
                          page.Entries[static_cast<size_t>(i)].ObjName);
    offset += page.Count;
    if (page.Count < page.PageSize) break;
    APSFillPageAt(page, offset);
  }
  APSClearObjectFilter();
  return groups;
}

bool IsGroup(int32_t id) {
  const auto groups = AllGroups();
  return std::any_of(groups.begin(), groups.end(),
                     [id](const auto& group) { return group.first == id; });
}

bool ApplyParameterEdit(const TParameter& edited) {
  return UpdateParameterFromEditor(edited);
}

// --- variables ----------------------------------------------------------------

std::vector<TVariableRow> VariableRows(const TProject& project, TVariableOrder order) {
  std::vector<TVariableRow> rows;
  for (const auto& variable : project.Variables())
    rows.push_back({variable->Name, ToDisplayText(&variable->Value), variable->Comment});
  auto key = [order](const TVariableRow& row) -> const std::string& {
    switch (order) {
    case TVariableOrder::Value:
      return row.Value;
    case TVariableOrder::Comment:
      return row.Comment;
    default:
      return row.Name;
    }
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const TVariableRow& a, const TVariableRow& b) {
    return CompareText(key(a), key(b)) < 0;
  });
  if (rows.empty()) rows.emplace_back();
  return rows;
}

TVariable* VariableOfRow(const TProject& project, bool selected, std::string_view rowName) {
  if (!selected || TrimView(rowName).empty()) {
    ShowMsg("Select variable");
    return nullptr;
  }
  TVariable* variable = project.FindVariable(rowName);
  if (!variable) ShowMsg("Can't find variable " + std::string(rowName));
  return variable;
}

bool StoreVariable(TProject& project, const TVariableForm& form, std::string_view storedName) {
  const std::string name = UpperCase(TrimView(form.Name));
  if (!CheckStorableName(name, kNameCapacity)) return false;
  if (name.empty() || !IsName(name)) {
    ShowMsg("Variable name should be an identifier");
    return false;
  }
  if (IsSystemName(name)) {
    ShowMsg("Variable name is a reserved name");
    return false;
  }
  const TVariable* stored = storedName.empty() ? nullptr : project.FindVariable(storedName);
  if (!storedName.empty() && !stored) {
    ShowMsg("Can't find variable " + std::string(storedName));
    return false;
  }
  const TVariable* namesake = project.FindVariable(name);
  if (namesake && namesake != stored) {
    ShowMsg("Variable " + name + " already exists");
    return false;
  }
  TVariable variable;
  variable.Name = name;
  // One line is all the stored form keeps of a comment.
  variable.Comment = std::string(form.Comment.substr(0, kCommentCapacity));
  std::replace(variable.Comment.begin(), variable.Comment.end(), '\r', ' ');
  std::replace(variable.Comment.begin(), variable.Comment.end(), '\n', ' ');
  if (form.KeepValue && stored)
    variable.Value.Assign(stored->Value);
  else
    variable.Value.SetPlain(Trim(form.Value));
  try {
    return project.SaveVariable(variable, stored ? std::string_view(stored->Name) : name);
  } catch (const ErrorException&) {
    return false; // shown; the list is as it was
  }
}

bool DeleteVariableAsked(TProject& project, const TVariable& variable) {
  const std::string name = variable.Name;
  if (!Ask("Variable " + name + " will be deleted." + kLineBreak + "Are you sure?", false))
    return false;
  project.DeleteVariable(name);
  return true;
}

namespace {

void AppendValueLines(const TValue& value, const std::string& indent,
                      std::vector<std::string>& lines) {
  static const char* const kKinds[] = {"Plain", "Object", "Array", "Link", "Calculated"};
  const std::string kind = value.Kind() < std::size(kKinds) ? kKinds[value.Kind()] : "Other";
  if (!value.IsArray()) {
    lines.push_back(indent + kind + ": " + ToDisplayText(&value));
    return;
  }
  lines.push_back(indent + kind + " of " + std::to_string(value.ItemCount()) + " items");
  for (int i = 0; i < value.ItemCount(); ++i)
    AppendValueLines(value.GetItem(i), indent + "  ", lines);
}

} // namespace

std::vector<std::string> VariableViewLines(const TVariable& variable) {
  std::vector<std::string> lines = {"Name: " + variable.Name, "Comment: " + variable.Comment};
  AppendValueLines(variable.Value, "", lines);
  return lines;
}

// --- index tabs ---------------------------------------------------------------

TDetailGrid IndexGrid(const TProject& project, TIndexKind kind) {
  TDetailGrid grid;
  grid.Columns = {"Entry Name", "Object Name", "Object Identifier", "Description"};
  for (const TIndexEntry& entry : project.IndexEntries(kind))
    grid.Rows.push_back(
        {entry.EntryName, EntryObjectName(entry), std::to_string(entry.ObjIdtor), entry.Comment});
  if (grid.Rows.empty()) grid.Rows.push_back(std::vector<std::string>(grid.Columns.size()));
  return grid;
}

bool StoreIndexEntry(TIndexKind kind, int row, std::string_view name, std::string_view comment,
                     int32_t objectId) {
  if (TrimView(name).empty()) {
    ShowMsg("Enter the entry name");
    return false;
  }
  if (objectId <= 0 || APSObjectName(objectId).empty() ||
      (kind == ikGroups && !IsGroup(objectId))) {
    ShowMsg(kind == ikGroups ? "Select a group" : "Select an object");
    return false;
  }
  return row < 0 ? AddEntry(kind, name, comment, objectId)
                 : EditEntry(kind, row, name, comment, objectId);
}

bool EntrySelected(const TProject& project, TIndexKind kind, int row) {
  if (row >= 0 && row < static_cast<int>(project.IndexEntries(kind).size())) return true;
  ShowMsg("Select an entry");
  return false;
}

} // namespace vandro
