#include "app/shell/date_pickers.h"

#include "shell/datetime.h"

#include <QApplication>
#include <QDateTimeEdit>

namespace vandro {

QString DatePickerFormat() {
  return DateStyle() == TDateStyle::European ? QStringLiteral("dd.MM.yyyy")
                                             : QStringLiteral("MM/dd/yyyy");
}

void RestyleDatePickers() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    QList<QDateTimeEdit*> pickers = window->findChildren<QDateTimeEdit*>();
    if (auto* itself = qobject_cast<QDateTimeEdit*>(window)) pickers << itself;
    for (QDateTimeEdit* picker : pickers)
      if (picker->displayedSections() & QDateTimeEdit::DateSections_Mask)
        picker->setDisplayFormat(DatePickerFormat());
  }
}

} // namespace vandro
