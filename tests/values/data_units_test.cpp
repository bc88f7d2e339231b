#include "support/scripted_sink.h"
#include "values/data_units.h"
#include "values/default_units.h"
#include "values/units.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class DataUnits : public ::testing::Test {
protected:
  DataUnits() { LoadDefaultUnits(units); }

  std::string Dimension(const std::string& text) {
    TUnitNF form;
    EXPECT_TRUE(units.ParseUnit(text, false, form)) << text;
    return NormalFormText(form);
  }

  testing::ScriptedSink sink;
  TUnitCatalogue units;
  ScopedUnitCatalogue active{units};
};

// Each text reads back as the product it was composed from: a "/" after an
// exponent would be taken for the exponent's denominator, and "/" turns
// only the factor after it.
TEST_F(DataUnits, ComposedUnitsReadBackAsTheirProduct) {
  const struct {
    std::vector<TUnitPower> powers;
    std::string text;
    std::string same; // the same unit written another way
  } cases[] = {
      {{{"g", 1}, {"d", -1}}, "g/d", "g*d^-1"},
      {{{"d", -1}, {"g", 1}}, "g/d", "g*d^-1"},
      {{{"g", 1}, {"d", 1}}, "g*d", "d*g"},
      {{{"mm", 1}, {"MM", 1}}, "mm^2", "mm*mm"},
      {{{"d", -1}}, "d^-1", "(d)^-1"},
      {{{"d", -1}, {"s", -1}}, "(d^-1)/s", "d^-1*s^-1"},
      {{{"mm", 1}, {"m*s", -1}}, "mm/(m*s)", "mm*m^-1*s^-1"},
      {{{"kg/m", 1}, {"s", 1}}, "kg/m*s", "kg*s*m^-1"},
      {{{"m^2", 1}, {"d", -1}}, "(m^2)/d", "m*m*d^-1"},
      {{{"mm", 2}, {" d ", -1}}, "(mm^2)/d", "mm*mm*d^-1"},
      {{{"m*s", -1}}, "(m*s)^-1", "m^-1*s^-1"},
      {{{"g", 1}, {"g", -1}, {"", 1}, {"d", 0}}, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.text, ComposeUnit(c.powers));
    EXPECT_EQ(Dimension(c.same), Dimension(c.text));
  }
}

TEST_F(DataUnits, TheSimplestProductOfTheDataUnitsWithTheDimension) {
  const struct {
    std::string unit;
    std::vector<std::string> data;
    std::string found;
  } cases[] = {
      {"(kilogram)*(second^-1)", {"g", "d"}, "g/d"},
      {"(KILOGRAM)*(SECOND^-1)", {"d", "g"}, "g/d"},
      {"(kilogram)*(second)", {"g", "d"}, "g*d"},
      {"(kilogram)", {"g", "d"}, "g"},
      {"(second^-1)", {"g", "d"}, "d^-1"},
      {"(meter^2)", {"mm", "mm"}, "mm^2"},
      {"(meter^2)", {"mm", "cm"}, "mm*cm"},
      {"(meter)*(second^-1)", {"mm", "m*s^-2", "d"}, "mm/d"},
      // The earlier data unit where two would do.
      {"(kilogram)*(second^-1)", {"kg", "g", "d"}, "kg/d"},
      {"(kilogram)*(second^-1)", {"furlong", "", "none", "g", "d"}, "g/d"},
      // Only powers of -1, 0 and 1.
      {"(kilogram)*(second^-2)", {"g", "d"}, ""},
      {"(meter^2)", {"mm"}, ""},
      {"(meter)", {}, ""},
      {"", {"g"}, ""},
      {"furlong", {"g"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unit);
    EXPECT_EQ(c.found, ExpressibleIn(c.unit, c.data));
  }
}

TEST_F(DataUnits, OnlyANormalFormIsOne) {
  for (const char* yes : {"(kilogram)*(second^-1)", "(KILOGRAM)", " (meter) "})
    EXPECT_TRUE(IsNormalFormUnit(yes)) << yes;
  for (const char* no : {"kg", "m", "g/d", "(gram)", "", "(furlong)", "(meter)*(meter)"})
    EXPECT_FALSE(IsNormalFormUnit(no)) << no;
}

} // namespace
} // namespace vandro
