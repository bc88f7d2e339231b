// The edge between the widgets' Unicode and the core's code page 1251.
//
// Every text a widget shows from the core goes through FromCore, every text
// the user typed goes to the core through ToCore. A character that code page
// 1251 cannot hold is refused where it is typed or pasted (GuardCp1251), so
// that nothing reaches the core mangled; ToCore checks again for texts that
// come from elsewhere (file dialogs, the command line). Paths follow the
// core's rule too: they reach it in code page 1251.
#pragma once

#include <QString>

#include <string>

class QLineEdit;
class QComboBox;
class QWidget;

namespace vandro {

QString FromCore(const std::string& text);

// False, after showing a message that names the character, when text holds
// one that code page 1251 cannot store.
bool ToCore(const QString& text, std::string& out);

// The same without a message, for texts that came from the core.
bool TryToCore(const QString& text, std::string& out);

// What the user is told beside a field about the first character of text
// that code page 1251 cannot hold; empty when there is none.
QString Cp1251Refusal(const QString& text);

// Refuses, at input, what the field could not keep: the edit is undone and a
// tip next to the field says which character was refused and why.
void GuardCp1251(QLineEdit* edit);
void GuardCp1251(QComboBox* editableCombo);

// Asks for one line of text in a small window titled title: label above the
// field (and its accessible name), text the starting value and the answer,
// at most maxLength characters, guarded as above. False on Cancel.
bool AskText(QWidget* parent, const QString& title, const QString& label, std::string& text,
             int maxLength = 32);

} // namespace vandro
