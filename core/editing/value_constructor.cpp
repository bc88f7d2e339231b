#include "editing/value_constructor.h"

#include "language/executor.h"
#include "language/query.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/units.h"
#include "values/value_text.h"

#include <algorithm>
#include <charconv>

namespace vandro {
namespace {

// The page last accepted with OK, for callers that reopen where the user
// left off.
int lastUsedPage = 0;

bool StartsWithWord(std::string_view text, std::string_view word) {
  const std::string upper = UpperCase(TrimView(text));
  return upper.compare(0, word.size(), word) == 0;
}

// A number field: blank means absent (fallback), a decimal comma reads as a
// point.
bool ReadNumber(const std::string& field, const char* caption, double fallback, double& value) {
  std::string text = Trim(field);
  if (text.empty()) {
    value = fallback;
    return true;
  }
  std::replace(text.begin(), text.end(), ',', '.');
  if (TextToFloat(text, value)) return true;
  ShowMsg(std::string(caption) + " is not a number: " + field);
  return false;
}

// Line breaks as typed (LF, CR LF or CR) become CR LF.
std::string WithCrLf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kLineBreak;
    } else if (text[i] == '\n') {
      out += kLineBreak;
    } else {
      out += text[i];
    }
  }
  return out;
}

} // namespace

const std::vector<std::string>& PlainTypeNames() {
  static const std::vector<std::string> names{"Null", "Boolean", "Numeric",
                                              "Time", "String",  "Text"};
  return names;
}

std::string CalculatedTypeName(TCalculatedType type) {
  switch (type) {
  case TCalculatedType::Formula:
    return "Formula";
  case TCalculatedType::AutoFormula:
    return "Auto Formula";
  case TCalculatedType::Function:
    return "Function";
  case TCalculatedType::Procedure:
    return "Procedure";
  case TCalculatedType::Query:
    return "Query";
  }
  return {};
}

TCalculatedType CalculatedTypeOf(std::string_view text) {
  // The same order as the value's predicates: a procedure or function first,
  // then an auto formula, a query, and anything else is a formula.
  if (StartsWithWord(text, "PROCEDURE")) return TCalculatedType::Procedure;
  if (StartsWithWord(text, "FUNCTION")) return TCalculatedType::Function;
  if (StartsWithWord(text, "=")) return TCalculatedType::AutoFormula;
  if (StartsWithWord(text, "FIND") || StartsWithWord(text, "FETCH")) return TCalculatedType::Query;
  return TCalculatedType::Formula;
}

int PageOfKind(TValueKind kind) {
  switch (kind) {
  case vkCalculated:
    return vpCalculated;
  case vkObject:
    return vpObjects;
  case vkLink:
    return vpLink;
  case vkArray:
    return vpArray;
  default:
    return vpPlain;
  }
}

std::vector<std::string> CatalogueUnitNames() {
  std::vector<std::string> names;
  const TUnitCatalogue& units = ActiveUnits();
  for (int i = 0; i < units.Count(); ++i)
    names.push_back(units[i].name);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); });
  return names;
}

TValueConstructor::TValueConstructor(const TValue& value, TDataRecord* record, int pages,
                                     int openingPage)
    : record_(record), pages_(pages & vpAll) {
  if (pages_ == 0) pages_ = vpAll;
  Load(value);
  if (openingPage == vpLastUsed) openingPage = lastUsedPage;
  if (openingPage == 0 || !Enabled(openingPage)) openingPage = PageOfKind(value.Kind());
  if (!Enabled(openingPage))
    for (openingPage = vpPlain; !Enabled(openingPage); openingPage <<= 1) {
    }
  page_ = openingPage;
}

void TValueConstructor::SetPage(int page) {
  if (page & vpAll && Enabled(page)) page_ = page;
}

void TValueConstructor::Load(const TValue& value) {
  Time = Now();
  switch (value.Kind()) {
  case vkCalculated:
    Source = value.Text();
    return;
  case vkObject: {
    const std::string& text = value.Text();
    std::from_chars(text.data(), text.data() + text.size(), Reference);
    return;
  }
  case vkLink:
    Link = value.Text();
    return;
  case vkArray:
    for (int i = 0; i < value.ItemCount(); ++i)
      items_.push_back(value.GetItem(i).Clone("TValueConstructor.Load"));
    return;
  default:
    break;
  }
  const std::string& text = value.Text();
  if (value.IsNull()) {
    PlainType = TPlainType::Null;
  } else if (value.IsBoolean()) {
    PlainType = TPlainType::Boolean;
    DecodeBoolean(text, Boolean);
  } else if (value.IsNumeric()) {
    PlainType = TPlainType::Numeric;
    double number = 0, plus = 0, minus = 0;
    try {
      DecodeNumber(text, number, plus, minus, Unit);
    } catch (const EConvertError&) {
      // A unit the catalogue has lost: the text is kept as a string.
      PlainType = TPlainType::String;
      String = text;
      return;
    }
    Number = FloatToText(number);
    if (plus > 0 || minus > 0) {
      PlusDeviation = FloatToText(plus);
      MinusDeviation = FloatToText(minus);
    }
  } else if (value.IsDateTime()) {
    PlainType = TPlainType::Time;
    Time = DecodeDateTime(text);
  } else if (value.IsText()) {
    PlainType = TPlainType::Text;
    Text = text;
  } else {
    PlainType = TPlainType::String;
    String = text;
  }
}

TCheckResult TValueConstructor::Check() const {
  switch (SourceType()) {
  case TCalculatedType::Function:
  case TCalculatedType::Procedure:
    return {false, "Functions and procedures are kept as text: only formulas, auto formulas "
                   "and queries can be checked"};
  case TCalculatedType::Query: {
    TExecutor executor;
    TQExpression query;
    query.Text = Source;
    if (executor.ParseQuery(query)) return {true, "Syntax is correct"};
    return {false, executor.Result().Text()};
  }
  default:
    break;
  }
  TExecutor executor;
  if (executor.Check(Source)) return {true, "Syntax is correct"};
  return {false, executor.Result().Text()};
}

TCheckResult TValueConstructor::Evaluate() const {
  switch (SourceType()) {
  case TCalculatedType::Function:
  case TCalculatedType::Procedure:
    return {false, "Functions and procedures are kept as text: only formulas, auto formulas "
                   "and queries can be evaluated"};
  case TCalculatedType::Query: {
    TValue query;
    query.SetText(vkCalculated, Source);
    std::string message;
    const TValue::Ptr found = ExecuteQuery(query, record_, nullptr, &message);
    if (!found) return {false, message};
    return {true, ToDisplayText(found.get())};
  }
  default:
    break;
  }
  TExecutor executor;
  const TValue& result = executor.Run(nullptr, record_, Source);
  if (executor.Failed() || result.IsError()) return {false, result.Text()};
  return {true, ToDisplayText(&result)};
}

std::unique_ptr<TQExpression> TValueConstructor::StartQuery() const {
  auto query = std::make_unique<TQExpression>();
  if (Trim(Source).empty()) return query;
  query->Text = Source;
  if (query->Parse()) return query;
  if (!Ask("The text is not a query that reads:\r\n" + query->Message +
               "\r\nBuild a new query in its place?",
           false))
    return nullptr;
  return std::make_unique<TQExpression>();
}

void TValueConstructor::FinishQuery(const TQExpression& query) {
  Source = query.ToText();
}

void TValueConstructor::SetReference(int32_t objectId, int32_t stateId) {
  Reference = stateId != 0 ? stateId : objectId;
}

std::string TValueConstructor::ReferenceText() const {
  if (Reference == 0) return {};
  TValue reference;
  reference.SetText(vkObject, std::to_string(Reference));
  return ToDisplayText(&reference);
}

std::string TValueConstructor::ItemText(int index) const {
  return ToDisplayText(&Item(index));
}

int TValueConstructor::AddItem(int index) {
  const size_t at =
      index < 0 || index >= ItemCount() ? items_.size() : static_cast<size_t>(index) + 1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at),
                TValue::Create("TValueConstructor.AddItem"));
  return static_cast<int>(at);
}

void TValueConstructor::RemoveItem(int index) {
  if (index < 0 || index >= ItemCount()) return;
  items_.erase(items_.begin() + index);
}

int TValueConstructor::MoveItem(int index, int step) {
  const int target = index + step;
  if (index < 0 || index >= ItemCount() || target < 0 || target >= ItemCount()) return index;
  std::swap(items_[static_cast<size_t>(index)], items_[static_cast<size_t>(target)]);
  return target;
}

void TValueConstructor::SetItem(int index, const TValue& value) {
  items_.at(static_cast<size_t>(index))->Assign(value);
}

bool TValueConstructor::Build(TValue& result) {
  TValue::Ptr built = TValue::Create("TValueConstructor.Build");
  switch (page_) {
  case vpCalculated:
    if (Trim(Source).empty()) {
      ShowMsg("The calculated value is empty");
      return false;
    }
    built->SetText(vkCalculated, WithCrLf(Source));
    break;
  case vpObjects:
    built->SetText(vkObject, std::to_string(Reference));
    break;
  case vpLink:
    if (Trim(Link).empty()) {
      ShowMsg("The link is empty: choose a file");
      return false;
    }
    built->SetText(vkLink, Link);
    break;
  case vpArray:
    built->SetArray();
    for (const TValue::Ptr& item : items_)
      built->AddItem(item->Clone("TValueConstructor.Build"));
    break;
  default:
    switch (PlainType) {
    case TPlainType::Null:
      break;
    case TPlainType::Boolean:
      built->SetBoolean(Boolean);
      break;
    case TPlainType::Numeric: {
      double number = 0, minus = 0, plus = 0;
      if (Trim(Number).empty()) {
        ShowMsg("Number is empty");
        return false;
      }
      if (!ReadNumber(Number, "Number", 0, number) ||
          !ReadNumber(PlusDeviation, "Plus deviation", 0, plus) ||
          !ReadNumber(MinusDeviation, "Minus deviation", plus, minus))
        return false;
      if (plus < 0 || minus < 0) {
        ShowMsg("A deviation can't be negative");
        return false;
      }
      const std::string unit = Trim(Unit);
      if (!unit.empty() && !ActiveUnits().NormalFormOf(unit)) {
        ShowMsg("Unit " + unit + " is not in the catalogue");
        return false;
      }
      try {
        built->SetNumber(unit, minus, plus, number);
      } catch (const EConvertError& error) {
        ShowMsg(std::string("Number can't be written: ") + error.what());
        return false;
      }
      break;
    }
    case TPlainType::Time:
      built->SetPlain(DateTimeToText(Time));
      break;
    case TPlainType::String:
      if (String.find_first_of("\r\n") != std::string::npos) {
        ShowMsg("A string is one line: choose the type Text for several lines");
        return false;
      }
      built->SetPlain(String);
      break;
    case TPlainType::Text:
      built->SetPlain(WithCrLf(Text));
      break;
    }
  }
  result.Assign(*built);
  lastUsedPage = page_;
  return true;
}

} // namespace vandro
