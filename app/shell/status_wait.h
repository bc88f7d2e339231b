// "Wait" and "Ready" in the main window's status bar, for the windows that
// need nothing else of the main window: they need not include it.
#pragma once

namespace vandro {

// "Wait" and the wait cursor, or "Ready" and the cursor as it was; calls come
// in pairs. Without a main window (a window shown on its own) only the cursor
// changes.
void ShowWaiting(bool waiting);

} // namespace vandro
