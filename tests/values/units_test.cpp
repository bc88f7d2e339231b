#include "support/scripted_sink.h"
#include "values/default_units.h"
#include "values/units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vandro {
namespace {

class DefaultUnits : public ::testing::Test {
protected:
  DefaultUnits() { LoadDefaultUnits(units); }

  std::string Form(const std::string& text) {
    TUnitNF form;
    EXPECT_TRUE(units.ParseUnit(text, false, form)) << text;
    return NormalFormText(form);
  }
  long double Factor(const std::string& text) {
    TUnitNF form;
    EXPECT_TRUE(units.ParseUnit(text, false, form)) << text;
    return form.factor;
  }

  testing::ScriptedSink sink;
  TUnitCatalogue units;
};

TEST_F(DefaultUnits, TheCatalogueHas121UnitsIn33Categories) {
  ASSERT_EQ(121, units.Count());
  EXPECT_EQ(33u, units.Categories().size());
  EXPECT_EQ("Acceleration", units.Categories().front());
  EXPECT_EQ("Volume Dry", units.Categories().back());
  EXPECT_EQ(12, units[0].id);
  EXPECT_EQ("None", units[0].name);
  EXPECT_EQ(136, units[120].id);
  EXPECT_EQ("gray", units[120].name);
  for (int i = 0; i < units.Count(); ++i) {
    EXPECT_NE(0, units[i].id % 32);
    EXPECT_TRUE(units[i].generic);
    EXPECT_EQ(units[i].basic, units.FindBasicUnit(units[i].category) == &units[i]);
  }
}

TEST_F(DefaultUnits, EveryUnitNormalisesWithoutAMessage) {
  for (int i = 0; i < units.Count(); ++i)
    EXPECT_TRUE(units.NormalizeUnit(units[i], false)) << units[i].name;
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(DefaultUnits, NormalForms) {
  const std::pair<const char*, const char*> cases[] = {
      {"km/h", "(meter)*(second^-1)"},
      {"m^2/s", "(meter^2)"}, // the "/" after an exponent starts its denominator
      {"(m^2)/s", "(meter^2)*(second^-1)"},
      {"m*m", "(meter^2)"},
      {"m/m", ""},
      {"mol", ""}, // a basic unit defined as "None" has no dimension
      {"None", ""},
      {"", ""},
      {"s^1/2", "(second^1/2)"},
      {"s^2/4", "(second^2/4)"}, // reduced only when entries merge
      {"s^1/4*s^1/4", "(second^1/2)"},
      {"s^1/3*s^-1/3", ""},
      {"newton", "(kilogram)*(meter)*(second^-2)"},
      {"joule/s", "(kilogram)*(meter^2)*(second^-3)"},
      {"V", "(amper^-1)*(kilogram)*(meter^2)*(second^-3)"},
      {"ohm", "(amper^-2)*(kilogram)*(meter^2)*(second^-3)"},
      {"lx", "(candela)*(meter^2)*(steradian)"},
      {"molPerL", "(meter^-3)"},
      {"l", "(meter^3)"},
      {"Hz*s", ""},
      {" kg / ( m * s ^ 2 ) ", "(kilogram)*(meter^-1)*(second^-2)"},
  };
  for (const auto& [text, form] : cases)
    EXPECT_EQ(form, Form(text)) << text;
}

TEST_F(DefaultUnits, FactorsConvertBetweenUnitsOfOneDimension) {
  EXPECT_DOUBLE_EQ(1000.0 / 3600.0, static_cast<double>(Factor("km/h")));
  EXPECT_DOUBLE_EQ(1.0 / 1000.0, static_cast<double>(Factor("km^-1")));
  EXPECT_DOUBLE_EQ(1000.0, static_cast<double>(Factor("mol/l")));
  EXPECT_DOUBLE_EQ(1e-4, static_cast<double>(Factor("cm^2")));
  EXPECT_DOUBLE_EQ(std::sqrt(1000.0), static_cast<double>(Factor("(km)^1/2")));
  EXPECT_DOUBLE_EQ(1.0 / 3600.0, static_cast<double>(Factor("(h*h)^-1/2")));
  EXPECT_DOUBLE_EQ(5.0 / 9.0, static_cast<double>(Factor("fahrenheit")));
  EXPECT_DOUBLE_EQ(3600.0 * 1000.0, static_cast<double>(Factor("KWtH")));
}

// A number in one unit written in another: v * factor + shift. The
// offsets of C and fahrenheit take part only between units named on their
// own; a rate in C/s is the same rate in K/s.
TEST_F(DefaultUnits, ConversionsApplyOffsetsBetweenSingleUnitsOnly) {
  const struct Case {
    const char* from;
    const char* to;
    double number;   // in `from`
    double expected; // in `to`
  } cases[] = {
      {"C", "K", 0, 273.15},
      {"K", "C", 310, 36.85},
      {"fahrenheit", "C", 98.6, 37},
      {"C", "fahrenheit", 100, 212},
      {"fahrenheit", "K", -459.67, 0},
      {"celsius", " c ", 36.6, 36.6},
      {"km", "m", 2, 2000},
      {"C/s", "K/s", 1, 1},
      {"C^2", "K^2", 4, 4},
      {"C*m", "K*m", 3, 3},
      {"C", "K^1", 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.number << " " << c.from << " in " << c.to);
    TUnitConversion conversion;
    ASSERT_TRUE(units.Conversion(c.from, c.to, conversion));
    EXPECT_NEAR(c.expected, static_cast<double>(c.number * conversion.factor + conversion.shift),
                1e-12);
  }
  TUnitConversion conversion;
  EXPECT_FALSE(units.Conversion("C", "m", conversion));
  EXPECT_FALSE(units.Conversion("C", "furlong", conversion));
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(DefaultUnits, CompatibilityComparesNormalFormTexts) {
  EXPECT_TRUE(units.SameUnits("kg", "KG"));
  EXPECT_TRUE(units.SameUnits("", ""));
  EXPECT_TRUE(units.SameUnits("km/h", "MpSec"));
  EXPECT_TRUE(units.SameUnits("joule", "newton*m"));
  EXPECT_FALSE(units.SameUnits("s^2/4", "s^1/2"));
  EXPECT_FALSE(units.SameUnits("m", "s"));
  EXPECT_FALSE(units.SameUnits("m", "furlong"));
}

TEST_F(DefaultUnits, BuildingMarksNamedUnitsReferencedAndCheckingDoesNot) {
  TUnitNF form;
  ASSERT_TRUE(units.ParseUnit("km/h", true, form));
  EXPECT_FALSE(units.FindUnit("km")->referenced);
  ASSERT_TRUE(units.ParseUnit("km/h", false, form));
  EXPECT_TRUE(units.FindUnit("kilometer")->referenced);
  EXPECT_TRUE(units.FindUnit("hour")->referenced);
  EXPECT_FALSE(units.FindUnit("meter")->referenced);
}

TEST_F(DefaultUnits, FindsByNameOrShortNameWithoutRegardToCase) {
  EXPECT_EQ("kilometer", units.FindUnit("KM")->name);
  EXPECT_EQ("kilometer", units.FindUnit("Kilometer")->name);
  EXPECT_EQ("meter", units.FindUnit("M")->name);
  EXPECT_EQ(nullptr, units.FindUnit("furlong"));
  EXPECT_EQ("kelvin", units.FindBasicUnit("TEMPERATURE")->name);
  EXPECT_EQ(nullptr, units.FindBasicUnit("Nothing"));
}

TEST_F(DefaultUnits, BadExpressionsFailWithAReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"furlong", "Unknown unit FURLONG"},
      {"m$", ""}, // lexemes after a complete expression are not examined
      {"$m", "Invalid symbol$"},
      {"(m", "Missing \")\" in the unit expression"},
      {"m*", "Unexpected end of the unit expression"},
      {"m^x", "An integer exponent expected after \"^\""},
      {"m^1/0", "The exponent's denominator must be a positive integer"},
      {"m^70000", "The unit exponent is too large"},
      {"(m^300)^300", "The unit exponent is too large"},
      {"m^1/300*m^1/301*m^1/299", "The unit exponent is too large"},
      {"*m", "Unexpected \"*\" in the unit expression"},
  };
  for (const auto& [text, message] : cases) {
    TUnitNF form;
    TUnitParseError error;
    EXPECT_EQ(*message == 0, units.ParseUnit(text, false, form, &error)) << text;
    EXPECT_EQ(message, error.message) << text;
  }
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(DefaultUnits, DeepNestingIsRefusedNotRecursedForEver) {
  const std::string deep = std::string(100000, '(') + "m" + std::string(100000, ')');
  TUnitNF form;
  TUnitParseError error;
  EXPECT_FALSE(units.ParseUnit(deep, true, form, &error));
  EXPECT_EQ("Expression is too deeply nested", error.message);
  EXPECT_TRUE(units.ParseUnit("((((m))))", false, form));
}

TEST(UnitCatalogue, BrokenDefinitionsFailWithTheirMessages) {
  testing::ScriptedSink sink;
  TUnitCatalogue units;
  const auto add = [&](const char* name, const char* category, bool basic, const char* formula,
                       long double coefficient = 1) {
    TUnit unit;
    unit.name = unit.shortName = name;
    unit.category = category;
    unit.basic = basic;
    unit.formula = formula;
    unit.coefficient = coefficient;
    units.Add(unit);
  };
  add("ping", "Loop", true, "pong");
  add("pong", "Loop2", true, "ping");
  add("orphan", "NoBasic", false, "");
  add("neg", "Odd", true, "");
  add("negpart", "Odd", false, "", -4);

  TUnitNF form;
  EXPECT_FALSE(units.ParseUnit("ping", false, form));
  EXPECT_EQ("Can't normalize unit ping", sink.Last());

  sink.Reset();
  EXPECT_FALSE(units.ParseUnit("orphan", false, form));
  EXPECT_EQ((std::vector<std::string>{"Can't normalize basic unit (category NoBasic has none)",
                                      "Can't normalize unit orphan"}),
            sink.Messages());

  sink.Reset();
  EXPECT_FALSE(units.ParseUnit("negpart^1/2", false, form));
  EXPECT_EQ("Can't calculate the unit dimension factor negpart", sink.Last());
  ASSERT_TRUE(units.ParseUnit("negpart^2", false, form));
  EXPECT_EQ(16, form.factor);
  // Check-only parsing looks at syntax and names alone.
  EXPECT_TRUE(units.ParseUnit("ping*orphan", true, form));
}

TEST(UnitCatalogue, ActiveCatalogueIsEmptyUntilOneIsInstalled) {
  TUnitNF form;
  EXPECT_EQ(0, ActiveUnits().Count());
  TUnitCatalogue units;
  LoadDefaultUnits(units);
  {
    ScopedUnitCatalogue scope(units);
    EXPECT_EQ(&units, &ActiveUnits());
    EXPECT_NE(nullptr, ActiveUnits().NormalFormOf("km"));
  }
  EXPECT_EQ(0, ActiveUnits().Count());
}

} // namespace
} // namespace vandro
