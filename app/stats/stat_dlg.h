// "Statistics": the list of series (SSGrid, rows dragged into another order
// by their numbers) and what is computed over it: descriptive statistics, a
// histogram, correlation, the five tests and the contingency table.
// TStatDialog (stats/stat_dialog.h) has the rules; this window asks for
// sources and names and shows the results.
#pragma once

#include "editing/records_follow.h"
#include "stats/stat_dialog.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace vandro {

class TStatDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TStatDlg(QWidget* parent = nullptr);

  TStatDialog& Dialog() { return dialog_; }
  // Shows the list anew after it changed outside the window's buttons.
  void ShowList();

  QTableWidget* SeriesGrid() const { return grid_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* RemoveButton() const { return remove_; }
  QPushButton* ClearButton() const { return clear_; }
  QPushButton* ModifyButton() const { return modify_; }
  QPushButton* HistogramButton() const { return histogram_; }
  QPushButton* CorrelationButton() const { return correlation_; }
  QPushButton* DescriptiveButton() const { return descriptive_; }
  QComboBox* TestType() const { return testType_; }
  QCheckBox* Yates() const { return yates_; }
  QPlainTextEdit* Hypothesis() const { return hypothesis_; }
  QPushButton* TestButton() const { return test_; }
  QLabel* StatisticCaption() const { return statisticCaption_; }
  QLabel* Statistic() const { return statistic_; }
  QLabel* P() const { return p_; }
  QLabel* Reject() const { return reject_; }
  QLabel* EffectCaption() const { return effectCaption_; }
  QLabel* Effect() const { return effect_; }
  QLabel* Interval() const { return interval_; }
  QLabel* Missing() const { return missing_; }
  QPushButton* TableButton() const { return table_; }
  QCheckBox* WelchAnova() const { return welchAnova_; }
  QPushButton* AnovaTableButton() const { return anovaTable_; }
  QPushButton* TukeyButton() const { return tukey_; }

  // The buttons' work, each as the button does it.
  void AddSeries();
  void ModifySeries();
  void RemoveSeries();
  void ClearAll();
  void ShowHistogram();
  void ShowCorrelation();
  void ShowDescriptive();
  void RunTest();
  void ShowContingencyTable();
  // "ANOVA Table" and "Tukey HSD" of the last One-way ANOVA.
  void ShowAnovaTable();
  void ShowTukey();
  // Each series defined by a formula or a query loaded again from the
  // stored states; those another window handed over stay as they are.
  void ReloadSeries();

private:
  // The selected row of the list, or -1.
  int Selected() const;
  void ShowPanel();
  void RowDragged(int from, int to);

  TStatDialog dialog_;
  TRecordsFollower follower_;
  // The last definition "Add Series" could not use, and its name.
  TValue::Ptr draft_;
  std::string draftName_;
  QTableWidget* grid_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* clear_;
  QPushButton* modify_;
  QPushButton* histogram_;
  QPushButton* correlation_;
  QPushButton* descriptive_;
  QComboBox* testType_;
  QCheckBox* yates_;
  QPlainTextEdit* hypothesis_;
  QPushButton* test_;
  QLabel* statisticCaption_;
  QLabel* statistic_;
  QLabel* pCaption_;
  QLabel* p_;
  QLabel* rejectCaption_;
  QLabel* reject_;
  QLabel* effectCaption_;
  QLabel* effect_;
  QLabel* intervalCaption_;
  QLabel* interval_;
  QLabel* missing_;
  QPushButton* table_;
  QCheckBox* welchAnova_;
  QPushButton* anovaTable_;
  QPushButton* tukey_;
};

} // namespace vandro
