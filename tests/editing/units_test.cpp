#include "editing/unit_editor.h"
#include "editing/unit_list.h"
#include "model/data_record.h"
#include "model/template.h"
#include "storage/objects.h"
#include "storage/storage_fixture.h"
#include "storage/unit_rows.h"
#include "values/units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace vandro {
namespace {

using testing::Cp;

class EditingUnits : public testing::StorageTest {
protected:
  EditingUnits() { CreateAndOpen(); }

  TUnitCatalogue& Units() { return CurrentProject()->Units(); }
  TUnit& Unit(const std::string& name) {
    TUnit* unit = Units().FindUnit(name);
    if (!unit) throw std::runtime_error("no unit " + name);
    return *unit;
  }

  static TUnitForm Form(const std::string& name, const std::string& shortName,
                        const std::string& category, const std::string& factor, bool basic = false,
                        const std::string& formula = "") {
    TUnitForm form;
    form.Name = name;
    form.ShortName = shortName;
    form.Category = category;
    form.Factor = factor;
    form.Offset = "0";
    form.Formula = formula;
    form.Basic = basic;
    return form;
  }

  // A user category "Heat" with basic unit kel, cel = kel + 273.15 and
  // fah = 5/9 kel + 255.37.
  void MakeHeat() {
    sink.Answer(true, "Do you want to introduce a new Unit Category:Heat");
    ASSERT_NE(0, StoreUnitForm(Form("kel", "kl", "Heat", "1", true)));
    TUnitForm cel = Form("cel", "cl", "heat", "1");
    cel.Offset = "273.15";
    ASSERT_NE(0, StoreUnitForm(cel));
    TUnitForm fah = Form("fah", "fh", "Heat", "0.5");
    fah.Offset = "255.5";
    ASSERT_NE(0, StoreUnitForm(fah));
    ASSERT_TRUE(sink.Messages().empty()) << sink.Last();
  }
};

TEST_F(EditingUnits, TheEditorChecksItsFieldsInOrder) {
  struct Case {
    TUnitForm form;
    std::string message;
  };
  TUnitForm badOffset = Form("kn", "kn", "Velocity", "1");
  badOffset.Offset = "1,5";
  const Case cases[] = {
      {Form("kn", "kn", "  ", "1"), "Empty Category"},
      {Form("kn", "kn", "1st", "1"), "Invalid Category Syntax"},
      {Form("kn", "kn", "Speed!", "1"), "Invalid Category Syntax"},
      {Form(" ", "kn", "Velocity", "1"), "Unit Name can't be empty"},
      {Form("knot 2", "kn", "Velocity", "1"), "Invalid Unit Name Syntax"},
      {Form("2knot", "kn", "Velocity", "1"), "Invalid Unit Name Syntax"},
      {Form("KNOT", "kn", "Velocity", "1"), "Unit Name alredy exists"},
      {Form("MPSEC", "kn", "Velocity", "1"), "Unit Name alredy exists"}, // a short name
      {Form("sea_mile", "", "Distance", "1852"), "Invalid Short Unit Name Syntax"},
      {Form("sea_mile", "n-m", "Distance", "1852"), "Invalid Short Unit Name Syntax"},
      {Form("sea_mile", "mile", "Distance", "1852"), "Short Unit Name alredy exists"},
      {Form("sea_mile", "nmi", "Distance", "many"), "Invalid Numeric Syntax: Factor"},
      {Form("sea_mile", "nmi", "Distance", "0"), "The value of Factor should be positive"},
      {Form("sea_mile", "nmi", "Distance", "-1852"), "The value of Factor should be positive"},
      {badOffset, "Invalid Numeric Syntax: Offset"},
      {Form("sea_mile", "nmi", "Distance", "1852", false, "m*"),
       "Invalid Dimension Formula Syntax"},
      {Form("sea_mile", "nmi", "Distance", "1852", false, "m*furlong"),
       "Invalid Dimension Formula Syntax"},
      {Form("sea_mile", "nmi", "Distance", "1852"), ""},
      {Form(Cp("верста"), Cp("вер"), Cp("Старые меры"), "1066.8"), ""},
  };
  for (const auto& c : cases) {
    sink.Reset();
    EXPECT_EQ(c.message.empty(), CheckUnitForm(c.form)) << c.message;
    EXPECT_EQ(c.message, sink.Last()) << c.form.Name;
  }
  EXPECT_EQ(121, Units().Count()); // checking stores nothing
}

// Unit names are the same in either case, Cyrillic ones too (the database
// compares bytes; the catalogue compares upper-cased names).
TEST_F(EditingUnits, ANameInOtherCaseIsTakenCyrillicToo) {
  sink.Answer(true, "Do you want to introduce a new Unit Category:" + Cp("Старые меры"));
  ASSERT_NE(0, StoreUnitForm(Form(Cp("верста"), Cp("вер"), Cp("Старые меры"), "1066.8", true)));
  ASSERT_TRUE(sink.Messages().empty()) << sink.Last();
  struct Case {
    TUnitForm form;
    std::string message;
  };
  const std::vector<Case> cases = {
      {Form(Cp("ВЕРСТА"), Cp("врс"), Cp("старые меры"), "1066.8"), "Unit Name alredy exists"},
      {Form(Cp("сажень"), Cp("ВЕР"), Cp("СТАРЫЕ МЕРЫ"), "2.1336"), "Short Unit Name alredy exists"},
      {Form(Cp("сажень"), Cp("саж"), Cp("СТАРЫЕ МЕРЫ"), "2.1336"), ""},
  };
  for (const Case& c : cases) {
    sink.Reset();
    EXPECT_EQ(c.message.empty(), CheckUnitForm(c.form)) << c.message;
    EXPECT_EQ(c.message, sink.Last());
  }
}

TEST_F(EditingUnits, StoringFromTheEditorAddsAndRewritesUserUnits) {
  TUnitForm form = Form("sea_mile", "nmi", "Distance", "1852");
  form.Description = "nautical";
  const int32_t id = StoreUnitForm(form);
  EXPECT_EQ(137, id);
  EXPECT_TRUE(sink.Messages().empty());
  TUnitNF normalForm;
  ASSERT_TRUE(Units().ParseUnit("nmi/h", false, normalForm));
  EXPECT_NEAR(1852.0 / 3600, static_cast<double>(normalForm.factor), 1e-12);

  form.Id = id;
  form.Factor = "1852.5";
  form.Name = "nautical_mile";
  EXPECT_EQ(id, StoreUnitForm(form));
  Reopen();
  const TUnit& stored = Unit("NMI");
  EXPECT_EQ(id, stored.id);
  EXPECT_EQ("nautical_mile", stored.name);
  EXPECT_EQ(1852.5, static_cast<double>(stored.coefficient));
  EXPECT_EQ("nautical", stored.description);
  EXPECT_FALSE(stored.generic);
}

TEST_F(EditingUnits, TheCatalogueRulesOfTheEditor) {
  MakeHeat();
  const int32_t kel = Unit("kel").id;
  const int32_t cel = Unit("cel").id;

  struct Case {
    TUnitForm form;
    std::string message;
  };
  TUnitForm generic = Form("meter", "m", "Distance", "1", true);
  generic.Id = Unit("meter").id;
  TUnitForm secondBasic = Form("ran", "rn", "Heat", "1", true);
  TUnitForm unbasic = Form("kel", "kl", "Heat", "1");
  unbasic.Id = kel;
  TUnitForm moveBasic = Form("kel", "kl", "Cold", "1", true);
  moveBasic.Id = kel;
  const Case cases[] = {
      {generic, "This unit can't be modified"},
      {secondBasic, "The basic unit for the category already exists."},
      {unbasic, "You can't set Basic property to non-Basic.\r\nYou have to set the property for "
                "any other unit of the category."},
  };
  for (const auto& c : cases) {
    sink.Reset();
    EXPECT_EQ(0, StoreUnitForm(c.form));
    EXPECT_EQ(c.message, sink.Last());
  }

  // A new category is confirmed first; No stores nothing.
  sink.Answer(false, "Do you want to introduce a new Unit Category:Cold");
  EXPECT_EQ(0, StoreUnitForm(Form("frost", "fr", "Cold", "1", true)));
  sink.Answer(true);
  EXPECT_EQ(0, StoreUnitForm(Form("frost", "fr", "Cold", "2")));
  EXPECT_EQ("The category Cold has no basic unit.\r\nMake this unit basic.", sink.Last());
  sink.Answer(true);
  EXPECT_EQ(0, StoreUnitForm(moveBasic));
  EXPECT_EQ("Can't move a basic unit to another category.\r\nCategory isn't empty", sink.Last());
  EXPECT_EQ(nullptr, Units().FindUnit("frost"));

  // The checks made as fields change.
  sink.Reset();
  EXPECT_FALSE(CheckUnitNameFree("Celsius", 0));
  EXPECT_FALSE(CheckUnitShortNameFree("CL", 0));
  EXPECT_TRUE(CheckUnitShortNameFree("CL", cel));
  EXPECT_FALSE(CheckBasicTick("heat", cel));
  EXPECT_TRUE(CheckBasicTick("heat", kel));
  EXPECT_FALSE(CheckBasicClear(kel));
  EXPECT_TRUE(CheckBasicClear(cel));
  EXPECT_FALSE(CanEditUnit(0));
  EXPECT_TRUE(CanEditUnit(cel));
  EXPECT_EQ((std::vector<std::string>{
                "Unit with such a name already exists", "Unit with such short name already exists",
                "The basic unit for the category already exists.",
                "You can't set Basic property to non-Basic.\r\nYou have to set the property for "
                "any other unit of the category.",
                "Select a unit"}),
            sink.Messages());
}

TEST_F(EditingUnits, DeletingAUnit) {
  MakeHeat();
  sink.Answer(true, "Do you want to introduce a new Unit Category:Heat Flow");
  ASSERT_NE(0, StoreUnitForm(Form("hflow", "hf", "Heat Flow", "1", true, "kel/s")));
  const int32_t kel = Unit("kel").id;
  const int32_t fah = Unit("fah").id;

  struct Case {
    int32_t id;
    std::string message;
  };
  const Case cases[] = {
      {0, "Select a unit"},
      {5, "Select a unit"},
      {Unit("meter").id, "You can't delete a generic unit."},
      {kel, "You can't delete the unit because it is used\r\nin other unit definitions"},
  };
  for (const auto& c : cases) {
    sink.Reset();
    EXPECT_FALSE(DeleteUnit(c.id));
    EXPECT_EQ(c.message, sink.Last());
  }

  const std::string question = "You're about to delete the unit fah.\r\n Are you sure?";
  sink.Answer(false, question);
  EXPECT_FALSE(DeleteUnit(fah));
  EXPECT_NE(nullptr, Units().FindById(fah));
  sink.Answer(true, question);
  EXPECT_TRUE(DeleteUnit(fah));
  EXPECT_EQ(nullptr, Units().FindById(fah));

  // hflow's formula names kel; once hflow is gone kel is free, but the
  // category still holds cel.
  sink.Answer(true);
  EXPECT_TRUE(DeleteUnit(Unit("hflow").id));
  sink.Reset();
  EXPECT_FALSE(DeleteUnit(kel));
  EXPECT_EQ("Can't delete a basic unit.\r\nCategory isn't empty", sink.Last());
  sink.Answer(true);
  EXPECT_TRUE(DeleteUnit(Unit("cel").id));
  sink.Answer(true);
  EXPECT_TRUE(DeleteUnit(kel));

  Reopen();
  EXPECT_EQ(121, Units().Count());
  EXPECT_EQ(33u, Units().Categories().size());
}

TEST(UnitNames, AUnitIsNamedOnlyInsideAUnitExpression) {
  TUnit unit;
  unit.name = "bpm";
  unit.shortName = "bm";
  struct Case {
    std::string text;
    bool named;
  };
  const Case cases[] = {
      {"72 [bpm]", true},
      {Cp("72 ±3 [BPM]"), true},
      {"= Pulse > 100 [Bm] AND Pulse < 200 [bpm]", true},
      {"5 [bpm/s^2]", true},
      {"5 [(kg*BPM)^-1/2]", true},
      {"72 [bpmx]", false},
      {"72 [xbpm]", false},
      {"72 [bpm2]", false},
      {"bpm", false},        // outside brackets: a name of the language
      {"'[bpm' + X", false}, // never closed
      {"[a,bpm]", false},    // not a unit expression
      // A packed length whose low byte reads as "[", then a value's unit.
      {std::string("\0\x5B\0"
                   "3 [bpm]",
                   10),
       true},
      {"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.named, TextNamesUnit(c.text, unit)) << c.text;
}

TEST_F(EditingUnits, AUnitTheProjectsValuesAreInCannotBeDeleted) {
  sink.Answer(true, "Do you want to introduce a new Unit Category:Beat");
  ASSERT_NE(0, StoreUnitForm(Form("bps", "bs", "Beat", "1", true)));
  for (const char* name : {"bpm", "bph", "bpd", "bpw", "bpy"})
    ASSERT_NE(0, StoreUnitForm(Form(name, std::string("b") + name[2], "Beat", "2")));
  auto pulse = std::make_unique<TParameter>();
  pulse->ParamName = "Pulse";
  pulse->Category = "Vitals";
  pulse->DefValue.SetPlain("72 [bpm]");
  const TParameter& parameter = CurrentProject()->AddParameter(std::move(pulse));
  TVariable limit;
  limit.Name = "LIMIT";
  limit.Value.SetPlain("100 [BPH]");
  ASSERT_TRUE(CurrentProject()->SaveVariable(limit));
  TTemplate vitals;
  vitals.Name = "vitals";
  auto line = std::make_unique<TParamTemplate>();
  line->Parameter = &parameter;
  line->Constr.SetPlain("Pulse < 300 [bpd]");
  vitals.ParamLines.push_back(std::move(line));
  ASSERT_TRUE(vitals.Save());
  TDataRecord record;
  record.ObjIdtor = APSCreateObject("ann");
  record.RealTime = 39000;
  record.AddPV(parameter, TValue::Null()).Value.SetPlain("3 [bW]"); // by its short name
  record.Store(nullptr, false);
  Reopen(); // nothing is known from this run's parsing

  for (const char* name : {"bpm", "bph", "bpd", "bpw"}) {
    sink.Reset();
    EXPECT_FALSE(DeleteUnit(Unit(name).id)) << name;
    EXPECT_EQ("You can't delete the unit because the project's values use it", sink.Last());
  }
  sink.Answer(true, "You're about to delete the unit bpy.\r\n Are you sure?");
  EXPECT_TRUE(DeleteUnit(Unit("bpy").id));
}

TEST_F(EditingUnits, MakeBasicConvertsTheCategory) {
  MakeHeat();
  EXPECT_FALSE(MakeBasic(Unit("kel").id));
  EXPECT_EQ("The unit is basic", sink.Last());
  EXPECT_FALSE(MakeBasic(0));
  EXPECT_EQ("Select a unit", sink.Last());
  // A stored zero factor (the editor never writes one) is refused.
  TUnit zero = Unit("fah");
  zero.coefficient = 0;
  APSUpdateUnit(zero);
  APSLoadUnits();
  EXPECT_FALSE(MakeBasic(zero.id));
  EXPECT_EQ("The factor in conversion formula is zero. Did nothing.", sink.Last());
  zero.coefficient = 0.5;
  APSUpdateUnit(zero);
  APSLoadUnits();
  Unit("kel").formula = "None";
  APSUpdateUnit(Unit("kel"));

  TUnitConversion before;
  ASSERT_TRUE(Units().Conversion("fah", "cel", before));
  sink.Reset();
  ASSERT_TRUE(MakeBasic(Unit("cel").id));
  EXPECT_TRUE(sink.Messages().empty());
  Reopen();
  struct Case {
    const char* name;
    bool basic;
    double coefficient, offset;
    const char* formula;
  };
  const Case cases[] = {
      {"cel", true, 1, 0, "None"},
      {"kel", false, 1, -273.15, "None"},
      {"fah", false, 0.5, 255.5 - 273.15, ""},
  };
  for (const auto& c : cases) {
    const TUnit& unit = Unit(c.name);
    EXPECT_EQ(c.basic, unit.basic) << c.name;
    EXPECT_NEAR(c.coefficient, static_cast<double>(unit.coefficient), 1e-12) << c.name;
    EXPECT_NEAR(c.offset, static_cast<double>(unit.offset), 1e-12) << c.name;
    EXPECT_EQ(c.formula, unit.formula) << c.name;
  }
  // Every unit of the category converts as before, offsets included.
  TUnitConversion after;
  ASSERT_TRUE(Units().Conversion("fah", "cel", after));
  EXPECT_NEAR(static_cast<double>(before.factor), static_cast<double>(after.factor), 1e-12);
  EXPECT_NEAR(static_cast<double>(before.shift), static_cast<double>(after.shift), 1e-9);
  // Units of other categories are untouched.
  EXPECT_EQ(1000, static_cast<double>(Unit("km").coefficient));
}

TEST_F(EditingUnits, TheListGridFiltersByCategoryAndNumbersItsRows) {
  MakeHeat();
  const std::vector<std::string> categories = UnitListCategories(Units());
  ASSERT_EQ(Units().Categories().size() + 1, categories.size());
  EXPECT_EQ("(AllCategories)", categories.front());

  const TUnitListGrid all = UnitListGrid(Units(), kAllUnitCategories);
  EXPECT_EQ((std::vector<std::string>{"Item No", "Unit Name", "UntNm", "Category", "Factor",
                                      "Offset", "Formula", "Basic", "Dimension", "Dim.Factor",
                                      "Generic", "Description"}),
            all.Columns);
  ASSERT_EQ(124u, all.Rows.size());
  EXPECT_EQ("124", all.Rows.back().Cells[ulItemNo]);
  EXPECT_EQ(all.Rows.size(), UnitListGrid(Units(), "").Rows.size());

  // The filter ignores case; the rows are numbered within it.
  const TUnitListGrid heat = UnitListGrid(Units(), "HEAT");
  ASSERT_EQ(3u, heat.Rows.size());
  const std::vector<std::vector<std::string>> expected = {
      {"1", "kel", "kl", "Heat", "1", "0", "", "Yes", "(kel)", "1", "No", ""},
      {"2", "cel", "cl", "heat", "1", "273.15", "", "No", "(kel)", "1", "No", ""},
      {"3", "fah", "fh", "Heat", "0.5", "255.5", "", "No", "(kel)", "0.5", "No", ""},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i], heat.Rows[i].Cells);
    EXPECT_EQ(Unit(expected[i][ulName]).id, heat.Rows[i].UnitId);
  }
  const TUnitListGrid km = UnitListGrid(Units(), "Distance");
  const auto row = std::find_if(km.Rows.begin(), km.Rows.end(), [](const TUnitListRow& r) {
    return r.Cells[ulName] == "kilometer";
  });
  ASSERT_NE(km.Rows.end(), row);
  EXPECT_EQ("1000", row->Cells[ulFactor]);
  EXPECT_EQ("(meter)", row->Cells[ulDimension]);
  EXPECT_EQ("Yes", row->Cells[ulGeneric]);
  EXPECT_TRUE(UnitListGrid(Units(), "Nowhere").Rows.empty());
}

TEST_F(EditingUnits, TheListShowsWhatItCannotComputeWithoutMessages) {
  MakeHeat();
  // A number without a text, as a conversion far outside the double range
  // could leave it, and a basic unit whose formula names no unit.
  Unit("fah").coefficient = std::numeric_limits<long double>::infinity();
  Unit("cel").offset = std::numeric_limits<long double>::quiet_NaN();
  TUnitListGrid heat = UnitListGrid(Units(), "Heat");
  EXPECT_EQ("n/a", heat.Rows[2].Cells[ulFactor]);
  EXPECT_EQ("(kel)", heat.Rows[2].Cells[ulDimension]); // the cached normal form
  EXPECT_EQ("n/a", heat.Rows[1].Cells[ulOffset]);
  // The editor starts such a field empty, so OK asks for a number.
  EXPECT_EQ("", UnitFormOf(Unit("fah")).Factor);
  EXPECT_EQ("", UnitFormOf(Unit("cel")).Offset);

  Unit("kel").formula = "furlong";
  Units().DropNormalForms();
  sink.Reset();
  heat = UnitListGrid(Units(), "Heat");
  for (const TUnitListRow& row : heat.Rows) {
    EXPECT_EQ("", row.Cells[ulDimension]) << row.Cells[ulName];
    EXPECT_EQ("", row.Cells[ulDimFactor]) << row.Cells[ulName];
  }
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
}

TEST_F(EditingUnits, TheEditorFormAndItsBasicUnitRules) {
  MakeHeat();
  const TUnitForm cel = UnitFormOf(Unit("cel"));
  EXPECT_EQ(Unit("cel").id, cel.Id);
  EXPECT_EQ("cel", cel.Name);
  EXPECT_EQ("cl", cel.ShortName);
  EXPECT_EQ("1", cel.Factor);
  EXPECT_EQ("273.15", cel.Offset);
  EXPECT_FALSE(cel.Basic);
  // What the form gives back stores the unit unchanged.
  EXPECT_EQ(cel.Id, StoreUnitForm(cel));
  EXPECT_EQ(273.15, static_cast<double>(Unit("cel").offset));

  // "Add" starts in the filtered category, never in "(AllCategories)".
  EXPECT_EQ("Heat", NewUnitForm("Heat").Category);
  EXPECT_EQ("", NewUnitForm(kAllUnitCategories).Category);
  EXPECT_EQ("1", NewUnitForm("").Factor);

  const TUnitFieldRules basic = UnitFieldRules(true);
  EXPECT_FALSE(basic.FactorEditable);
  EXPECT_TRUE(basic.FormulaEditable);
  EXPECT_EQ("1", basic.FixedFactor);
  const TUnitFieldRules other = UnitFieldRules(false);
  EXPECT_TRUE(other.FactorEditable);
  EXPECT_FALSE(other.FormulaEditable);
  EXPECT_EQ("", other.FixedFactor);

  struct Case {
    const char* category;
    bool basic;
    TBasicUnitNote note;
    const char* basicUnit;
  };
  const Case cases[] = {
      {"heat", false, TBasicUnitNote::MeasuredIn, "kel"},
      {"Heat", true, TBasicUnitNote::ThisIsBasic, ""},
      {"Cold", false, TBasicUnitNote::NoBasicUnit, ""},
      {"", false, TBasicUnitNote::NoBasicUnit, ""},
  };
  for (const Case& c : cases) {
    const TBasicUnitHint hint = BasicUnitHint(c.category, c.basic);
    EXPECT_EQ(c.note, hint.Note) << c.category;
    EXPECT_EQ(c.basicUnit, hint.BasicUnit) << c.category;
  }
}

} // namespace
} // namespace vandro
