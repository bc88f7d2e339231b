// Units and numbers, and mathematics on interval numbers.
#include "language/std_functions_fixture.h"

namespace vandro {
namespace {

using namespace testing;

class StdFunctionMathTest : public StdFunctionsTest {
protected:
  void SetUp() override {
    StdFunctionsTest::SetUp();
    // A unit that is known but does not normalise: its formula names no unit.
    TUnit broken;
    broken.id = 9001;
    broken.name = "broken";
    broken.shortName = "brk";
    broken.category = "Broken";
    broken.basic = true;
    broken.formula = "nosuchunit";
    project_->Units().Add(broken);
  }
};

TEST_F(StdFunctionMathTest, SetAndCompareUnits) {
  CheckTable({
      {"SETUNITS", {"5", "km"}, "5 [km]"},
      {"SETUNITS", {"5 ±1", " [km] "}, "5 ±1 [km]"},
      {"SETUNITS", {"2 [km]", "m"}, "2000 [m]"},
      {"SETUNITS", {"1 ±(0.5;0.25) [km]", "[m]"}, "1000 ±(500;250) [m]"},
      {"SETUNITS", {"7200 [s]", "h"}, "2 [h]"},
      {"SETUNITS", {"abc", "m"}, "!First operand is to be Numeric."},
      {"SETUNITS", {"5 [brk]", "m"}, "!Invalid value unit"},
      {"SETUNITS", {"5", "nosuch"}, "!Invalid result unit"},
      {"SETUNITS", {"5 [m]", "s"}, "!Incompatible units:(meter) and (second)"},
      {"SETUNITS", {"5 [m]", "km/h"}, "!Incompatible units:(meter) and (meter)*(second^-1)"},
      {"COMPAREUNITS", {"1 [km]", "5 [m]"}, "TRUE"},
      {"COMPAREUNITS", {"1 [km/h]", "5 [m/s]"}, "TRUE"},
      {"COMPAREUNITS", {"1 [km]", "5 [s]"}, "FALSE"},
      {"COMPAREUNITS", {"1", "2 [none]"}, "TRUE"},
      {"COMPAREUNITS", {"1", "a"}, "!Parameters should be numeric"},
  });
  EXPECT_EQ("!Second operand should be a string",
            Call("SETUNITS", Plain("5"), Make(vkObject, "64")));
}

TEST_F(StdFunctionMathTest, SetUnitsGoesOverAnArrayItemByItem) {
  EXPECT_EQ("{1000 [m]; ### Error ### Incompatible units:(second) and (meter)}",
            Call("SETUNITS", Plains({"1 [km]", "2 [s]"}), Plain("m")));
  EXPECT_EQ("{1000 [m]; 2 [s]}", Call("SETUNITS", Plains({"1 [km]", "2"}), Plains({"m", "s"})));
}

TEST_F(StdFunctionMathTest, PartsOfANumber) {
  CheckTable({
      {"GETUNITS", {"5 ±1 [km/h]"}, "KM/H"},
      {"GETUNITS", {"5 [none]"}, ""},
      {"GETUNITS", {"5"}, ""},
      {"GETNUMBER", {"5 ±1 [km/h]"}, "5 ±1"},
      {"GETNUMBER", {"-7,5"}, "-7,5"},
      {"GETUNITS", {"abc"}, "!Invalid parameter type"},
  });
}

TEST_F(StdFunctionMathTest, SignAbsRoundTrunc) {
  CheckTable({
      {"SIGN", {"3"}, "1"},
      {"SIGN", {"-3 ±1 [m]"}, "-1 [M]"},
      {"SIGN", {"1 ±2"}, "0 ±1"},
      {"SIGN", {"1 ±1"}, "0 ±(1;0)"},
      {"SIGN", {"-1 ±1"}, "0 ±(0;1)"},
      {"SIGN", {"0"}, "0"},
      {"ABS", {"-2 [km]"}, "2 [KM]"},
      {"ABS", {"-3 ±(1;0.5)"}, "3 ±(0.5;1)"},
      {"ABS", {"1 ±2"}, "1 ±(2;1)"},
      {"ABS", {"-1 ±(2;0.5)"}, "1 ±(0.5;1)"},
      {"ROUND", {"2.5"}, "2"},
      {"ROUND", {"3.5"}, "4"},
      {"ROUND", {"-2.5"}, "-2"},
      {"ROUND", {"1.23456", "2"}, "1.23"},
      {"ROUND", {"1234.5", "-2"}, "1200"},
      {"ROUND", {"1.26 ±(0.04;0.16) [m]", "1"}, "1.3 ±(0;0.2) [M]"},
      {"ROUND", {"1.5", "400"}, "1.5"},
      {"ROUND", {"1.5", "-400"}, "0"},
      {"ROUND", {"1.5", "-4960"}, "0"},
      {"ROUND", {"a"}, "!First parameter should be numeric"},
      {"ROUND", {"1", "1.5"}, "!Second parameter should be an integer"},
      {"ROUND", {"1", "2 [m]"}, "!Second parameter should be an integer"},
      {"TRUNC", {"-2.7 ±(0.5;1.9) [m]"}, "-2 ±(0;1) [M]"},
      {"TRUNC", {"2.7"}, "2"},
  });
}

TEST_F(StdFunctionMathTest, OneArgumentFunctionsGoOverArraysItemByItem) {
  EXPECT_EQ("!Invalid parameter type", Call("ABS", Plain("abc")));
  EXPECT_EQ("!Invalid parameter type", Call("SIGN", Make(vkObject, "64")));
  // As with the operators, an array item is not spread further.
  EXPECT_EQ(
      "{1; ### Error ### Invalid parameter type; 2 [M]; ### Error ### Invalid parameter type}",
      Call("ABS", Array(Plain("-1"), Plain("abc"), Plain("-2 [m]"), Plains({}))));
  EXPECT_EQ("{2; ### Error ### Negative values are not allowed}",
            Call("SQRT", Plains({"4", "-1"})));
  EXPECT_EQ("{}", Call("EXP", Plains({})));
  EXPECT_EQ("{1.2; 2.5}", Call("ROUND", Plains({"1.25", "2.5"}), Plain("1")));
  EXPECT_EQ("{3; ### Error ### First parameter should be numeric}",
            Call("ROUND", Plains({"2.7", "x"})));
}

TEST_F(StdFunctionMathTest, SquareRootHalvesTheUnit) {
  CheckTable({
      {"SQRT", {"4 [m^2]"}, "2 [(meter)]"},
      {"SQRT", {"9 [km^2]"}, "3000 [(meter)]"},
      {"SQRT", {"4 [s]"}, "2 [(second^1/2)]"},
      {"SQRT", {"16 [m^-2]"}, "4 [(meter^-1)]"},
      {"SQRT", {"4 [m/m]"}, "2"},
      {"SQRT", {"4 ±(5;3)"}, "2 ±1"},
      {"SQRT", {"0"}, "0"},
      {"SQRT", {"-1"}, "!Negative values are not allowed"},
      {"SQRT", {"1 ±2"}, "!Negative values are not allowed"},
      {"SQRT", {"4 [brk]"}, "!Invalid value unit"},
  });
}

TEST_F(StdFunctionMathTest, Powers) {
  CheckTable({
      {"POWER", {"2", "10"}, "1024"},
      {"POWER", {"2 [m]", "2"}, "4 [(meter^2)]"},
      {"POWER", {"2 [km]", "2"}, "4000000 [(meter^2)]"},
      {"POWER", {"2 [m]", "-1"}, "0.5 [(meter^-1)]"},
      {"POWER", {"4 [s^1/2]", "2"}, "16 [(second)]"},
      {"POWER", {"5 [m]", "0"}, "1"},
      {"POWER", {"4", "0.5"}, "2"},
      {"POWER", {"3 ±1", "2"}, "9 ±(7;5)"},
      {"POWER", {"1 ±2", "2"}, "1 ±(8;1)"},
      {"POWER", {"-2 ±1", "3"}, "-8 ±(7;19)"},
      {"POWER", {"2 ±1", "-1"}, "0.5 ±(0.5;0.166666666666667)"},
      {"POWER", {"0 ±1", "-1"}, "!Division by zero or denominator interval contains zero"},
      {"POWER", {"0", "-2"}, "!Division by zero or denominator interval contains zero"},
      {"POWER", {"2 [m]", "0.5"}, "!First operand should be a positive numeric\r\nwithout units"},
      {"POWER", {"-4", "0.5"}, "!First operand should be a positive numeric\r\nwithout units"},
      {"POWER", {"abc", "2"}, "!First operand should be a plain value"},
      {"POWER", {"5 [brk]", "2"}, "!Invalid units of the first operand"},
      {"POWER",
       {"2", "2 [m]"},
       "!Second operand should be a  numeric\r\n without units or deviations"},
      {"POWER",
       {"2", "2 ±1"},
       "!Second operand should be a  numeric\r\n without units or deviations"},
      {"POWER", {"10", "400"}, "!The number is out of range"},
      {"POWER", {"2 [m]", "70000"}, "!Can't normalize the result unit: (M)^70000"},
      {"RPOWER", {"8", "1", "3"}, "2"},
      {"RPOWER", {"4 [m^2]", "3", "2"}, "8 [(meter^3)]"},
      {"RPOWER", {"8 [s]", "2", "-3"}, "0.25 [(second^-2/3)]"},
      {"RPOWER", {"4 [m^2]", "0", "5"}, "1"},
      {"RPOWER", {"4 ±(5;3)", "1", "2"}, "2 ±1"},
      {"RPOWER", {"-8", "1", "3"}, "!Negative values are not allowed"},
      {"RPOWER", {"a", "1", "2"}, "!First parameter should be a numeric value"},
      {"RPOWER", {"4", "1.5", "2"}, "!Numerator should be an integer"},
      {"RPOWER", {"4", "1", "x"}, "!Denominator should be an integer"},
      {"RPOWER", {"4", "1", "0"}, "!Denominator should not be equal 0"},
      {"RPOWER", {"0", "-1", "2"}, "!Division by zero or denominator interval contains zero"},
  });
}

TEST_F(StdFunctionMathTest, PowerGoesOverItsFirstArgument) {
  EXPECT_EQ("{1; 4; 9}", Call("POWER", Plains({"1", "2", "3"}), Plain("2")));
  EXPECT_EQ("{8; 9}", Call("POWER", Plains({"2", "3"}), Plains({"3", "2", "1"})));
  EXPECT_EQ("!Second operand should be a plain value",
            Call("POWER", Plain("2"), Plains({"1", "2"})));
  EXPECT_EQ("!First operand should be a plain value",
            Call("POWER", Make(vkObject, "64"), Plain("2")));
  EXPECT_EQ("{2; 3}", Call("RPOWER", Plains({"4", "9"}), Plain("1"), Plain("2")));
}

TEST_F(StdFunctionMathTest, Logarithms) {
  CheckTable({
      {"LOGN", {"8", "2"}, "3"},
      {"LOGN", {"100", "10"}, "2"},
      {"LOGN", {"4 ±(4;2)", "2"}, "2 ±1"},
      {"LOGN", {"4 ±(4;2)", "0.5"}, "-2 ±1"},
      {"LOGN", {"0", "2"}, "!First operand should be a positive numeric"},
      {"LOGN", {"1 ±1", "2"}, "!First operand should be a positive numeric"},
      {"LOGN", {"2 [m]", "2"}, "!First operand should be a positive numeric"},
      {"LOGN", {"8", "a"}, "!Second operand should be a numeric"},
      {"LOGN",
       {"8", "2 [m]"},
       "!Second operand should be a  numeric\r\n without units or deviations"},
      {"LOGN",
       {"8", "2 ±1"},
       "!Second operand should be a  numeric\r\n without units or deviations"},
      {"LOGN",
       {"8", "-2"},
       "!Base of LogN should be a positive numeric \r\nwithout units and deviations"},
      {"LOGN", {"8", "1"}, "!The number is out of range"},
      {"LN", {"1"}, "0"},
      {"LN", {"0"}, "!Logarithm of zero"},
      {"LN", {"1 ±1"}, "!Logarithm of zero"},
      {"LN", {"-1"}, "!Negative values are not allowed"},
      {"LN", {"1 ±2"}, "!Negative values are not allowed"},
      {"EXP", {"0"}, "1"},
      {"EXP", {"1"}, "2.71828182845905"},
      {"EXP", {"0 ±1"}, "1 ±(1.71828182845905;0.632120558828558)"},
      {"EXP", {"100000"}, "!The number is out of range"},
      {"PI", {}, "3.14159265358979"},
  });
}

TEST_F(StdFunctionMathTest, TrigonometryOverIntervals) {
  CheckTable({
      {"SIN", {"0"}, "0"},
      {"SIN", {"1 [m]"}, "!Parameter should be dimensionless"},
      {"SIN", {"1 [rad]"}, "0.841470984807897"},
      {"SIN", {"1 [brk]"}, "!Parameter should be dimensionless"},
      // The interval holds the maximum at pi/2.
      {"SIN", {"1.5 ±0.2"}, "0.997494986604054 ±(0.00250501339594557;0.0339368011868615)"},
      {"SIN", {"0 ±7"}, "0 ±1"},
      {"COS", {"0 ±1"}, "1 ±(0;0.45969769413186)"},
      {"COS", {"3 ±1"}, "-0.989992496600445 ±(0.573845660053303;0.0100075033995545)"},
      {"TAN", {"0"}, "0"},
      {"TAN", {"1.5 ±0.1"}, "!Interval contains pecularity"},
      {"TAN", {"-1.6"}, "34.2325327355573"},
      {"COTAN", {"0"}, "!Interval contains pecularity"},
      {"COTAN", {"3 ±0.2"}, "!Interval contains pecularity"},
      {"COTAN", {"1"}, "0.642092615934331"},
      {"ARCSIN", {"1"}, "1.5707963267949"},
      {"ARCSIN", {"1 ±0.1"}, "!Parameter should be between -1 and 1"},
      {"ARCCOS", {"-2"}, "!Parameter should be between -1 and 1"},
      {"ARCCOS", {"0.5 ±0.5"}, "1.0471975511966 ±(0.523598775598299;1.0471975511966)"},
      {"ARCTAN", {"1"}, "0.785398163397448"},
      {"SINH", {"0 ±1"}, "0 ±1.1752011936438"},
      {"COSH", {"0 ±1"}, "1 ±(0.543080634815244;0)"},
      {"COSH", {"-2 ±1"}, "3.76219569108363 ±(6.30546630469413;2.21911505626839)"},
      {"TANH", {"0"}, "0"},
  });
}

} // namespace
} // namespace vandro
