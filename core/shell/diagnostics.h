// The creation-tag hook. Data-model objects are created with a short tag that
// names the creating operation ("TValue.Assign", "TStateTrack.ConstructState").
// The tag goes here with the class name; by default nothing is kept. A
// developer chasing a leak can install a hook that counts tags.
#pragma once

#include <string_view>

namespace vandro {

using TCreationHook = void (*)(std::string_view className, std::string_view tag);

// Installs hook (nullptr restores the one that keeps nothing); returns the
// previous hook.
TCreationHook SetCreationHook(TCreationHook hook);

void NoteCreation(std::string_view className, std::string_view tag);

} // namespace vandro
