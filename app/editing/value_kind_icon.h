// The 16-pixel icon that opens a value cell and tells the value's kind:
// calculated, array, link, object reference, or plain.
#pragma once

#include "values/value.h"

#include <QIcon>

namespace vandro {

QIcon ValueKindIcon(TValueKind kind);

} // namespace vandro
