// The core's notice that records changed (model/record_events.h) as a
// queued Qt signal: a window hears it once the writer's work is done and
// the event loop runs again, never in the middle of a store. Notices that
// come together (an import stores a record per line) are told once: each
// object changed once, or kManyObjects when there were many. And the status
// line that says kDataChanged in a window that cannot refresh at once.
#pragma once

#include "model/record_events.h"

#include <QLabel>
#include <QObject>

#include <cstdint>
#include <set>

namespace vandro {

class TRecordsBridge final : public QObject {
  Q_OBJECT
public:
  explicit TRecordsBridge(QObject* parent);

signals:
  // objectId as the notice gave it; kManyObjects for any object.
  void recordsChanged(int objectId);

private:
  void Heard(int32_t objectId);
  void Tell();

  std::set<int32_t> pending_;
  bool pendingAll_ = false;
  bool scheduled_ = false;
  TRecordsListener listener_;
};

// "The data changed; Refresh", a link hidden until a notice came that the
// window could not follow; a click asks for the refresh.
class TDataChangedLine final : public QLabel {
  Q_OBJECT
public:
  explicit TDataChangedLine(QWidget* parent = nullptr);

signals:
  void refreshRequested();
};

} // namespace vandro
