// The rules of the "Project Manager" window on the open project, without its
// widgets: what the tree holds, what the detail grid shows for a node, what
// double-clicking a node does, the project information page, and the
// variables grid with its buttons. The window only draws what these give and
// hands back what the user chose; each refusal shows its message here.
#pragma once

#include "model/object_index.h"
#include "model/project.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vandro {

enum class TManagerNodeKind {
  Project,
  Parameters,
  ParameterCategory,
  Parameter,
  Units,
  UnitCategory,
  Unit,
  Templates,
  Template,
  Charts,
  Chart,
  ObjectIndex,
  ObjectEntry,
  GroupIndex,
  AllObjects,
  GroupEntry,
};

struct TManagerNode {
  TManagerNodeKind Kind = TManagerNodeKind::Project;
  std::string Caption;
  // The parameter's or unit's identifier; 0 for the other kinds, which are
  // found by their caption.
  int32_t Id = 0;
  std::vector<TManagerNode> Children;
};

// The tree: the project's name, then "Parameters" (a node per category in
// the category list's order, each with its parameters' names), "Units" (a
// node per category, sorted, each with its units' names), "Templates",
// "Charts", "Object Index" and "Group Index" ("All Objects", then the
// entries). A node has children only when there is something to show.
TManagerNode ProjectTree(const TProject& project);
// The "Parameters" branch alone, rebuilt after a parameter changed.
TManagerNode ParametersNode(const TProject& project);

// A grid of text cells; Columns empty for a two-column caption/value grid.
struct TDetailGrid {
  std::vector<std::string> Columns;
  std::vector<std::vector<std::string>> Rows;
};

// What the detail grid shows for a selected node. An index entry missing
// from the project's list raises "??? Object index entry not found ???" (or
// the group index's). Folders and charts (which show the chart itself) give
// an empty grid.
TDetailGrid NodeDetails(const TProject& project, const TManagerNode& node);

// The project information grid of the root node: the rows of
// ProjectInfoRows (editing/project_info.h) as they are shown.
TDetailGrid ProjectInfoGrid(const TProjectInfo& info);
// The read-only text of "General Info", one line per entry.
std::vector<std::string> ProjectInfoLines(const TProjectInfo& info);
// The editor's OK: edited holds the texts of ProjectInfoRows(info,
// TInfoUse::Editing) in row order. Stores the six editable fields cut to
// their capacities (the dates are kept) and rewrites the project file.
void ApplyProjectInfo(TProject& project, const std::vector<std::string>& edited);

// The window's buttons that change the project, by caption ("Add Entry",
// "Delete Variable", the "Edit" of "General Info" and of "Variables"): a
// project opened for looking has them disabled.
bool ManagerButtonChangesProject(std::string_view caption);

// What double-clicking a node asks of the window.
enum class TNodeAction {
  None,          // nothing to do, or refused after a message
  EditParameter, // the parameter editor on the node's parameter
  EditUnit,      // the unit editor on the node's unit
  EditTemplate,  // the template editor on the node's template
  OpenChart,     // the chart named by the node
  ViewObject,    // the object view on EntryObject()
  ListGroups,    // "All Objects": every group to choose from
};
// A supplied unit shows "This unit can't be modified", a system parameter
// "Editing of system parameters is not allowed": neither editor opens. In a
// project opened for looking no editor opens: "The project " + path + " is
// open read-only: nothing can be changed".
TNodeAction NodeAction(const TProject& project, const TManagerNode& node);
// The object an index entry node points to; raises as NodeDetails when the
// entry is gone.
int32_t EntryObject(const TProject& project, const TManagerNode& node);

// Every group of the project in name order, as (identifier, name): what
// "All Objects" offers to choose from.
std::vector<std::pair<int32_t, std::string>> AllGroups();
// Whether the object is a group (it has had members).
bool IsGroup(int32_t id);

// The parameter editor's OK on a double-clicked parameter: the editor's
// checks, then the row is rewritten. False, with the parameter unchanged,
// when refused.
bool ApplyParameterEdit(const TParameter& edited);

// --- "Variables" ----------------------------------------------------------

enum class TVariableOrder { Name, Value, Comment };

struct TVariableRow {
  std::string Name;
  std::string Value; // display text
  std::string Comment;
};
// One row per project variable in the order asked for ("Sort by Name" is
// TVariableOrder::Name); a project without variables gives one empty row.
std::vector<TVariableRow> VariableRows(const TProject& project, TVariableOrder order);

// The variable of a grid row for "Edit", "View" and "Delete Variable":
// "Select variable" when no row is selected (selected false, or the empty
// row), "Can't find variable " + name when the project has none of that
// name; nullptr then.
TVariable* VariableOfRow(const TProject& project, bool selected, std::string_view rowName);

// What the variable dialog gives back.
struct TVariableForm {
  std::string Name;
  std::string Value; // a plain value's text; empty for none
  std::string Comment;
  // The stored value is of a kind the dialog does not edit (an array, a
  // reference, a formula): it is kept as it is instead of Value.
  bool KeepValue = false;
};
// Checks and stores the dialog's variable: a new one when storedName is
// empty, else the variable of that name (renamed when the name changed).
// Refused with "Variable name should be an identifier" (the name is
// trimmed; empty or not a name), "Variable name is a reserved name" for a
// system name, and "Variable " + name + " already exists" when another
// variable has the name. False when refused; nothing changes then.
bool StoreVariable(TProject& project, const TVariableForm& form, std::string_view storedName);
// "Variable " + name + " will be deleted." CR LF "Are you sure?" (default
// No); Yes deletes it with its stored row.
bool DeleteVariableAsked(TProject& project, const TVariable& variable);
// The value viewer's text: the value's kind and its full text, array items
// one per line.
std::vector<std::string> VariableViewLines(const TVariable& variable);

// --- "Object Index" / "Group Index" -----------------------------------------

// The index tabs' grid: "Entry Name", "Object Name", "Object Identifier",
// "Description", one row per entry of the kind (one empty row when none).
// The object's name is the one it has now, also after a rename.
TDetailGrid IndexGrid(const TProject& project, TIndexKind kind);
// The entry dialog's OK: a new entry when row is -1, else the entry at row
// changed (AddEntry, EditEntry). A name of blanks only is refused with
// "Enter the entry name", no object or one that is gone with "Select an
// object", and for the group index no group (a plain object included) with
// "Select a group"; nothing changes then.
bool StoreIndexEntry(TIndexKind kind, int row, std::string_view name, std::string_view comment,
                     int32_t objectId);
// Whether row is an entry of the kind's list; "Select an entry" when not.
bool EntrySelected(const TProject& project, TIndexKind kind, int row);

} // namespace vandro
