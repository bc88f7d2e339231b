#include "app/stats/stat_commands.h"

#include "app/groups/group_view_commands.h"
#include "app/shell/main_form.h"
#include "app/stats/stat_calc_dlg.h"
#include "app/stats/stat_dlg.h"

namespace vandro {

namespace {

// A group table view that is the active child with selected cells answers
// both commands itself: its selection becomes the series. Otherwise both
// open an empty "Statistics", where series are added and "Descriptive
// stats" shown.
void OpenStatisticsOr(TMainForm& main, bool descriptive) {
  if (GroupViewStatistics(main, descriptive)) return;
  TStatDlg dialog(&main);
  dialog.exec();
}

} // namespace

void OpenBasicStatistics(TMainForm& main) {
  OpenStatisticsOr(main, true);
}

void OpenStatistics(TMainForm& main) {
  OpenStatisticsOr(main, false);
}

void OpenDistributions(TMainForm& main) {
  TStatCalcDlg dialog(&main);
  dialog.exec();
}

} // namespace vandro
