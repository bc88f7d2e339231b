// The main window's non-modal children: record dialogs, group dialogs, chart
// windows and group table views, kept in four lists in the order they were
// opened.
//
// The lists decide what the frame window's commands may do with children
// without knowing how they are drawn: whether one more may open (at most 65
// together), where the next one of a kind goes, whether an object is in use by
// one of them, and which must close before the project does. The desktop
// program's child windows implement TChildWindow; tests use plain objects.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vandro {

enum class TChildKind { RecordDialog = 0, GroupDialog = 1, ChartWindow = 2, GroupView = 3 };
inline constexpr int kChildKindCount = 4;

struct TChildPlace {
  int left = 0;
  int top = 0;
};

class TChildWindow {
public:
  virtual ~TChildWindow() = default;
  virtual TChildKind Kind() const = 0;
  // Where the window stands now, in the frame's client coordinates.
  virtual TChildPlace Place() const = 0;
  // The object or group the window works on, or one of its rows' objects: an
  // object in use cannot be renamed.
  virtual bool UsesObject(int32_t objectId) const = 0;
  // Before the project closes: record and group dialogs cancel their edits,
  // the others close. The window removes itself from its list.
  virtual void CloseForProject() = 0;
  // A parameter was created somewhere: record dialogs refill their lists.
  virtual void ParametersChanged() {}
};

class TChildWindows {
public:
  // More children than this together are refused.
  static constexpr int kMaxOpen = 65;
  // The gap between a kind's windows, and from the frame's edges.
  static constexpr int kStep = 10;

  int Count() const;
  int Count(TChildKind kind) const;
  const std::vector<TChildWindow*>& List(TChildKind kind) const;

  // Whether one more child may open; shows "Too many dialogs opened" when not.
  bool CheckLimit() const;

  // Where a new window of kind goes: 10 pixels right of and below the last
  // one of its kind; the first at left 10, 10 below the tool bar area, whose
  // bottom edge is toolAreaBottom in the same coordinates.
  TChildPlace PlaceFor(TChildKind kind, int toolAreaBottom) const;

  // Appends window to its kind's list; returns its index there (the list's
  // size before).
  int Add(TChildWindow& window);
  // Removes window from its kind's list; one not listed there is said
  // ("Awfully! Form can't find itself in the list") and nothing changes.
  void Remove(const TChildWindow& window);
  bool Contains(const TChildWindow* window) const;
  bool IsChartWindow(const TChildWindow* window) const;
  bool IsGroupView(const TChildWindow* window) const;

  // Whether any open child works on the object (renaming refuses then).
  bool ObjectInUse(int32_t objectId) const;

  // Before a project closes: for each kind with open windows, in the order
  // record dialogs, group dialogs, chart windows, group views, asks whether to
  // close them all (default No: the dialogs'
  // unsaved edits would be lost) and closes them newest first. No to any
  // question keeps what is still open and gives false.
  bool CloseAllForProject();

  // Tells every record dialog that the parameters changed.
  void ParametersChanged();

private:
  std::array<std::vector<TChildWindow*>, kChildKindCount> lists_;
};

// A rectangle of the frame's client area.
struct TTileRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Tiling the children vertically: side by side in columns of the full height;
// more than kMaxTileColumns windows go in a grid of rows of such columns, so
// that no window becomes a sliver. Widths and heights share the area without a
// gap or overlap.
inline constexpr int kMaxTileColumns = 4;
std::vector<TTileRect> TileVertically(int count, int width, int height);

} // namespace vandro
