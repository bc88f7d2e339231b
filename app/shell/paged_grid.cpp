#include "app/shell/paged_grid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

namespace vandro {

bool PageLikeScrollBar(QObject* watched, QEvent* event, QAbstractItemView* grid, QScrollBar* scroll,
                       const std::function<void()>& fit) {
  if (watched == grid->viewport() && event->type() == QEvent::Resize) {
    // The grid's own height decides the page, once it is laid out.
    fit();
  } else if (watched == grid->viewport() && event->type() == QEvent::Wheel) {
    QApplication::sendEvent(scroll, event);
    return true;
  } else if (watched == grid && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
      scroll->triggerAction(key == Qt::Key_PageDown ? QAbstractSlider::SliderPageStepAdd
                                                    : QAbstractSlider::SliderPageStepSub);
      return true;
    }
  }
  return false;
}

} // namespace vandro
