#include "exchange/export_dialog.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

TEST(ExportDialogTest, EnablementRules) {
  struct Step {
    TExportWhat what;
    bool history, table;              // asked for
    bool gotHistory, gotTable;        // after the rules
    bool states, exportAs, separator; // enabled
  } steps[] = {
      {ewUnits, true, false, false, true, false, false, true},
      {ewObject, false, true, false, false, true, false, false},
      {ewObject, true, true, true, true, true, true, true},
      {ewObject, true, false, true, false, true, true, false},
      {ewGroup, false, true, false, true, true, true, true},
      {ewAllObjects, false, false, false, false, true, true, false},
  };
  for (const auto& s : steps) {
    TExportDialog dialog;
    dialog.SetWhat(s.what);
    dialog.SetHistory(s.history);
    dialog.SetAsTable(s.table);
    EXPECT_EQ(dialog.History(), s.gotHistory) << s.what;
    EXPECT_EQ(dialog.AsTable(), s.gotTable) << s.what;
    EXPECT_EQ(dialog.StatesEnabled(), s.states) << s.what;
    EXPECT_EQ(dialog.ExportAsEnabled(), s.exportAs) << s.what;
    EXPECT_EQ(dialog.SeparatorEnabled(), s.separator) << s.what;
  }
  TExportDialog defaults;
  EXPECT_EQ(defaults.What(), ewObject);
  EXPECT_FALSE(defaults.AsTable());
  // Leaving "Object" with "Actual states" keeps "Plain text" until changed.
  defaults.SetHistory(true);
  defaults.SetAsTable(true);
  defaults.SetHistory(false);
  EXPECT_FALSE(defaults.AsTable());
  defaults.SetSeparator({skOther, ""});
  EXPECT_EQ(defaults.Settings().Separator, "\t");
}

} // namespace
} // namespace vandro
