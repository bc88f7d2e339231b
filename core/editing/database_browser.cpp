#include "editing/database_browser.h"

#include "model/known_at.h"
#include "shell/messages.h"

#include <algorithm>

namespace vandro {

void TDatabaseBrowser::Open(int pageSize, double moment) {
  moment_ = moment;
  states_.Clear();
  page_.PageSize = std::clamp(pageSize, 1, kMaxObjectPageSize);
  APSFillPageFiltered(page_, true, true);
  objectCount_ = APSPageRowCount();
  position_ = 0;
}

int TDatabaseBrowser::ScrollMaximum() const {
  return std::max(0, objectCount_ - page_.PageSize);
}

void TDatabaseBrowser::ScrollTo(int position) {
  position_ = std::clamp(position, 0, ScrollMaximum());
  // Other windows page the same object list under filters of their own, so
  // the browser's (none) is set again before every move.
  APSFillPageFiltered(page_, true, true);
  objectCount_ = APSPageRowCount();
  position_ = std::clamp(position_, 0, ScrollMaximum());
  if (position_ > 0) APSFillPageAt(page_, position_);
}

std::vector<TObjectRow> TDatabaseBrowser::ObjectRows() const {
  std::vector<TObjectRow> rows;
  for (int i = 0; i < page_.Count; ++i) {
    const TAPSObjTableRec& entry = page_.Entries[static_cast<size_t>(i)];
    rows.push_back({entry.ObjIdtor, entry.ObjName});
  }
  if (rows.empty()) rows.emplace_back();
  return rows;
}

void TDatabaseBrowser::SelectObject(int row) {
  states_.Clear();
  if (row < 0 || row >= page_.Count) return;
  const TKnownAtScope past(knownAt_);
  states_.Load(page_.Entries[static_cast<size_t>(row)].ObjIdtor);
  states_.StatesAt(moment_);
}

int32_t TDatabaseBrowser::ObjectToView() const {
  if (states_.ObjectId() == 0) ShowMsg("Select an object");
  return states_.ObjectId();
}

std::string TDatabaseBrowser::Caption() const {
  return "Browse Database" + AsKnownAtText(knownAt_);
}

void TDatabaseBrowser::SetMoment(double moment, std::optional<double> knownAt) {
  moment_ = moment;
  knownAt_ = knownAt;
  if (!states_.Loaded()) return;
  // Records may have been stored since the history was read.
  const TKnownAtScope past(knownAt_);
  states_.Load(states_.ObjectId());
  states_.StatesAt(moment_);
}

} // namespace vandro
