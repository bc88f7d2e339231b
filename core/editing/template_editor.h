// The rules of the template windows, without their widgets: the templates
// dialog ("Templates"), the template editor ("Edit Template"), the
// parameter-line editor ("Edit Parameter Template") and the action editor
// ("Edit Action").
//
// Each editor works on an object its caller hands it and changes that object
// only when a rule lets it; a refusal shows its message and leaves both the
// object and what was typed as they were, so the window stays open on it.
// The template editor works on a template of its own (loaded, or made new)
// and writes it with TTemplate::Save, one transaction for the template, its
// lines, its actions and the rows of lines taken out, so a failure stores
// nothing.
#pragma once

#include "model/template.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TDataRecord;
class TProject;

// --- "Templates" -----------------------------------------------------------

// "Template " + name + " will be deleted." CR LF "Are you sure?" (default
// No); Yes removes the template with its lines and its name from the
// project's list. False when not deleted.
bool DeleteTemplateFromList(std::string_view name);

// --- "Edit Template" -------------------------------------------------------

inline constexpr const char* kNamingHint =
    "Enter an expression to define name for objects created by te template";
inline constexpr const char* kConstraintHint = "Condition should be true";
inline constexpr const char* kOptionalHint = "The parameter may be of null value";
inline constexpr const char* kHiddenHint = "Parameter is not displayed by default";

// One row of the parameter-line grid ("Parameter", "Constraints"). A line
// whose parameter was deleted shows an empty parameter.
struct TParamLineRow {
  std::string Parameter;
  std::string Constraints;
};

// One row of the action grid: condition ("true" when null), type, launch.
struct TActionRow {
  std::string Condition;
  std::string Type;
  std::string Launch;
};

class TTemplateEditor {
public:
  // A template read from the project by name (raises as TTemplate::Load).
  static std::unique_ptr<TTemplateEditor> ForTemplate(std::string_view name);
  // A new template, not stored, without lines.
  static std::unique_ptr<TTemplateEditor> ForNewTemplate();
  // A new template whose lines are the record's pairs that name a parameter
  // (their values as defaults, their visibility kept) and whose actions are
  // copies of the given ones: "Save as Template" with the record dialog's
  // group list.
  static std::unique_ptr<TTemplateEditor>
  FromRecord(const TDataRecord& record, const std::vector<const TActionTemplate*>& actions = {});

  TTemplate& Template() { return *template_; }
  const TTemplate& Template() const { return *template_; }
  // The name the template had when the editor opened; empty for a new one.
  const std::string& FormerName() const { return formerName_; }

  // Leaving the name field: a name that is not an identifier shows "The
  // template name is to be identifier"; an empty one is left for OK.
  bool CheckNameOnLeave(std::string_view typed) const;
  // OK's check of the name, trimmed and upper-cased: a non-empty identifier
  // ("The template name should be identifier") that no other template of
  // the project has ("The template name should be unique within project"),
  // the template's own name in any case being allowed.
  bool CheckName(std::string_view typed) const;

  std::vector<TParamLineRow> LineRows() const;
  std::vector<TActionRow> ActionRows() const;

  // "Edit Parameter" / "Edit Action" with the current row (-1 for none):
  // "Select a parameter to edit" / "Select an action to edit".
  bool CanEditLine(int index) const;
  bool CanEditAction(int index) const;
  // "Delete Parameter" / "Delete Action": "Select a parameter to delete" /
  // "Select an action to delete" without a row, then a question (default
  // No). A stored line's row is deleted when the template is saved.
  bool DeleteLine(int index);
  bool DeleteAction(int index);
  // Dragging a row onto another: the line moves there, the others close up.
  bool MoveLine(int from, int to);
  bool MoveAction(int from, int to);

  // OK: the name's checks, then the template is stored under the name cut to
  // 32 characters. False after a message; the template and the stored rows
  // are then as they were before OK.
  bool Save(std::string_view typedName);

private:
  TTemplateEditor() = default;
  std::unique_ptr<TTemplate> template_;
  std::string formerName_;
};

// --- "Edit Parameter Template" ----------------------------------------------

// OK of the parameter-line editor on line index of tmpl (-1 for a new line):
// the parameter named must exist ("Invalid parameter name") and no other
// line may use it ("Parameter template redeclared. See #" + that line's
// index from 0). On success line takes the parameter.
bool AcceptParamLine(const TTemplate& tmpl, int index, std::string_view parameterName,
                     TParamTemplate& line);

// The page the value constructor opens on for a line's default value: the
// page of the value's kind; any other kind raises "Invalid Value Tag".
int DefaultValuePage(const TValue& value);

// --- "Edit Action" ------------------------------------------------------------

inline constexpr const char* kArgumentCaption = "Value Details (Action argument)";
inline constexpr const char* kConditionCaption = "Value Details (Action condition)";

// How the action editor shows an action of a type.
struct TActionLayout {
  std::string ArgumentLabel; // "Group:", "Text:", "Error Msg:", "Command:"
  bool ApplyToEnabled = false;
  bool LaunchEnabled = true; // false: the launch moment is fixed
  bool OneLineArgument = false;
};
TActionLayout ActionLayout(int type);
// The argument of a "Message" or "Error Message" in the multi-line field:
// text of several lines, or a formula.
bool MultiLineArgument(const TActionTemplate& action);
// "true" for a null condition, else its text.
std::string ConditionText(const TValue& condition);

// Choosing a type: "Add to Group" fixes the launch moment to "After Save",
// "Error Message" to "Before Save"; the others keep theirs.
void SetActionType(TActionTemplate& action, int type);
// The value constructor's result for the argument: a formula always, else
// what the type needs ("Argument should be a group", "Argument should be a
// plain value", "Argument should be a string"). A refused value leaves the
// argument unchanged.
bool AcceptArgument(TActionTemplate& action, const TValue& argument);
// The constructor's result for the condition: null, a formula or an auto
// formula ("Condition should be a formula"), and never null for an "Error
// Message".
bool AcceptCondition(TActionTemplate& action, const TValue& condition);

} // namespace vandro
