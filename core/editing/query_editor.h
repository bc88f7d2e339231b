// The rules of the query editor ("Edit Query"), without its widgets: a
// query's fields as the editor shows them, which of them are shown, the
// scope list, the condition taken from a filter or from the value
// constructor, the questions of OK and writing the fields back.
//
//   FIND:   [ALL|TOP|BOTTOM|RANDOM] [number] [States|Objects]
//   SCOPE:  [Content of|List|History of]  [ ] All objects in DB
//           scope list (Add, Delete, Clear)
//   Starting from: [start]   Actual / Until: [finish]
//   CONDITION: [condition] (Define, Edit)  [ ] For All States
#pragma once

#include "language/query.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vandro {

class TFilter;
class TValue;

inline constexpr const char* kEditQueryCaption = "Edit Query";

// The entries of the boxes, in the order of the query's codes (selection
// qsAll.., scope qcContent..).
const std::vector<std::string>& QuerySelectionEntries(); // "ALL", "TOP", "BOTTOM", "RANDOM"
const std::vector<std::string>& QueryKindEntries();      // "States", "Objects"
const std::vector<std::string>& QueryScopeEntries();     // "Content of", "List", "History of"

// How OK ends.
enum class TQueryEditorClose { Stay, Accept, Cancel };

class TQueryEditor {
public:
  // Filled from query's fields.
  explicit TQueryEditor(const TQExpression& query);

  // The fields, as typed. Selection and Scope are box positions.
  int Selection = qsAll;
  std::string Number;
  std::string Kind;
  int Scope = qcContent;
  std::vector<std::string> ScopeLines;
  bool Everything = false;
  std::string Start;
  std::string Finish;
  std::string Condition;
  bool ForAllStates = false;

  // What is shown: the number for a selection other than ALL, the start
  // moment (with "Starting from:") for "History of", "For All States" when
  // objects are searched.
  bool NumberShown() const { return Selection != qsAll; }
  bool StartShown() const { return Scope == qcHistory; }
  bool ForAllStatesShown() const { return Kind == "Objects"; }
  // The finish moment's label: "Until:" closing a history's window, else
  // "Actual".
  std::string FinishLabel() const;

  // The kind box left with text: only "States" and "Objects" are kinds;
  // anything else is said and "States" is set. Returns whether text was one.
  bool SetKind(const std::string& text);
  // The scope box set to entry; "Content of" with "All objects in DB"
  // checked turns to the second entry.
  void SetScope(int entry);

  // "Add": the object as a scope line naming its actual state.
  void AddObject(const std::string& objectName);
  void DeleteLine(int line);
  void ClearLines() { ScopeLines.clear(); }

  // "Define": the filter's condition replaces the condition text.
  void TakeFilter(TFilter& filter);
  // "Edit": the value the constructor gave. A formula replaces the
  // condition (an auto formula without its "="), so does a boolean word;
  // anything else is refused with "Search condition should be a formula"
  // and the condition is kept.
  bool TakeCondition(const TValue& value);

  // OK: the questions about an empty number or scope list; Yes stays, No
  // closes as Cancel. For ALL the number field is cleared.
  TQueryEditorClose Ok();
  // The fields, trimmed, into query; blank ones get "1", "Origin", "Now"
  // and "TRUE".
  void WriteBack(TQExpression& query) const;
};

} // namespace vandro
