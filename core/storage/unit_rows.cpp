#include "storage/unit_rows.h"

#include "model/parameter.h"
#include "shell/messages.h"
#include "storage/access.h"
#include "storage/session.h"

namespace vandro {

namespace {

void Cut(std::string& text, size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
}

void FitUnit(TUnit& unit) {
  Cut(unit.name, kNameCapacity);
  // Two supplied units ("free_fall_acceleration", "KilogramPerCentimeter")
  // have short names beyond the editor's 16 characters; they are kept whole
  // so that the stored catalogue is the one every project is given.
  Cut(unit.shortName, kNameCapacity);
  Cut(unit.category, kNameCapacity);
  Cut(unit.formula, kUnitTextCapacity);
  Cut(unit.description, kUnitTextCapacity);
}

[[noreturn]] void RaiseMissingUnit(int32_t id) {
  RaiseSystemError("Can't find Unit. Idtor = " + std::to_string(id));
}

} // namespace

void APSAddUnit(TUnit& unit) {
  TDatabase& database = APSDatabase();
  FitUnit(unit);
  unit.id = APSNewId();
  Guarded([&] {
    database
        .Query("INSERT INTO VD_Units (UntIdtor, UntName, UntShrtNm, UntCatgry, UntBasic, "
               "UntCoeff, UntDelta, UntGeneric, UntFormula, UntDescr) "
               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(unit.id, unit.name, unit.shortName, unit.category, unit.basic,
              static_cast<double>(unit.coefficient), static_cast<double>(unit.offset), unit.generic,
              unit.formula, unit.description)
        .Run();
  });
}

void APSUpdateUnit(const TUnit& unit) {
  TDatabase& database = APSDatabase();
  TUnit fitted = unit;
  FitUnit(fitted);
  Guarded([&] {
    database
        .Query("UPDATE VD_Units SET UntName = ?, UntShrtNm = ?, UntCatgry = ?, UntBasic = ?, "
               "UntCoeff = ?, UntDelta = ?, UntGeneric = ?, UntFormula = ?, UntDescr = ? "
               "WHERE UntIdtor = ?")
        .Bind(fitted.name, fitted.shortName, fitted.category, fitted.basic,
              static_cast<double>(fitted.coefficient), static_cast<double>(fitted.offset),
              fitted.generic, fitted.formula, fitted.description, fitted.id)
        .Run();
    if (database.Changes() == 0) RaiseMissingUnit(unit.id);
  });
}

void APSDeleteUnit(const TUnit& unit) {
  TDatabase& database = APSDatabase();
  Guarded([&] {
    database.Query("DELETE FROM VD_Units WHERE UntIdtor = ?").Bind(unit.id).Run();
    if (database.Changes() == 0) RaiseMissingUnit(unit.id);
  });
}

void APSLoadUnits() {
  TStorageSession& session = RequireSession();
  std::vector<TUnit> units;
  Guarded([&] {
    auto query = session.Database.Query(
        "SELECT UntIdtor, UntName, UntShrtNm, UntCatgry, UntBasic, UntCoeff, UntDelta, "
        "UntGeneric, UntFormula, UntDescr FROM VD_Units ORDER BY rowid");
    while (query.Step()) {
      TUnit unit;
      unit.id = static_cast<int32_t>(query.Int(0));
      unit.name = query.Text(1);
      unit.shortName = query.Text(2);
      unit.category = query.Text(3);
      unit.basic = query.Int(4) == 1;
      unit.coefficient = query.Real(5);
      unit.offset = query.Real(6);
      unit.generic = query.Int(7) == 1;
      unit.formula = query.Text(8);
      unit.description = query.Text(9);
      FitUnit(unit);
      units.push_back(std::move(unit));
    }
  });
  TUnitCatalogue& catalogue = session.Project->Units();
  catalogue.Clear();
  for (auto& unit : units)
    catalogue.Add(std::move(unit));
}

void NormalizeAllUnits(TUnitCatalogue& catalogue) {
  for (int i = 0; i < catalogue.Count(); ++i)
    if (!catalogue.NormalizeUnit(catalogue[i], false))
      ShowMsg("Can't normalize unit " + catalogue[i].name);
}

} // namespace vandro
