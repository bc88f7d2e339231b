#include "app/shell/records_bridge.h"

#include "editing/records_follow.h"

#include <utility>

namespace vandro {

namespace {

// More objects than this in one go are told as kManyObjects.
constexpr size_t kObjectsToldOneByOne = 32;

} // namespace

TRecordsBridge::TRecordsBridge(QObject* parent)
    : QObject(parent), listener_([this](int32_t objectId) { Heard(objectId); }) {}

void TRecordsBridge::Heard(int32_t objectId) {
  if (objectId == kManyObjects || pending_.size() >= kObjectsToldOneByOne) {
    pendingAll_ = true;
    pending_.clear();
  } else if (!pendingAll_) {
    pending_.insert(objectId);
  }
  if (scheduled_) return;
  scheduled_ = true;
  // Queued with the bridge as context: dropped if the window is gone by the
  // time the loop runs.
  QMetaObject::invokeMethod(
      this, [this] { Tell(); }, Qt::QueuedConnection);
}

void TRecordsBridge::Tell() {
  const std::set<int32_t> objects = std::exchange(pending_, {});
  const bool all = std::exchange(pendingAll_, false);
  scheduled_ = false;
  if (all) {
    emit recordsChanged(kManyObjects);
    return;
  }
  for (const int32_t objectId : objects)
    emit recordsChanged(objectId);
}

TDataChangedLine::TDataChangedLine(QWidget* parent) : QLabel(parent) {
  setText(QStringLiteral("<a href=\"refresh\">") + QString::fromLatin1(kDataChanged) +
          QStringLiteral("</a>"));
  setAccessibleName(QString::fromLatin1(kDataChanged));
  setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  hide();
  connect(this, &QLabel::linkActivated, this, [this] { emit refreshRequested(); });
}

} // namespace vandro
