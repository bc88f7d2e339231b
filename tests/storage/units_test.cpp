#include "storage/unit_catalogue.h"
#include "storage/unit_rows.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

class StorageUnits : public testing::StorageTest {
protected:
  StorageUnits() { CreateAndOpen(); }

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

TEST_F(StorageUnits, TheEditorChecksItsFieldsInOrder) {
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

TEST_F(StorageUnits, StoringFromTheEditorAddsAndRewritesUserUnits) {
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

TEST_F(StorageUnits, TheCatalogueRulesOfTheEditor) {
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

TEST_F(StorageUnits, DeletingAUnit) {
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

TEST_F(StorageUnits, MakeBasicConvertsTheCategory) {
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
      {"fah", false, 0.5, 255.5 - 273.15 * 0.5, ""},
  };
  for (const auto& c : cases) {
    const TUnit& unit = Unit(c.name);
    EXPECT_EQ(c.basic, unit.basic) << c.name;
    EXPECT_NEAR(c.coefficient, static_cast<double>(unit.coefficient), 1e-12) << c.name;
    EXPECT_NEAR(c.offset, static_cast<double>(unit.offset), 1e-12) << c.name;
    EXPECT_EQ(c.formula, unit.formula) << c.name;
  }
  // Units of other categories are untouched.
  EXPECT_EQ(1000, static_cast<double>(Unit("km").coefficient));
}

TEST_F(StorageUnits, RowsThatAreMissingMeanABrokenProject) {
  TUnit ghost;
  ghost.id = 999;
  EXPECT_THROW(APSUpdateUnit(ghost), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCan't find Unit. Idtor = 999", sink.Last());
  EXPECT_THROW(APSDeleteUnit(ghost), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCan't find Unit. Idtor = 999", sink.Last());
}

} // namespace
} // namespace vandro
