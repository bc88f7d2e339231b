// "Select parameter": the record dialog's parameter picker, a modal list of
// the project's parameters by category.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace vandro::app {

// Shows names under their categories; true with the chosen name (double
// click or OK on a parameter), false on Cancel.
bool SelectParameter(QWidget* parent, const std::vector<std::string>& names, std::string& chosen);

} // namespace vandro::app
