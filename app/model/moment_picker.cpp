#include "app/model/moment_picker.h"

#include "app/shell/date_pickers.h"
#include "shell/datetime.h"

#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimeEdit>

namespace vandro {

TMomentPicker::TMomentPicker(QWidget* parent) : QWidget(parent) {
  date_ = new QDateEdit;
  date_->setCalendarPopup(true);
  // Switching the date style rewrites the format of every open picker.
  date_->setDisplayFormat(DatePickerFormat());
  date_->setAccessibleName(QStringLiteral("Date"));
  time_ = new QTimeEdit;
  time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  time_->setAccessibleName(QStringLiteral("Time"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(date_);
  layout->addWidget(time_);
}

void TMomentPicker::SetTimeCaption(const QString& caption) {
  auto* label = new QLabel(caption);
  label->setBuddy(time_);
  auto* row = static_cast<QHBoxLayout*>(layout());
  row->insertWidget(1, label);
  // The caption sits by its field, not spread across the room left over.
  row->addStretch(1);
}

bool TMomentPicker::event(QEvent* event) {
  // The window's labels are in place once it is polished or shown, not
  // while the picker is being made.
  if (event->type() == QEvent::Polish || event->type() == QEvent::Show) NameAfterCaption();
  return QWidget::event(event);
}

void TMomentPicker::NameAfterCaption() {
  for (const QLabel* label : window()->findChildren<QLabel*>()) {
    if (label->buddy() != date_) continue;
    const QString caption = label->text().remove(QLatin1Char('&')).trimmed();
    if (caption.isEmpty()) return;
    date_->setAccessibleName(caption + QStringLiteral(" date"));
    time_->setAccessibleName(caption + QStringLiteral(" time"));
    return;
  }
}

double TMomentPicker::Moment() const {
  const QDate day = date_->date();
  const QTime clock = time_->time();
  double date = 0, time = 0;
  if (!TryEncodeDate(day.year(), day.month(), day.day(), date)) return 0;
  if (!TryEncodeTime(clock.hour(), clock.minute(), clock.second(), 0, time)) time = 0;
  return ComposeDateTime(date, time);
}

void TMomentPicker::SetMoment(double moment) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  DecodeDate(moment, year, month, day);
  DecodeTime(moment, hour, minute, second, millisecond);
  date_->setDate(QDate(year, month, day));
  time_->setTime(QTime(hour, minute, second));
}

} // namespace vandro
