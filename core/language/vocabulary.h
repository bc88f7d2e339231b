// The vocabulary of the project language.
//
// Each table is one text of words separated by blanks, beginning and ending
// with a blank, so that membership is a plain search for " word ". The same
// texts are the word lists the value constructor offers to the user, which is
// why they stay texts rather than sets. Cyrillic words are in code page 1251.
#pragma once

#include <array>
#include <string_view>

namespace vandro {

inline constexpr std::string_view kOperatorTable = " + - * / DIV /: MOD % IN $ := && ";

inline constexpr std::string_view kRelationTable = " > < =  == <> >= <= IN $ ";

// AND, OR, NOT and their Russian words.
inline constexpr std::string_view kLogicalTable = " AND \xC8 OR \xC8\xCB\xC8 NOT \xCD\xC5 ";

inline constexpr std::string_view kBooleanTable =
    " TRUE FALSE \xC8\xD1\xD2\xC8\xCD\xC0 \xCB\xCE\xC6\xDC YES \xC4\xC0 \xCD\xC5\xD2 NO + - ";

// Every reserved word: the statement and query words followed by the
// operator, logical and boolean tables.
inline constexpr std::string_view kKeywordTable =
    " BEGIN END IF THEN ELSE ENDIF PROCEDURE FUNCTION QUERY FOREACH FOR TO ENDDO WHILE VAR CONST "
    "OF "
    " FIND TOP BOTTOM RANDOM ALL STATES OBJECTS WITHIN CONTENT HISTORY LIST EVERYTHING CONDITION "
    "FOR_ALL_STATES NONBOOLEAN ACTUAL  + - * / DIV /: MOD % IN $ := &&  AND \xC8 OR \xC8\xCB\xC8 "
    "NOT "
    "\xCD\xC5  TRUE FALSE \xC8\xD1\xD2\xC8\xCD\xC0 \xCB\xCE\xC6\xDC YES \xC4\xC0 \xCD\xC5\xD2 NO + "
    "- ";

inline constexpr std::string_view kStdFunctionTable =
    " SETUNITS COMPAREUNITS GETUNITS GETNUMBER SIGN ABS ROUND TRUNC EXP LN POWER RPOWER LOGN SIN "
    "COS "
    "TAN COTAN ARCSIN ARCCOS ARCTAN SINH COSH TANH SQRT PI NOW ORIGIN DATE TIME DAY MONTH YEAR "
    "HOURS "
    "MINUTES SECONDS INCYEAR INCMONTH INCDAY INCHOURS INCMINUTES INCSECONDS LEN SUBSTR UPPER LOWER "
    "AT "
    "TRIM LTRIM RTRIM LINECOUNT ADDLINES DELETELINES INSERTLINES IFF ISNULL ISNUMERIC ISINTEGER "
    "ISREAL "
    "ISDATETIME ISBOOLEAN ISERROR ISTEXT ISSTRING ISCALCULATED ISQUERY ISFUNCTION ISPROCEDURE "
    "ISFORMULA ISAUTOFORMULA ISLINK ISOBJECT ISARRAY ISIDENTIFIER ISPARAMETER ISUNIT OBJECT "
    "ACTUALSTATE CONTENTOF HISTORYOF SUM MEAN MAX MIN COUNT EXECUTE GLOBALVAR LEN SWITCH ";

// The standard functions as the value constructor groups them.
inline constexpr std::array<std::string_view, 9> kStdFunctionGroups = {
    "SETUNITS COMPAREUNITS GETUNITS GETNUMBER",
    "SIGN ABS ROUND TRUNC",
    "EXP LN POWER RPOWER LOGN SIN COS TAN COTAN ARCSIN ARCCOS ARCTAN SINH COSH TANH SQRT PI",
    "IFF ISNULL ISNUMERIC ISINTEGER ISREAL ISDATETIME ISBOOLEAN ISERROR ISTEXT ISSTRING "
    "ISCALCULATED ISQUERY ISFUNCTION ISPROCEDURE ISFORMULA ISAUTOFORMULA ISLINK ISOBJECT ISARRAY "
    "ISIDENTIFIER ISPARAMETER ISUNIT",
    "NOW ORIGIN DATE TIME DAY MONTH YEAR HOURS MINUTES SECONDS INCYEAR INCMONTH INCDAY INCHOURS "
    "INCMINUTES INCSECONDS",
    "LEN SUBSTR UPPER LOWER AT TRIM LTRIM RTRIM LINECOUNT ADDLINES DELETELINES INSERTLINES",
    "OBJECT ACTUALSTATE CONTENTOF HISTORYOF",
    "SUM MEAN MAX MIN COUNT",
    "EXECUTE GLOBALVAR LEN SWITCH",
};

// True when the word, with a blank on each side, occurs in the table (one of
// the constant tables of the language). The empty word and words holding a
// blank never belong: the tables contain double blanks, and the text of the
// end of the source is empty.
bool InTable(std::string_view word, std::string_view table);

} // namespace vandro
