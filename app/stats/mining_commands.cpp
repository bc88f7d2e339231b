#include "app/stats/mining_commands.h"

#include "app/shell/main_form.h"
#include "app/stats/analysis_dlg.h"
#include "model/project.h"

namespace vandro {

void OpenDataMiningTools(TMainForm& main) {
  if (!CurrentProject()) return;
  TAnalysisDlg dialog(&main);
  dialog.exec();
}

} // namespace vandro
