// "Chart Properties": every key of a chart definition on six pages, edited
// live on the definition the chart window lends. Each edit writes its field
// at once, sets the changed flag and emits Edited() so that the chart window
// draws again. OK keeps the edits (the caller reads Changed()); on Cancel
// the caller applies its stored definition again, so the window keeps no
// copy to undo with.
//
// The controls are filled from the definition with a guard up, so filling
// does not echo back as edits. The list orders, the series' names and the
// 128-series limit are the rules of charts/chart_props.h.
#pragma once

#include "charts/chart_definition.h"

#include <QDialog>

#include <functional>
#include <utility>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace vandro {

class TValue;

enum class TChartPropsPage { General, Axis, Titles, Legend, Series, SeriesDetails };

// The sources of a series, as the Series Details page lists them.
enum class TChartSource { Y, X, Labels };

class TChartPropsDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TChartPropsDlg(TChartDefinition& chart, QWidget* parent = nullptr);

  // Opens on page; for the series pages, on seriesIndex when it names one.
  void ShowPage(TChartPropsPage page, int seriesIndex = -1);
  bool Changed() const { return changed_; }
  // The series the Series Details page shows; -1 for none.
  int CurrentSeries() const { return series_; }

  // Stores value (null: none) as the current series' source and fills the
  // series again, with the messages of the filling. The source buttons come
  // here with what the value constructor gave back.
  void SetSource(TChartSource which, const TValue& value);

  QTabWidget* Pages() const { return pages_; }
  QComboBox* AxisList() const { return axisList_; }
  QComboBox* NewSeriesType() const { return newType_; }
  QListWidget* SeriesList() const { return seriesList_; }

signals:
  void Edited();

private:
  QWidget* MakeGeneralPage();
  QWidget* MakeAxisPage();
  QWidget* MakeTitlesPage();
  QWidget* MakeLegendPage();
  QWidget* MakeSeriesPage();
  QWidget* MakeDetailsPage();

  // Fills a page's controls from the definition, the guard up.
  void LoadGeneral();
  void LoadAxis();
  void LoadTitle();
  void LoadLegend();
  void LoadSeriesList();
  void LoadDetails();

  // Binds a control to a field: the getter finds the field each time, since
  // the chosen axis, title or series changes under the same control. An
  // edit writes the field and marks it.
  void BindCheck(QCheckBox* box, std::function<bool&()> field);
  void BindSpin(QSpinBox* spin, std::function<int&()> field);
  void BindCombo(QComboBox* combo, std::function<int&()> field);
  void BindColor(QPushButton* button, std::function<TChartColor&()> field);
  void BindFont(QPushButton* button, std::function<TChartFont&()> field);
  // A scale end: read when the field is left; a text that is no number is
  // said and the stored number shown again.
  void BindScale(QLineEdit* edit, const char* caption, std::function<double&()> field);
  void Mark();

  TChartAxis& Axis();
  TChartTitle& Title();
  TChartSeries* Series();
  void ShowScaleAuto();
  void AddSeries();
  void DeleteSeries();
  void RenameSeries();
  void ChooseSource(TChartSource which);
  void ChooseSeries(int index);

  TChartDefinition& chart_;
  bool changed_ = false;
  bool loading_ = false;
  int series_ = -1;
  // Fillers of the controls bound through Bind*, each with the page it was
  // built on, run by that page's Load*.
  std::vector<std::pair<QWidget*, std::function<void()>>> loaders_;
  QWidget* building_ = nullptr;
  void RunLoaders(QWidget* page);

  QTabWidget* pages_;
  QWidget* general_;
  QWidget* axisPage_;
  QWidget* titlesPage_;
  QWidget* legendPage_;
  QWidget* details_;

  QComboBox* axisList_;
  QCheckBox* minAuto_;
  QCheckBox* maxAuto_;
  QLineEdit* scaleMin_;
  QLineEdit* scaleMax_;
  QLineEdit* axisTitle_;

  QRadioButton* header_;
  QPlainTextEdit* titleText_;
  QString titleTextShown_; // the last text the definition took

  QComboBox* newType_;
  QListWidget* seriesList_;

  QLabel* seriesName_;
  QLineEdit* ySource_;
  QLineEdit* xSource_;
  QLineEdit* lSource_;
  QGroupBox* points_;
};

} // namespace vandro
