// The rules of the value constructor ("Value Details"): one value of any
// kind edited on the page of its kind. Each page keeps its own fields, so
// turning to another page and back loses nothing; OK builds the value from
// the page shown, after checking its fields, and the caller's value changes
// only then.
//
// Pages: "Plain values" (null, a boolean, a number with deviations and a
// unit of the catalogue, a date-time, a string or a multi-line text),
// "Calculated" (formula, auto formula, function, procedure or query text),
// "Objects" (a reference to an object or to one of its states), "Link to
// File" (a path) and "Array" (items of any kind, each edited in a nested
// constructor).
#pragma once

#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

class TDataRecord;
class TQExpression;

// The pages, as a mask of those enabled and as the one shown.
enum TValuePages : int {
  vpPlain = 1,
  vpCalculated = 2,
  vpObjects = 4,
  vpLink = 8,
  vpArray = 16,
  vpAll = 31,
  // As an opening page: the page last accepted with OK in this run of the
  // program (the value's own page before the first).
  vpLastUsed = 32,
};

// The types of the "Plain values" page, in the order the page lists them.
enum class TPlainType { Null, Boolean, Numeric, Time, String, Text };

// The kinds of the "Calculated" page, told apart by the text.
enum class TCalculatedType { Formula, AutoFormula, Function, Procedure, Query };

inline constexpr const char* kValueDetailsCaption = "Value Details";

const std::vector<std::string>& PlainTypeNames();
std::string CalculatedTypeName(TCalculatedType type);
TCalculatedType CalculatedTypeOf(std::string_view text);
// The page that shows a value of this kind.
int PageOfKind(TValueKind kind);
// The names of the units of the installed catalogue, sorted.
std::vector<std::string> CatalogueUnitNames();

// What a check of a calculated text found.
struct TCheckResult {
  bool Passed = false;
  // "Syntax is correct", or the error with its source line and "???" where
  // reading stopped.
  std::string Message;
};

class TValueConstructor {
public:
  // value is copied; record is the record formulas are evaluated against
  // (may be null). openingPage: one of the pages, 0 for the value's own
  // page, or vpLastUsed. A page that is not enabled is never shown: the
  // first enabled one is.
  TValueConstructor(const TValue& value, TDataRecord* record, int pages, int openingPage);
  TValueConstructor(const TValueConstructor&) = delete;
  TValueConstructor& operator=(const TValueConstructor&) = delete;

  int Pages() const { return pages_; }
  bool Enabled(int page) const { return (pages_ & page) != 0; }
  int Page() const { return page_; }
  // Turning to a page that is not enabled does nothing.
  void SetPage(int page);
  TDataRecord* Record() const { return record_; }

  // "Plain values". Texts as typed; they are read when the value is built.
  TPlainType PlainType = TPlainType::Null;
  bool Boolean = false;
  std::string Number;
  std::string Unit; // empty: none
  std::string MinusDeviation;
  std::string PlusDeviation;
  double Time = 0;    // days
  std::string String; // one line
  std::string Text;   // lines as typed; stored with CR LF

  // "Calculated".
  std::string Source;
  TCalculatedType SourceType() const { return CalculatedTypeOf(Source); }
  // "Check": the text is parsed without executing anything. Functions and
  // procedures are kept as text and cannot be checked.
  TCheckResult Check() const;
  // "Evaluate": the formula or auto formula evaluated, and the query run,
  // against the record the caller handed over (none: without one), as the
  // window the value is for will do; Message is the value as the views show
  // it, or the error.
  TCheckResult Evaluate() const;
  // "Build Query    >>": the query the query editor starts from, parsed from
  // the source, or a new one for a blank source. A source that is not a
  // query is said, with the question whether to build a new one in its
  // place; nullptr when not. The source is kept until the query comes back.
  std::unique_ptr<TQExpression> StartQuery() const;
  // The query the editor wrote back: its text becomes the source.
  void FinishQuery(const TQExpression& query);

  // "Objects": the referenced object or state (its record), 0 for none.
  int32_t Reference = 0;
  void SetReference(int32_t objectId, int32_t stateId);
  // The reference as the page names it: the object's name, and the state's
  // record when it is one.
  std::string ReferenceText() const;

  // "Link to File".
  std::string Link;

  // "Array": the items in order.
  int ItemCount() const { return static_cast<int>(items_.size()); }
  const TValue& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
  std::string ItemText(int index) const;
  // A null item after index (at the end for -1); returns its index.
  int AddItem(int index);
  void RemoveItem(int index);
  // Moves the item by one place up (-1) or down (+1); returns its new index.
  int MoveItem(int index, int step);
  void SetItem(int index, const TValue& value);

  // OK: builds the value of the page shown into result. A field that does
  // not read is named in a message and result is left as it was.
  bool Build(TValue& result);

private:
  void Load(const TValue& value);

  TDataRecord* record_ = nullptr;
  int pages_ = vpAll;
  int page_ = vpPlain;
  std::vector<TValue::Ptr> items_;
};

} // namespace vandro
