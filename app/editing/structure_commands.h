// The project's structure edited from the windows: Project: Parameters and
// Project: Templates, the template editor opened from the project manager or
// the record dialog, and what the main window redraws after a change (the
// template menu, the record dialogs' parameter lists, the project manager).
#pragma once

#include <memory>
#include <string>

class QWidget;

namespace vandro {

class TCreateRecordDlg;
class TMainForm;
class TTemplateEditor;

// Project: Parameters: the parameter list, modal.
void RunParameterList(TMainForm& main);
// Project: Templates and "More ...": the templates dialog, modal. Its "New
// Record" gives the record dialog it started; nullptr otherwise.
TCreateRecordDlg* RunTemplates(TMainForm& main);

// The template editor on editor's template, modal; true when OK stored it
// (the template menu is then rebuilt), storedName then holding its name.
bool EditTemplate(QWidget* parent, std::unique_ptr<TTemplateEditor> editor,
                  std::string* storedName = nullptr);
// The same on the stored template of that name.
bool EditTemplateNamed(QWidget* parent, const std::string& name);

// After a change, told to the main window that holds widget (or the
// program's main window): the template menu is rebuilt / the record
// dialogs refill their parameter lists; the project manager follows both.
void TemplatesChanged(QWidget* widget);
void ParametersChanged(QWidget* widget);

// Every push button, check box and tool button of window gets its caption
// (without "&") as its accessible name.
void NameButtonsByCaption(QWidget* window);

} // namespace vandro
