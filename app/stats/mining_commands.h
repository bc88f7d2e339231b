// The main window's Statistics: Data Mining Tools command (menu and tool
// bar): the "Data Analysis" window over the open project, modal.
#pragma once

namespace vandro {

class TMainForm;

void OpenDataMiningTools(TMainForm& main);

} // namespace vandro
