#include "app/shell/child_form.h"

#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>

namespace vandro {

TChildForm::TChildForm(TChildKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

TChildForm::~TChildForm() {
  if (lists_) lists_->Remove(*this);
}

TChildPlace TChildForm::Place() const {
  const QWidget* shown = frame_ ? static_cast<const QWidget*>(frame_) : this;
  return {shown->x(), shown->y()};
}

void TChildForm::CloseForProject() {
  // The sub-window deletes itself and this form when it closes; the list
  // entry goes at once, so the caller sees the list shrink.
  if (lists_) lists_->Remove(*this);
  lists_ = nullptr;
  if (frame_)
    frame_->close();
  else
    close();
}

void TChildForm::Attach(TChildWindows& lists, int index, QMdiSubWindow* frame) {
  lists_ = &lists;
  index_ = index;
  frame_ = frame;
}

void TChildForm::Print(QPrinter& printer) {
  const QPixmap image = grab();
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  QSize size = image.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.drawPixmap(QRect(page.topLeft(), size), image);
}

} // namespace vandro
