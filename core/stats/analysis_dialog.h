// The "Data Analysis" window's rules beside the data analysis itself: the
// table the analyses take (the one built from the objects, or that table as
// the user changed it in "Edit Data"), the texts of its grids, and the
// distance names of the "Analysis" page.
//
// Edited data belong to one set of objects, parameters and domains: the
// window calls Changed after every change to them, and the edits are
// dropped, because their rows or columns may no longer mean the same.
#pragma once

#include "stats/mining.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// "Euclidean", "Manhattan", "Hamming", in TClusterDistance order.
const std::array<const char*, 3>& ClusterDistanceNames();

class TAnalysisDialog {
public:
  TDataAnalysis& Analysis() { return analysis_; }
  const TDataAnalysis& Analysis() const { return analysis_; }

  // Objects, parameters or a domain changed: edited data are dropped.
  void Changed() { edited_.reset(); }
  bool HasEditedData() const { return edited_.has_value(); }

  // "Edit Data": "Object" and the parameter names.
  std::vector<std::string> DataHeader() const;
  // A row per object: its leaf text and the numbers of the table the
  // analyses take. False after the reasons when the table cannot be built.
  bool DataCells(std::vector<std::vector<std::string>>& cells, TProgress* progress = nullptr);
  // A cell typed in "Edit Data" (param is the parameter's index): a finite
  // number, else "Invalid real number:" + text and nothing changes. Only
  // the cells typed change: the others keep their full precision.
  bool SetDataCell(int row, int param, std::string_view text);

  // The table the analyses take: the edited one when there is one.
  bool Table(TDataTable& table, TProgress* progress = nullptr);

  // "Cluster Analysis" and "Linear Regression" over that table, with the
  // checks and messages of TDataAnalysis.
  bool RunCluster(TClusterDistance distance, TMergeTable& merges, TProgress* progress = nullptr);
  bool OpenRegression(int dependent, TLinearRegression& regression, TProgress* progress = nullptr);

  // The domain grid of a parameter: a row per value, its text and number.
  std::vector<std::vector<std::string>> DomainRows(int param) const;
  // The text of "Weight of Selected Parameter:".
  std::string WeightText(int param) const;

private:
  TDataAnalysis analysis_;
  std::optional<TDataTable> edited_;
};

} // namespace vandro
