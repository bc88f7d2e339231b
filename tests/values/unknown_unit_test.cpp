#include "support/scripted_sink.h"
#include "values/default_units.h"
#include "values/units.h"
#include "values/unknown_unit.h"
#include "values/value.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class UnknownUnits : public ::testing::Test {
protected:
  UnknownUnits() { LoadDefaultUnits(units); }
  TUnitCatalogue units;
  ScopedUnitCatalogue scope{units};
  testing::ScriptedSink sink;
};

TEST_F(UnknownUnits, OnlyANumberStoppedByItsUnitHasOne) {
  const struct {
    const char* text;
    const char* unit; // empty: nothing to warn of
  } cases[] = {
      {"5 [parsec]", "parsec"},
      {"-2.5[ parsec ] ", "parsec"},
      {"5 \xB1 0.5 [parsec]", "parsec"},
      {"5 \xB1(1;2) [km/parsec]", "km/parsec"},
      {"3,5 [furlong^2]", "furlong^2"},
      // Numbers with known units, or none.
      {"5 [km]", ""},
      {"5 [m*kg*s^-2]", ""},
      {"5 [none]", ""},
      {"5", ""},
      // Texts that would not be numbers whatever the unit.
      {"abc [parsec]", ""},
      {"[parsec]", ""},
      {" 5 [parsec]", ""},
      {"5 5 [parsec]", ""},
      {"12.05.2003 [parsec]", ""},
      {"5 [parsec", ""},
      {"5 [parsec] later", ""},
      {"5 [a[b]]", ""},
      {"5 []", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.unit, UnknownUnitOf(c.text)) << c.text;
}

TEST_F(UnknownUnits, AWarningForPlainValuesOnly) {
  TValue value;
  value.SetPlain("5 [parsec]");
  EXPECT_TRUE(WarnOfUnknownUnit(value, "Line 3: "));
  EXPECT_EQ("Line 3: Unknown unit parsec: the value is kept as text", sink.Last());
  // The value itself is what it was: a text, not a number.
  EXPECT_FALSE(value.IsNumeric());
  EXPECT_EQ("5 [parsec]", value.Text());

  sink.Reset();
  value.SetText(vkCalculated, "5 [parsec]");
  EXPECT_FALSE(WarnOfUnknownUnit(value));
  value.SetPlain("5 [km]");
  EXPECT_FALSE(WarnOfUnknownUnit(value));
  EXPECT_EQ(std::vector<std::string>{}, sink.Messages());
}

TEST_F(UnknownUnits, TheCatalogueInUseDecides) {
  TUnitCatalogue none;
  ScopedUnitCatalogue other{none};
  EXPECT_EQ("km", UnknownUnitOf("5 [km]"));
}

} // namespace
} // namespace vandro
