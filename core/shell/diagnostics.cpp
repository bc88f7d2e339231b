#include "shell/diagnostics.h"

namespace vandro {

namespace {
void KeepNothing(std::string_view, std::string_view) {}
TCreationHook creationHook = &KeepNothing;
} // namespace

TCreationHook SetCreationHook(TCreationHook hook) {
  TCreationHook previous = creationHook;
  creationHook = hook ? hook : &KeepNothing;
  return previous;
}

void NoteCreation(std::string_view className, std::string_view tag) {
  creationHook(className, tag);
}

} // namespace vandro
