#include "editing/object_selection.h"

#include "editing/object_states.h"
#include "shell/messages.h"
#include "values/value_text.h"

#include <algorithm>

namespace vandro {

void TObjectSelection::Prepare(int pageSize, double moment, bool requireState, bool quiet,
                               bool showHidden) {
  ClearStates();
  objectId_ = 0;
  objectName_.clear();
  set_.reset();
  moment_ = moment;
  quiet_ = quiet;
  showHidden_ = showHidden;
  createNew_ = false;
  useLink_ = !requireState;
  page_.PageSize = std::clamp(pageSize, 1, kMaxObjectPageSize);
  position_ = 0;
  FillPage();
}

void TObjectSelection::Release() {
  APSClearObjectFilter();
}

int TObjectSelection::ScrollMaximum() const {
  return std::max(0, rowCount_ - page_.PageSize);
}

void TObjectSelection::FillPage() {
  // Other windows page the same objects table under filters of their own,
  // so this one's is set again before every move.
  APSFillPageFiltered(page_, showObjects_, showGroups_);
  rowCount_ = APSPageRowCount();
  position_ = std::clamp(position_, 0, ScrollMaximum());
  if (position_ > 0) APSFillPageAt(page_, position_);
}

void TObjectSelection::ScrollTo(int position) {
  position_ = position;
  FillPage();
}

void TObjectSelection::SetPageSize(int pageSize) {
  page_.PageSize = std::clamp(pageSize, 1, kMaxObjectPageSize);
  FillPage();
}

std::vector<TSelectObjectRow> TObjectSelection::ObjectRows() const {
  std::vector<TSelectObjectRow> rows;
  for (int i = 0; i < page_.Count; ++i) {
    const TAPSObjTableRec& entry = page_.Entries[static_cast<size_t>(i)];
    rows.push_back({entry.ObjIdtor, entry.ObjName, entry.Group});
  }
  if (rows.empty()) rows.emplace_back();
  return rows;
}

// The list never shows nothing: a box unchecked while the other is
// unchecked stays checked.
void TObjectSelection::SetShowGroups(bool on) {
  showGroups_ = on || !showObjects_;
  position_ = 0;
  FillPage();
}

void TObjectSelection::SetShowDataObjects(bool on) {
  showObjects_ = on || !showGroups_;
  position_ = 0;
  FillPage();
}

void TObjectSelection::ClearStates() {
  tracks_.clear();
  current_ = -1;
  marked_.clear();
}

void TObjectSelection::ChooseRow(int row) {
  if (row < 0 || row >= page_.Count) return;
  ChooseObject(page_.Entries[static_cast<size_t>(row)].ObjIdtor);
}

void TObjectSelection::ChooseObject(int32_t objectId) {
  ClearStates();
  set_.reset();
  objectName_.clear();
  objectId_ = objectId;
  if (objectId == 0) return;
  const bool lenient = useLink_ || quiet_;
  auto set = std::make_shared<TObjectSet>();
  bool loaded = false;
  try {
    loaded = set->Load(objectId);
  } catch (const ErrorException&) {
    // A damaged history has been reported; an object chosen by link needs
    // none of its states.
    if (!lenient) throw;
  }
  const std::string id = std::to_string(objectId);
  if (!loaded) {
    objectName_ = APSObjectName(objectId);
    if (!lenient) RaiseError("Can't get object states. Object id=" + id);
    return;
  }
  set_ = std::move(set);
  objectName_ = set_->ObjName;

  if (!CurrentStateTracks(set_, moment_, tracks_)) {
    if (!quiet_)
      RaiseError("Object hasn't any actual state (Id=" + id + ")." + kLineBreak +
                 "Make sure that date and time are valid.");
    return;
  }
  if (!useLink_) {
    current_ = 0;
    marked_.push_back(0);
  }
}

std::vector<TSelectStateRow> TObjectSelection::StateRows() const {
  std::vector<TSelectStateRow> rows;
  for (const auto& track : tracks_) {
    const TDataRecord* last = track->Last();
    rows.push_back({last->Idtor, last->RecName});
  }
  return rows;
}

void TObjectSelection::ClickState(int row, bool several) {
  if (row < 0 || row >= StateCount() || !tracks_[static_cast<size_t>(row)])
    RaiseError(kLostStateRow);
  if (!several) marked_.clear();
  current_ = row;
  if (std::find(marked_.begin(), marked_.end(), row) == marked_.end()) marked_.push_back(row);
}

std::vector<std::string> TObjectSelection::MarkedNames() const {
  std::vector<std::string> names;
  for (const int row : marked_)
    names.push_back(tracks_[static_cast<size_t>(row)]->Last()->RecName);
  return names;
}

std::vector<TSelectValueRow> TObjectSelection::Values() {
  if (current_ < 0) return {};
  TStateTrack& track = *tracks_[static_cast<size_t>(current_)];
  track.ConstructState();
  std::vector<TSelectValueRow> rows;
  for (const auto& pair : track.State->PVs) {
    if (pair->Invisible && !showHidden_) continue;
    rows.push_back({pair->Parameter ? pair->Parameter->ParamName : std::string(),
                    ToDisplayText(&pair->Value), pair->Value.Kind()});
  }
  return rows;
}

void TObjectSelection::Refresh(double moment) {
  ClearStates();
  moment_ = moment;
  FillPage();
}

TSelectOutcome TObjectSelection::Ok(TSelectPage page) {
  if (objectId_ == 0) {
    if (quiet_) return TSelectOutcome::Stay;
    return Ask(kObjectNotSelected, true) ? TSelectOutcome::Stay : TSelectOutcome::Cancel;
  }
  if (page == TSelectPage::Objects)
    return useLink_ ? TSelectOutcome::Accept : TSelectOutcome::ShowStates;
  if (!marked_.empty() || !useLink_) return TSelectOutcome::Accept;
  if (quiet_) return TSelectOutcome::Stay;
  return Ask(kNoStateSelected, true) ? TSelectOutcome::Stay : TSelectOutcome::Accept;
}

int32_t TObjectSelection::CurrentStateId() const {
  return current_ < 0 ? 0 : tracks_[static_cast<size_t>(current_)]->Last()->Idtor;
}

std::vector<int32_t> TObjectSelection::MarkedStateIds() const {
  std::vector<int32_t> ids;
  for (const int row : marked_)
    ids.push_back(tracks_[static_cast<size_t>(row)]->Last()->Idtor);
  return ids;
}

std::unique_ptr<TStateTrack> TObjectSelection::CopyCurrentTrack() const {
  if (current_ < 0) return nullptr;
  auto copy = std::make_unique<TStateTrack>();
  copy->CopyFrom(*tracks_[static_cast<size_t>(current_)]);
  return copy;
}

} // namespace vandro
