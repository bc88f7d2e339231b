// The main window's record commands: what each asks "Select Object" for,
// and the record dialog it then opens (New Object, Create New State, Edit
// Record, a template item, "More ...").
#pragma once

#include <string>

namespace vandro {

class TMainForm;
class TCreateRecordDlg;

// Each returns the dialog it opened, or nullptr when the command ended
// without one (cancelled, refused by the dialog limit, nothing selected).
TCreateRecordDlg* OpenNewObject(TMainForm& main, const std::string& templateName = {});
TCreateRecordDlg* OpenNewState(TMainForm& main);
TCreateRecordDlg* OpenEditRecord(TMainForm& main);
TCreateRecordDlg* OpenTemplateRecord(TMainForm& main, const std::string& templateName);
// "More ...": the project's templates in a list; the chosen one as a
// template item.
TCreateRecordDlg* ChooseTemplate(TMainForm& main);

} // namespace vandro
