// Date pickers follow the date style (View: European Date Style): the
// format a picker shows dates in, and the switch of every open picker when
// the style changes.
#pragma once

#include <QString>

namespace vandro {

// "dd.MM.yyyy" in the European style, "MM/dd/yyyy" in the US one.
QString DatePickerFormat();

// Every date picker open in any window takes DatePickerFormat() at once.
void RestyleDatePickers();

} // namespace vandro
