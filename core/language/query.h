// Queries: calculated values whose text begins with FIND.
//
//   FIND (ALL | TOP n | BOTTOM n | RANDOM n) (OBJECTS | STATES)
//     { WITHIN (CONTENT | LIST | HISTORY [(start, finish)]) [OF] (EVERYTHING | e1, e2 ...)
//     | CONDITION [FOR_ALL_STATES] condition
//     | ACTUAL moment }
//
// A query selects objects, or states of objects, whose state satisfies the
// condition: the states current at the ACTUAL moment of all objects, of the
// listed objects or of the members of the listed groups, or, for HISTORY,
// the states at every record of the listed objects whose real time lies in
// the window. TOP keeps the first n hits in scan order, BOTTOM the last n,
// RANDOM n drawn uniformly from all hits.
//
// TQExpression is the parsed form, which the query editor also edits field
// by field and writes back with ToText. Running a query yields an array of
// object references (record identifiers for STATES, object identifiers for
// OBJECTS).
//
// A query over all objects walks them a page at a time and keeps only its
// hits, so its memory does not grow with the number of objects.
//
// A run may report through a progress (shell/progress.h): the share of the
// objects walked, of the whole project or of the listed items. When the
// progress asks to stop, the run ends without a result and says
// kQueryCancelled; a query changes nothing, so nothing is left half done.
#pragma once

#include "values/value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vandro {

class TDataRecord;
class TProgress;

inline constexpr const char* kQueryProgress = "Query progress";
inline constexpr const char* kQueryCancelled = "The query was cancelled";

enum TQSelection : uint8_t { qsAll = 0, qsTop = 1, qsBottom = 2, qsRandom = 3 };
enum TQScope : uint8_t { qcContent = 0, qcList = 1, qcHistory = 2 };

inline constexpr const char* kDefaultStartExpression = "Origin";
inline constexpr const char* kDefaultFinishExpression = "Now";

class TQExpression {
public:
  TQExpression() = default;
  TQExpression(const TQExpression&) = delete;
  TQExpression& operator=(const TQExpression&) = delete;

  bool Failed = false;
  std::string Message;                       // why the last parse or run failed
  std::string Text;                          // the query source
  std::vector<TValue::Ptr> ScopeValues;      // evaluated by the last run
  std::vector<std::string> ScopeExpressions; // the WITHIN items
  double Start = 0;
  std::string StartExpression = kDefaultStartExpression;
  double Finish = 0;
  std::string FinishExpression = kDefaultFinishExpression;
  std::string Condition; // empty: every candidate passes
  bool States = false;   // STATES, else OBJECTS
  int32_t Number = 1;
  std::string NumberExpression = "1";
  uint8_t Selection = qsAll;
  uint8_t Scope = qcContent;
  bool Everything = false;
  bool ForAllStates = false;

  // The state before parsing: STATES, number 0, ALL, CONTENT, no scope, no
  // moments, no condition, the default expressions.
  void Reset();
  // Parses Text into the fields; returns success (Failed and Message tell
  // too).
  bool Parse();
  // The text of the fields, lines ending with CR LF.
  std::string ToText() const;
  // Parses and runs the query with the records its expressions see; a new
  // array of references, or nullptr with Message set.
  TValue::Ptr Execute(TDataRecord* contextRecord, TDataRecord* secondRecord,
                      TProgress* progress = nullptr);
};

// Runs the query whose text is value's; nullptr when it fails (its message
// in *message when asked for).
TValue::Ptr ExecuteQuery(const TValue& value, TDataRecord* contextRecord, TDataRecord* secondRecord,
                         std::string* message = nullptr, TProgress* progress = nullptr);

} // namespace vandro
