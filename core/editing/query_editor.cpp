#include "editing/query_editor.h"

#include "model/filter.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "values/value.h"

namespace vandro {
namespace {

// A box position read back: any other gives the first entry.
uint8_t Entry(int position, size_t count) {
  return position >= 0 && static_cast<size_t>(position) < count ? static_cast<uint8_t>(position)
                                                                : 0;
}

std::string TrimmedOr(const std::string& text, const char* fallback) {
  std::string trimmed = Trim(text);
  return trimmed.empty() ? std::string(fallback) : trimmed;
}

} // namespace

const std::vector<std::string>& QuerySelectionEntries() {
  static const std::vector<std::string> entries{"ALL", "TOP", "BOTTOM", "RANDOM"};
  return entries;
}

const std::vector<std::string>& QueryKindEntries() {
  static const std::vector<std::string> entries{"States", "Objects"};
  return entries;
}

const std::vector<std::string>& QueryScopeEntries() {
  static const std::vector<std::string> entries{"Content of", "List", "History of"};
  return entries;
}

TQueryEditor::TQueryEditor(const TQExpression& query)
    : Selection(Entry(query.Selection, QuerySelectionEntries().size())),
      Number(query.NumberExpression), Kind(query.States ? "States" : "Objects"),
      Scope(Entry(query.Scope, QueryScopeEntries().size())), ScopeLines(query.ScopeExpressions),
      Everything(query.Everything), Start(query.StartExpression), Finish(query.FinishExpression),
      Condition(query.Condition), ForAllStates(query.ForAllStates) {}

std::string TQueryEditor::FinishLabel() const {
  return Scope == qcHistory ? "Until:" : "Actual";
}

bool TQueryEditor::SetKind(const std::string& text) {
  for (const std::string& entry : QueryKindEntries())
    if (SameText(Trim(text), entry)) {
      Kind = entry;
      return true;
    }
  ShowMsg("You can find either states or objects");
  Kind = "States";
  return false;
}

void TQueryEditor::SetScope(int entry) {
  Scope = Entry(entry, QueryScopeEntries().size());
  if (Scope == qcContent && Everything) Scope = qcList;
}

void TQueryEditor::AddObject(const std::string& objectName) {
  ScopeLines.push_back("ActualState(Object('" + objectName + "'))");
}

void TQueryEditor::DeleteLine(int line) {
  if (line < 0 || line >= static_cast<int>(ScopeLines.size())) return;
  ScopeLines.erase(ScopeLines.begin() + line);
}

void TQueryEditor::TakeFilter(TFilter& filter) {
  Condition = filter.BuildText();
}

bool TQueryEditor::TakeCondition(const TValue& value) {
  if (value.IsAutoFormula()) {
    // The condition is the expression; the "=" only marks a formula that a
    // record evaluates by itself.
    Condition = Trim(TrimView(value.Text()).substr(1));
    return true;
  }
  if (value.IsFormula() || value.IsBoolean()) {
    Condition = value.Text();
    return true;
  }
  ShowMsg("Search condition should be a formula");
  return false;
}

TQueryEditorClose TQueryEditor::Ok() {
  const auto ask = [](const char* question) {
    return Ask(std::string(question) + "\r\nDo you want to continue editing?", true)
               ? TQueryEditorClose::Stay
               : TQueryEditorClose::Cancel;
  };
  if (Selection != qsAll && Trim(Number).empty())
    return ask("The number of objects to find is empty.");
  if (Selection == qsAll) Number.clear();
  if (!Everything && ScopeLines.empty()) return ask("The object list is empty.");
  return TQueryEditorClose::Accept;
}

void TQueryEditor::WriteBack(TQExpression& query) const {
  query.Selection = Entry(Selection, QuerySelectionEntries().size());
  query.NumberExpression = TrimmedOr(Number, "1");
  query.States = Kind == "States";
  query.Scope = Entry(Scope, QueryScopeEntries().size());
  query.Everything = Everything;
  if (!Everything) {
    query.ScopeExpressions.clear();
    for (const std::string& line : ScopeLines)
      query.ScopeExpressions.push_back(Trim(line));
  }
  query.StartExpression = TrimmedOr(Start, kDefaultStartExpression);
  query.FinishExpression = TrimmedOr(Finish, kDefaultFinishExpression);
  query.Condition = TrimmedOr(Condition, "TRUE");
  query.ForAllStates = ForAllStates;
}

} // namespace vandro
