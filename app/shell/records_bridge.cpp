#include "app/shell/records_bridge.h"

#include "editing/records_follow.h"

namespace vandro {

TRecordsBridge::TRecordsBridge(QObject* parent)
    : QObject(parent), listener_([this](int32_t objectId) {
        // Queued with the bridge as context: dropped if the window is gone by
        // the time the loop runs.
        QMetaObject::invokeMethod(
            this, [this, objectId] { emit recordsChanged(objectId); }, Qt::QueuedConnection);
      }) {}

TDataChangedLine::TDataChangedLine(QWidget* parent) : QLabel(parent) {
  setText(QStringLiteral("<a href=\"refresh\">") + QString::fromLatin1(kDataChanged) +
          QStringLiteral("</a>"));
  setAccessibleName(QString::fromLatin1(kDataChanged));
  setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  hide();
  connect(this, &QLabel::linkActivated, this, [this] { emit refreshRequested(); });
}

} // namespace vandro
