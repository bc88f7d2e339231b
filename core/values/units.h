// Units of measurement.
//
// A project's catalogue groups units in categories; in each category one unit
// is basic and the others are a coefficient times it. A basic unit may carry a
// dimension formula over other units (newton = "m*kg*s^-2"). Every unit
// expression reduces to a normal form: basic units with rational exponents and
// a numeric factor. Two quantities are compatible when the texts of their
// normal forms are equal; the factors convert between them.
//
// A unit may also carry an offset (celsius is kelvin + 273.15): a number v in
// unit u is v * factor(u) + offset(u) in basic units. Offsets belong to single
// units only: in a product, quotient or power of units an offset means
// nothing, so a conversion applies them only between two units each named on
// its own.
#pragma once

#include "values/unit_lexer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vandro {

// One basic unit raised to +-numerator/denominator.
struct TUnitNFEntry {
  std::string name; // a basic unit's name, at most 32 characters
  bool positive = true;
  uint16_t numerator = 1;
  uint16_t denominator = 1;
};

struct TUnitNF {
  std::vector<TUnitNFEntry> entries;
  long double factor = 1; // how many of the product of basic units make one of this unit
};

// "(kilogram)*(meter)*(second^-2)": the dimension signature compared
// everywhere. The factor is not part of it.
std::string NormalFormText(const TUnitNF& normalForm);

struct TUnit {
  int32_t id = 0;
  std::string name;      // unique without regard to case
  std::string shortName; // unique without regard to case; a unit is found by either
  std::string category;
  bool basic = false;
  bool generic = false;        // supplied with every project: never modified or deleted
  long double coefficient = 1; // basic units in one of this unit (1 for a basic unit)
  long double offset = 0;      // basic units at 0 of this unit (0 for most units)
  std::string formula;         // basic units only: optional dimension formula
  std::string description;
  // Set once the unit is named in an expression parsed in building mode; a
  // referenced unit cannot be deleted. Not stored.
  bool referenced = false;
  // Cache built on first use; dropped whenever the catalogue changes.
  std::optional<TUnitNF> normalForm;
};

// How a number in one unit is written in another of the same dimension:
// v' = v * factor + shift. Deviations are differences and take the factor
// alone.
struct TUnitConversion {
  long double factor = 1;
  long double shift = 0;
};

// Why a parse failed, for callers that phrase their own message.
struct TUnitParseError {
  std::string message;
};

class TUnitCatalogue {
public:
  TUnitCatalogue() = default;
  TUnitCatalogue(const TUnitCatalogue&) = delete;
  TUnitCatalogue& operator=(const TUnitCatalogue&) = delete;

  // Appends a unit (load order is kept) and drops every cached normal form.
  TUnit& Add(TUnit unit);
  // Removes the unit with this identifier; returns whether there was one.
  bool Remove(int32_t id);
  void Clear();
  int Count() const { return static_cast<int>(units_.size()); }
  TUnit& operator[](int index) { return *units_[static_cast<size_t>(index)]; }
  const TUnit& operator[](int index) const { return *units_[static_cast<size_t>(index)]; }

  // The first unit whose name or short name equals name, without regard to case.
  TUnit* FindUnit(std::string_view name);
  TUnit* FindById(int32_t id);
  // The basic unit of a category (without regard to case).
  TUnit* FindBasicUnit(std::string_view category);
  // Distinct category names, sorted without regard to case.
  const std::vector<std::string>& Categories() const { return categories_; }

  // Parses a unit expression. In building mode the normal form is built into
  // normalForm and every named unit is marked referenced; with checkOnly only
  // the syntax and the existence of the named units are checked. An empty text
  // is the empty normal form. Failures of normalisation are shown; syntax
  // failures are only described in error.
  bool ParseUnit(std::string_view text, bool checkOnly, TUnitNF& normalForm,
                 TUnitParseError* error = nullptr);

  // Builds the unit's normal form, caching it unless checkOnly.
  bool NormalizeUnit(TUnit& unit, bool checkOnly);

  // The normal form of a unit expression in building mode, cached by the
  // expression's upper-cased text; nullptr when it does not parse.
  const TUnitNF* NormalFormOf(std::string_view unitText);

  // Both texts parse and their normal-form texts are equal.
  bool SameUnits(std::string_view a, std::string_view b);

  // The offsets a conversion between unit texts a and b applies, in basic
  // units: each unit's catalogue offset when both texts name one unit on its
  // own ("C", "fahrenheit"), otherwise 0 for both.
  void ConversionOffsets(std::string_view a, std::string_view b, long double& offsetA,
                         long double& offsetB);

  // The conversion from unit text `from` to `to`, offsets included as above;
  // false when either does not parse, their dimensions differ or `to` has a
  // factor of 0.
  bool Conversion(std::string_view from, std::string_view to, TUnitConversion& conversion);

  // Forgets every cached normal form (call after editing a unit in place).
  void DropNormalForms();

private:
  friend class TUnitParser;
  void Reindex();

  std::vector<std::unique_ptr<TUnit>> units_;
  std::vector<std::string> categories_;
  std::unordered_map<std::string, TUnit*> byName_; // upper-cased name or short name
  std::unordered_map<std::string, TUnitNF> expressionCache_;
};

// The catalogue that value code works against. The open project installs its
// own; without one, an empty catalogue is in use (no unit is known).
TUnitCatalogue& ActiveUnits();
TUnitCatalogue* SetActiveUnits(TUnitCatalogue* catalogue);

class ScopedUnitCatalogue {
public:
  explicit ScopedUnitCatalogue(TUnitCatalogue& catalogue) : previous_(SetActiveUnits(&catalogue)) {}
  ~ScopedUnitCatalogue() { SetActiveUnits(previous_); }
  ScopedUnitCatalogue(const ScopedUnitCatalogue&) = delete;
  ScopedUnitCatalogue& operator=(const ScopedUnitCatalogue&) = delete;

private:
  TUnitCatalogue* previous_;
};

} // namespace vandro
