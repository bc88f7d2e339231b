// A growable list of 32-bit integers whose indexed access is checked.
#pragma once

#include <cstdint>
#include <vector>

namespace vandro {

class TIntList {
public:
  TIntList() = default;
  TIntList(std::initializer_list<int32_t> items) : items_(items) {}

  int Count() const { return static_cast<int>(items_.size()); }
  // Both raise "Index out of range:" + index (shown first) outside 0..Count-1.
  int32_t At(int index) const;
  void Set(int index, int32_t value);
  void Add(int32_t value) { items_.push_back(value); }
  void Insert(int index, int32_t value);
  void Delete(int index);
  // Index of the first item equal to value, or -1.
  int IndexOf(int32_t value) const;
  void Clear() { items_.clear(); }

  const std::vector<int32_t>& Items() const { return items_; }
  bool operator==(const TIntList&) const = default;

private:
  void Check(int index, int limit) const;
  std::vector<int32_t> items_;
};

} // namespace vandro
