// Object references: values of kind vkObject, whose text is the identifier
// of an object (a multiple of 32) or of one of its records, "0" being the
// null object. A reference builds the state track of what it names the first
// time it is used and keeps it (with the object's history) until the value
// is cleared.
//
// InstallRecords puts these tracks behind the processor's "object.parameter"
// operation; the program calls it once at start, beside InstallLanguage.
#pragma once

#include "values/value.h"

namespace vandro {

class TStateParameterResolver;
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

void InstallRecords();

// Installs the resolver for a scope and puts back what was there before.
class ScopedRecords {
public:
  ScopedRecords();
  ~ScopedRecords();
  ScopedRecords(const ScopedRecords&) = delete;
  ScopedRecords& operator=(const ScopedRecords&) = delete;

private:
  TStateParameterResolver* previous_;
};

} // namespace vandro
