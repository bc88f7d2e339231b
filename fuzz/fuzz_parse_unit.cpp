// Unit expressions typed by users or stored in formulas.
#include "fuzz/quiet_sink.h"
#include "values/default_units.h"
#include "values/units.h"

#include <cstdint>
#include <string>

using namespace vandro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static TUnitCatalogue* units = [] {
    SetMessageSink(&sink);
    auto* catalogue = new TUnitCatalogue();
    LoadDefaultUnits(*catalogue);
    return catalogue;
  }();

  const std::string text(reinterpret_cast<const char*>(data), size);
  TUnitNF form;
  const bool checked = units->ParseUnit(text, true, form);
  const bool built = units->ParseUnit(text, false, form);
  if (built) (void)NormalFormText(form);
  (void)checked;
  (void)units->SameUnits(text, "m/s");
  // Building must not grow the cache for ever on distinct texts.
  units->DropNormalForms();
  return 0;
}
