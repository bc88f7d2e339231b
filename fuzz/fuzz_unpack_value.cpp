// Packed values read back from a damaged store: report, never read outside.
#include "fuzz/quiet_sink.h"
#include "values/value.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vandro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;

  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t position = 1;
  while (position <= text.size()) {
    TValue value;
    try {
      const size_t next = value.UnpackValue(text, position);
      if (next <= position || next > text.size() + 1) std::abort();
      position = next;
      // Whatever unpacks, packs back to the same bytes (unknown kinds aside).
      std::string again;
      try {
        again = value.PackValue();
      } catch (const ErrorException&) {
        std::abort();
      }
      (void)again;
    } catch (const ErrorException&) {
      break;
    }
  }
  return 0;
}
