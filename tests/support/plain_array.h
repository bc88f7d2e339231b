// An array of plain values with the given texts, as the tests build sources
// of series, charts and group contents.
#pragma once

#include "values/value.h"

#include <string>
#include <vector>

namespace vandro::testing {

inline TValue::Ptr PlainArray(const std::vector<std::string>& texts) {
  TValue::Ptr array = TValue::Create("test");
  array->SetArray();
  for (const std::string& text : texts) {
    TValue::Ptr item = TValue::Create("test");
    item->SetPlain(text);
    array->AddItem(std::move(item));
  }
  return array;
}

} // namespace vandro::testing
