// Rows of VD_Rpt_Frm_Chrt: named multi-line texts (forms, reports, charts
// and project variables), keyed by upper-case name and kind.
//
// A descriptor's text is its lines, each followed by CR LF. A variable is a
// descriptor of kind 3 whose first line is its comment and whose second line
// is its value in packed form written as hexadecimal: two characters per
// byte, upper-case digits, high half first.
#pragma once

#include "model/parameter.h"

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// The lines joined, each followed by CR LF.
std::string JoinDescriptorLines(const std::vector<std::string>& lines);
// Splits at CR LF, LF or CR; a final line end adds no empty line.
std::vector<std::string> SplitDescriptorText(std::string_view text);

// Stores lines under (name, kind), renaming the row to newName (callers that
// do not rename pass name). Refuses a rename onto another row of the kind
// ("Can't rename " + kind word + "." ...). A new row is named name. Unless
// keepText, the text is replaced when the lines' text is not empty. A failure
// of the table leaves no new row and shows "Can not save description of " +
// name. True when stored.
bool SaveDescriptor(const std::vector<std::string>& lines, std::string_view name, int kind,
                    bool keepText, std::string_view newName);
// False when there is no such row (lines unchanged).
bool LoadDescriptor(std::vector<std::string>& lines, std::string_view name, int kind);
// "Can't locate description of " + name when missing; true when deleted.
bool DeleteDescriptor(std::string_view name, int kind);
// Appends the name of every row of the kind, in name order.
void ListDescriptorNames(std::vector<std::string>& list, int kind);

// The stored text of a variable and back. Line breaks inside the comment
// would end the comment early, so they are stored as blanks. Decoding shows a
// damaged value and gives false; the name given is the stored one.
std::vector<std::string> EncodeVariable(const TVariable& variable);
bool DecodeVariable(std::string_view text, std::string_view storedName, TVariable& variable);

// Stores the variable in the row named storedName (or its own name when
// empty), renaming it to the variable's name.
bool SaveVariable(const TVariable& variable, std::string_view storedName);
// Replaces the open project's variables with the table's, in name order. A
// variable whose value is damaged is reported and left out.
void LoadVariables();
// Replaces the open project's chart names with the table's.
void LoadChartNames();

} // namespace vandro
