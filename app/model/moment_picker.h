// A moment as the user picks it: a date picker in the current date style and
// a time picker side by side, read and set as days since 30.12.1899.
//
// The fields are announced as "Date" and "Time". A window that shows several
// pickers tells them apart by the caption it sets beside each, as the buddy
// label of the date field: before the picker first shows, both fields take
// that caption ("Known at: date", "Known at: time").
#pragma once

#include <QWidget>

class QDateEdit;
class QTimeEdit;

namespace vandro {

class TMomentPicker final : public QWidget {
  Q_OBJECT
public:
  explicit TMomentPicker(QWidget* parent = nullptr);

  double Moment() const;
  void SetMoment(double moment);

  // A caption of its own for the time field, between the two fields (the
  // window's label before the picker then captions the date alone).
  void SetTimeCaption(const QString& caption);

  QDateEdit* DateEdit() const { return date_; }
  QTimeEdit* TimeEdit() const { return time_; }

protected:
  bool event(QEvent* event) override;

private:
  void NameAfterCaption();

  QDateEdit* date_;
  QTimeEdit* time_;
};

} // namespace vandro
