// What the record windows ask of the selection and value windows: "Select
// Object", the value constructor and the value viewer, each behind one call
// so that a caller needs no widget of theirs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWidget;
class QPoint;

namespace vandro {
class TValue;
class TDataRecord;
} // namespace vandro

namespace vandro::app {

// What a record or group command asks "Select Object" for.
struct TSelectRequest {
  std::string Caption;       // window caption
  bool RequireState = false; // OK needs a state (a record), not only an object
  bool AllowSeveralStates = false;
  bool AllowCreateObject = false; // "Create New Object"
  bool Quiet = false;             // no messages, OK just refused
  double Moment = 0;              // 0: now
};

struct TSelectResult {
  int32_t ObjectId = 0; // 0 when "Create New Object" was chosen
  bool CreateNewObject = false;
  std::vector<int32_t> StateIds; // the chosen states' record identifiers
  double Moment = 0;
};

// Modal; false on Cancel.
bool SelectObject(QWidget* parent, const TSelectRequest& request, TSelectResult& result);

// The value constructor: edits value in place; false on Cancel (value
// unchanged). pages: a mask of TValuePages (core/editing/value_constructor.h:
// vpPlain=1, vpCalculated=2, vpObjects=4, vpLink=8, vpArray=16, vpAll=31).
bool EditValue(QWidget* parent, TValue& value, TDataRecord* record, int pages, int openingPage,
               const std::string& caption);

// The value viewer: one value whole, placed next to a screen point.
void ShowValue(QWidget* parent, const TValue& value, const QPoint& at);

} // namespace vandro::app
