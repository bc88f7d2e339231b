// Value texts from anywhere: every check and decoder must answer, never crash.
#include "fuzz/quiet_sink.h"
#include "shell/datetime.h"
#include "shell/numbers.h"
#include "values/default_units.h"
#include "values/units.h"
#include "values/value.h"
#include "values/value_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vandro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static TUnitCatalogue* units = [] {
    SetMessageSink(&sink);
    auto* catalogue = new TUnitCatalogue();
    LoadDefaultUnits(*catalogue);
    SetActiveUnits(catalogue);
    return catalogue;
  }();
  (void)units;

  const std::string text(reinterpret_cast<const char*>(data), size);
  TValue value;
  value.SetPlain(text);
  const bool numeric = value.IsNumeric();
  (void)value.IsInteger();
  (void)value.IsReal();
  (void)value.IsBoolean();
  (void)value.IsIdentifier();
  const bool dateTime = value.IsDateTime();

  double number = 0, plus = 0, minus = 0;
  std::string unit;
  try {
    DecodeNumber(text, number, plus, minus, unit);
    TValue written;
    written.SetNumber(unit, minus, plus, number);
  } catch (const EConvertError&) {
    // What passes the number check must decode.
    if (numeric) std::abort();
  }
  // The check and the reader agree: what passes the check reads.
  double moment = 0;
  if (dateTime && !TryTextToDateTime(text, TDateStyle::European, moment) &&
      !TryTextToDateTime(text, TDateStyle::US, moment))
    std::abort();
  (void)DecodeDateTime(text);
  bool flag = false;
  DecodeBoolean(text, flag);

  TValue other;
  other.SetPlain("5 [km]");
  for (int relation = relEqual; relation <= relNotEqual; ++relation)
    (void)value.Compare(other, static_cast<TRelation>(relation));
  (void)value.ConvertToUnit("m");
  return 0;
}
