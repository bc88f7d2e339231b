#include "editing/unit_editor.h"

#include "model/parameter.h"
#include "model/project.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/session.h"
#include "storage/unit_rows.h"
#include "values/unit_lexer.h"
#include "values/units.h"

#include <algorithm>

namespace vandro {

namespace {

TUnitCatalogue& Catalogue() {
  return RequireSession().Project->Units();
}

// A unit is named in expressions, so its name must read as one name lexeme.
bool IsUnitName(const std::string& text) {
  if (text.empty()) return false;
  const std::string upper = UpperCase(text); // the lexer keeps a view of it
  TUnitLexer lexer(upper);
  const TUnitLexeme first = lexer.Next();
  return first.kind == TUnitLexemeKind::Name && first.text.size() == text.size() &&
         lexer.Next().kind == TUnitLexemeKind::End;
}

// Categories are labels, never parsed: a letter, then letters, digits and
// blanks ("Light Power", "Amt_Of_Substance").
bool IsCategoryName(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = UpperChar(text[i]);
    if (!IsNameLetter(c) && (i == 0 || (!IsDigit(c) && c != ' '))) return false;
  }
  return !text.empty();
}

bool Taken(const std::string& name, int32_t id) {
  const TUnit* holder = Catalogue().FindUnit(name);
  return holder && holder->id != id;
}

bool Refuse(const std::string& message) {
  ShowMsg(message);
  return false;
}

// The form's texts as they are checked and stored: trimmed; the texts cut to
// their capacities, the names whole (a name that does not fit is refused).
TUnitForm Fitted(const TUnitForm& form) {
  TUnitForm fitted = form;
  fitted.Name = Trim(form.Name);
  fitted.ShortName = Trim(form.ShortName);
  fitted.Category = Trim(form.Category);
  fitted.Factor = Trim(form.Factor);
  fitted.Offset = Trim(form.Offset);
  fitted.Formula = form.Formula.substr(0, kUnitTextCapacity);
  fitted.Description = form.Description.substr(0, kUnitTextCapacity);
  return fitted;
}

bool ReadOffset(const std::string& text, double& offset) {
  offset = 0;
  return text.empty() || TextToFloat(text, offset);
}

} // namespace

TUnitForm UnitFormOf(const TUnit& unit) {
  TUnitForm form;
  form.Id = unit.id;
  form.Name = unit.name;
  form.ShortName = unit.shortName;
  form.Category = unit.category;
  form.Factor = ShownNumber(unit.coefficient, "");
  form.Offset = ShownNumber(unit.offset, "");
  form.Formula = unit.formula;
  form.Description = unit.description;
  form.Basic = unit.basic;
  return form;
}

TUnitFieldRules UnitFieldRules(bool basic) {
  TUnitFieldRules rules;
  rules.FactorEditable = !basic;
  rules.FormulaEditable = basic;
  if (basic) rules.FixedFactor = "1";
  return rules;
}

TBasicUnitHint BasicUnitHint(std::string_view category, bool basic) {
  TBasicUnitHint hint;
  if (basic) {
    hint.Note = TBasicUnitNote::ThisIsBasic;
    return hint;
  }
  TProject* project = CurrentProject();
  if (const TUnit* unit = project ? project->Units().FindBasicUnit(category) : nullptr) {
    hint.Note = TBasicUnitNote::MeasuredIn;
    hint.BasicUnit = unit->name;
  }
  return hint;
}

bool CategoryHasOtherUnits(const TUnit& unit) {
  TUnitCatalogue& catalogue = Catalogue();
  for (int i = 0; i < catalogue.Count(); ++i)
    if (catalogue[i].id != unit.id && SameText(catalogue[i].category, unit.category)) return true;
  return false;
}

bool CanEditUnit(int32_t id) {
  const TUnit* unit = id ? Catalogue().FindById(id) : nullptr;
  if (!unit) return Refuse("Select a unit");
  if (unit->generic) return Refuse("This unit can't be modified");
  return true;
}

bool CheckUnitNameFree(const std::string& name, int32_t id) {
  if (!Taken(Trim(name), id)) return true;
  return Refuse("Unit with such a name already exists");
}

bool CheckUnitShortNameFree(const std::string& name, int32_t id) {
  if (!Taken(Trim(name), id)) return true;
  return Refuse("Unit with such short name already exists");
}

bool CheckBasicTick(const std::string& category, int32_t id) {
  const TUnit* basic = Catalogue().FindBasicUnit(Trim(category));
  if (!basic || basic->id == id) return true;
  return Refuse("The basic unit for the category already exists.");
}

bool CheckBasicClear(int32_t id) {
  const TUnit* unit = id ? Catalogue().FindById(id) : nullptr;
  if (!unit || !unit->basic) return true;
  return Refuse("You can't set Basic property to non-Basic.\r\nYou have to set the property for "
                "any other unit of the category.");
}

bool CheckUnitForm(const TUnitForm& original) {
  const TUnitForm form = Fitted(original);
  double factor = 0, offset = 0;
  if (!CheckStorableName(form.Category, kNameCapacity) ||
      !CheckStorableName(form.Name, kNameCapacity) ||
      !CheckStorableName(form.ShortName, kUnitShortNameCapacity))
    return false;
  if (form.Category.empty()) return Refuse("Empty Category");
  if (!IsCategoryName(form.Category)) return Refuse("Invalid Category Syntax");
  if (form.Name.empty()) return Refuse("Unit Name can't be empty");
  if (!IsUnitName(form.Name)) return Refuse("Invalid Unit Name Syntax");
  if (Taken(form.Name, form.Id)) return Refuse("Unit Name alredy exists");
  if (!IsUnitName(form.ShortName)) return Refuse("Invalid Short Unit Name Syntax");
  if (Taken(form.ShortName, form.Id)) return Refuse("Short Unit Name alredy exists");
  if (!TextToFloat(form.Factor, factor)) return Refuse("Invalid Numeric Syntax: Factor");
  if (!(factor > 0)) return Refuse("The value of Factor should be positive");
  if (!ReadOffset(form.Offset, offset)) return Refuse("Invalid Numeric Syntax: Offset");
  TUnitNF unused;
  if (!TrimView(form.Formula).empty() && !Catalogue().ParseUnit(form.Formula, true, unused))
    return Refuse("Invalid Dimension Formula Syntax");
  return true;
}

int32_t StoreUnitForm(const TUnitForm& original) {
  TUnitCatalogue& catalogue = Catalogue();
  const TUnit* existing = nullptr;
  if (original.Id != 0) {
    if (!CanEditUnit(original.Id)) return 0;
    existing = catalogue.FindById(original.Id);
  }
  if (!CheckUnitForm(original)) return 0;
  const TUnitForm form = Fitted(original);
  const auto& categories = catalogue.Categories();
  const bool knownCategory = std::any_of(categories.begin(), categories.end(),
                                         [&](const auto& c) { return SameText(c, form.Category); });
  if (!knownCategory && !Ask("Do you want to introduce a new Unit Category:" + form.Category, true))
    return 0;
  if (form.Basic && !CheckBasicTick(form.Category, form.Id)) return 0;
  if (!form.Basic && !CheckBasicClear(form.Id)) return 0;
  // A category needs its basic unit before anything can be converted in it,
  // and a basic unit cannot leave the units that are defined by it.
  if (!form.Basic && !catalogue.FindBasicUnit(form.Category)) {
    ShowMsg("The category " + form.Category + " has no basic unit." + kLineBreak +
            "Make this unit basic.");
    return 0;
  }
  if (existing && existing->basic && !SameText(existing->category, form.Category) &&
      CategoryHasOtherUnits(*existing)) {
    ShowMsg("Can't move a basic unit to another category." + std::string(kLineBreak) +
            "Category isn't empty");
    return 0;
  }

  TUnit unit;
  if (existing) unit = *existing;
  unit.name = form.Name;
  unit.shortName = form.ShortName;
  unit.category = form.Category;
  unit.basic = form.Basic;
  unit.generic = false;
  double factor = 1, offset = 0;
  TextToFloat(form.Factor, factor);
  ReadOffset(form.Offset, offset);
  // The basic unit is the category's measure: one of it is one basic unit.
  unit.coefficient = form.Basic ? 1 : factor;
  unit.offset = offset;
  unit.formula = form.Formula;
  unit.description = form.Description;
  if (existing)
    APSUpdateUnit(unit);
  else
    APSAddUnit(unit);
  APSLoadUnits();
  NormalizeAllUnits(Catalogue());
  return unit.id;
}

} // namespace vandro
