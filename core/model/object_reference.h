// Object references: values of kind vkObject, whose text is the identifier
// of an object (a multiple of 32) or of one of its records, "0" being the
// null object. A reference builds the state track of what it names the first
// time it is used and keeps it (with the object's history) until the value
// is cleared.
//
// The processor reaches these tracks for "object.parameter" through the seam
// that language/record_evaluation.h installs.
#pragma once

#include "values/value.h"

#include <string>

namespace vandro {

class TStateTrack;

// The reference's track, built by UnpackObject on first use. Raises
// "Invalid value type. An object expected." for any other kind of value.
TStateTrack& GetStateTrack(TValue& value);
// Builds and keeps the track: for an object, its first state current now;
// for a record, the path to that record at the current time; the state is
// constructed. The null object, an object without a current state and a
// terminator record give the empty state. Raises when the identifier names
// nothing.
void UnpackObject(TValue& value);
// GetStateTrack without raising: nullptr, with the reason in message, when
// the track cannot be built. (A damaged history still raises.)
TStateTrack* FindStateTrack(TValue& value, std::string& message);

} // namespace vandro
