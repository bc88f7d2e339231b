// Two states side by side: of one object at two moments, or of two objects.
//
// Every parameter of either state is one row, the first state's parameters
// in its order, then those only the second has. A number compared with a
// number in a compatible unit gets the change from the first to the second
// in the first one's unit: the second is converted (offsets included, so
// 311.15 [K] is 38 [C]) and the first subtracted as the language subtracts
// intervals, the deviations reaching out to the extremes; and the relative
// change, that difference over the first. Every other pair (references,
// texts, arrays, numbers whose units do not convert) is only "changed" or
// "unchanged", and so is a parameter that one state lacks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

class TDataRecord;
class TStateTrack;
class TValue;

inline constexpr const char* kChanged = "changed";
inline constexpr const char* kUnchanged = "unchanged";

struct TCompareRow {
  std::string Parameter;
  std::string First;  // display text; empty where the first state lacks the parameter
  std::string Second; // likewise for the second state
  // Numbers: second - first in the first one's unit ("1.4 [C]"); any other
  // pair: kChanged or kUnchanged.
  std::string Difference;
  // Numbers: the difference over the first as a percentage with a sign
  // ("+3.825 %"); "n/a" when the first is 0; empty for any other pair.
  std::string Relative;
  bool Changed = false;
};

// One row; a missing value (nullptr) is a parameter the state lacks. Numbers
// are read against the active unit catalogue.
TCompareRow CompareValues(const std::string& parameter, const TValue* first, const TValue* second);

// Every parameter of two replayed states (TStateTrack::State), hidden ones
// included: a comparison must not hide a change.
std::vector<TCompareRow> CompareStates(const TDataRecord& first, const TDataRecord& second);

// How many rows are marked changed.
int ChangedCount(const std::vector<TCompareRow>& rows);

// One side of a comparison: for an object's identifier its first state
// current at moment (several branches: the first, as the object view
// lists them), for a record's the state that ends at it whatever the
// moment; replayed, keeping its history alive. nullptr after the message
// when there is no such object or record or no state.
std::unique_ptr<TStateTrack> CompareSide(int32_t id, double moment);
// "PUMP, #65 of 10.10.2026 09:00:00": the object and the record a side ends at.
std::string SideCaption(const TStateTrack& side);

// The columns the comparison window and listing show, and one row's cells.
std::vector<std::string> CompareColumns(const std::string& firstCaption,
                                        const std::string& secondCaption);
std::vector<std::string> CompareCells(const TCompareRow& row);

} // namespace vandro
