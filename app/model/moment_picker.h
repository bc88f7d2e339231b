// A moment as the user picks it: a date picker in the current date style and
// a time picker side by side, read and set as days since 30.12.1899.
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

  QDateEdit* DateEdit() const { return date_; }
  QTimeEdit* TimeEdit() const { return time_; }

private:
  QDateEdit* date_;
  QTimeEdit* time_;
};

} // namespace vandro
