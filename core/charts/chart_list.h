// The rules of the chart list window: making, opening, deleting and renaming
// the project's charts, and the marks of the charts open in windows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vandro {

class TChildWindows;

// Asks for a name with prompt, starting from text; false when cancelled.
using TChartNamePrompt = std::function<bool(const std::string& prompt, std::string& text)>;

// The in-use marks (names compared without regard to case). Marking a chart
// already marked fails.
bool MarkChartInUse(const std::string& name);
void ReleaseChart(const std::string& name);
bool ChartInUse(const std::string& name);

// A chart name is an identifier of the project language of at most 32
// characters (what the descriptor table keeps).
bool IsChartName(std::string_view name);
// Whether the project lists a chart of that name, without regard to case.
bool ChartExists(std::string_view name);
// The project's list of chart names follows a store, a delete or a rename:
// names are kept as the table keeps them (upper case), in its order.
void AddChartName(std::string_view name);
void RemoveChartName(std::string_view name);

// Whether the project's charts may be made, deleted, renamed and stored:
// not in a project opened for looking only, where the chart list offers
// none of that and a chart window's edits are only looked at.
bool ChartsMayChange();

// New: asks "Input Chart Name:" (default "NewChart") and checks the name; on
// success the name is marked in use and returned for a new chart window.
std::optional<std::string> NewChart(const TChartNamePrompt& prompt);
// Open: "Select a chart" without a name; "Too many dialogs opened" and
// "Chart is in use" refuse; otherwise marks it in use and gives true.
bool OpenChart(const std::string& name, const TChildWindows& children);
// New, Delete and Rename refuse with a message where !ChartsMayChange().
// Delete: asks, deletes the stored chart and drops it from the project's
// list; true when deleted.
bool DeleteChart(const std::string& name);
// Rename: asks for the new name until it is free or cancelled; true when
// renamed (the project's list follows).
bool RenameChart(const std::string& name, const TChartNamePrompt& prompt);

} // namespace vandro
