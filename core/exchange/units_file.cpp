#include "exchange/units_file.h"

#include "editing/unit_editor.h"
#include "exchange/export_file.h"
#include "model/project.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/unit_rows.h"

#include <optional>
#include <vector>

namespace vandro {

namespace {

TUnitCatalogue& Catalogue() {
  TProject* project = CurrentProject();
  if (!project) RaiseSystemError("No project is open");
  return project->Units();
}

// The unit of one line; nullopt after a message when it cannot be taken.
std::optional<TUnit> ReadUnit(std::string_view line, std::string_view separator) {
  std::vector<std::string> fields;
  std::string_view rest = line;
  // Seven fields; the description is whatever follows, between quotes, and
  // may hold the separator.
  while (fields.size() < 7) {
    const size_t at = rest.find(separator);
    if (at == std::string_view::npos) {
      fields.emplace_back(rest);
      rest = {};
      break;
    }
    fields.emplace_back(rest.substr(0, at));
    rest.remove_prefix(at + separator.size());
  }
  fields.resize(7);
  const std::string name = Trim(fields[0]);
  const auto refuse = [&]() -> std::optional<TUnit> {
    ShowMsg(name.empty() ? std::string("Can't import unit") : "Can't import unit: " + name);
    return std::nullopt;
  };
  TUnit unit;
  unit.name = name;
  unit.shortName = Trim(fields[1]);
  if (unit.shortName.empty()) unit.shortName = unit.name;
  unit.category = Trim(fields[2]);
  unit.basic = Trim(fields[3]) != "0";
  double coefficient = 0, offset = 0;
  if (!TextToFloat(fields[4], coefficient) || !TextToFloat(fields[5], offset)) return refuse();
  unit.coefficient = coefficient;
  unit.offset = offset;
  unit.formula = fields[6];
  if (const size_t open = rest.find('\''); open != std::string_view::npos) {
    const size_t close = rest.find('\'', open + 1);
    if (close != std::string_view::npos) unit.description = rest.substr(open + 1, close - open - 1);
  }
  if (unit.name.empty() || unit.category.empty() || (coefficient == 0 && !unit.basic))
    return refuse();
  // A basic unit is its category's measure, whatever the file says: one of
  // it is one basic unit, as the unit editor stores it.
  if (unit.basic) unit.coefficient = 1;
  return unit;
}

// The rules of the unit editor the file must keep too: a name and short
// name that formulas can name, a category name, one basic unit per
// category. Formulas are checked when the units are normalised at the end,
// as they may name units further down the file.
bool Acceptable(const TUnit& unit) {
  TUnitCatalogue& catalogue = Catalogue();
  if (catalogue.FindUnit(unit.name)) {
    ShowMsg("Unit name already exists: " + unit.name);
    return false;
  }
  if (catalogue.FindUnit(unit.shortName)) {
    ShowMsg("Unit short name already exists: " + unit.shortName);
    return false;
  }
  TUnitForm form;
  form.Name = unit.name;
  form.ShortName = unit.shortName;
  form.Category = unit.category;
  form.Factor = unit.basic || unit.coefficient > 0 ? "1" : ShownNumber(unit.coefficient, "0");
  form.Basic = unit.basic;
  if (!CheckUnitForm(form)) return false;
  return !unit.basic || CheckBasicTick(unit.category, 0);
}

} // namespace

std::string UnitFileLine(const TUnit& unit, std::string_view separator) {
  std::string line = unit.name;
  // A number without a text is written as 0, so that the line reads back.
  for (const std::string& field :
       {unit.shortName, unit.category, std::string(unit.basic ? "1" : "0"),
        ShownNumber(unit.coefficient, "0"), ShownNumber(unit.offset, "0"), unit.formula}) {
    line += separator;
    line += field;
  }
  line += separator;
  line += "'" + unit.description + "'";
  return line;
}

void ImportUnits(TLineSource& source, std::string_view separator, TUnitImportResult& result) {
  result = TUnitImportResult();
  if (separator.empty()) separator = "\t";
  TUnitCatalogue& catalogue = Catalogue();
  TSourceLine line;
  while (source.Next(line)) {
    if (!line.Problem.empty()) {
      ShowMsg("Line " + std::to_string(line.Number) + " skipped: " + line.Problem);
      continue;
    }
    if (TrimView(line.Text).empty()) continue;
    std::optional<TUnit> unit = ReadUnit(line.Text, separator);
    if (!unit || !Acceptable(*unit)) continue;
    unit->generic = false;
    APSAddUnit(*unit);
    catalogue.Add(std::move(*unit));
    ++result.Imported;
  }
  APSLoadUnits();
  NormalizeAllUnits(Catalogue());
  result.Summary = std::to_string(result.Imported) + " units successfuly imported";
}

bool ImportUnitsFromFile(const std::string& path, std::string_view separator,
                         TUnitImportResult& result) {
  TTextFileLines source;
  if (!source.Open(path)) return false;
  ImportUnits(source, separator, result);
  return true;
}

int64_t ExportUnits(const std::string& path, std::string_view separator, std::string& summary) {
  if (separator.empty()) separator = "\t";
  TUnitCatalogue& catalogue = Catalogue();
  TExportFile file;
  if (!file.Create(path)) return -1;
  int64_t count = 0;
  for (int i = 0; i < catalogue.Count(); ++i) {
    if (catalogue[i].generic) continue;
    file.Write(UnitFileLine(catalogue[i], separator) + kLineBreak);
    ++count;
  }
  if (!file.Commit()) return -1;
  summary = std::to_string(count) + " units exported";
  return count;
}

} // namespace vandro
