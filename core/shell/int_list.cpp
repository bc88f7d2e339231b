#include "shell/int_list.h"

#include "shell/messages.h"

#include <algorithm>
#include <string>

namespace vandro {

void TIntList::Check(int index, int limit) const {
  if (index < 0 || index >= limit) RaiseError("Index out of range:" + std::to_string(index));
}

int32_t TIntList::At(int index) const {
  Check(index, Count());
  return items_[static_cast<size_t>(index)];
}

void TIntList::Set(int index, int32_t value) {
  Check(index, Count());
  items_[static_cast<size_t>(index)] = value;
}

void TIntList::Insert(int index, int32_t value) {
  Check(index, Count() + 1);
  items_.insert(items_.begin() + index, value);
}

void TIntList::Delete(int index) {
  Check(index, Count());
  items_.erase(items_.begin() + index);
}

int TIntList::IndexOf(int32_t value) const {
  const auto it = std::find(items_.begin(), items_.end(), value);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

} // namespace vandro
