// Rows of VD_Templates, VD_Param_Templ and VD_Act_Templ: the open project's
// templates with their parameter lines and action lines.
//
// Template names are stored upper-cased, cut to 32 characters, and unique
// without regard to case. Lines name their template by TemplateId and their
// place in it by SerialNum. Values (naming rule, defaults, constraints,
// conditions, arguments) are BLOBs in packed form, empty for a null value.
#pragma once

#include "model/template.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TDatabase;

// Write a line's row: identifier 0 appends with a new identifier, any other
// rewrites the row with it ("PT idtor doesn't exist:" / "AT idtor doesn't
// exist:" + id raised when there is none). An action's codes are checked
// first (CheckActionCodes).
void APSPutParamLine(TParamTemplate& line);
void APSPutActionLine(TActionTemplate& action);
// Delete the row with the identifier; the same messages when missing.
void APSDeleteParamLine(int32_t id);
void APSDeleteActionLine(int32_t id);

// TTemplate::Save: the template row, the rows of lines removed since the last
// save, then every line and action, as one transaction. False after a
// message, with nothing written and the identifiers as before.
bool APSTemplatePut(TTemplate& tmpl);
// TTemplate::Load by upper(Name); raises "Template doesn't exist. Name: " +
// name when there is none.
bool APSTemplateGet(TTemplate& tmpl);
// Deletes the template and every line of it, as one transaction; raises
// "Template doesn't exist. Name: " + name when there is none.
void APSDeleteTemplate(std::string_view name);
// Appends every template name in name order.
void APSListTemplates(std::vector<std::string>& list);
// Replaces the open project's template names with the table's.
void LoadTemplateNames();

// Copies every template of the base database, in table order, into the
// project whose tables are open, as new templates. parameterNames maps the
// base's parameter identifiers to the names of the parameters copied;
// references are emptied, since objects are not copied. A line whose
// parameter was not copied raises "Parameter not found".
void CopyTemplates(TDatabase& base, const std::map<int32_t, std::string>& parameterNames);

} // namespace vandro
