// TSelChartDlg: the chart list (Project: Charts, the tool bar's Select
// Chart): the project's charts with New, Open, Delete and Rename; a double
// click opens. The rules are the chart list's (charts/chart_list.h); opening
// a chart is the main window's (OpenChartWindow).
#pragma once

#include <QDialog>

#include <string>

class QListWidget;
class QPushButton;

namespace vandro {

class TChartForm;
class TMainForm;

class TSelChartDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TSelChartDlg(TMainForm& main);

  // Lists the project's chart names.
  void Refresh();

  QListWidget* List() const { return list_; }
  QPushButton* Button(const QString& caption) const;

  void NewChart();
  void OpenSelected();
  void DeleteSelected();
  void RenameSelected();

private:
  // The selected chart's name; empty with "Select a chart" when none is.
  std::string Selected() const;

  TMainForm& main_;
  QListWidget* list_;
};

// The chart in a new window, marked in use by the caller's rules (the chart
// list's New or Open); null when the window did not open, the mark then
// released.
TChartForm* OpenChartWindow(TMainForm& main, const std::string& name, bool isNew);
// Open from elsewhere (the project manager): the list's Open rules, then the
// window.
TChartForm* OpenStoredChart(TMainForm& main, const std::string& name);
// Project: Charts.
void RunChartList(TMainForm& main);

} // namespace vandro
