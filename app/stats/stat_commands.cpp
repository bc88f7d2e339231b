#include "app/stats/stat_commands.h"

#include "app/editing/selection_api.h"
#include "app/groups/group_view_commands.h"
#include "app/shell/main_form.h"
#include "app/stats/basic_stat_dlg.h"
#include "app/stats/result_grid.h"
#include "app/stats/stat_calc_dlg.h"
#include "app/stats/stat_dlg.h"
#include "editing/value_constructor.h"
#include "stats/stat_dialog.h"

namespace vandro {

// A group table view that is the active child with selected cells answers
// both commands itself: its selection becomes the series.
void OpenBasicStatistics(TMainForm& main) {
  if (GroupViewStatistics(main, true)) return;
  TValue::Ptr source = TValue::Create("OpenBasicStatistics");
  if (!app::EditValue(&main, *source, nullptr, vpAll, vpArray, kSeriesSourceCaption)) return;
  if (!TStatDialog::AcceptsSource(*source)) return;
  std::string name;
  if (!AskSeriesName(&main, kDefaultSeriesName, name)) return;
  TStatDialog series;
  {
    TStatWait wait;
    if (!series.Add(*source, name)) return;
  }
  ShowBasicStatistics(&main, series.SeriesList());
}

void OpenStatistics(TMainForm& main) {
  if (GroupViewStatistics(main, false)) return;
  TStatDlg dialog(&main);
  dialog.exec();
}

void OpenDistributions(TMainForm& main) {
  TStatCalcDlg dialog(&main);
  dialog.exec();
}

} // namespace vandro
