// The rules of the "Browse Database" window: a page of the object list in
// name order (objects and groups alike) moved by a scroll position, the
// states of the selected object at a moment, and the values of a state. The
// states may be those known at an earlier moment of system time
// (model/known_at.h), the caption then saying so.
#pragma once

#include "editing/object_states.h"
#include "storage/objects.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vandro {

struct TObjectRow {
  int32_t Id = 0; // 0 for the empty row of an empty page
  std::string Name;
};

class TDatabaseBrowser {
public:
  // Fills the first page of pageSize rows (1 to 64) and sets the moment.
  void Open(int pageSize, double moment);

  // The scroll bar: positions 0..ScrollMaximum(); a page step is PageSize().
  int ObjectCount() const { return objectCount_; }
  int PageSize() const { return page_.PageSize; }
  int ScrollMaximum() const;
  int Position() const { return position_; }
  // Refills the page from the row at position (kept within the range).
  void ScrollTo(int position);
  // The page's rows; an empty page gives one empty row.
  std::vector<TObjectRow> ObjectRows() const;

  // Selecting an object row: its history is loaded and its states at the
  // moment listed (see TObjectStates). An empty or unknown row selects
  // nothing.
  void SelectObject(int row);
  int32_t SelectedObject() const { return states_.ObjectId(); }
  // "View Object": the selected object, or 0 after "Select an object".
  int32_t ObjectToView() const;
  // "Refresh": the states of the selected object at a new moment, its
  // history as known at knownAt (nothing: every record).
  void SetMoment(double moment, std::optional<double> knownAt = std::nullopt);
  double Moment() const { return moment_; }
  std::optional<double> KnownAt() const { return knownAt_; }
  // "Browse Database", with ", as known at " and the moment for the past.
  std::string Caption() const;

  TObjectStates& States() { return states_; }

private:
  TAPSObjTablePage page_;
  int objectCount_ = 0;
  int position_ = 0;
  double moment_ = 0;
  std::optional<double> knownAt_;
  TObjectStates states_;
};

} // namespace vandro
