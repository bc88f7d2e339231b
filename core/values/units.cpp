#include "values/units.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vandro {

namespace {

constexpr int kMaxNesting = 64;
constexpr int64_t kMaxExponentPart = 65535;

std::string ExponentText(const TUnitNFEntry& entry) {
  if (entry.positive && entry.numerator == 1 && entry.denominator == 1) return {};
  std::string text = "^";
  if (!entry.positive) text += "-";
  text += std::to_string(entry.numerator);
  if (entry.denominator != 1) text += "/" + std::to_string(entry.denominator);
  return text;
}

// Sorts entries by name, merges runs of one name by adding their exponents
// and drops dimensionless entries. False when a merged exponent leaves 16 bits.
bool Canonicalise(std::vector<TUnitNFEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TUnitNFEntry& a, const TUnitNFEntry& b) { return a.name < b.name; });
  std::vector<TUnitNFEntry> merged;
  for (size_t i = 0; i < entries.size();) {
    size_t j = i + 1;
    while (j < entries.size() && entries[j].name == entries[i].name)
      ++j;
    TUnitNFEntry entry = entries[i];
    if (j - i > 1) {
      int64_t numerator = (entry.positive ? 1 : -1) * int64_t(entry.numerator);
      int64_t denominator = entry.denominator;
      for (size_t k = i + 1; k < j; ++k) {
        const int64_t n = (entries[k].positive ? 1 : -1) * int64_t(entries[k].numerator);
        const int64_t d = entries[k].denominator;
        numerator = numerator * d + n * denominator;
        denominator *= d;
        const int64_t divisor = std::gcd(numerator, denominator);
        if (divisor > 1) numerator /= divisor, denominator /= divisor;
      }
      if (numerator == 0) denominator = 1;
      if (std::abs(numerator) > kMaxExponentPart || denominator > kMaxExponentPart) return false;
      entry.positive = numerator >= 0;
      entry.numerator = static_cast<uint16_t>(std::abs(numerator));
      entry.denominator = static_cast<uint16_t>(denominator);
    }
    if (!entry.name.empty() && !SameText(entry.name, "None") && entry.numerator != 0)
      merged.push_back(std::move(entry));
    i = j;
  }
  entries = std::move(merged);
  return true;
}

// The catalogue unit a text names on its own ("C", " kelvin "); nullptr for
// an expression of units or a name the catalogue does not hold.
TUnit* SingleUnit(TUnitCatalogue& catalogue, std::string_view text) {
  const std::string upper = UpperCase(text);
  TUnitLexer lexer(upper);
  const TUnitLexeme name = lexer.Next();
  if (name.kind != TUnitLexemeKind::Name || lexer.Next().kind != TUnitLexemeKind::End)
    return nullptr;
  return catalogue.FindUnit(name.text);
}

} // namespace

std::string NormalFormText(const TUnitNF& normalForm) {
  std::string text;
  for (const auto& entry : normalForm.entries) {
    if (!text.empty()) text += "*";
    text += "(" + entry.name + ExponentText(entry) + ")";
  }
  return text;
}

// A recursive-descent parser over one expression. The frame of each factor
// holds the entries it appended and its factor; the expression combines them.
class TUnitParser {
public:
  TUnitParser(TUnitCatalogue& catalogue, std::string_view upperText, bool checkOnly)
      : catalogue_(catalogue), lexer_(upperText), checkOnly_(checkOnly) {
    Advance();
  }

  bool Parse(TUnitNF& result) {
    if (current_.kind == TUnitLexemeKind::End) {
      result = TUnitNF{};
      return true;
    }
    TUnitNF frame;
    if (!Expression(frame, 0)) return false;
    if (!checkOnly_ && !Canonicalise(frame.entries)) return Fail("The unit exponent is too large");
    result = std::move(frame);
    return true;
  }

  const std::string& Error() const { return error_; }

private:
  void Advance() { current_ = lexer_.Next(); }
  bool Is(TUnitLexemeKind kind, char c) const {
    return current_.kind == kind && current_.text.size() == 1 && current_.text[0] == c;
  }
  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

  bool Expression(TUnitNF& frame, int depth) {
    if (depth > kMaxNesting) return Fail("Expression is too deeply nested");
    if (!Factor(frame, depth)) return false;
    while (Is(TUnitLexemeKind::Operator, '*') || Is(TUnitLexemeKind::Operator, '/')) {
      const bool divide = current_.text[0] == '/';
      Advance();
      TUnitNF next;
      if (!Factor(next, depth)) return false;
      if (divide) {
        for (auto& entry : next.entries)
          entry.positive = !entry.positive;
        frame.factor /= next.factor;
      } else {
        frame.factor *= next.factor;
      }
      frame.entries.insert(frame.entries.end(), next.entries.begin(), next.entries.end());
    }
    return true;
  }

  bool Factor(TUnitNF& frame, int depth) {
    std::string shown; // what a failure of the power names
    if (Is(TUnitLexemeKind::Bracket, '(')) {
      Advance();
      if (!Expression(frame, depth + 1)) return false;
      if (!Is(TUnitLexemeKind::Bracket, ')')) return Fail("Missing \")\" in the unit expression");
      Advance();
      shown = "(...)";
    } else if (current_.kind == TUnitLexemeKind::Name) {
      TUnit* unit = catalogue_.FindUnit(current_.text);
      if (!unit) return Fail("Unknown unit " + current_.text);
      if (!checkOnly_) {
        if (!catalogue_.NormalizeUnit(*unit, false)) {
          ShowMsg("Can't normalize unit " + unit->name);
          return Fail("Can't normalize unit " + unit->name);
        }
        frame = *unit->normalForm;
        unit->referenced = true;
      }
      shown = unit->name;
      Advance();
    } else if (current_.kind == TUnitLexemeKind::Error) {
      return Fail(current_.text);
    } else if (current_.kind == TUnitLexemeKind::End) {
      return Fail("Unexpected end of the unit expression");
    } else {
      return Fail("Unexpected \"" + current_.text + "\" in the unit expression");
    }

    if (!Is(TUnitLexemeKind::Operator, '^')) return true;
    Advance();
    int64_t exponent = 0, denominator = 1;
    if (current_.kind != TUnitLexemeKind::Integer || !TextToInt(current_.text, exponent))
      return Fail("An integer exponent expected after \"^\"");
    Advance();
    // After the exponent a "/" always starts its denominator.
    if (Is(TUnitLexemeKind::Operator, '/')) {
      Advance();
      if (current_.kind == TUnitLexemeKind::Integer) {
        if (!TextToInt(current_.text, denominator) || denominator <= 0)
          return Fail("The exponent's denominator must be a positive integer");
        Advance();
      }
    }
    if (std::abs(exponent) > kMaxExponentPart || denominator > kMaxExponentPart)
      return Fail("The unit exponent is too large");
    if (checkOnly_) return true;
    const int64_t magnitude = std::abs(exponent);
    for (auto& entry : frame.entries) {
      const int64_t n = entry.numerator * magnitude;
      const int64_t d = entry.denominator * denominator;
      if (n > kMaxExponentPart || d > kMaxExponentPart)
        return Fail("The unit exponent is too large");
      entry.numerator = static_cast<uint16_t>(n);
      entry.denominator = static_cast<uint16_t>(d);
      if (exponent < 0) entry.positive = !entry.positive;
    }
    const long double power =
        std::pow(frame.factor, static_cast<long double>(magnitude) / denominator);
    const long double factor = exponent < 0 ? 1 / power : power;
    if (!std::isfinite(factor) || factor == 0) {
      ShowMsg("Can't calculate the unit dimension factor " + shown);
      return Fail("Can't calculate the unit dimension factor " + shown);
    }
    frame.factor = factor;
    return true;
  }

  TUnitCatalogue& catalogue_;
  TUnitLexer lexer_;
  bool checkOnly_;
  TUnitLexeme current_;
  std::string error_;
};

TUnit& TUnitCatalogue::Add(TUnit unit) {
  unit.normalForm.reset();
  unit.referenced = false;
  units_.push_back(std::make_unique<TUnit>(std::move(unit)));
  Reindex();
  return *units_.back();
}

bool TUnitCatalogue::Remove(int32_t id) {
  const auto it =
      std::find_if(units_.begin(), units_.end(), [id](const auto& unit) { return unit->id == id; });
  if (it == units_.end()) return false;
  units_.erase(it);
  Reindex();
  return true;
}

void TUnitCatalogue::Clear() {
  units_.clear();
  Reindex();
}

void TUnitCatalogue::Reindex() {
  byName_.clear();
  categories_.clear();
  for (const auto& unit : units_) {
    byName_.emplace(UpperCase(unit->name), unit.get());
    byName_.emplace(UpperCase(unit->shortName), unit.get());
    const bool known = std::any_of(categories_.begin(), categories_.end(),
                                   [&](const auto& c) { return SameText(c, unit->category); });
    if (!known) categories_.push_back(unit->category);
  }
  std::sort(categories_.begin(), categories_.end(),
            [](const auto& a, const auto& b) { return CompareText(a, b) < 0; });
  DropNormalForms();
}

void TUnitCatalogue::DropNormalForms() {
  for (auto& unit : units_)
    unit->normalForm.reset();
  expressionCache_.clear();
}

TUnit* TUnitCatalogue::FindUnit(std::string_view name) {
  const auto it = byName_.find(UpperCase(name));
  return it == byName_.end() ? nullptr : it->second;
}

TUnit* TUnitCatalogue::FindById(int32_t id) {
  for (auto& unit : units_)
    if (unit->id == id) return unit.get();
  return nullptr;
}

TUnit* TUnitCatalogue::FindBasicUnit(std::string_view category) {
  for (auto& unit : units_)
    if (unit->basic && SameText(unit->category, category)) return unit.get();
  return nullptr;
}

bool TUnitCatalogue::ParseUnit(std::string_view text, bool checkOnly, TUnitNF& normalForm,
                               TUnitParseError* error) {
  const std::string upper = UpperCase(text);
  TUnitParser parser(*this, upper, checkOnly);
  if (parser.Parse(normalForm)) return true;
  if (error) error->message = parser.Error();
  return false;
}

bool TUnitCatalogue::NormalizeUnit(TUnit& unit, bool checkOnly) {
  if (unit.normalForm) return true;
  // A unit whose definition leads back to itself (a formula naming itself, two
  // formulas naming each other, a category without a usable basic unit) must
  // fail rather than recurse for ever.
  struct Guard {
    std::vector<const TUnit*>& active;
    explicit Guard(std::vector<const TUnit*>& a, const TUnit* u) : active(a) {
      active.push_back(u);
    }
    ~Guard() { active.pop_back(); }
  };
  static std::vector<const TUnit*> inProgress;
  if (std::find(inProgress.begin(), inProgress.end(), &unit) != inProgress.end() ||
      inProgress.size() > static_cast<size_t>(kMaxNesting))
    return false;
  Guard guard(inProgress, &unit);

  TUnitNF result;
  if (unit.basic) {
    if (TrimView(unit.formula).empty()) {
      result.entries.push_back({unit.name.substr(0, 32), true, 1, 1});
    } else if (!ParseUnit(unit.formula, checkOnly, result)) {
      return false;
    }
  } else {
    TUnit* basic = FindBasicUnit(unit.category);
    if (!basic || !NormalizeUnit(*basic, checkOnly)) {
      ShowMsg("Can't normalize basic unit " +
              (basic ? basic->name : "(category " + unit.category + " has none)"));
      return false;
    }
    if (!checkOnly) {
      result = *basic->normalForm;
      result.factor *= unit.coefficient;
    }
  }
  if (!checkOnly) unit.normalForm = std::move(result);
  return true;
}

const TUnitNF* TUnitCatalogue::NormalFormOf(std::string_view unitText) {
  std::string key = UpperCase(TrimView(unitText));
  if (const auto it = expressionCache_.find(key); it != expressionCache_.end()) return &it->second;
  TUnitNF normalForm;
  if (!ParseUnit(key, false, normalForm)) return nullptr;
  return &expressionCache_.emplace(std::move(key), std::move(normalForm)).first->second;
}

bool TUnitCatalogue::SameUnits(std::string_view a, std::string_view b) {
  const TUnitNF* first = NormalFormOf(a);
  if (!first) return false;
  const std::string firstText = UpperCase(NormalFormText(*first));
  const TUnitNF* second = NormalFormOf(b);
  return second && firstText == UpperCase(NormalFormText(*second));
}

void TUnitCatalogue::ConversionOffsets(std::string_view a, std::string_view b, long double& offsetA,
                                       long double& offsetB) {
  offsetA = offsetB = 0;
  const TUnit* unitA = SingleUnit(*this, a);
  const TUnit* unitB = unitA ? SingleUnit(*this, b) : nullptr;
  if (!unitB) return;
  offsetA = unitA->offset;
  offsetB = unitB->offset;
}

bool TUnitCatalogue::Conversion(std::string_view from, std::string_view to,
                                TUnitConversion& conversion) {
  const TUnitNF* source = NormalFormOf(from);
  if (!source) return false;
  const std::string sourceText = NormalFormText(*source);
  const long double sourceFactor = source->factor;
  const TUnitNF* target = NormalFormOf(to);
  if (!target || NormalFormText(*target) != sourceText || target->factor == 0) return false;
  long double offsetFrom = 0, offsetTo = 0;
  ConversionOffsets(from, to, offsetFrom, offsetTo);
  conversion.factor = sourceFactor / target->factor;
  conversion.shift = (offsetFrom - offsetTo) / target->factor;
  return true;
}

namespace {
TUnitCatalogue emptyCatalogue;
TUnitCatalogue* activeCatalogue = &emptyCatalogue;
} // namespace

TUnitCatalogue& ActiveUnits() {
  return *activeCatalogue;
}

TUnitCatalogue* SetActiveUnits(TUnitCatalogue* catalogue) {
  TUnitCatalogue* previous = activeCatalogue;
  activeCatalogue = catalogue ? catalogue : &emptyCatalogue;
  return previous == &emptyCatalogue ? nullptr : previous;
}

} // namespace vandro
