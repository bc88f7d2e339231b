// Rows of VD_Params. The project's parameter operations (TProject::
// AddParameter, UpdateParameter, DeleteParameter) reach these through the
// project's store; LoadParameters fills the open project's list.
//
// DefValue holds the default value in packed form, empty for none.
#pragma once

#include "model/parameter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandro {

// Appends the row; raises "Duplicate parameter name" when the name (without
// regard to case) is taken.
void APSInsertParameter(const TParameter& parameter);
// Adds new parameters together: each gets an identifier, their rows are
// written in one unit of work (all, or none when one is refused), the
// project file once, and the list takes them in one go; returns them in the
// order given. Raises "Duplicate parameter name" when a name (without regard
// to case) is taken, in the table or twice among them. Inside an enclosing
// unit of work the rows go with it: when that is rolled back, the caller
// takes them out of the list (TProject::ForgetParameters).
std::vector<TParameter*> APSAddParameters(std::vector<std::unique_ptr<TParameter>> parameters);
// Rewrites every column of the row with the parameter's identifier; raises
// "Can't find parameter. Idtor = " + id when there is none.
void APSUpdateParameter(const TParameter& parameter);
// Deletes the row with this identifier, if there is one.
void APSDeleteParameter(int32_t id);

// Replaces the open project's parameter list (and categories) with the
// table's rows in ascending name order.
void LoadParameters();

} // namespace vandro
