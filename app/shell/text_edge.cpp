#include "app/shell/text_edge.h"

#include "shell/messages.h"
#include "shell/text.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QToolTip>
#include <QValidator>

namespace vandro {

namespace {

bool Storable(char32_t character) {
  const QString one = QString::fromUcs4(&character, 1);
  std::string unused;
  return Utf8ToCp1251(one.toStdString(), unused);
}

// Accepts exactly the texts code page 1251 can hold; a refused edit leaves
// the field as it was and tells the user why beside it.
class TCp1251Validator final : public QValidator {
public:
  explicit TCp1251Validator(QWidget* field) : QValidator(field), field_(field) {}

  State validate(QString& input, int&) const override {
    const QString refusal = Cp1251Refusal(input);
    if (refusal.isEmpty()) return Acceptable;
    QToolTip::showText(field_->mapToGlobal(QPoint(0, field_->height())), refusal, field_);
    return Invalid;
  }

private:
  QWidget* field_;
};

constexpr const char* kWhy = "can't be used here: Vandro keeps text in code page 1251, which "
                             "holds Latin and Cyrillic letters, digits and the common signs.";

char32_t FirstUnstorable(const QString& text) {
  for (const char32_t character : text.toUcs4())
    if (!Storable(character)) return character;
  return 0;
}

QString CodePointName(char32_t character) {
  return QStringLiteral("U+") +
         QString::number(static_cast<uint>(character), 16).toUpper().rightJustified(4, '0');
}

} // namespace

QString FromCore(const std::string& text) {
  return QString::fromStdString(Cp1251ToUtf8(text));
}

QString Cp1251Refusal(const QString& text) {
  const char32_t character = FirstUnstorable(text);
  if (character == 0) return {};
  return QStringLiteral("\u00AB%1\u00BB (%2) %3")
      .arg(QString::fromUcs4(&character, 1), CodePointName(character), kWhy);
}

bool ToCore(const QString& text, std::string& out) {
  const char32_t character = FirstUnstorable(text);
  if (character != 0) {
    // The message itself must be storable, so it names the character by its
    // code point only.
    ShowMsg("The character " + CodePointName(character).toStdString() + " " + kWhy);
    return false;
  }
  return Utf8ToCp1251(text.toStdString(), out);
}

bool TryToCore(const QString& text, std::string& out) {
  return Utf8ToCp1251(text.toStdString(), out);
}

void GuardCp1251(QLineEdit* edit) {
  edit->setValidator(new TCp1251Validator(edit));
}

void GuardCp1251(QComboBox* editableCombo) {
  editableCombo->setValidator(new TCp1251Validator(editableCombo));
}

bool AskText(QWidget* parent, const QString& title, const QString& label, std::string& text,
             int maxLength) {
  QInputDialog input(parent);
  input.setWindowTitle(title);
  input.setLabelText(label);
  input.setTextValue(FromCore(text));
  if (auto* edit = input.findChild<QLineEdit*>()) {
    edit->setMaxLength(maxLength);
    edit->setAccessibleName(label);
    GuardCp1251(edit);
  }
  return input.exec() == QDialog::Accepted && ToCore(input.textValue(), text);
}

} // namespace vandro
