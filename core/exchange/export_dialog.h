// The rules of the "Export" window: which choices are open for which, and
// the settings the export runs with.
//
// "Units" closes "States" (at "Actual states") and "Export As" (at
// "Table"); "Object" with "Actual states" closes "Export As" at "Plain
// text"; the separator is open only for "Table".
#pragma once

#include "exchange/export_objects.h"
#include "exchange/import_dialog.h"

namespace vandro {

class TExportDialog {
public:
  TExportWhat What() const { return what_; }
  bool History() const { return history_; }
  bool AsTable() const { return asTable_; }
  const TSeparatorChoice& Separator() const { return separator_; }

  // Each change applies the rules at once.
  void SetWhat(TExportWhat what);
  void SetHistory(bool history);
  void SetAsTable(bool asTable);
  void SetSeparator(const TSeparatorChoice& choice) { separator_ = choice; }

  bool StatesEnabled() const { return what_ != ewUnits; }
  bool ExportAsEnabled() const { return what_ != ewUnits && !(what_ == ewObject && !history_); }
  bool SeparatorEnabled() const { return asTable_; }
  // "Object" and "Group" choose what to export in "Select Object".
  bool NeedsSelection() const { return what_ == ewObject || what_ == ewGroup; }

  // An empty "Other :" text means tab.
  std::string SeparatorText() const { return vandro::SeparatorText(separator_); }
  TExportSettings Settings() const;

private:
  void Apply();

  TExportWhat what_ = ewObject;
  bool history_ = false;
  bool asTable_ = false;
  TSeparatorChoice separator_;
};

} // namespace vandro
