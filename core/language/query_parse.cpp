// The query grammar of TExecutor (language/query.h has the shape of a
// query). Expressions are parsed in check-only mode, so their names must
// exist, and their text is taken from the lexer's listing: the lexemes as
// read, words upper-cased, blanks between them.
#include "language/executor.h"
#include "language/query.h"
#include "shell/text.h"

namespace vandro {

namespace {

// Trims blanks, tabs and line breaks at both ends.
std::string TrimAll(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

} // namespace

bool TExecutor::ParseQuery(TQExpression& query) {
  Clear();
  SetSource(query.Text);
  query.Reset();
  executing_ = false;
  failed_ = false;
  result_->Clear();
  processor_.Clear();
  Guarded([&] { ParseQueryBody(query); });
  SetListingOn(false);
  if (failed_) ComposeError();
  query.Failed = failed_;
  if (failed_) {
    std::string_view text = result_->Text();
    const std::string_view mark = kErrorPrefix;
    if (text.substr(0, mark.size()) == mark) text.remove_prefix(mark.size());
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    query.Message = std::string(text);
  }
  return !failed_;
}

bool TExecutor::IsWord(std::string_view word) const {
  return kind_ == lkKeyword && text_ == word;
}

bool TExecutor::CaptureExpression(bool (TExecutor::*parse)(), std::string& text) {
  // The current lexeme is the expression's first: it is echoed when the
  // parser moves past it; the lexeme after the expression is not.
  ClearListing();
  SetListingOn(true);
  const bool parsed = (this->*parse)();
  SetListingOn(false);
  if (!parsed) return false;
  text = TrimAll(ListingText());
  return true;
}

bool TExecutor::ParseQueryBody(TQExpression& query) {
  if (!Advance()) return false;
  if (!IsWord("FIND")) return Fail("Query should begin with FIND");
  if (!Advance()) return false;
  if (IsWord("ALL")) {
    query.Selection = qsAll;
    if (!Advance()) return false;
  } else if (IsWord("TOP") || IsWord("BOTTOM") || IsWord("RANDOM")) {
    query.Selection = IsWord("TOP") ? qsTop : IsWord("BOTTOM") ? qsBottom : qsRandom;
    if (!Advance() || !CaptureExpression(&TExecutor::ParseAdditive, query.NumberExpression))
      return false;
  } else {
    return Fail("ALL, TOP, BOTTOM or RANDOM expected");
  }
  if (IsWord("OBJECTS") || IsWord("STATES")) {
    query.States = IsWord("STATES");
    if (!Advance()) return false;
  } else {
    return Fail("OBJECTS or STATES expected");
  }

  while (kind_ != lkEnd) {
    if (IsWord("WITHIN")) {
      if (!Advance() || !ParseQueryScope(query)) return false;
    } else if (IsWord("ACTUAL")) {
      std::string finish;
      if (!Advance() || !CaptureExpression(&TExecutor::ParseAdditive, finish)) return false;
      // A HISTORY window has its own finish.
      if (query.Scope != qcHistory) query.FinishExpression = finish;
    } else if (IsWord("CONDITION")) {
      if (!Advance()) return false;
      query.ForAllStates = IsWord("FOR_ALL_STATES");
      if (query.ForAllStates && !Advance()) return false;
      // ToText writes "CONDITION " for a query without one; reading that
      // back gives the empty condition again.
      const bool empty =
          kind_ == lkEnd || IsWord("WITHIN") || IsWord("ACTUAL") || IsWord("CONDITION");
      if (empty)
        query.Condition.clear();
      else if (!CaptureExpression(&TExecutor::ParseOr, query.Condition))
        return false;
    } else {
      return Fail("Unexpected lexeme");
    }
  }
  return true;
}

bool TExecutor::ParseQueryScope(TQExpression& query) {
  // "WITHIN EVERYTHING", the short form of the whole project, keeps the
  // scope it had (CONTENT unless another WITHIN said otherwise).
  if (IsWord("EVERYTHING")) {
    query.ScopeExpressions.clear();
    query.Everything = true;
    return Advance();
  }
  if (IsWord("CONTENT"))
    query.Scope = qcContent;
  else if (IsWord("LIST"))
    query.Scope = qcList;
  else if (IsWord("HISTORY"))
    query.Scope = qcHistory;
  else
    return Fail("CONTENT, LIST or HISTORY expected");
  if (!Advance()) return false;
  query.ScopeExpressions.clear();
  query.Everything = false;

  if (query.Scope == qcHistory && IsDelimiter('(')) {
    if (!Advance() || !CaptureExpression(&TExecutor::ParseAdditive, query.StartExpression))
      return false;
    if (!IsDelimiter(',')) return Fail("',' expected");
    if (!Advance() || !CaptureExpression(&TExecutor::ParseAdditive, query.FinishExpression))
      return false;
    if (!IsDelimiter(')')) return Fail("')' expected");
    if (!Advance()) return false;
    if (IsWord("OF") && !Advance()) return false;
  } else if (IsWord("OF")) {
    if (!Advance()) return false;
  } else if (query.Scope != qcList) {
    // ToText writes a LIST without OF, so LIST reads without it too.
    return Fail("OF expected");
  }

  if (IsWord("EVERYTHING")) {
    query.Everything = true;
    return Advance();
  }
  for (;;) {
    std::string item;
    if (!CaptureExpression(&TExecutor::ParseAdditive, item)) return false;
    query.ScopeExpressions.push_back(std::move(item));
    if (!IsDelimiter(',')) return true;
    if (!Advance()) return false;
  }
}

} // namespace vandro
