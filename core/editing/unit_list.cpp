#include "editing/unit_list.h"

#include "model/project.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/database.h"
#include "storage/session.h"
#include "storage/unit_rows.h"
#include "values/units.h"

#include <iterator>
#include <vector>

namespace vandro {

namespace {

const char* const kColumnTitles[ulColumnCount] = {
    "Item No", "Unit Name", "UntNm",     "Category",   "Factor",  "Offset",
    "Formula", "Basic",     "Dimension", "Dim.Factor", "Generic", "Description"};

class TDiscardingSink final : public TMessageSink {
public:
  void Show(const std::string&) override {}
  void ShowList(const std::vector<std::string>&) override {}
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
};

bool AllCategories(std::string_view category) {
  return category.empty() || category == kAllUnitCategories;
}

TUnitCatalogue& Catalogue() {
  return RequireSession().Project->Units();
}

void ReloadUnits() {
  APSLoadUnits();
  NormalizeAllUnits(Catalogue());
}

bool Refuse(const std::string& message) {
  ShowMsg(message);
  return false;
}

} // namespace

std::vector<std::string> UnitListColumns() {
  return {std::begin(kColumnTitles), std::end(kColumnTitles)};
}

std::vector<std::string> UnitListCategories(const TUnitCatalogue& catalogue) {
  std::vector<std::string> entries = {kAllUnitCategories};
  entries.insert(entries.end(), catalogue.Categories().begin(), catalogue.Categories().end());
  return entries;
}

TUnitListGrid UnitListGrid(TUnitCatalogue& catalogue, std::string_view category) {
  TUnitListGrid grid;
  grid.Columns = UnitListColumns();
  const bool all = AllCategories(category);
  TDiscardingSink discard;
  const ScopedMessageSink quiet(discard);
  for (int i = 0; i < catalogue.Count(); ++i) {
    TUnit& unit = catalogue[i];
    if (!all && !SameText(unit.category, category)) continue;
    std::string dimension, dimFactor;
    if (unit.normalForm || catalogue.NormalizeUnit(unit, false)) {
      dimension = NormalFormText(*unit.normalForm);
      dimFactor = ShownNumber(unit.normalForm->factor);
    }
    TUnitListRow row;
    row.UnitId = unit.id;
    row.Cells = {std::to_string(grid.Rows.size() + 1),
                 unit.name,
                 unit.shortName,
                 unit.category,
                 ShownNumber(unit.coefficient),
                 ShownNumber(unit.offset),
                 unit.formula,
                 ShownYesNo(unit.basic),
                 std::move(dimension),
                 std::move(dimFactor),
                 ShownYesNo(unit.generic),
                 unit.description};
    grid.Rows.push_back(std::move(row));
  }
  return grid;
}

TUnitForm NewUnitForm(std::string_view category) {
  TUnitForm form;
  if (!AllCategories(category)) form.Category = category;
  form.Factor = "1";
  return form;
}

bool DeleteUnit(int32_t id) {
  TUnit* unit = id ? Catalogue().FindById(id) : nullptr;
  if (!unit) return Refuse("Select a unit");
  if (unit->generic) return Refuse("You can't delete a generic unit.");
  if (unit->referenced)
    return Refuse("You can't delete the unit because it is used\r\nin other unit definitions");
  // The referenced flag knows only the expressions parsed in this run; a
  // value stored in the unit would be left unreadable.
  if (APSStoredValuesNameUnit(*unit))
    return Refuse("You can't delete the unit because the project's values use it");
  if (unit->basic && CategoryHasOtherUnits(*unit))
    return Refuse("Can't delete a basic unit.\r\nCategory isn't empty");
  if (!Ask("You're about to delete the unit " + unit->name + "." + kLineBreak + " Are you sure?",
           false))
    return false;
  APSDeleteUnit(*unit);
  Catalogue().Remove(id);
  ReloadUnits();
  return true;
}

bool MakeBasic(int32_t id) {
  TUnitCatalogue& catalogue = Catalogue();
  const TUnit* chosen = id ? catalogue.FindById(id) : nullptr;
  if (!chosen) return Refuse("Select a unit");
  if (chosen->basic) return Refuse("The unit is basic");
  const long double a = chosen->coefficient;
  const long double b = chosen->offset;
  if (a == 0) return Refuse("The factor in conversion formula is zero. Did nothing.");

  // Copies are written; the catalogue changes only by the reload after the
  // transaction is in the file.
  std::vector<TUnit> changed;
  TUnit made = *chosen;
  made.coefficient = 1;
  made.offset = 0;
  made.basic = true;
  made.formula.clear();
  for (int i = 0; i < catalogue.Count(); ++i) {
    if (catalogue[i].id == chosen->id || !SameText(catalogue[i].category, chosen->category))
      continue;
    TUnit unit = catalogue[i];
    if (unit.basic) {
      made.formula = unit.formula;
      unit.coefficient = 1 / a;
      unit.offset = -b / a;
      unit.basic = false;
    } else {
      // v·c + d in the old basic unit is (v·c + d − b) / a in the new one:
      // conversions between the category's units stay what they were.
      unit.offset = (unit.offset - b) / a;
      unit.coefficient = unit.coefficient / a;
    }
    changed.push_back(std::move(unit));
  }
  changed.push_back(std::move(made));
  TDatabase& database = APSDatabase();
  Guarded([&] {
    TTransaction transaction(database);
    for (const TUnit& unit : changed)
      APSUpdateUnit(unit);
    transaction.Commit();
  });
  catalogue.DropNormalForms();
  ReloadUnits();
  return true;
}

} // namespace vandro
