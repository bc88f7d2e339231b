#include "editing/record_editor.h"

#include "editing/launch_guard.h"
#include "editing/parameter_list.h"
#include "model/object_index.h"
#include "model/project.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/record_rows.h"
#include "values/value_text.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace vandro {

namespace {

constexpr size_t kRecordNameCapacity = 32;
constexpr size_t kLaunchCapacity = 255;
constexpr int kHintLines = 8;

std::string Trimmed(std::string_view text) {
  return std::string(TrimView(text));
}

// A constraint or condition result that holds: a true boolean word or "1".
bool HoldsTrue(const TValue& value) {
  bool flag = false;
  return value.IsPlain() && !value.IsError() && DecodeBoolean(value.Text(), flag) && flag;
}

// The boolean words of an action's condition; "1" and "0" are not among them.
bool ConditionWord(const TValue& value, bool& flag) {
  const std::string text = Trimmed(value.Text());
  if (!value.IsPlain() || text == "1" || text == "0" || !IsBooleanText(text)) return false;
  return DecodeBoolean(text, flag);
}

std::string CellText(const TValue& value) {
  return value.IsPlain() ? value.Text() : ToDisplayText(&value);
}

std::string FirstLines(const std::string& text, int count) {
  std::string out;
  size_t start = 0;
  for (int line = 0; line < count && start <= text.size(); ++line) {
    const size_t end = text.find("\r\n", start);
    if (line > 0) out += "\r\n";
    out += text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return out;
}

int32_t Identifier(const TValue& value) {
  return static_cast<int32_t>(std::strtol(value.Text().c_str(), nullptr, 10));
}

} // namespace

TRecordEditor::TRecordEditor(TRecordEditorHost& host) : host_(host) {}

TRecordEditor::~TRecordEditor() {
  Close();
}

void TRecordEditor::Close() {
  reservedName_.Release();
}

void TRecordEditor::SetTrack(std::unique_ptr<TStateTrack> track) {
  given_ = std::move(track);
}

void TRecordEditor::SetObjectSet(std::shared_ptr<TObjectSet> set) {
  set_ = std::move(set);
}

TRecordMode TRecordEditor::Mode() const {
  if (newObject_) return TRecordMode::NewObject;
  return edit_ ? TRecordMode::EditRecord : TRecordMode::NewState;
}

std::string TRecordEditor::ModeCaption() const {
  switch (Mode()) {
  case TRecordMode::NewObject:
    return "New Object";
  case TRecordMode::EditRecord:
    return "Edit Record";
  case TRecordMode::NewState:
    break;
  }
  return "New State";
}

std::string TRecordEditor::Caption() const {
  return ModeCaption() + ": " + (objectName_.empty() ? std::string("New Object") : objectName_);
}

std::string TRecordEditor::TemplateCaption() const {
  return template_ ? template_->Name : std::string("Generic");
}

// --- Start -------------------------------------------------------------------

void TRecordEditor::ResetRecord() {
  record_ = std::make_unique<TDataRecord>();
  previousState_ = predecessor_ = successor_ = placeBefore_ = nullptr;
  dragged_.clear();
  hasPrevious_ = false;
  groups_.clear();
  rows_.clear();
  template_.reset();
  closeWithoutStore_ = false;
  hasLowerBound_ = hasUpperBound_ = false;
  editing_ = false;
}

bool TRecordEditor::Start(bool newObject, bool edit) {
  newObject_ = newObject;
  edit_ = edit;
  showHidden_ = alwaysShowHidden_;
  hasPrevious_ = false;
  if (!given_ && !set_ && !newObject) {
    ShowMsg(kNoObjectForRecord);
    return false;
  }
  ResetRecord();
  realTime_ = Now();
  record_->RealTime = realTime_;
  if (given_ && !newObject_) {
    given_->ConstructState();
    PlaceInTrack(realTime_);
  } else {
    working_.Reset();
  }
  terminateVisible_ = false;
  if (newObject_) {
    record_->SysTime = Now();
    Close();
    objectName_ = reservedName_.Reserve(kAutomaticNameBase);
    stateNumber_ = 1;
    record_->ObjIdtor = 0;
  } else if (given_) {
    TObjectSet& set = *given_->Set;
    objectName_ = set.ObjName;
    TDataRecord* selected = given_->Last();
    if (edit_) {
      if (!selected || selected->Idtor == 0) {
        ShowMsg(kNoObjectForRecord);
        return false;
      }
      record_->Assign(*selected);
      realTime_ = editedTime_ = selected->RealTime;
      for (const auto& pair : record_->PVs)
        pair->Modified = true;
      for (const TDataRecord* previous : selected->Previous) {
        lowerBound_ =
            hasLowerBound_ ? std::max(lowerBound_, previous->RealTime) : previous->RealTime;
        hasLowerBound_ = true;
      }
      for (const TDataRecord* next : selected->Next) {
        upperBound_ = hasUpperBound_ ? std::min(upperBound_, next->RealTime) : next->RealTime;
        hasUpperBound_ = true;
      }
      record_->Previous = selected->Previous;
      record_->Next = selected->Next;
      stateNumber_ = static_cast<int>(set.Records.size()) + 1;
    } else {
      record_->SysTime = Now();
      stateNumber_ = static_cast<int>(set.Records.size()) + 1;
      record_->ObjIdtor = set.ObjIdtor;
      if (previousState_)
        for (const auto& pair : previousState_->PVs) {
          if (!pair->Parameter) continue;
          TPVRelation& added = record_->AddPV(*pair->Parameter, TValue::Null(), false);
          added.Invisible = pair->Invisible;
        }
      terminateVisible_ = selected && selected->Idtor != 0 && selected->Next.empty();
    }
  } else {
    objectName_ = set_->ObjName;
    stateNumber_ = static_cast<int>(set_->Records.size()) + 1;
    record_->SysTime = Now();
    record_->ObjIdtor = set_->ObjIdtor;
  }
  if (!edit_) record_->RecName = objectName_ + "[" + std::to_string(stateNumber_) + "]";
  IndexChecked = false;
  IndexName = IndexComment = objectName_;
  if (!templateName_.empty()) LoadTemplate();
  AppendBlankRow();
  editRow_ = 0;
  editColumn_ = rcParameter;
  started_ = true;
  RefreshGrid();
  FillParamList();
  return true;
}

void TRecordEditor::LoadTemplate() {
  auto loaded = std::make_unique<TTemplate>("TCreateRecordDlg.Start");
  loaded->Name = templateName_;
  loaded->Load();
  template_ = std::move(loaded);
  for (const auto& line : template_->ParamLines) {
    if (!line->Parameter) continue;
    TPVRelation* relation = record_->FindPV(line->Parameter->ParamName);
    if (!relation) relation = &record_->AddPV(*line->Parameter, TValue::Null(), true);
    relation->Value.Assign(line->DefValue);
    relation->Modified = true;
    relation->Invisible = line->Invisible;
  }
  ListGroupActions(false);
  ApplyNaming();
  record_->RecName =
      (objectName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
  record_->Type = template_->Idtor;
  ExeAction(lmBeforeCreate);
}

// The template's "Add to Group" actions as the group list's items; the
// items point at the template's actions, which the list changes in place.
void TRecordEditor::ListGroupActions(bool withNullArgument) {
  groups_.clear();
  for (const auto& action : template_->Actions) {
    if (action->ActionType != atAddToGroup) continue;
    if (!withNullArgument && action->Argument.IsNull()) continue;
    TGroupItem item;
    item.Text = ToDisplayText(&action->Argument);
    item.Checked = action->ApplyTo == apState;
    item.Action = action.get();
    groups_.push_back(std::move(item));
  }
}

std::unique_ptr<TTemplateEditor> TRecordEditor::TemplateFromRecord() {
  if (editing_ && !CommitCellEdit()) return nullptr;
  std::vector<const TActionTemplate*> actions;
  for (const TGroupItem& item : groups_)
    actions.push_back(item.Action);
  return TTemplateEditor::FromRecord(*record_, actions);
}

void TRecordEditor::AdoptTemplate(std::string_view name) {
  auto adopted = std::make_unique<TTemplate>("TCreateRecordDlg.SaveAsTemplate");
  adopted->Name = name;
  adopted->Load();
  // The group items point into the template they came from: they go first.
  groups_.clear();
  template_ = std::move(adopted);
  templateName_ = template_->Name;
  editing_ = false;
  editRow_ = 0;
  editColumn_ = rcParameter;
  record_->PVs.clear();
  record_->VisiblePVs.clear();
  for (const auto& line : template_->ParamLines) {
    if (!line->Parameter) continue;
    TPVRelation& relation = record_->AddPV(*line->Parameter, line->DefValue, true);
    relation.Invisible = line->Invisible;
  }
  ListGroupActions(true);
  AppendBlankRow();
  if (!template_->Naming.IsNull()) {
    const TValue::Ptr result = Evaluate(template_->Naming, previousState_, record_.get(), nullptr);
    if (result->IsPlain() && !result->IsNull() && !result->IsError()) {
      objectName_ = Trimmed(result->Text());
      IndexName = IndexComment = objectName_;
      if (newObject_)
        record_->RecName =
            (objectName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
    }
  }
  record_->Type = template_->Idtor;
  RefreshGrid();
}

void TRecordEditor::ApplyNaming() {
  if (!template_ || !newObject_ || template_->Naming.IsNull()) return;
  const TValue::Ptr result = Evaluate(template_->Naming, nullptr, record_.get(), nullptr);
  if (result->IsPlain() && !result->IsNull() && !result->IsError()) {
    objectName_ = Trimmed(result->Text());
    IndexName = IndexComment = objectName_;
  }
}

void TRecordEditor::AppendBlankRow() {
  record_->AddPV(std::make_unique<TPVRelation>());
}

// The working track is the given one cut at time; the new record goes
// between the state that holds then and the record that followed it, or
// becomes a further version of the selected state.
void TRecordEditor::PlaceInTrack(double time) {
  Unlink();
  working_.CopyFrom(*given_);
  working_.ConstructState();
  previousState_ = working_.State.get();
  hasPrevious_ = working_.Path.size() > 1;
  if (edit_) return;
  bool cut = false;
  while (working_.Path.size() > 1 && working_.Path.back()->RealTime > time) {
    working_.Path.pop_back();
    cut = true;
  }
  if (cut) {
    working_.Constructed = false;
    working_.ConstructState();
  }
  hasPrevious_ = working_.Path.size() > 1;
  previousState_ = hasPrevious_ ? working_.State.get() : nullptr;
  predecessor_ = working_.Path.back();
  if (working_.Path.size() < given_->Path.size()) successor_ = given_->Path[working_.Path.size()];
  record_->Previous.assign(1, predecessor_);
  if (successor_) record_->Next.assign(1, successor_);
}

void TRecordEditor::Unlink() {
  record_->Previous.clear();
  record_->Next.clear();
  predecessor_ = successor_ = nullptr;
}

// --- Names and times -----------------------------------------------------------

void TRecordEditor::SetObjectName(std::string_view name) {
  if (!newObject_) return;
  objectName_ = std::string(name);
  record_->RecName =
      (objectName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
  IndexName = objectName_;
  IndexComment = objectName_;
}

void TRecordEditor::SetRecordName(std::string_view name) {
  record_->RecName = std::string(name).substr(0, kRecordNameCapacity);
}

void TRecordEditor::LeaveRealTime() {
  if (edit_) {
    if (hasLowerBound_ && !(realTime_ > lowerBound_)) {
      ShowMsg(kBelowPrevious);
      realTime_ = editedTime_;
    } else if (hasUpperBound_ && !(realTime_ < upperBound_)) {
      ShowMsg(kAboveNext);
      realTime_ = editedTime_;
    }
    return;
  }
  if (newObject_ || !given_) return;
  PlaceInTrack(realTime_);
  RefreshGrid();
}

// --- The grid ----------------------------------------------------------------

std::vector<std::string> TRecordEditor::Columns() const {
  std::vector<std::string> columns{"", "Parameter", "Value"};
  if (ShowsPrevious()) columns.push_back("Previous Value");
  return columns;
}

void TRecordEditor::SetShowHidden(bool on) {
  showHidden_ = on;
  RefreshGrid();
}

TValue::Ptr TRecordEditor::Evaluate(const TValue& value, TDataRecord* base, TDataRecord* current,
                                    TExecutor::TNameChain* chain) {
  TValue::Ptr result = TValue::Create("TCreateRecordDlg.Evaluate");
  if (!value.IsFormula() && !value.IsAutoFormula()) {
    result->Assign(value);
    return result;
  }
  executor_.Clear();
  result->Assign(executor_.Run(chain, base, value.Text(), current));
  return result;
}

std::string TRecordEditor::EvaluatedText(const TPVRelation& relation) {
  if (!relation.Value.IsFormula() && !relation.Value.IsAutoFormula())
    return CellText(relation.Value);
  TExecutor::TNameChain chain{UpperCase(relation.Parameter->ParamName)};
  const TValue::Ptr result = given_
                                 ? Evaluate(relation.Value, previousState_, record_.get(), &chain)
                                 : Evaluate(relation.Value, record_.get(), nullptr, &chain);
  return CellText(*result);
}

const TValue* TRecordEditor::PreviousValue(const TParameter& parameter) const {
  if (!previousState_) return nullptr;
  const TPVRelation* pair = previousState_->FindPV(parameter.ParamName);
  return pair ? &pair->Value : nullptr;
}

std::string TRecordEditor::BuildHint(const TPVRelation& relation) const {
  const TValue& value = relation.Value;
  if (value.IsArray()) {
    std::string hint;
    for (int i = 0; i < std::min(value.ItemCount(), kHintLines); ++i)
      hint += (i ? "\r\n" : "") + ToDisplayText(&value.GetItem(i));
    return hint;
  }
  if (value.IsPlain()) return FirstLines(value.Text(), kHintLines);
  return value.Text();
}

void TRecordEditor::RefreshGrid() {
  // Rows dragged keep their places; the others follow in the record's order.
  const auto shown = [this](const TPVRelation* pair) { return showHidden_ || !pair->Invisible; };
  std::vector<TPVRelation*> visible;
  // A dragged row's relation may be gone since: it is looked for first.
  for (TPVRelation* pair : dragged_)
    if (std::any_of(record_->PVs.begin(), record_->PVs.end(),
                    [pair](const auto& owned) { return owned.get() == pair; }) &&
        shown(pair))
      visible.push_back(pair);
  for (const auto& pair : record_->PVs)
    if (shown(pair.get()) && std::find(visible.begin(), visible.end(), pair.get()) == visible.end())
      visible.push_back(pair.get());
  record_->VisiblePVs = std::move(visible);
  rows_.clear();
  const bool previousColumn = ShowsPrevious();
  for (TPVRelation* relation : record_->VisiblePVs) {
    TRecordRow row;
    row.Modified = relation->Modified;
    row.Invisible = relation->Invisible;
    row.ValueKind = relation->Value.Kind();
    if (relation->Parameter) {
      row.HasParameter = true;
      row.Parameter = relation->Parameter->ParamName;
      row.Value = EvaluatedText(*relation);
      row.Formula = relation->Value.IsFormula();
      row.Hint = relation->Value.IsCalculated() ? row.Value : BuildHint(*relation);
      if (previousColumn)
        if (const TValue* previous = PreviousValue(*relation->Parameter)) {
          row.Previous = CellText(*previous);
          row.PreviousKind = previous->Kind();
        }
    }
    rows_.push_back(std::move(row));
  }
  if (rows_.empty()) return;
  editRow_ = std::clamp(editRow_, 0, static_cast<int>(rows_.size()) - 1);
}

TPVRelation* TRecordEditor::CurrentRelation() const {
  if (!record_ || editRow_ < 0 || editRow_ >= static_cast<int>(record_->VisiblePVs.size()))
    return nullptr;
  return record_->VisiblePVs[static_cast<size_t>(editRow_)];
}

bool TRecordEditor::InPlaceEditing() const {
  if (editColumn_ == rcParameter) return true;
  const TPVRelation* relation = CurrentRelation();
  return editColumn_ == rcValue && relation && relation->Value.IsPlain();
}

bool TRecordEditor::SelectCell(int row, int column) {
  if (column < rcParameter || row < 0 || row >= static_cast<int>(rows_.size())) return false;
  if (column == rcPrevious && !ShowsPrevious()) return false;
  bool deleted = false;
  const int editedRow = editRow_;
  if (editing_ && !CommitCellEdit(&deleted)) return false;
  if (deleted && row >= editedRow) {
    RefreshGrid();
    return false;
  }
  row = std::min(row, static_cast<int>(rows_.size()) - 1);
  TPVRelation* relation = record_->VisiblePVs[static_cast<size_t>(row)];
  if (column == rcPrevious) {
    editRow_ = row;
    if (relation->Parameter)
      if (const TValue* previous = PreviousValue(*relation->Parameter)) {
        relation->Value.Assign(*previous);
        relation->Modified = true;
      }
    RefreshGrid();
    return false;
  }
  if (column == rcValue && !relation->Parameter) {
    ShowMsg("The parameter name is empty");
    editRow_ = row;
    editColumn_ = rcParameter;
    RefreshGrid();
    return false;
  }
  editRow_ = row;
  editColumn_ = column;
  editing_ = true;
  editBeganOnBlank_ = row == static_cast<int>(rows_.size()) - 1 && !relation->Parameter;
  startText_ =
      column == rcParameter ? rows_[static_cast<size_t>(row)].Parameter : CellText(relation->Value);
  editText_ = startText_;
  RefreshGrid();
  return true;
}

TParamTemplate* TRecordEditor::TemplateLine(const TParameter& parameter) const {
  if (!template_) return nullptr;
  const int index = template_->FindParamLine(parameter);
  return index < 0 ? nullptr : &template_->ParamLine(index);
}

TParameter* TRecordEditor::CreateParameter(std::string_view name) {
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = std::string(name);
  parameter->ShortName = std::string(name).substr(0, kShortNameCapacity);
  parameter->Category = "None";
  TParameter* added = AddEditedParameter(*parameter);
  if (!added) return nullptr;
  FillParamList();
  return added;
}

TParameter* TRecordEditor::AddEditedParameter(TParameter& proposal) {
  // A parameter the project refuses (a name in use, a storage failure; the
  // message is shown) goes back to the editor with everything typed, until
  // it is added or the editor cancelled.
  while (host_.EditNewParameter(proposal)) {
    auto parameter = std::make_unique<TParameter>();
    parameter->Assign(proposal);
    if (TParameter* added = AddParameterFromEditor(std::move(parameter))) {
      host_.ParameterAdded();
      return added;
    }
  }
  return nullptr;
}

// A constraint of the template's line for the relation's parameter that
// does not hold asks whether to go on; true when the answer is No.
bool TRecordEditor::ConstraintAsks(const TPVRelation& relation, bool valueFirst) {
  const TParamTemplate* line = relation.Parameter ? TemplateLine(*relation.Parameter) : nullptr;
  if (!line || !(line->Constr.IsFormula() || line->Constr.IsAutoFormula())) return false;
  const TValue::Ptr result = Evaluate(line->Constr, previousState_, record_.get(), nullptr);
  if (HoldsTrue(*result)) return false;
  const std::string error = result->IsError() ? std::string(kLineBreak) + result->Text() : "";
  std::string question = "The value doesn't satisfy constraints!";
  if (valueFirst)
    question += std::string(kLineBreak) + "Value:" + relation.Value.Text() + error;
  else
    question += error + kLineBreak + "Value:" + relation.Value.Text();
  question += std::string(kLineBreak) + "Constraint:" + line->Constr.Text() + kLineBreak +
              "Do you want to continue anyway?";
  return !Ask(question, false);
}

bool TRecordEditor::CommitCellEdit(bool* rowDeleted) {
  if (rowDeleted) *rowDeleted = false;
  TPVRelation* relation = CurrentRelation();
  if (!editing_ || !relation) {
    editing_ = false;
    return true;
  }
  const bool changed = Trimmed(editText_) != Trimmed(startText_);
  if (editColumn_ == rcParameter && changed) {
    const std::string name = Trimmed(editText_);
    if (!name.empty()) {
      TParameter* parameter = CurrentProject()->FindParameter(name);
      if (parameter) {
        const TPVRelation* other = record_->FindPV(parameter->ParamName);
        if (other && other != relation) {
          ShowMsg("The parameter " + name + " is already defined in the record.");
          return false;
        }
      } else {
        if (!Ask("Parameter " + name + " doesn't exist" + kLineBreak + "Do you want to create it?",
                 true))
          return false;
        parameter = CreateParameter(name);
        if (!parameter) return false;
      }
      relation->Parameter = parameter;
      relation->Modified = true;
      if (!parameter->DefValue.IsNull()) relation->Value.Assign(parameter->DefValue);
      if (const TParamTemplate* line = TemplateLine(*parameter); line && !line->DefValue.IsNull())
        relation->Value.Assign(line->DefValue);
    } else if (relation->Parameter) {
      if (!relation->Value.IsNull() && !Ask("Do you want to remove this row?", false)) {
        editText_ = startText_;
        editing_ = false;
        RefreshGrid();
        return true;
      }
      if (const TParamTemplate* line = TemplateLine(*relation->Parameter);
          line && !line->Optional) {
        ShowMsg("This parameter is mandatory and can't be deleted.");
        editText_ = startText_;
        editing_ = false;
        RefreshGrid();
        return true;
      }
      // The blank last row does not count: the only parameter row stays,
      // emptied.
      const size_t parameterRows = record_->VisiblePVs.size() - 1;
      if (parameterRows > 1) {
        const auto at = std::find_if(record_->PVs.begin(), record_->PVs.end(),
                                     [&](const auto& pair) { return pair.get() == relation; });
        record_->RemovePV(static_cast<size_t>(at - record_->PVs.begin()));
        if (rowDeleted) *rowDeleted = true;
        relation = nullptr;
      } else {
        relation->Parameter = nullptr;
        relation->Value.Clear();
        relation->Modified = false;
      }
    }
    if (editBeganOnBlank_ && record_->PVs.back()->Parameter) AppendBlankRow();
  } else if (editColumn_ == rcValue && changed && relation->Value.IsPlain()) {
    relation->Value.SetPlain(editText_);
    relation->Modified = true;
    if (ConstraintAsks(*relation, true)) return false;
  }
  editing_ = false;
  if (newObject_ && template_) {
    ApplyNaming();
    record_->RecName =
        (objectName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
  }
  RefreshGrid();
  return true;
}

bool TRecordEditor::AcceptValue(const TValue& value) {
  TPVRelation* relation = CurrentRelation();
  if (!relation || !relation->Parameter) return false;
  if (value.IsStateRef()) {
    ShowMsg("A parameter's value can refer to an object, not to one of its states");
    return false;
  }
  const std::string before = CellText(relation->Value);
  relation->Value.Assign(value);
  if (CellText(value) != before) relation->Modified = true;
  editing_ = false;
  RefreshGrid();
  return true;
}

void TRecordEditor::FillParamList() {
  TProject& project = *CurrentProject();
  const auto own = [&] {
    return std::any_of(project.Parameters().begin(), project.Parameters().end(),
                       [](const auto& parameter) { return !parameter->IsSystem(); });
  };
  if (!own() && Ask(std::string("Parameter list is empty.") + kLineBreak +
                        "Do you want to create a new parameter?",
                    true)) {
    TParameter parameter;
    AddEditedParameter(parameter);
  }
  parameterList_.clear();
  for (const auto& parameter : project.Parameters())
    if (!parameter->IsSystem()) parameterList_.push_back(parameter->ParamName);
  std::sort(parameterList_.begin(), parameterList_.end());
}

bool TRecordEditor::PickParameter(std::string_view name) {
  if (!editing_ || editColumn_ != rcParameter) {
    if (!SelectCell(editRow_, rcParameter)) return false;
  }
  editText_ = name;
  return CommitCellEdit();
}

bool TRecordEditor::CanHide() const {
  const TPVRelation* relation = CurrentRelation();
  return relation && relation->Parameter && !relation->Invisible &&
         (relation->Value.IsFormula() || relation->Value.IsAutoFormula());
}

bool TRecordEditor::CanUnhide() const {
  const TPVRelation* relation = CurrentRelation();
  return relation && relation->Invisible;
}

void TRecordEditor::HideParameter() {
  if (!CanHide()) return;
  CurrentRelation()->Invisible = true;
  RefreshGrid();
}

void TRecordEditor::UnhideParameter() {
  if (!CanUnhide()) return;
  CurrentRelation()->Invisible = false;
  RefreshGrid();
}

// The stored order follows the shown one: the relation moves in PVs to just
// before the visible row it now precedes.
bool TRecordEditor::MoveRow(int from, int to) {
  const int last = static_cast<int>(record_->VisiblePVs.size()) - 1;
  if (from == to || from < 0 || to < 0 || from >= last || to >= last) return false;
  TPVRelation* moved = record_->VisiblePVs[static_cast<size_t>(from)];
  if (!moved->Parameter || !record_->VisiblePVs[static_cast<size_t>(to)]->Parameter) return false;
  // Only the rows move: the record keeps its parameters in their order.
  auto& visible = record_->VisiblePVs;
  visible.erase(visible.begin() + from);
  visible.insert(visible.begin() + to, moved);
  dragged_ = visible;
  // The edit position stays on its relation, which the move may shift by one.
  if (editRow_ == from)
    editRow_ = to;
  else if (from < editRow_ && editRow_ <= to)
    --editRow_;
  else if (to <= editRow_ && editRow_ < from)
    ++editRow_;
  RefreshGrid();
  return true;
}

std::string TRecordEditor::FormulaText() const {
  const TPVRelation* relation = CurrentRelation();
  return relation && relation->Value.IsFormula() ? relation->Value.Text() : std::string();
}

// --- Actions and storing ---------------------------------------------------------

bool TRecordEditor::ExeAction(int moment) {
  if (!template_) return true;
  for (const auto& action : template_->Actions) {
    if (action->Launch != moment || action->ActionType == atAddToGroup) continue;
    const TValue::Ptr condition =
        Evaluate(action->Condition, previousState_, record_.get(), nullptr);
    bool fires = false;
    if (!ConditionWord(*condition, fires))
      fires = condition->IsNull() || (action->ActionType == atErrorMessage && condition->IsError());
    if (!fires) continue;
    if (action->ActionType == atLaunch) {
      // The stored text, not its result: a document's name is not a formula
      // to evaluate. The template may come from anyone: the user is asked.
      LaunchForTemplate(template_->Name, action->Argument.Text().substr(0, kLaunchCapacity),
                        [this](const std::string& target) { host_.Launch(target); });
      continue;
    }
    const TValue::Ptr argument = Evaluate(action->Argument, previousState_, record_.get(), nullptr);
    if (argument->IsPlain())
      ShowMsg(argument->Text());
    else
      ShowMsg(std::string("Action execution error.") + kLineBreak +
              "Argument shold be a plain value");
    if (action->ActionType == atErrorMessage) return false;
  }
  return true;
}

bool TRecordEditor::ObjectStep() {
  if (!newObject_) return true;
  if (Trimmed(objectName_).empty()) {
    ShowMsg("The object name is empty. Type a name and try again");
    return false;
  }
  if (!CheckStorableName(objectName_)) return false;
  if (APSFindObject(objectName_) != 0) {
    ShowMsg("Object named " + UpperCase(objectName_) +
            " already exists. Change the name and try again");
    return false;
  }
  return true;
}

bool ChooseSuccessor(const TStateTrack& working, TDataRecord* pathSuccessor, double time,
                     TDataRecord*& successor) {
  successor = pathSuccessor;
  const TDataRecord* chosen = working.Last();
  if (pathSuccessor || !chosen || chosen->Idtor == 0) return true;
  TDataRecord* later = working.FollowingAfter(time);
  if (!later) return true;
  const std::string question = "A later state exists (" + DateTimeToText(later->RealTime) +
                               "). Insert this state before it, or start a new branch from " +
                               DateTimeToText(chosen->RealTime) + "?";
  switch (Choose(question, {"Insert", "New branch", "Cancel"}, 0)) {
  case 0:
    successor = later;
    return true;
  case 1:
    return true;
  default:
    return false;
  }
}

// The draft stores a copy: storing drops pairs that are not to be kept, and
// a failure must leave the dialog's rows as they were.
TStoredDraft TRecordEditor::StoreCopy(bool terminator, bool withExtras) {
  TRecordDraft draft;
  auto copy = std::make_unique<TDataRecord>(record_->SysTime);
  copy->Assign(*record_);
  if (terminator) {
    copy->Terminator = true;
    copy->RecName = "Terminator";
    copy->PVs.clear();
    copy->VisiblePVs.clear();
  }
  if (edit_) {
    copy->Previous = record_->Previous;
    copy->Next = record_->Next;
    draft.Correction = true;
    draft.PreviousState = previousState_;
  } else if (working_.Set) {
    draft.Track = &working_;
    if (!terminator) draft.Successor = placeBefore_;
  }
  draft.Record = std::move(copy);
  if (newObject_)
    draft.NewObjectName = objectName_;
  else
    draft.ObjectId = record_->ObjIdtor;
  if (!newObject_ && !SameText(APSObjectName(record_->ObjIdtor), objectName_))
    draft.Rename = objectName_;
  if (withExtras) {
    draft.IndexEntry = IndexChecked && IndexBoxVisible();
    draft.IndexKind = ikObjects;
    draft.IndexName = IndexName;
    draft.IndexComment = IndexComment;
    for (const TGroupItem& item : groups_) {
      const TValue& argument = item.Action->Argument;
      if (!argument.IsObject() || Identifier(argument) == 0) continue;
      draft.Groups.push_back({Identifier(argument), item.Action->ApplyTo == apState});
    }
  }
  TStoredDraft stored = StoreDraft(draft);
  if (stored.Stored) {
    storedRecord_ = stored.RecordId;
    record_->ObjIdtor = stored.ObjectId;
  }
  return stored;
}

bool TRecordEditor::StoreRecord(bool withExtras) {
  closeWithoutStore_ = false;
  record_->RealTime = realTime_;
  if (edit_) {
    if (hasLowerBound_ && !(realTime_ > lowerBound_)) {
      ShowMsg(kBelowPrevious);
      return false;
    }
    if (hasUpperBound_ && !(realTime_ < upperBound_)) {
      ShowMsg(kAboveNext);
      return false;
    }
  } else if (!newObject_ && given_ && given_->Last() && given_->Last()->Idtor != 0 &&
             realTime_ == given_->Last()->RealTime) {
    ShowMsg(DateTimeToText(realTime_) + kLineBreak + "Record can't be created at this moment" +
            kLineBreak + "Change the time " + kLineBreak + "or use Edit Record operation instead.");
    return false;
  }
  if (!Ask(std::string("You are about to store the record") + kLineBreak + "Are you sure?", false))
    return false;
  bool changed = false;
  for (const auto& pair : record_->PVs) {
    if (!pair->Modified || !pair->Parameter) continue;
    const TPVRelation* before =
        previousState_ && !edit_ ? previousState_->FindPV(pair->Parameter->ParamName) : nullptr;
    if (!hasPrevious_ || edit_ || !before || !pair->Value.Equals(before->Value) ||
        pair->Invisible != before->Invisible)
      changed = true;
    if (ConstraintAsks(*pair, false)) return false;
  }
  if (!changed) {
    if (Ask(std::string("You didn't input any information.") + kLineBreak +
                "Do you want to continue editing?",
            true))
      return false;
    closeWithoutStore_ = true;
    return true;
  }
  // The index entry's name is checked while the dialog can still take a
  // shorter one.
  if (withExtras && IndexChecked && IndexBoxVisible() &&
      !CheckStorableName(Trimmed(IndexName), kEntryNameCapacity))
    return false;
  if (!ObjectStep()) return false;
  placeBefore_ = nullptr;
  if (!edit_ && working_.Set && !ChooseSuccessor(working_, successor_, realTime_, placeBefore_))
    return false;
  if (Trimmed(record_->RecName).empty())
    record_->RecName =
        (objectName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
  if (!StoreCopy(false, withExtras).Stored) return false;
  Close();
  return true;
}

bool TRecordEditor::Ok() {
  if (template_ && !ExeAction(lmBeforeSave)) return false;
  if (!StoreRecord(true)) return false;
  if (closeWithoutStore_) return true;
  if (template_) ExeAction(lmAfterSave);
  return true;
}

// After a store the history is read again, so that the next record sees
// the one just stored.
void TRecordEditor::ReloadGiven(int32_t recordId) {
  auto set = std::make_shared<TObjectSet>();
  if (!set->Load(record_->ObjIdtor))
    RaiseSystemError("Object doesn't exist. Id=" + std::to_string(record_->ObjIdtor));
  auto track = std::make_unique<TStateTrack>();
  track->KeepSet(set);
  const double time = std::max(Now(), realTime_);
  if (recordId == 0)
    track->SetRootPath(*set, time);
  else if (!track->SetPath(*set, recordId, time))
    RaiseSystemError("Can't find an DataRecord with id = " + std::to_string(recordId));
  track->ConstructState();
  given_ = std::move(track);
  set_.reset();
}

bool TRecordEditor::SaveAndCreateIterative() {
  if (!StoreRecord(false)) return false;
  if (closeWithoutStore_) return false;
  ReloadGiven(storedRecord_);
  Start(false, false);
  return true;
}

bool TRecordEditor::SaveAndCreateNewVersion() {
  if (!StoreRecord(false)) return false;
  if (closeWithoutStore_) return false;
  if (given_) {
    const TDataRecord* selected = given_->Last();
    ReloadGiven(selected ? selected->Idtor : 0);
    Start(false, false);
  } else if (set_) {
    auto set = std::make_shared<TObjectSet>();
    set->Load(set_->ObjIdtor);
    set_ = std::move(set);
    Start(false, false);
  } else {
    Start(true, false);
  }
  return true;
}

bool TRecordEditor::TerminateState() {
  if (!Ask(std::string("You are about to terminate current state.") + kLineBreak +
               "The state will not be accessible." + kLineBreak + "Do you want to proceed?",
           false))
    return false;
  record_->RealTime = realTime_;
  return StoreCopy(true, false).Stored;
}

// --- The group list --------------------------------------------------------------

bool TRecordEditor::AddGroup(const TValue& reference) {
  if (!reference.IsObject() || Identifier(reference) == 0) return false;
  const std::string text = ToDisplayText(&reference);
  for (const TGroupItem& item : groups_)
    if (item.Text == text) return false;
  TGroupItem item;
  item.Text = text;
  item.Owned = std::make_unique<TActionTemplate>("TCreateRecordDlg.AddGroup");
  item.Owned->ActionType = atAddToGroup;
  item.Owned->Launch = lmAfterSave;
  item.Owned->Argument.Assign(reference);
  item.Owned->ApplyTo = apObject;
  item.Action = item.Owned.get();
  groups_.push_back(std::move(item));
  return true;
}

void TRecordEditor::RemoveGroup(int index) {
  if (index < 0 || index >= static_cast<int>(groups_.size())) return;
  groups_.erase(groups_.begin() + index);
}

void TRecordEditor::ClearGroups() {
  groups_.clear();
}

void TRecordEditor::SetGroupChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(groups_.size())) return;
  groups_[static_cast<size_t>(index)].Checked = checked;
  groups_[static_cast<size_t>(index)].Action->ApplyTo = checked ? apState : apObject;
}

TActionTemplate& TRecordEditor::GroupAction(int index) const {
  if (index < 0 || index >= static_cast<int>(groups_.size()))
    RaiseError("Index out of range:" + std::to_string(index));
  return *groups_[static_cast<size_t>(index)].Action;
}

} // namespace vandro
