#include "stats/analysis_dialog.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"

#include <cmath>
#include <stdexcept>

namespace vandro {

const std::array<const char*, 3>& ClusterDistanceNames() {
  static const std::array<const char*, 3> names = {"Euclidean", "Manhattan", "Hamming"};
  return names;
}

std::vector<std::string> TAnalysisDialog::DataHeader() const {
  std::vector<std::string> header{"Object"};
  for (int c = 0; c < analysis_.ParamCount(); ++c)
    header.push_back(analysis_.Param(c).Name);
  return header;
}

bool TAnalysisDialog::DataCells(std::vector<std::vector<std::string>>& cells, TProgress* progress) {
  cells.clear();
  TDataTable table;
  if (!Table(table, progress)) return false;
  const std::vector<std::string> names = analysis_.ObjectNames();
  for (size_t row = 0; row < table.size(); ++row) {
    std::vector<std::string> line{row < names.size() ? names[row] : std::string()};
    for (size_t c = 1; c < table[row].size(); ++c)
      line.push_back(ShownNumber(table[row][c]));
    cells.push_back(std::move(line));
  }
  return true;
}

bool TAnalysisDialog::SetDataCell(int row, int param, std::string_view text) {
  double number = 0;
  if (!TextToFloat(Trim(text), number) || !std::isfinite(number)) {
    ShowMsg("Invalid real number:" + std::string(text));
    return false;
  }
  if (!edited_) {
    TDataTable table;
    if (!analysis_.BuildTable(table)) return false;
    edited_ = std::move(table);
  }
  if (row < 0 || static_cast<size_t>(row) >= edited_->size() || param < 0 ||
      static_cast<size_t>(param) + 1 >= (*edited_)[static_cast<size_t>(row)].size())
    return false;
  (*edited_)[static_cast<size_t>(row)][static_cast<size_t>(param) + 1] = number;
  return true;
}

bool TAnalysisDialog::Table(TDataTable& table, TProgress* progress) {
  if (edited_) {
    table = *edited_;
    return true;
  }
  return analysis_.BuildTable(table, progress);
}

bool TAnalysisDialog::RunCluster(TClusterDistance distance, TMergeTable& merges,
                                 TProgress* progress) {
  if (!edited_) return analysis_.RunCluster(distance, merges, progress);
  if (analysis_.ParamCount() == 0) {
    ShowMsg("Select parameters to analyse!");
    return false;
  }
  TClusterTable table;
  table.Resize(analysis_.ObjectCount(), analysis_.ParamCount());
  for (int c = 0; c < analysis_.ParamCount(); ++c) {
    const TAParam& param = analysis_.Param(c);
    table.weights[static_cast<size_t>(c)] = param.Weight;
    table.nominal[static_cast<size_t>(c)] = param.Domain.Type == dtUnordered;
    for (int r = 0; r < analysis_.ObjectCount(); ++r)
      table.At(r, c) = (*edited_)[static_cast<size_t>(r)][static_cast<size_t>(c) + 1];
  }
  try {
    merges = Cluster(table, distance, progress);
  } catch (const std::invalid_argument& error) {
    ShowMsg(error.what());
    return false;
  }
  return !merges.empty() || analysis_.ObjectCount() < 2;
}

bool TAnalysisDialog::OpenRegression(int dependent, TLinearRegression& regression,
                                     TProgress* progress) {
  if (!edited_) return analysis_.OpenRegression(dependent, regression, progress);
  if (!analysis_.CheckRegression(dependent)) return false;
  std::vector<TRegressionVariable> variables;
  TIntList predictors;
  for (int c = 0; c < analysis_.ParamCount(); ++c) {
    const TDomain& domain = analysis_.Param(c).Domain;
    TRegressionVariable variable{
        analysis_.Param(c).Name, domain.UnitText, domain.Type != dtNumeric, {}};
    if (variable.discrete)
      for (int i = 0; i < domain.Count(); ++i)
        variable.domain.push_back(
            {domain.Values[static_cast<size_t>(i)]->Text(), domain.Number(i)});
    variables.push_back(std::move(variable));
    if (c != dependent) predictors.Add(c);
  }
  return regression.Open(*edited_, std::move(variables), dependent, predictors);
}

std::vector<std::vector<std::string>> TAnalysisDialog::DomainRows(int param) const {
  std::vector<std::vector<std::string>> rows;
  if (param < 0 || param >= analysis_.ParamCount()) return rows;
  const TDomain& domain = analysis_.Param(param).Domain;
  for (int i = 0; i < domain.Count(); ++i)
    rows.push_back({domain.Values[static_cast<size_t>(i)]->Text(), ShownNumber(domain.Number(i))});
  return rows;
}

std::string TAnalysisDialog::WeightText(int param) const {
  if (param < 0 || param >= analysis_.ParamCount()) return {};
  return FloatToText(analysis_.Param(param).Weight);
}

} // namespace vandro
