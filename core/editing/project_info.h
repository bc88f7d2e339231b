// The rows of the project information: their titles, texts and which the
// user may change, as the "New Project" window, the project manager's
// "General Info" grid and its editor, and vandro-cli's "info" show them.
// Every one of them takes its rows from ProjectInfoRows, so they cannot
// differ.
#pragma once

#include "model/project.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vandro {

enum TInfoRow {
  irName,
  irVersion,
  irDescription,
  irAuthor,
  irOrganization,
  irStartDate,
  irLastOpened,
  irComments
};

// What the rows are shown for.
enum class TInfoUse {
  Showing,  // all eight rows, read only; a date never set reads "n/a"
  Editing,  // all eight; the two dates are shown as when Showing, not editable
  Creating, // the six rows a new project is given, without the dates
};

struct TInfoRowText {
  TInfoRow Row = irName;
  std::string Title; // "Project Name", "Version", "Project Description", ...
  std::string Text;
  bool Editable = false;
  size_t Capacity = 0; // the characters the project file keeps; 0 for a date
};

// The rows in order: "Project Name", "Version", "Project Description",
// "Author Name", "Organization", "Start Date", "Last Opened", "Comments"
// (Creating leaves out the dates). Dates are written in the current date
// style.
std::vector<TInfoRowText> ProjectInfoRows(const TProjectInfo& info, TInfoUse use);

// info with the texts of the rows ProjectInfoRows(info, use) gives, in the
// same order, taken back: the editable rows only, cut to their capacities.
// A count of texts other than the rows' is a broken caller (system error).
TProjectInfo ProjectInfoFromRows(TProjectInfo info, TInfoUse use,
                                 const std::vector<std::string>& texts);

} // namespace vandro
