#include "storage/unit_rows.h"

#include "model/parameter.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/session.h"
#include "values/unit_lexer.h"

namespace vandro {

namespace {

void Cut(std::string& text, size_t capacity) {
  if (text.size() > capacity) text.resize(capacity);
}

// Names are refused, not cut, when they do not fit: a cut name could name
// another unit. Two supplied units ("free_fall_acceleration",
// "KilogramPerCentimeter") have short names beyond the editor's 16
// characters; the stored field holds 32, so that the stored catalogue is the
// one every project is given.
void FitUnit(TUnit& unit) {
  for (const std::string* name : {&unit.name, &unit.shortName, &unit.category})
    RequireStorableName(*name, kNameCapacity);
  Cut(unit.formula, kUnitTextCapacity);
  Cut(unit.description, kUnitTextCapacity);
}

// A chart's text with its series' sources as the bytes they stand for: it
// keeps them as packed values written in hexadecimal ("YValue=0203..."),
// where no unit shows. Each source follows on a line of its own, so that no
// unit expression runs from one into the next.
std::string ChartValueBytes(std::string_view text) {
  std::string bytes(text);
  for (const std::string& line : SplitLines(text)) {
    for (const std::string_view key : {"XValue=", "YValue=", "LValue="}) {
      if (line.compare(0, key.size(), key) != 0) continue;
      std::string source;
      if (HexToBytes(std::string_view(line).substr(key.size()), source)) bytes += '\n' + source;
    }
  }
  return bytes;
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

bool TextNamesUnit(std::string_view text, const TUnit& unit) {
  const auto named = [&](std::string_view name) {
    return SameText(name, unit.name) || (!unit.shortName.empty() && SameText(name, unit.shortName));
  };
  for (size_t open = text.find('['); open != std::string_view::npos;
       open = text.find('[', open + 1)) {
    // The names of one expression count once its "]" is found: bytes that
    // only look like an opening bracket (a length in a packed value) are
    // passed over.
    bool found = false;
    size_t i = open + 1;
    while (i < text.size() && text[i] != ']') {
      const char c = UpperChar(text[i]);
      if (IsNameLetter(c)) {
        const size_t start = i;
        while (i < text.size() && (IsNameLetter(UpperChar(text[i])) || IsDigit(text[i])))
          ++i;
        found = found || named(text.substr(start, i - start));
      } else if (IsDigit(c) || std::string_view(" */^()-").find(c) != std::string_view::npos) {
        ++i;
      } else {
        break;
      }
    }
    if (found && i < text.size() && text[i] == ']') return true;
  }
  return false;
}

bool APSStoredValuesNameUnit(const TUnit& unit) {
  // Variables are stored as hexadecimal text: their values are read from
  // the project's list, loaded from those rows.
  for (const auto& variable : RequireSession().Project->Variables())
    if (TextNamesUnit(variable->Value.PackValue(), unit)) return true;
  TDatabase& database = APSDatabase();
  // Small tables first; the records, by far the most rows, last.
  struct TColumns {
    const char* sql;
    int count;
    bool text; // TEXT columns come back converted; the others are blobs
  };
  static constexpr TColumns kSources[] = {
      {"SELECT DefValue FROM VD_Params", 1, false},
      {"SELECT O_DESCRIPTOR FROM VD_Rpt_Frm_Chrt WHERE O_TYPE <> 2", 1, true}, // charts above
      {"SELECT DefValue, Constr FROM VD_Param_Templ", 2, false},
      {"SELECT Condition, Argument FROM VD_Act_Templ", 2, false},
      {"SELECT Naming FROM VD_Templates", 1, false},
      {"SELECT PVs FROM VD_Records", 1, false},
  };
  return Guarded([&] {
    auto charts = database.Query("SELECT O_DESCRIPTOR FROM VD_Rpt_Frm_Chrt WHERE O_TYPE = 2");
    while (charts.Step())
      if (TextNamesUnit(ChartValueBytes(charts.Text(0)), unit)) return true;
    for (const TColumns& source : kSources) {
      auto query = database.Query(source.sql);
      while (query.Step())
        for (int column = 0; column < source.count; ++column)
          if (TextNamesUnit(source.text ? query.Text(column) : query.Blob(column), unit))
            return true;
    }
    return false;
  });
}

void NormalizeAllUnits(TUnitCatalogue& catalogue) {
  for (int i = 0; i < catalogue.Count(); ++i)
    if (!catalogue.NormalizeUnit(catalogue[i], false))
      ShowMsg("Can't normalize unit " + catalogue[i].name);
}

} // namespace vandro
