#include "values/default_units.h"

#include "values/units.h"

#include <array>

namespace vandro {

namespace {

// Fahrenheit is exact here (5/9 and 459.67 x 5/9) so that it converts like
// celsius and kelvin do.
const std::array<TDefaultUnit, 121> kDefaultUnits = {{
    {"Quantity", "None", "none", true, 1L, 0L, "", "Numbers, quantity etc"},
    {"Distance", "centimeter", "cm", false, 0.01L, 0L, "", ""},
    {"Distance", "foot", "ft", false, 0.3048L, 0L, "", ""},
    {"Distance", "inch", "in", false, 0.0254L, 0L, "", ""},
    {"Distance", "kilometer", "Km", false, 1000L, 0L, "", ""},
    {"Distance", "meter", "m", true, 1L, 0L, "", ""},
    {"Distance", "micrometer", "mkm", false, 1e-06L, 0L, "", ""},
    {"Distance", "mile", "mil", false, 1609.34L, 0L, "", ""},
    {"Distance", "millimeter", "mm", false, 0.001L, 0L, "", ""},
    {"Distance", "yard", "yd", false, 0.9144L, 0L, "", ""},
    {"Mass", "carat", "carat", false, 0.0002L, 0L, "", ""},
    {"Mass", "gram", "g", false, 0.001L, 0L, "", ""},
    {"Mass", "kilogram", "kg", true, 1L, 0L, "", ""},
    {"Mass", "microgram", "mkg", false, 1e-09L, 0L, "", ""},
    {"Mass", "milligram", "mg", false, 1e-06L, 0L, "", ""},
    {"Mass", "ounce", "oz", false, 0.0283495L, 0L, "", ""},
    {"Mass", "ounce_TROY", "ozt", false, 0.0311035L, 0L, "", ""},
    {"Mass", "pound", "lb", false, 0.453592L, 0L, "", ""},
    {"Mass", "pound_TROY", "lbt", false, 0.373242L, 0L, "", ""},
    {"Mass", "tonne", "T", false, 1000L, 0L, "", ""},
    {"Time", "century", "century", false, 3153600000L, 0L, "", ""},
    {"Time", "day", "d", false, 86400L, 0L, "", ""},
    {"Time", "decade", "decade", false, 315360000L, 0L, "", ""},
    {"Time", "hour", "h", false, 3600L, 0L, "", ""},
    {"Time", "millisecond", "ms", false, 0.001L, 0L, "", ""},
    {"Time", "minute", "min", false, 60L, 0L, "", ""},
    {"Time", "nanosecond", "ns", false, 1e-09L, 0L, "", ""},
    {"Time", "microsecond", "mks", false, 1e-06L, 0L, "", ""},
    {"Time", "second", "s", true, 1L, 0L, "", ""},
    {"Temperature", "celsius", "C", false, 1L, 273.15L, "", ""},
    {"Temperature", "fahrenheit", "fahrenheit", false, 5.0L / 9.0L, 459.67L * 5.0L / 9.0L, "", ""},
    {"Temperature", "kelvin", "K", true, 1L, 0L, "", ""},
    {"Temperature", "rankine", "rankine", false, 0.555556L, 0L, "", ""},
    {"Amt_Of_Substance", "kilomole", "kmol", false, 1000L, 0L, "", ""},
    {"Amt_Of_Substance", "micromole", "mkmol", false, 1e-06L, 0L, "", ""},
    {"Amt_Of_Substance", "millimole", "mmol", false, 0.001L, 0L, "", ""},
    {"Amt_Of_Substance", "mole", "mol", true, 1L, 0L, "None", ""},
    {"Light", "lux", "lx", true, 1L, 0L, "m^2*cd*sr", ""},
    {"Light Power", "candela", "cd", true, 1L, 0L, "", ""},
    {"Space Angle", "steradian", "sr", true, 1L, 0L, "", ""},
    {"Velocity", "knot", "knot", false, 0.514444L, 0L, "", ""},
    {"Velocity", "mach", "mach", false, 331.46L, 0L, "", ""},
    {"Velocity", "MeterPerSecond", "MpSec", true, 1L, 0L, "meter/second", ""},
    {"Velocity", "MilePerHour", "mph", false, 0.44704L, 0L, "", ""},
    {"Angle", "degree", "degree", false, 0.0174533L, 0L, "", ""},
    {"Angle", "Angle_Hour", "angle_hour", false, 0.2617995L, 0L, "", ""},
    {"Angle", "Angle_Minute", "angle_minute", false, 0.000290888L, 0L, "", ""},
    {"Angle", "radian", "rad", true, 1L, 0L, "None", ""},
    {"Angle", "revolution", "revolution", false, 6.28318L, 0L, "", ""},
    {"Angle", "Angle_Second", "Angle_Second", false, 4.84814e-06L, 0L, "", ""},
    {"Area", "acre", "acre", false, 4046.83L, 0L, "", ""},
    {"Area", "hectare", "hectare", false, 10000L, 0L, "", ""},
    {"Area", "square_inch", "square_inch", false, 0.00064516L, 0L, "", ""},
    {"Area", "square_kilometer", "square_km", false, 1000000L, 0L, "", ""},
    {"Area", "square_meter", "m2", true, 1L, 0L, "meter^2", ""},
    {"Mole Concentration", "MolePerLiter", "molPerL", true, 1L, 0L, "mole/liter", ""},
    {"Density", "KilogramPerCubicMeter", "KgPM3", true, 1L, 0L, "KG/Meter^3", ""},
    {"Energy", "calorie", "cal", false, 4.1868L, 0L, "", ""},
    {"Energy", "dyne_centimeter", "dyne_cm", false, 1e-07L, 0L, "", ""},
    {"Energy", "electron_volt", "eV", false, 1.60219e-19L, 0L, "", ""},
    {"Energy", "erg", "erg", false, 1e-07L, 0L, "", ""},
    {"Energy", "joule", "joule", true, 1L, 0L, "newton*meter", ""},
    {"Energy", "kilocalorie", "Kcal", false, 4186.8L, 0L, "", ""},
    {"Energy", "KilowattHour", "KWtH", false, 3600000L, 0L, "", ""},
    {"Flow", "LiterPerSecond", "LPS", false, 0.001L, 0L, "", ""},
    {"Flow", "CubicMeterPersecond", "m3ps", true, 1L, 0L, "meter^3/second", ""},
    {"Force", "dyne", "dyne", false, 1e-05L, 0L, "", ""},
    {"Force", "newton", "newton", true, 1L, 0L, "m*kg*s^-2", ""},
    {"Acceleration", "free_fall_acceleration", "free_fall_acceleration", false, 9.80665L, 0L, "",
     ""},
    {"Acceleration", "MeterPerSecPerSec", "MPS2", true, 1L, 0L, "meter/Second^2", ""},
    {"Power", "kilowatt", "KWt", false, 1000L, 0L, "", ""},
    {"Power", "watt", "Wt", true, 1L, 0L, "joule/second", ""},
    {"Power", "microwatt", "mkWt", false, 1e-06L, 0L, "", ""},
    {"Power", "milliwatt", "mWt", false, 0.001L, 0L, "", ""},
    {"Power", "megawatt", "MegaWt", false, 1000000L, 0L, "", ""},
    {"Pressure", "atmosphere", "atmosphere", false, 101325L, 0L, "", ""},
    {"Pressure", "bar", "bar", false, 100000L, 0L, "", ""},
    {"Pressure", "KilogramPerCentimeter", "KilogramPerCentimeter", false, 98066.5L, 0L, "", ""},
    {"Pressure", "MillimeterOfMercury", "mmHg", false, 133.322L, 0L, "", ""},
    {"Pressure", "pascal", "pascal", true, 1L, 0L, "newton/meter^2", ""},
    {"Pressure", "torr", "torr", false, 133.322L, 0L, "", ""},
    {"Volume", "CubicCentimeter", "cm3", false, 1e-06L, 0L, "", ""},
    {"Volume", "milliliter", "ml", false, 1e-06L, 0L, "", ""},
    {"Volume", "CubicMeter", "M3", true, 1L, 0L, "meter^3", ""},
    {"Volume", "gallon", "gallon", false, 0.00378541L, 0L, "", ""},
    {"Volume", "liter", "l", false, 0.001L, 0L, "", ""},
    {"Volume", "ounce_volume", "oz_vol", false, 2.95735e-05L, 0L, "", ""},
    {"Volume", "pint", "pt", false, 0.000473176L, 0L, "", ""},
    {"Volume", "quart_volume", "quart_vol", false, 0.000946353L, 0L, "", ""},
    {"Volume", "tablespoon", "tablespoon", false, 1.47868e-05L, 0L, "", ""},
    {"Volume", "teaspoon", "teaspoon", false, 4.92892e-06L, 0L, "", ""},
    {"Volume Dry", "barrel", "barrel", false, 115.627L, 0L, "", ""},
    {"Volume Dry", "bushel", "bushel", false, 35.2391L, 0L, "", ""},
    {"Volume Dry", "liter_dry", "liter_dry", true, 1L, 0L, "liter", ""},
    {"Volume Dry", "quart", "quart", false, 1.10122L, 0L, "", ""},
    {"Electric Charge", "coulomb", "coulomb", true, 1L, 0L, "amper*second", ""},
    {"Current", "microamper", "mkA", false, 1e-06L, 0L, "", ""},
    {"Current", "milliamper", "mA", false, 0.001L, 0L, "", ""},
    {"Current", "amper", "A", true, 1L, 0L, "", ""},
    {"Electric Potencial", "microvolt", "mkV", false, 1e-06L, 0L, "", ""},
    {"Electric Potencial", "millivolt", "mV", false, 0.001L, 0L, "", ""},
    {"Electric Potencial", "volt", "V", true, 1L, 0L, "m^2*kg*s^-3*A^-1", ""},
    {"Electric Potencial", "kilovolt", "kV", false, 1000L, 0L, "", ""},
    {"Electric Potencial", "megavolt", "MegaV", false, 1000000L, 0L, "", ""},
    {"Resistance", "ohm", "ohm", true, 1L, 0L, "volt/amper", ""},
    {"Resistance", "kiloohm", "Kohm", false, 1000L, 0L, "", ""},
    {"Resistance", "megohm", "Mohm", false, 1000000L, 0L, "", ""},
    {"Capacity", "picofarad", "pF", false, 1e-12L, 0L, "", ""},
    {"Capacity", "microfarad", "mkF", false, 1e-06L, 0L, "", ""},
    {"Capacity", "farad", "F", true, 1L, 0L, " m^-2*kg^-1*s^4*A^2", ""},
    {"Frequency", "hertz", "Hz", true, 1L, 0L, "second^-1", ""},
    {"Frequency", "kilohertz", "kHz", false, 1000L, 0L, "", ""},
    {"Frequency", "megahertz", "MHz", false, 1000000L, 0L, "", ""},
    {"Frequency", "gigahertz", "GHz", false, 1000000000L, 0L, "", ""},
    {"Inductance", "henry", "henry", true, 1L, 0L, " m^2*kg*s^-2*A^-2", ""},
    {"Inductance", "millihenry", "millihenry", false, 0.001L, 0L, "", ""},
    {"Inductance", "microhenry", "microhenry", false, 1e-06L, 0L, "", ""},
    {"Magnetic Flux Density", "weber", "wb", true, 1L, 0L, "m^2*kg*s^-2*A^-1", ""},
    {"Light Flux", "lumen", "lm", true, 1L, 0L, "cd*sr", ""},
    {"Radioactivity", "becquerel", "bq", true, 1L, 0L, "s^-1", ""},
    {"Radiation Dose", "gray", "gray", true, 1L, 0L, "m^2*s^-2", ""},
}};

} // namespace

std::span<const TDefaultUnit> DefaultUnits() {
  return kDefaultUnits;
}

int32_t DefaultUnitId(int index) {
  int32_t id = 11; // the last system parameter
  for (int i = 0; i <= index; ++i) {
    ++id;
    if (id % 32 == 0) ++id;
  }
  return id;
}

TUnit MakeDefaultUnit(const TDefaultUnit& row) {
  TUnit unit;
  unit.name = row.name;
  unit.shortName = row.shortName;
  unit.category = row.category;
  unit.basic = row.basic;
  unit.generic = true;
  unit.coefficient = row.coefficient;
  unit.offset = row.offset;
  unit.formula = row.formula;
  unit.description = row.description;
  return unit;
}

void LoadDefaultUnits(TUnitCatalogue& catalogue) {
  int index = 0;
  for (const auto& row : kDefaultUnits) {
    TUnit unit = MakeDefaultUnit(row);
    unit.id = DefaultUnitId(index++);
    catalogue.Add(std::move(unit));
  }
}

} // namespace vandro
