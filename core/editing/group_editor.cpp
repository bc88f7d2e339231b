#include "editing/group_editor.h"

#include "editing/record_editor.h"
#include "language/query.h"
#include "model/object_index.h"
#include "model/parameter.h"
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

int32_t Identifier(const TValue& value) {
  return static_cast<int32_t>(std::strtol(value.Text().c_str(), nullptr, 10));
}

bool Holds(const std::vector<TValue::Ptr>& list, const TValue& value) {
  return std::any_of(list.begin(), list.end(),
                     [&](const TValue::Ptr& item) { return item->Equals(value); });
}

// Takes the first value equal to value out of list; false when none is.
bool Take(std::vector<TValue::Ptr>& list, const TValue& value) {
  const auto at = std::find_if(list.begin(), list.end(),
                               [&](const TValue::Ptr& item) { return item->Equals(value); });
  if (at == list.end()) return false;
  list.erase(at);
  return true;
}

TValue::Ptr Copy(const TValue& value) {
  return value.Clone("TNewGroupDlg");
}

TValue::Ptr Reference(int32_t id) {
  TValue::Ptr value = TValue::Create("TNewGroupDlg.AddObject");
  value->SetText(vkObject, std::to_string(id));
  return value;
}

// Whether the object or record a reference names is still stored.
bool ReferenceExists(const TValue& reference) {
  const int32_t id = Identifier(reference);
  if (id <= 0) return false;
  return reference.IsStateRef() ? APSRecordObject(id) != 0 : !APSObjectName(id).empty();
}

constexpr const char* kOkBelowPrevious =
    "The new time value is lower than that of the previous\r\nstate. Change the time.";
constexpr const char* kOkAboveNext =
    "The new time value is greater than the time \r\nof the next state. Change the time.";

} // namespace

TGroupEditor::TGroupEditor() : record_(std::make_unique<TDataRecord>()) {}

TGroupEditor::~TGroupEditor() {
  Close();
}

void TGroupEditor::Close() {
  reservedName_.Release();
}

void TGroupEditor::SetTrack(std::unique_ptr<TStateTrack> track) {
  given_ = std::move(track);
}

void TGroupEditor::SetObjectSet(std::shared_ptr<TObjectSet> set) {
  set_ = std::move(set);
}

std::string TGroupEditor::Caption() const {
  switch (mode_) {
  case TGroupMode::NewGroup:
    return "Create New Group";
  case TGroupMode::Edit:
    return "Edit Group";
  case TGroupMode::NewState:
    break;
  }
  return "New Group State";
}

// --- Start -------------------------------------------------------------------

bool TGroupEditor::Start(bool newGroup, bool edit) {
  mode_ = newGroup ? TGroupMode::NewGroup : edit ? TGroupMode::Edit : TGroupMode::NewState;
  added_.clear();
  deleted_.clear();
  members_.clear();
  working_.Reset();
  predecessor_ = successor_ = edited_ = nullptr;
  hasLowerBound_ = hasUpperBound_ = false;
  storedRecord_ = 0;
  Close();
  record_ = std::make_unique<TDataRecord>();
  realTime_ = record_->RealTime = Now();
  record_->SysTime = realTime_;
  placedTime_ = realTime_;

  if (mode_ == TGroupMode::NewGroup) {
    stateNumber_ = 1;
    record_->ObjIdtor = 0;
    groupName_ = reservedName_.Reserve(kAutomaticGroupBase);
    storedName_.clear();
  } else if (given_ && mode_ == TGroupMode::Edit) {
    given_->ConstructState();
    edited_ = given_->Last();
    if (!edited_ || edited_->Idtor == 0) {
      ShowMsg(kNoObjectForRecord);
      return false;
    }
    TObjectSet& set = *given_->Set;
    groupName_ = storedName_ = set.ObjName;
    record_->Assign(*given_->State);
    realTime_ = placedTime_ = record_->RealTime;
    ShowContent(given_->State->Content ? &*given_->State->Content : nullptr);
    for (const TDataRecord* previous : edited_->Previous) {
      lowerBound_ = hasLowerBound_ ? std::max(lowerBound_, previous->RealTime) : previous->RealTime;
      hasLowerBound_ = true;
    }
    for (const TDataRecord* next : edited_->Next) {
      upperBound_ = hasUpperBound_ ? std::min(upperBound_, next->RealTime) : next->RealTime;
      hasUpperBound_ = true;
    }
    record_->Previous = edited_->Previous;
    record_->Next = edited_->Next;
    stateNumber_ = static_cast<int>(set.Records.size()) + 1;
  } else if (given_) {
    given_->ConstructState();
    TObjectSet& set = *given_->Set;
    groupName_ = storedName_ = set.ObjName;
    stateNumber_ = static_cast<int>(set.Records.size()) + 1;
    record_->ObjIdtor = set.ObjIdtor;
    PlaceInTrack(realTime_);
  } else {
    if (!set_) {
      ShowMsg(kNoObjectForRecord);
      return false;
    }
    groupName_ = storedName_ = set_->ObjName;
    stateNumber_ = static_cast<int>(set_->Records.size()) + 1;
    record_->ObjIdtor = set_->ObjIdtor;
  }
  IndexChecked = mode_ == TGroupMode::NewGroup;
  IndexName = groupName_;
  IndexComment.clear();
  recordName_ =
      mode_ == TGroupMode::Edit
          ? edited_->RecName
          : (groupName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
  ResetFill();
  ReportMissingMembers();
  return true;
}

void TGroupEditor::ResetFill() {
  query_.Clear();
  result_.reset();
  executor_.Clear();
  fillText_.clear();
  executeEnabled_ = addEnabled_ = false;
  resultCount_ = 0;
}

// A member that names a deleted object or record stays listed (it can be
// removed like any other); the user is told once which they are.
void TGroupEditor::ReportMissingMembers() const {
  std::vector<std::string> missing;
  for (const auto& member : members_)
    if (member->IsObject() && !ReferenceExists(*member)) missing.push_back(member->Text());
  if (missing.empty()) return;
  std::string text = "These members of the group refer to objects or states that no longer "
                     "exist:";
  for (const std::string& id : missing)
    text += kLineBreak + std::string("ID:") + id;
  ShowMsg(text);
}

// The members listed: the content given with the pending changes applied.
void TGroupEditor::ShowContent(const std::vector<TValue::Ptr>* content) {
  members_.clear();
  if (content)
    for (const auto& member : *content)
      if (!Holds(deleted_, *member)) members_.push_back(Copy(*member));
  for (const auto& member : added_)
    members_.push_back(Copy(*member));
}

// The working track is the given one cut at time; the record goes between
// the state that holds then and the record that followed it on the given
// track, or becomes a further version of the chosen state.
void TGroupEditor::PlaceInTrack(double time) {
  working_.CopyFrom(*given_);
  working_.ConstructState();
  bool cut = false;
  while (working_.Path.size() > 1 && working_.Path.back()->RealTime > time) {
    working_.Path.pop_back();
    cut = true;
  }
  if (cut) {
    working_.Constructed = false;
    working_.ConstructState();
  }
  predecessor_ = working_.Path.back();
  successor_ =
      working_.Path.size() < given_->Path.size() ? given_->Path[working_.Path.size()] : nullptr;
  record_->Previous.assign(1, predecessor_);
  record_->Next.clear();
  if (successor_) record_->Next.assign(1, successor_);
  placedTime_ = time;

  const bool hasState = working_.Path.size() > 1;
  const std::vector<TValue::Ptr>* content =
      hasState && working_.State->Content ? &*working_.State->Content : nullptr;
  const std::vector<TValue::Ptr> none;
  const std::vector<TValue::Ptr>& base = content ? *content : none;
  std::erase_if(added_, [&](const TValue::Ptr& member) { return Holds(base, *member); });
  std::erase_if(deleted_, [&](const TValue::Ptr& member) { return !Holds(base, *member); });
  ShowContent(content);
}

// --- Names and times -----------------------------------------------------------

void TGroupEditor::SetGroupName(std::string_view name) {
  groupName_ = std::string(name);
}

void TGroupEditor::LeaveGroupName() {
  recordName_ =
      (groupName_ + "[" + std::to_string(stateNumber_) + "]").substr(0, kRecordNameCapacity);
  // Only a suggestion, shown in the index box: it is made to fit.
  IndexName = recordName_.substr(0, kEntryNameCapacity);
}

void TGroupEditor::SetRecordName(std::string_view name) {
  recordName_ = std::string(name).substr(0, kRecordNameCapacity);
}

void TGroupEditor::LeaveRealTime() {
  if (mode_ == TGroupMode::Edit) {
    if (hasLowerBound_ && !(realTime_ > lowerBound_)) {
      ShowMsg(kBelowPrevious);
      realTime_ = record_->RealTime;
    } else if (hasUpperBound_ && !(realTime_ < upperBound_)) {
      ShowMsg(kAboveNext);
      realTime_ = record_->RealTime;
    }
    return;
  }
  if (mode_ == TGroupMode::NewState && given_) PlaceInTrack(realTime_);
}

// --- The content list ------------------------------------------------------------

std::vector<TGroupLine> TGroupEditor::Lines() const {
  std::vector<TGroupLine> lines;
  lines.reserve(members_.size());
  for (const auto& member : members_)
    lines.push_back({ToDisplayText(member.get()), member->Kind()});
  return lines;
}

bool TGroupEditor::AddMember(const TValue& reference) {
  if (Take(deleted_, reference)) {
    members_.push_back(Copy(reference));
    return true;
  }
  if (Holds(members_, reference)) {
    ShowMsg(kAlreadyInGroup);
    return false;
  }
  added_.push_back(Copy(reference));
  members_.push_back(Copy(reference));
  return true;
}

void TGroupEditor::AddChosen(int32_t objectId, const std::vector<int32_t>& stateIds) {
  if (!stateIds.empty()) {
    for (int32_t id : stateIds)
      AddMember(*Reference(id));
  } else if (objectId != 0) {
    AddMember(*Reference(objectId));
  }
}

bool TGroupEditor::RemoveMember(int index) {
  if (index < 0 || index >= static_cast<int>(members_.size())) return false;
  TValue::Ptr member = std::move(members_[static_cast<size_t>(index)]);
  members_.erase(members_.begin() + index);
  if (!Take(added_, *member)) deleted_.push_back(std::move(member));
  return true;
}

int32_t TGroupEditor::MemberIdentifier(int index) const {
  if (index < 0 || index >= static_cast<int>(members_.size())) return 0;
  const TValue& member = *members_[static_cast<size_t>(index)];
  return member.IsObject() ? Identifier(member) : 0;
}

// --- Filling from an array or a query --------------------------------------------

void TGroupEditor::AcceptQuery(const TValue& value) {
  query_.Assign(value);
  result_.reset();
  if (query_.IsFormula() || query_.IsAutoFormula()) {
    executor_.Clear();
    const TValue& evaluated = executor_.Run(nullptr, nullptr, query_.Text(), record_.get());
    TValue::Ptr copy = Copy(evaluated);
    query_.Assign(*copy);
  }
  if (query_.IsQuery()) {
    fillText_ = query_.Text();
    executeEnabled_ = true;
    addEnabled_ = false;
    resultCount_ = 0;
    return;
  }
  if (query_.IsArray()) {
    TValue::Ptr references = TValue::Create("TNewGroupDlg.Define");
    references->SetArray();
    bool skipped = false;
    fillText_.clear();
    for (int i = 0; i < query_.ItemCount(); ++i) {
      const TValue& item = query_.GetItem(i);
      if (!item.IsObject()) {
        skipped = true;
        continue;
      }
      if (references->ItemCount() > 0) fillText_ += kLineBreak;
      fillText_ += ToDisplayText(&item);
      references->AddItem(Copy(item));
    }
    query_.Assign(*references);
    if (skipped) ShowMsg(kOnlyReferences);
    addEnabled_ = true;
    executeEnabled_ = false;
    resultCount_ = query_.ItemCount();
    return;
  }
  // An error value of a formula lands here too: its text says what failed.
  std::string text = kNotArrayOrQuery;
  if (query_.IsError()) text += kLineBreak + query_.Text();
  ShowMsg(text);
  ResetFill();
}

bool TGroupEditor::Execute() {
  if (!query_.IsQuery()) return false;
  std::string message;
  TValue::Ptr result = ExecuteQuery(query_, nullptr, nullptr, &message);
  if (!result || !result->IsArray()) {
    std::vector<std::string> lines{kQueryFailed, "Query Text:"};
    for (std::string& line : SplitLines(query_.Text()))
      lines.push_back(std::move(line));
    if (!message.empty()) {
      lines.emplace_back();
      lines.push_back(message);
    }
    ShowMsgList(lines);
    result_.reset();
    addEnabled_ = false;
    resultCount_ = 0;
    return false;
  }
  fillText_.clear();
  for (int i = 0; i < result->ItemCount(); ++i) {
    const TValue& item = result->GetItem(i);
    const int32_t id = Identifier(item);
    const int32_t object = item.IsStateRef() ? APSRecordObject(id) : id;
    if (i > 0) fillText_ += kLineBreak;
    fillText_ += APSObjectName(object) + "(" + item.Text() + ")";
  }
  resultCount_ = result->ItemCount();
  result_ = std::move(result);
  addEnabled_ = true;
  return true;
}

void TGroupEditor::AddResults() {
  const TValue* source = result_ ? result_.get() : query_.IsArray() ? &query_ : nullptr;
  if (source)
    for (int i = 0; i < source->ItemCount(); ++i) {
      const TValue& item = source->GetItem(i);
      if (item.IsObject()) AddMember(item);
    }
  ResetFill();
}

// --- OK and Terminate --------------------------------------------------------------

bool TGroupEditor::GroupStep() {
  rename_.clear();
  if (mode_ != TGroupMode::NewGroup) {
    if (SameText(storedName_, groupName_)) return true;
    if (!CheckStorableName(groupName_)) return false;
    // A clash is reported; the group keeps its name and the record is
    // stored all the same.
    const int32_t holder = APSFindObject(groupName_);
    if (holder != 0 && holder != record_->ObjIdtor)
      ShowMsg("Object named " + groupName_ + " already exists. Change the name and try again");
    else
      rename_ = groupName_;
    return true;
  }
  if (TrimView(groupName_).empty()) {
    ShowMsg("The group name is empty. Type a name and try again");
    return false;
  }
  if (!CheckStorableName(groupName_)) return false;
  if (APSFindObject(groupName_) != 0) {
    ShowMsg("Duplicate name. Change the name and try again");
    return false;
  }
  return true;
}

bool TGroupEditor::TimeAllowed() {
  if (mode_ == TGroupMode::Edit) {
    if (hasLowerBound_ && !(realTime_ > lowerBound_)) {
      ShowMsg(kOkBelowPrevious);
      return false;
    }
    if (hasUpperBound_ && !(realTime_ < upperBound_)) {
      ShowMsg(kOkAboveNext);
      return false;
    }
    return true;
  }
  if (mode_ == TGroupMode::NewState && given_) {
    const TDataRecord* chosen = given_->Last();
    if (chosen && chosen->Idtor != 0 && realTime_ == chosen->RealTime) {
      ShowMsg(DateTimeToText(realTime_) + kLineBreak + "Record can't be created at this moment" +
              kLineBreak + "Change the time " + kLineBreak +
              "or use Edit Record operation instead.");
      return false;
    }
  }
  return true;
}

// Edit mode keeps the edited record's own changes, less what the user took
// back: a reference it added and the user removed disappears from the
// record, and so does one it removed and the user added again.
void TGroupEditor::SetChanges() {
  record_->Added.clear();
  record_->Deleted.clear();
  if (mode_ != TGroupMode::Edit) {
    for (const auto& member : added_)
      record_->Added.push_back(Copy(*member));
    for (const auto& member : deleted_)
      record_->Deleted.push_back(Copy(*member));
    return;
  }
  for (const auto& member : edited_->Added)
    if (!Holds(deleted_, *member)) record_->Added.push_back(Copy(*member));
  for (const auto& member : added_)
    if (!Holds(edited_->Deleted, *member)) record_->Added.push_back(Copy(*member));
  for (const auto& member : edited_->Deleted)
    if (!Holds(added_, *member)) record_->Deleted.push_back(Copy(*member));
  for (const auto& member : deleted_)
    if (!Holds(edited_->Added, *member)) record_->Deleted.push_back(Copy(*member));
}

// The draft stores a copy, so that a failure leaves the dialog as it was.
bool TGroupEditor::StoreCopy(bool terminator, TDataRecord* successor) {
  const bool edit = mode_ == TGroupMode::Edit;
  TRecordDraft draft;
  auto copy = std::make_unique<TDataRecord>(record_->SysTime);
  copy->Assign(*record_);
  copy->RealTime = realTime_;
  copy->RecName = recordName_.substr(0, kRecordNameCapacity);
  for (const auto& member : record_->Added)
    copy->Added.push_back(Copy(*member));
  for (const auto& member : record_->Deleted)
    copy->Deleted.push_back(Copy(*member));
  if (terminator) {
    copy->Terminator = true;
    copy->Added.clear();
    copy->Deleted.clear();
  }
  if (edit) {
    copy->Previous = record_->Previous;
    copy->Next = record_->Next;
    draft.Correction = true;
  } else if (working_.Set) {
    draft.Track = &working_;
    draft.Successor = terminator ? nullptr : successor;
  }
  draft.Record = std::move(copy);
  if (mode_ == TGroupMode::NewGroup) {
    draft.NewObjectName = groupName_;
    draft.IndexEntry = !terminator && IndexChecked && IndexBoxVisible();
    draft.IndexKind = ikGroups;
    draft.IndexName = IndexName;
    draft.IndexComment = IndexComment.substr(0, kEntryCommentCapacity);
  } else {
    draft.ObjectId = record_->ObjIdtor;
    draft.Rename = rename_;
  }
  const TStoredDraft stored = StoreDraft(draft);
  if (!stored.Stored) return false;
  storedRecord_ = stored.RecordId;
  record_->ObjIdtor = stored.ObjectId;
  if (!rename_.empty()) storedName_ = APSObjectName(stored.ObjectId);
  return true;
}

bool TGroupEditor::Ok() {
  refused_ = TGroupField::Name;
  // A time typed and not yet left is placed first, as leaving would.
  if (mode_ == TGroupMode::NewState && given_ && realTime_ != placedTime_) PlaceInTrack(realTime_);
  // The index entry's name is checked while the dialog can still take a
  // shorter one.
  if (IndexChecked && IndexBoxVisible() &&
      !CheckStorableName(TrimView(IndexName), kEntryNameCapacity))
    return false;
  if (!GroupStep()) return false;
  refused_ = TGroupField::Time;
  if (!TimeAllowed()) return false;
  refused_ = TGroupField::None;
  TDataRecord* successor = nullptr;
  if (mode_ == TGroupMode::NewState && working_.Set &&
      !ChooseSuccessor(working_, successor_, realTime_, successor))
    return false;
  SetChanges();
  if (!StoreCopy(false, successor)) return false;
  Close();
  return true;
}

bool TGroupEditor::TerminateState() {
  if (mode_ != TGroupMode::NewState) return false;
  if (!Ask(std::string("You are about to terminate current state.") + kLineBreak +
               "The state will not be accessible." + kLineBreak + "Do you want to proceed?",
           false))
    return false;
  if (given_ && realTime_ != placedTime_) PlaceInTrack(realTime_);
  return StoreCopy(true, nullptr);
}

} // namespace vandro
