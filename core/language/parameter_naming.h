// The rules a parameter's name must pass against the language: a name the
// lexer reads as one identifier, and not a system name, a standard function
// or a reserved word, so that every formula can name the parameter.
#pragma once

#include "model/parameter.h"

namespace vandro {

// The naming rules a new or edited parameter must pass, in order; the first
// failure is shown and gives false.
bool CheckParameterNaming(const TParameter& parameter);

} // namespace vandro
