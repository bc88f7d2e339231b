// A grid that shows one page of a long list (the objects of the database
// browser and of "Select Object") pages as its scroll bar does.
#pragma once

#include <functional>

class QAbstractItemView;
class QEvent;
class QObject;
class QScrollBar;

namespace vandro {

// For an event filter installed on grid and its viewport: the wheel over the
// grid and Page Up / Page Down in it move scroll a page, and a new height of
// the grid calls fit (which sets how many rows a page holds). True when the
// event was taken and must go no further.
bool PageLikeScrollBar(QObject* watched, QEvent* event, QAbstractItemView* grid, QScrollBar* scroll,
                       const std::function<void()>& fit);

} // namespace vandro
