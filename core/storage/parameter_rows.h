// Rows of VD_Params. The project's parameter operations (TProject::
// AddParameter, UpdateParameter, DeleteParameter) reach these through the
// project's store; LoadParameters fills the open project's list.
//
// DefValue holds the default value in packed form, empty for none.
#pragma once

#include "model/parameter.h"

#include <cstdint>

namespace vandro {

// Appends the row; raises "Duplicate parameter name" when the name (without
// regard to case) is taken.
void APSInsertParameter(const TParameter& parameter);
// Rewrites every column of the row with the parameter's identifier; raises
// "Can't find parameter. Idtor = " + id when there is none.
void APSUpdateParameter(const TParameter& parameter);
// Deletes the row with this identifier, if there is one.
void APSDeleteParameter(int32_t id);

// Replaces the open project's parameter list (and categories) with the
// table's rows in ascending name order.
void LoadParameters();

} // namespace vandro
