#include "values/data_units.h"

#include "shell/text.h"
#include "values/units.h"

#include <algorithm>
#include <cstdlib>

namespace vandro {

namespace {

// A unit that is an expression of units rather than one name.
bool IsExpression(std::string_view unit) {
  return unit.find_first_of("*/^() ") != std::string_view::npos;
}

// One factor as written. The opening factor goes bare where it can: "/"
// turns only the factor after it, so "kg/m" times s is "kg/m*s".
std::string FactorText(const TUnitPower& factor, bool first, bool last) {
  const int magnitude = std::abs(factor.power);
  // An exponent inside the unit is closed off for the same reason as below.
  const bool bracket =
      IsExpression(factor.unit) && (!first || magnitude != 1 || factor.power < 0 ||
                                    (!last && factor.unit.find('^') != std::string::npos));
  std::string text = bracket ? "(" + factor.unit + ")" : factor.unit;
  const int shown = first && factor.power < 0 ? factor.power : magnitude;
  if (shown == 1) return text;
  text += "^" + std::to_string(shown);
  // After an exponent a "/" would be read as the exponent's denominator.
  return last ? text : "(" + text + ")";
}

} // namespace

std::string ComposeUnit(const std::vector<TUnitPower>& powers) {
  std::vector<TUnitPower> merged;
  for (const TUnitPower& power : powers) {
    const std::string unit = Trim(power.unit);
    if (unit.empty() || power.power == 0) continue;
    bool found = false;
    for (TUnitPower& known : merged)
      if (SameText(known.unit, unit)) {
        known.power += power.power;
        found = true;
        break;
      }
    if (!found) merged.push_back({unit, power.power});
  }
  std::erase_if(merged, [](const TUnitPower& p) { return p.power == 0; });
  // The numerator first: "g/d" however the powers came.
  std::stable_partition(merged.begin(), merged.end(),
                        [](const TUnitPower& p) { return p.power > 0; });
  std::string text;
  for (size_t i = 0; i < merged.size(); ++i) {
    const bool first = i == 0, last = i + 1 == merged.size();
    if (!first) text += merged[i].power > 0 ? "*" : "/";
    text += FactorText(merged[i], first, last);
  }
  return text;
}

std::string ExpressibleIn(std::string_view unit, const std::vector<std::string>& dataUnits) {
  TUnitCatalogue& units = ActiveUnits();
  const TUnitNF* target = units.NormalFormOf(unit);
  if (!target || target->entries.empty()) return {};
  const std::string dimension = NormalFormText(*target);

  // A unit read twice stays twice, so that it can be squared (mm * mm).
  std::vector<std::string> read;
  for (const std::string& text : dataUnits) {
    if (read.size() == kMaxDataUnits) break;
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) continue;
    const TUnitNF* form = units.NormalFormOf(trimmed);
    if (form && !form->entries.empty()) read.push_back(trimmed);
  }

  const size_t n = read.size();
  std::vector<TUnitPower> powers(n);
  for (size_t i = 0; i < n; ++i)
    powers[i].unit = read[i];
  // Every choice of factors, fewer first; within a size the subsets in
  // lexicographic order of their data units, and for each subset the signs
  // with the earlier units' signs varying slowest, + before -.
  for (size_t size = 1; size <= n; ++size) {
    std::vector<size_t> chosen(size);
    for (size_t i = 0; i < size; ++i)
      chosen[i] = i;
    while (true) {
      for (unsigned signs = 0; signs < (1u << size); ++signs) {
        for (TUnitPower& power : powers)
          power.power = 0;
        for (size_t i = 0; i < size; ++i)
          powers[chosen[i]].power = (signs >> (size - 1 - i)) & 1u ? -1 : 1;
        const std::string candidate = ComposeUnit(powers);
        const TUnitNF* form = units.NormalFormOf(candidate);
        if (form && NormalFormText(*form) == dimension) return candidate;
      }
      // The next subset of this size in lexicographic order.
      size_t i = size;
      while (i > 0 && chosen[i - 1] == n - size + i - 1)
        --i;
      if (i == 0) break;
      ++chosen[i - 1];
      for (size_t j = i; j < size; ++j)
        chosen[j] = chosen[j - 1] + 1;
    }
  }
  return {};
}

std::string WrittenUnit(std::string_view text) {
  const size_t open = text.find('[');
  const size_t close = text.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  std::string unit = Trim(text.substr(open + 1, close - open - 1));
  const std::string upper = UpperCase(unit);
  return upper == "NONE" || upper == "(NONE)" ? std::string() : unit;
}

bool IsNormalFormUnit(std::string_view unit) {
  const TUnitNF* form = ActiveUnits().NormalFormOf(unit);
  return form && !form->entries.empty() && SameText(NormalFormText(*form), TrimView(unit));
}

} // namespace vandro
