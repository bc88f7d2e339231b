// Strings and lines, and dates.
#include "language/std_functions_fixture.h"

namespace vandro {
namespace {

using namespace testing;

using StdFunctionTextTest = StdFunctionsTest;
using StdFunctionDateTest = StdFunctionsTest;

TEST_F(StdFunctionTextTest, Strings) {
  CheckTable({
      {"LEN", {"abcd"}, "4"},
      {"LEN", {""}, "0"},
      {"LEN", {"привет"}, "6"},
      {"UPPER", {"abc привет"}, "ABC ПРИВЕТ"},
      {"LOWER", {"ABC ПРИВЕТ ±"}, "abc привет ±"},
      {"TRIM", {" \t a b \r\n"}, "a b"},
      {"LTRIM", {"  a b  "}, "a b  "},
      {"RTRIM", {"  a b  "}, "  a b"},
      {"SUBSTR", {"abcdef", "2", "3"}, "bcd"},
      {"SUBSTR", {"abcdef", "4"}, "def"},
      {"SUBSTR", {"abcdef", "0", "2"}, "ab"},
      {"SUBSTR", {"abcdef", "-5"}, "abcdef"},
      {"SUBSTR", {"abcdef", "7"}, ""},
      {"SUBSTR", {"abcdef", "2", "100"}, "bcdef"},
      {"SUBSTR", {"abcdef", "2", "-1"}, ""},
      {"SUBSTR", {"abcdef", "1E+30", "1E+30"}, ""},
      {"SUBSTR", {"abc", "x"}, "!Index should be numeric"},
      {"SUBSTR", {"abc", "1.5"}, "!Index should be integer without units"},
      {"SUBSTR", {"abc", "1 [m]"}, "!Index should be integer without units"},
      {"SUBSTR", {"abc", "1", "y"}, "!Length should be numeric"},
      {"SUBSTR", {"abc", "1", "2 ±1"}, "!Length should be integer without units"},
      {"AT", {"c", "abcd"}, "3"},
      {"AT", {"cd", "abcdcd"}, "3"},
      {"AT", {"x", "abcd"}, "0"},
      {"AT", {"", "abcd"}, "0"},
      {"AT", {"C", "abcd"}, "0"},
  });
}

TEST_F(StdFunctionTextTest, ArgumentKindsAndArrays) {
  EXPECT_EQ("4", Call("LEN", Plains({"a", "b", "c", "d"})));
  EXPECT_EQ("!Invalid parameter type", Call("LEN", Make(vkObject, "64")));
  EXPECT_EQ("!Invalid parameter type", Call("UPPER", Make(vkLink, "x")));
  EXPECT_EQ("{AB; ### Error ### Parameter should be plain value}",
            Call("UPPER", Array(Plain("ab"), Make(vkObject, "64"))));
  EXPECT_EQ("{bc; ef}", Call("SUBSTR", Plains({"abc", "def"}), Plain("2")));
  EXPECT_EQ("{a; d}", Call("SUBSTR", Plains({"abc", "def"}), Plain("1"), Plain("1")));
  EXPECT_EQ("!First parameter should be a string",
            Call("SUBSTR", Make(vkObject, "64"), Plain("1")));
  EXPECT_EQ("{2; 4}", Call("AT", Plains({"b", "d"}), Plain("abcd")));
  EXPECT_EQ("!First operand should be a plain value", Call("AT", Make(vkLink, "b"), Plain("ab")));
  EXPECT_EQ("!Second operand should be a plain value", Call("AT", Plain("b"), Plains({"ab"})));
}

TEST_F(StdFunctionTextTest, Lines) {
  CheckTable({
      {"LINECOUNT", {""}, "0"},
      {"LINECOUNT", {"abc"}, "1"},
      {"LINECOUNT", {"a\r\nb\r\nc"}, "3"},
      {"LINECOUNT", {"a\r\nb\r\n"}, "2"},
      {"LINECOUNT", {"a\r\n\r\nc"}, "3"},
      {"ADDLINES", {"a", "b"}, "a\r\nb"},
      {"INSERTLINES", {"a", "b"}, "b\r\na"},
      {"DELETELINES", {"a\r\nb\r\nc", "1"}, "a\r\nc\r\n"},
      {"DELETELINES", {"a\r\nb\r\nc", "0"}, "b\r\nc\r\n"},
      {"DELETELINES", {"a\r\nb\r\nc", "3"}, "a\r\nb\r\nc"},
      {"DELETELINES", {"abc", "0"}, ""},
      {"DELETELINES", {"", "0"}, ""},
      {"DELETELINES", {"a\r\nb", "-1"}, "!Second operand should be a positive integer"},
      {"DELETELINES", {"a\r\nb", "1.5"}, "!Second operand should be a positive integer"},
      {"DELETELINES", {"a\r\nb", "x"}, "!Second operand should be a positive integer"},
  });
  EXPECT_EQ("!Parameter should be plain value", Call("LINECOUNT", Plains({"a", "b"})));
  EXPECT_EQ("!First operand should be a plain value", Call("ADDLINES", Plains({"a"}), Plain("b")));
  EXPECT_EQ("!Second operand should be a plain value",
            Call("INSERTLINES", Plain("a"), Make(vkObject, "64")));
  EXPECT_EQ("!Second operand should be a plain value",
            Call("DELETELINES", Plain("a"), Plains({"0"})));
  EXPECT_EQ("!First operand should be a plain value",
            Call("DELETELINES", Plains({"a"}), Plain("0")));
}

TEST_F(StdFunctionDateTest, NowAndPartsOfADate) {
  CheckTable({
      {"NOW", {}, "15.03.2004 10:20:30"},
      {"DATE", {"15.03.2004 10:20:30"}, "15.03.2004"},
      {"TIME", {"15.03.2004 10:20:30"}, "10:20:30"},
      {"TIME", {"15.03.2004"}, "00:00:00"},
      {"DAY", {"15.03.2004 10:20:30"}, "15"},
      {"MONTH", {"15.03.2004 10:20:30"}, "3"},
      {"YEAR", {"15.03.2004 10:20:30"}, "2004"},
      {"HOURS", {"15.03.2004 10:20:30"}, "10"},
      {"MINUTES", {"15.03.2004 10:20:30"}, "20"},
      {"SECONDS", {"15.03.2004 10:20:30"}, "30"},
      {"DAY", {"3/15/2004 9:05"}, "15"},
      {"YEAR", {"1.2.03"}, "2003"},
      {"DATE", {"abc"}, "!Invalid parameter type"},
      {"DAY", {"31.02.2004"}, "!Invalid parameter type"},
  });
  EXPECT_EQ("{1; ### Error ### Date and Time is expected}",
            Call("DAY", Plains({"01.02.2004", "x"})));

  SetDateStyle(TDateStyle::US);
  EXPECT_EQ("03/15/2004 10:20:30", Call("NOW"));
  EXPECT_EQ("03/15/2004", Call("DATE", Plain("15.03.2004 10:20")));
  clock_.Advance(1);
  EXPECT_EQ("03/16/2004 10:20:30", Call("NOW"));
}

TEST_F(StdFunctionDateTest, Increments) {
  CheckTable({
      {"INCMONTH", {"31.01.2003", "1"}, "03.03.2003"},
      {"INCMONTH", {"31.01.2004", "1"}, "02.03.2004"},
      {"INCMONTH", {"15.12.2003 08:30", "2"}, "15.02.2004 08:30:00"},
      {"INCMONTH", {"15.12.2003", "0"}, "15.12.2003"},
      {"INCYEAR", {"29.02.2004", "1"}, "01.03.2005"},
      {"INCYEAR", {"01.03.2003", "2"}, "01.03.2005"},
      {"INCDAY", {"31.12.2003", "1"}, "01.01.2004"},
      {"INCHOURS", {"01.01.2004 22:00", "3"}, "02.01.2004 01:00:00"},
      {"INCMINUTES", {"01.01.2004", "90"}, "01.01.2004 01:30:00"},
      {"INCSECONDS", {"01.01.2004", "59"}, "01.01.2004 00:00:59"},
      {"INCSECONDS", {"01.01.2004 23:59:59", "1"}, "02.01.2004"},
      {"INCHOURS", {"29.12.1899 06:00", "36"}, "30.12.1899 18:00:00"},
      {"INCDAY", {"28.12.1899 12:00", "3"}, "31.12.1899 12:00:00"},
      {"INCDAY", {"x", "1"}, "!First parameter should be DateTime"},
      {"INCDAY", {"01.01.2003", "a"}, "!Parameters should be numeric"},
      {"INCDAY", {"01.01.2003", "1 ±1"}, "!Interval value isn't allowed"},
      {"INCDAY", {"01.01.2003", "1 [d]"}, "!Second parameter should be dimensionless"},
      {"INCDAY", {"01.01.2003", "-1"}, "!Second parameter should be positive integer"},
      {"INCDAY", {"01.01.2003", "1.5"}, "!Second parameter should be positive integer"},
      {"INCYEAR", {"01.01.9999", "1"}, "!The resulting date is out of range"},
      {"INCMONTH", {"01.01.2004", "1000000000"}, "!The resulting date is out of range"},
      {"INCSECONDS", {"01.01.2004", "1E+300"}, "!The resulting date is out of range"},
  });
  EXPECT_EQ("!First parameter should be DateTime",
            Call("INCDAY", Plains({"01.01.2004"}), Plain("1")));
}

} // namespace
} // namespace vandro
