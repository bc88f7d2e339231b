#include "editing/template_editor.h"

#include "editing/value_constructor.h"
#include "model/data_record.h"
#include "model/project.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "values/value_text.h"

#include <algorithm>

namespace vandro {

namespace {

constexpr size_t kTemplateNameCapacity = 32;

bool NameIsIdentifier(std::string_view name) {
  return !name.empty() && IsName(name);
}

// Moves the element at from to to, the others closing up.
template <typename T> bool Move(std::vector<std::unique_ptr<T>>& items, int from, int to) {
  const int count = static_cast<int>(items.size());
  if (from < 0 || to < 0 || from >= count || to >= count || from == to) return false;
  auto item = std::move(items[static_cast<size_t>(from)]);
  items.erase(items.begin() + from);
  items.insert(items.begin() + to, std::move(item));
  return true;
}

} // namespace

bool DeleteTemplateFromList(std::string_view name) {
  if (name.empty()) return false;
  if (!Ask("Template " + std::string(name) + " will be deleted." + kLineBreak + "Are you sure?",
           false))
    return false;
  DeleteTemplate(name);
  return true;
}

// --- "Edit Template" -------------------------------------------------------

std::unique_ptr<TTemplateEditor> TTemplateEditor::ForTemplate(std::string_view name) {
  std::unique_ptr<TTemplateEditor> editor(new TTemplateEditor);
  editor->template_ = std::make_unique<TTemplate>("TTemplateEditor.ForTemplate");
  editor->template_->Name = name;
  editor->template_->Load();
  editor->formerName_ = editor->template_->Name;
  return editor;
}

std::unique_ptr<TTemplateEditor> TTemplateEditor::ForNewTemplate() {
  std::unique_ptr<TTemplateEditor> editor(new TTemplateEditor);
  editor->template_ = std::make_unique<TTemplate>("TTemplateEditor.ForNewTemplate");
  return editor;
}

std::unique_ptr<TTemplateEditor>
TTemplateEditor::FromRecord(const TDataRecord& record,
                            const std::vector<const TActionTemplate*>& actions) {
  std::unique_ptr<TTemplateEditor> editor = ForNewTemplate();
  TTemplate& tmpl = *editor->template_;
  for (const auto& pair : record.PVs) {
    if (!pair->Parameter || tmpl.FindParamLine(*pair->Parameter) >= 0) continue;
    auto line = std::make_unique<TParamTemplate>("TTemplateEditor.FromRecord");
    line->Parameter = pair->Parameter;
    line->ParamId = pair->Parameter->Idtor;
    line->DefValue.Assign(pair->Value);
    line->Invisible = pair->Invisible;
    tmpl.ParamLines.push_back(std::move(line));
  }
  for (const TActionTemplate* action : actions) {
    auto copy = std::make_unique<TActionTemplate>("TTemplateEditor.FromRecord");
    copy->Assign(*action);
    tmpl.Actions.push_back(std::move(copy));
  }
  return editor;
}

bool TTemplateEditor::CheckNameOnLeave(std::string_view typed) const {
  const std::string name = Trim(typed);
  if (name.empty() || IsName(name)) return true;
  ShowMsg("The template name is to be identifier");
  return false;
}

bool TTemplateEditor::CheckName(std::string_view typed) const {
  const std::string name = UpperCase(Trim(typed));
  if (!NameIsIdentifier(name)) {
    ShowMsg("The template name should be identifier");
    return false;
  }
  const std::string stored = name.substr(0, kTemplateNameCapacity);
  if (!SameText(stored, formerName_)) {
    const TProject* project = CurrentProject();
    if (project)
      for (const std::string& other : project->TemplateNames())
        if (SameText(other, stored)) {
          ShowMsg("The template name should be unique within project");
          return false;
        }
  }
  return true;
}

std::vector<TParamLineRow> TTemplateEditor::LineRows() const {
  std::vector<TParamLineRow> rows;
  for (const auto& line : template_->ParamLines)
    rows.push_back({line->Parameter ? line->Parameter->ParamName : std::string(),
                    ToDisplayText(&line->Constr)});
  return rows;
}

std::vector<TActionRow> TTemplateEditor::ActionRows() const {
  std::vector<TActionRow> rows;
  for (const auto& action : template_->Actions)
    rows.push_back({ConditionText(action->Condition), ActionTypeName(action->ActionType),
                    LaunchMomentName(action->Launch)});
  return rows;
}

bool TTemplateEditor::CanEditLine(int index) const {
  if (index >= 0 && index < template_->ParamLineCount()) return true;
  ShowMsg("Select a parameter to edit");
  return false;
}

bool TTemplateEditor::CanEditAction(int index) const {
  if (index >= 0 && index < template_->ActionCount()) return true;
  ShowMsg("Select an action to edit");
  return false;
}

bool TTemplateEditor::DeleteLine(int index) {
  if (index < 0 || index >= template_->ParamLineCount()) {
    ShowMsg("Select a parameter to delete");
    return false;
  }
  const TParameter* parameter = template_->ParamLine(index).Parameter;
  const std::string name = parameter ? " " + parameter->ParamName : std::string();
  if (!Ask("Delete the parameter line" + name + "?", false)) return false;
  template_->RemoveParamLine(index);
  return true;
}

bool TTemplateEditor::DeleteAction(int index) {
  if (index < 0 || index >= template_->ActionCount()) {
    ShowMsg("Select an action to delete");
    return false;
  }
  const TActionTemplate& action = template_->Action(index);
  if (!Ask("Delete the action " + ActionTypeName(action.ActionType) + "?", false)) return false;
  template_->RemoveAction(index);
  return true;
}

bool TTemplateEditor::MoveLine(int from, int to) {
  return Move(template_->ParamLines, from, to);
}

bool TTemplateEditor::MoveAction(int from, int to) {
  return Move(template_->Actions, from, to);
}

bool TTemplateEditor::Save(std::string_view typedName) {
  if (!CheckName(typedName)) return false;
  const std::string former = template_->Name;
  template_->Name = UpperCase(Trim(typedName)).substr(0, kTemplateNameCapacity);
  if (!template_->Save()) {
    template_->Name = former;
    return false;
  }
  formerName_ = template_->Name;
  return true;
}

// --- "Edit Parameter Template" ----------------------------------------------

bool AcceptParamLine(const TTemplate& tmpl, int index, std::string_view parameterName,
                     TParamTemplate& line) {
  const TProject* project = CurrentProject();
  const TParameter* parameter = project ? project->FindParameter(Trim(parameterName)) : nullptr;
  if (!parameter) {
    ShowMsg("Invalid parameter name");
    return false;
  }
  for (int i = 0; i < tmpl.ParamLineCount(); ++i) {
    const TParameter* own = tmpl.ParamLine(i).Parameter;
    if (i != index && own && own->Idtor == parameter->Idtor) {
      ShowMsg("Parameter template redeclared. See #" + std::to_string(i));
      return false;
    }
  }
  line.Parameter = parameter;
  line.ParamId = parameter->Idtor;
  return true;
}

int DefaultValuePage(const TValue& value) {
  switch (value.Kind()) {
  case vkPlain:
  case vkObject:
  case vkArray:
  case vkLink:
  case vkCalculated:
    return PageOfKind(value.Kind());
  default:
    RaiseError("Invalid Value Tag");
  }
}

// --- "Edit Action" ------------------------------------------------------------

TActionLayout ActionLayout(int type) {
  switch (type) {
  case atAddToGroup:
    return {"Group:", true, false, false};
  case atMessage:
    return {"Text:", false, true, false};
  case atErrorMessage:
    return {"Error Msg:", false, false, false};
  default:
    return {"Command:", false, true, true};
  }
}

bool MultiLineArgument(const TActionTemplate& action) {
  if (action.ActionType != atMessage && action.ActionType != atErrorMessage) return false;
  return action.Argument.IsText() || action.Argument.IsFormula();
}

std::string ConditionText(const TValue& condition) {
  return condition.IsNull() ? std::string("true") : condition.Text();
}

void SetActionType(TActionTemplate& action, int type) {
  action.ActionType = static_cast<uint8_t>(type);
  if (type == atAddToGroup) action.Launch = lmAfterSave;
  if (type == atErrorMessage) action.Launch = lmBeforeSave;
}

bool AcceptArgument(TActionTemplate& action, const TValue& argument) {
  if (!argument.IsFormula()) {
    const char* refusal = nullptr;
    switch (action.ActionType) {
    case atAddToGroup:
      if (!argument.IsObject()) refusal = "Argument should be a group";
      break;
    case atMessage:
    case atErrorMessage:
      if (!argument.IsPlain()) refusal = "Argument should be a plain value";
      break;
    default:
      if (!argument.IsString()) refusal = "Argument should be a string";
      break;
    }
    if (refusal) {
      ShowMsg(refusal);
      return false;
    }
  }
  action.Argument.Assign(argument);
  return true;
}

bool AcceptCondition(TActionTemplate& action, const TValue& condition) {
  const bool formula = condition.IsFormula() || condition.IsAutoFormula();
  if (!formula && !(condition.IsNull() && action.ActionType != atErrorMessage)) {
    ShowMsg("Condition should be a formula");
    return false;
  }
  action.Condition.Assign(condition);
  return true;
}

} // namespace vandro
