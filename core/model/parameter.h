// Parameters: the named quantities whose values records carry, and the
// project-wide variables of the language.
#pragma once

#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// Capacities of the stored fields; longer texts are cut, not refused.
inline constexpr size_t kNameCapacity = 32;
inline constexpr size_t kShortNameCapacity = 16;
inline constexpr size_t kDescriptionCapacity = 255;
inline constexpr size_t kCommentCapacity = 254;

// The list kind of the two list-valued system parameters.
inline constexpr int32_t kListParamType = 2;

struct TParameter {
  int32_t Idtor = 0;
  std::string ParamName; // the name in formulas, templates and records
  std::string ShortName; // every look-up by name matches it too
  std::string Category;  // "System" marks the system parameters
  int32_t ParamType = 0;
  TValue DefValue;
  std::string Descript;
  int32_t ValidTime = 0;

  // Cuts the description to its capacity; names are never cut.
  void Fit();
  // Shows and raises the first fault of the name, short name or category
  // (too long, a control character): a cut name could be another's.
  void RequireStorableNames() const;
  // Copies every field, the default value deeply.
  void Assign(const TParameter& source);
  bool IsSystem() const { return Category == "System"; }
};

// System parameters (category exactly "System") are never edited; shows why.
bool CanEditParameter(const TParameter& parameter);

// The category of the system parameters. No other parameter may take it, in
// any case: the parameter editor does not offer it, and the naming rules
// refuse it.
inline constexpr const char* kSystemCategory = "System";
bool IsSystemCategory(std::string_view category);

struct TVariable {
  std::string Name;    // upper case, at most 32 characters
  std::string Comment; // one line, at most 254 characters
  TValue Value;
};

// A named multi-line text kept in the descriptor table: forms and reports
// (stored and listed only), chart definitions and project variables.
enum TDescriptorKind : uint8_t {
  dkForm = 0,
  dkReport = 1,
  dkChart = 2,
  dkVariable = 3,
};

struct TDescriptor {
  std::vector<std::string> Lines;
  std::string Name; // stored in upper case
  TDescriptorKind Kind = dkChart;
};

// "form", "report", "chart", "variable": the kind in messages.
std::string DescriptorKindWord(int kind);

// The names computed from a record instead of stored in it, and PROJECT.
inline constexpr const char* kSystemNames = " _OBJECT_ID _OBJECT_NAME _RECORD_ID _RECORD_NAME "
                                            "_REAL_TIME _SYSTEM_TIME _PARAM_COUNT _CONTENT "
                                            "_CONTENT_COUNT PROJECT _HISTORY ";
bool IsSystemName(std::string_view name);

// The ten system parameter rows every project holds, in creation order.
struct TSystemParameterRow {
  const char* name;
  const char* shortName;
  int32_t type;
  const char* description;
};
inline constexpr int kSystemParameterCount = 10;
const TSystemParameterRow* SystemParameterRows();
// A parameter made from a system row (identifier 0, category "System").
std::unique_ptr<TParameter> MakeSystemParameter(const TSystemParameterRow& row);

} // namespace vandro
