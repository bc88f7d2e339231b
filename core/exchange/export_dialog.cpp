#include "exchange/export_dialog.h"

#include "shell/text.h"

namespace vandro {

void TExportDialog::SetWhat(TExportWhat what) {
  what_ = what;
  Apply();
}

void TExportDialog::SetHistory(bool history) {
  history_ = history;
  Apply();
}

void TExportDialog::SetAsTable(bool asTable) {
  asTable_ = asTable;
  Apply();
}

void TExportDialog::Apply() {
  if (what_ == ewUnits) {
    history_ = false;
    asTable_ = true;
  } else if (what_ == ewObject && !history_) {
    asTable_ = false;
  }
}

TExportSettings TExportDialog::Settings() const {
  TExportSettings settings;
  settings.History = history_;
  settings.AsTable = asTable_;
  std::string separator;
  settings.Separator = Utf8ToCp1251(SeparatorText(), separator) ? separator : SeparatorText();
  return settings;
}

} // namespace vandro
