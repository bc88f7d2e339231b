// TAnalysisDlg: the "Data Analysis" window of Statistics: Data Mining Tools.
// Its three pages choose the objects and parameters ("Define Series"), how
// values become numbers ("Domains") and the analysis ("Analysis"); the
// rules are TDataAnalysis's and TAnalysisDialog's, and this window forwards
// every button to them. The regression and cluster windows it opens are
// its own non-modal children, so that both can be read side by side.
#pragma once

#include "editing/records_follow.h"
#include "stats/analysis_dialog.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace vandro {

class TClusterDlg;
class TDataChangedLine;
class TLRegressDlg;

class TAnalysisDlg final : public QDialog {
  Q_OBJECT

public:
  explicit TAnalysisDlg(QWidget* parent = nullptr);
  ~TAnalysisDlg() override;

  TAnalysisDialog& Dialog() { return dialog_; }

  // "Define Array" once the value constructor gave source, and "Select
  // Group" once "Select Object" gave the group: false after the message,
  // the series unchanged.
  bool DefineArray(const TValue& source);
  bool SelectGroup(int32_t groupId);

  // The buttons, as the user presses them.
  void PressDefineArray();
  void PressSelectGroup();
  void PressAdd();    // "-->"
  void PressRemove(); // "<--"
  void PressClear();  // "X"
  void PressAddCalculated();
  void PressChange();
  void PressEditData();
  void PressWeightStep(int direction);
  void PressSetMapping();
  void PressNullValue();
  void PressCluster();
  // A domain grid row dragged from one place to another.
  void MoveDomainRow(int from, int to);
  void PressRegression();

  QTabWidget* Pages() const { return pages_; }
  QLabel* SeriesLabel() const { return series_; }
  QListWidget* AllParameters() const { return all_; }
  QListWidget* ChosenParameters() const { return chosen_; }
  QLineEdit* WeightEdit() const { return weight_; }
  QLineEdit* CalculatedName() const { return calcName_; }
  QLineEdit* CalculatedFormula() const { return calcFormula_; }
  QListWidget* DomainParameters() const { return domainParams_; }
  QTableWidget* DomainGrid() const { return domainGrid_; }
  QComboBox* DomainType() const { return domainType_; }
  QComboBox* NullMode() const { return nullMode_; }
  QPushButton* NullValueButton() const { return nullValue_; }
  QComboBox* Distance() const { return distance_; }
  QComboBox* Dependent() const { return dependent_; }
  // The windows the analyses opened last, while they are open.
  TLRegressDlg* RegressionWindow() const;
  TClusterDlg* ClusterWindow() const;
  // "The data changed; Refresh": shown when records were stored while the
  // window holds data edited in "Edit Data", which reading the objects
  // again would throw away; a click reads them again.
  QLabel* DataChangedLine() const;
  // The objects of the group or the array read again from the stored
  // states, the parameters kept; edited data go.
  void Reread();

private:
  void BuildSeriesPage(QWidget* page);
  void BuildDomainsPage(QWidget* page);
  void BuildAnalysisPage(QWidget* page);
  void PageChanged(int page);
  // The objects, parameters or a domain changed.
  void Changed();
  void FillChosen(int current);
  void ShowWeight();
  void WeightEdited(const QString& text);
  // Builds the domains when they are not current (warnings, questions).
  bool EnsureDomains();
  void FillDomainParameters();
  void ShowDomain();
  void DomainNumberEdited(int row, int column);
  void DomainTypeChosen(int type);
  void NullModeChosen(int mode);
  void FillDependent();
  int DomainParam() const;

  TAnalysisDialog dialog_;
  TRecordsFollower follower_;
  TValue source_;     // what "Define Array" last accepted, to edit again
  int32_t group_ = 0; // what "Select Group" last accepted, else 0
  TDataChangedLine* dataChanged_ = nullptr;
  bool filling_ = false;
  QTabWidget* pages_;
  QLabel* series_ = nullptr;
  QListWidget* all_ = nullptr;
  QListWidget* chosen_ = nullptr;
  QLineEdit* weight_ = nullptr;
  QToolButton* weightUp_ = nullptr;
  QToolButton* weightDown_ = nullptr;
  QLineEdit* calcName_ = nullptr;
  QLineEdit* calcFormula_ = nullptr;
  QListWidget* domainParams_ = nullptr;
  QTableWidget* domainGrid_ = nullptr;
  QComboBox* domainType_ = nullptr;
  QLabel* nullCaption_ = nullptr;
  QComboBox* nullMode_ = nullptr;
  QPushButton* nullValue_ = nullptr;
  QComboBox* distance_ = nullptr;
  QComboBox* dependent_ = nullptr;
  QPointer<TLRegressDlg> regression_;
  QPointer<TClusterDlg> cluster_;
};

} // namespace vandro
