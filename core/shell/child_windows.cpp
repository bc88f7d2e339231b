#include "shell/child_windows.h"

#include "shell/messages.h"

#include <algorithm>
#include <string>

namespace vandro {

namespace {

size_t Slot(TChildKind kind) {
  return static_cast<size_t>(kind);
}

// The nouns of the closing questions, by kind.
constexpr std::array<const char*, kChildKindCount> kClosingNouns = {
    "Record Dialogs", "Group Dialogs", "Chart Dialogs", "Group Views"};

} // namespace

int TChildWindows::Count() const {
  int count = 0;
  for (const auto& list : lists_)
    count += static_cast<int>(list.size());
  return count;
}

int TChildWindows::Count(TChildKind kind) const {
  return static_cast<int>(lists_[Slot(kind)].size());
}

const std::vector<TChildWindow*>& TChildWindows::List(TChildKind kind) const {
  return lists_[Slot(kind)];
}

bool TChildWindows::CheckLimit() const {
  if (Count() < kMaxOpen) return true;
  ShowMsg("Too many dialogs opened");
  return false;
}

TChildPlace TChildWindows::PlaceFor(TChildKind kind, int toolAreaBottom) const {
  const auto& list = lists_[Slot(kind)];
  if (list.empty()) return {kStep, toolAreaBottom + kStep};
  const TChildPlace last = list.back()->Place();
  return {last.left + kStep, last.top + kStep};
}

int TChildWindows::Add(TChildWindow& window) {
  auto& list = lists_[Slot(window.Kind())];
  list.push_back(&window);
  return static_cast<int>(list.size()) - 1;
}

void TChildWindows::Remove(const TChildWindow& window) {
  auto& list = lists_[Slot(window.Kind())];
  const auto found = std::find(list.begin(), list.end(), &window);
  // Only a listed window leaves the list: one that is not there means the
  // list and the windows went apart. Said, not raised: windows leave as they
  // are destroyed.
  if (found == list.end()) {
    ShowMsg("Awfully! Form can't find itself in the list");
    return;
  }
  list.erase(found);
}

bool TChildWindows::Contains(const TChildWindow* window) const {
  return std::any_of(lists_.begin(), lists_.end(), [&](const auto& list) {
    return std::find(list.begin(), list.end(), window) != list.end();
  });
}

bool TChildWindows::IsChartWindow(const TChildWindow* window) const {
  const auto& list = lists_[Slot(TChildKind::ChartWindow)];
  return std::find(list.begin(), list.end(), window) != list.end();
}

bool TChildWindows::IsGroupView(const TChildWindow* window) const {
  const auto& list = lists_[Slot(TChildKind::GroupView)];
  return std::find(list.begin(), list.end(), window) != list.end();
}

bool TChildWindows::ObjectInUse(int32_t objectId) const {
  return std::any_of(lists_.begin(), lists_.end(), [&](const auto& list) {
    return std::any_of(list.begin(), list.end(),
                       [&](const TChildWindow* window) { return window->UsesObject(objectId); });
  });
}

bool TChildWindows::CloseAllForProject() {
  for (size_t kind = 0; kind < lists_.size(); ++kind) {
    auto& list = lists_[kind];
    if (list.empty()) continue;
    if (!Ask(std::string("You should close all the ") + kClosingNouns[kind] + kLineBreak +
                 "before closing the project." + kLineBreak + "Do you want to close all of them?",
             false))
      return false;
    // A closing window takes itself off the list; one that does not is taken
    // off here, so the loop always ends.
    while (!list.empty()) {
      TChildWindow* newest = list.back();
      newest->CloseForProject();
      if (!list.empty() && list.back() == newest) list.pop_back();
    }
  }
  return true;
}

void TChildWindows::ParametersChanged() {
  // A copy: a dialog may close while it refills.
  const std::vector<TChildWindow*> dialogs = lists_[Slot(TChildKind::RecordDialog)];
  for (TChildWindow* dialog : dialogs)
    if (Contains(dialog)) dialog->ParametersChanged();
}

std::vector<TTileRect> TileVertically(int count, int width, int height) {
  std::vector<TTileRect> rects;
  if (count <= 0 || width <= 0 || height <= 0) return rects;
  const int columns = std::min(count, kMaxTileColumns);
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    const int row = i / columns;
    // The last row may hold fewer windows; they share its whole width.
    const int inRow = row == rows - 1 ? count - row * columns : columns;
    const int column = i % columns;
    TTileRect rect;
    rect.left = width * column / inRow;
    rect.width = width * (column + 1) / inRow - rect.left;
    rect.top = height * row / rows;
    rect.height = height * (row + 1) / rows - rect.top;
    rects.push_back(rect);
  }
  return rects;
}

} // namespace vandro
