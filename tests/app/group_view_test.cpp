// The group table view on a copy of the sample project: opened by View Group
// as Table through "Select Object", a ward at its busiest moment sorted by
// two keys from the "Advanced" page, and a selected column handed to the
// descriptive statistics and to "Statistics".
#include "app/editing/select_object_dlg.h"
#include "app/groups/group_view_commands.h"
#include "app/groups/view_group_dlg.h"
#include "app/shell/main_form.h"
#include "app/stats/basic_stat_dlg.h"
#include "app/stats/stat_dlg.h"
#include "app_test_support.h"
#include "editing/group_table.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/project.h"
#include "shell/settings.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace vandro::apptest {

class GroupViewTest : public TSampleProjectTest {
  Q_OBJECT

  static int RowNamed(QTableWidget* grid, int column, const QString& name) {
    for (int row = 0; row < grid->rowCount(); ++row)
      if (grid->item(row, column) && grid->item(row, column)->text() == name) return row;
    return -1;
  }

  static int ItemNamed(QListWidget* list, const QString& name) {
    for (int row = 0; row < list->count(); ++row)
      if (list->item(row)->text() == name) return row;
    return -1;
  }

  static QString Cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
  }

  static int ColumnNamed(QTableView* grid, const QString& name) {
    for (int column = 0; column < grid->model()->columnCount(); ++column)
      if (grid->model()->headerData(column, Qt::Horizontal).toString() == name) return column;
    return -1;
  }

  // The number a cell starts with ("72.5 [kg]": 72.5).
  static double Number(const QString& text) {
    return text.section(QLatin1Char(' '), 0, 0).toDouble();
  }

  // A group table view of the group, listed and shown as the command does,
  // with its track bar at the record where the group held most members.
  TViewGroupDlg* Busiest(const char* group) {
    auto* view = new TViewGroupDlg;
    if (!form->OpenChild(view)) return nullptr;
    if (!view->Start(APSFindObject(group), false)) {
      qWarning("%s", sink->Last().c_str());
      return nullptr;
    }
    auto* track = view->findChild<QSlider*>();
    int best = track->value(), most = view->Grid()->model()->rowCount();
    for (int index = track->minimum(); index <= track->maximum(); ++index) {
      track->setValue(index);
      if (view->Grid()->model()->rowCount() > most) {
        most = view->Grid()->model()->rowCount();
        best = index;
      }
    }
    track->setValue(best);
    return view;
  }

  // A click on the column's header selects the whole column.
  static void ClickHeader(QTableView* grid, int column) {
    const QRect header(grid->horizontalHeader()->sectionViewportPosition(column), 0,
                       grid->horizontalHeader()->sectionSize(column),
                       grid->horizontalHeader()->height());
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      header.center());
  }

  // Moves the name from "Available Parameters" into "Sort By" with "<--".
  static void SortBy(TViewGroupDlg* view, const QString& name, bool ascending) {
    const int row = ItemNamed(view->AvailableList(), name);
    QVERIFY2(row >= 0, qPrintable(name));
    view->AvailableList()->setCurrentRow(row);
    view->SortList()->setCurrentRow(-1);
    view->PressSortIn();
    QListWidgetItem* key = view->SortList()->item(view->SortList()->count() - 1);
    QCOMPARE(key->text(), name);
    if (!ascending) key->setCheckState(Qt::Unchecked);
  }

private slots:
  void init() { QVERIFY(OpenSample()); }

  void cleanup() { CloseSample(); }

  void theCommandOpensTheChosenGroupState() {
    WhenModal("vandro::TSelectObjectDlg", [](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      const int row = RowNamed(dialog->Objects(), 1, QStringLiteral("INPATIENTS"));
      QVERIFY(row >= 0);
      dialog->Objects()->setCurrentCell(row, 1);
      dialog->OkButton()->click();
      dialog->OkButton()->click();
    });
    TViewGroupDlg* view = OpenViewGroup(*form);
    QVERIFY(view);
    QCOMPARE(form->Children().Count(TChildKind::GroupView), 1);
    QCOMPARE(view->windowTitle(), QStringLiteral("Group Table View: INPATIENTS"));
    QVERIFY(view->Grid()->model()->rowCount() > 0);
    QCOMPARE(view->Grid()->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Object Name"));
    const int32_t member = APSFindObject(Utf8ToCp1251OrRaise(
        Cell(view->Grid(), 0, 1).section(QLatin1Char('('), 0, 0).toStdString()));
    QVERIFY(view->UsesObject(member));
    QVERIFY(form->Children().ObjectInUse(APSFindObject("INPATIENTS")));
  }

  // Screen readers announce each control of both pages by its caption.
  void everyControlIsNamed() {
    TViewGroupDlg* view = Busiest("INPATIENTS");
    QVERIFY(view);
    QCOMPARE(view->Grid()->accessibleName(), QStringLiteral("Content"));
    QCOMPARE(view->ParameterList()->accessibleName(),
             QStringLiteral("Parameters (show if checked)"));
    QCOMPARE(view->SortList()->accessibleName(), QStringLiteral("Sort By"));
    for (QWidget* widget : view->findChildren<QWidget*>()) {
      const bool control =
          (widget->inherits("QAbstractItemView") && !widget->inherits("QHeaderView")) ||
          widget->inherits("QLineEdit") || widget->inherits("QAbstractSpinBox") ||
          widget->inherits("QAbstractSlider") || widget->inherits("QAbstractButton");
      if (!control || widget->inherits("QScrollBar") || widget->inherits("QTabBar") ||
          (widget->parentWidget() && widget->parentWidget()->inherits("QAbstractSpinBox")) ||
          widget->parentWidget()->inherits("QTabBar") || widget->inherits("QTableCornerButton"))
        continue;
      QVERIFY2(!widget->accessibleName().isEmpty(),
               qPrintable(QString::fromLatin1(widget->metaObject()->className()) +
                          QStringLiteral(" without a name")));
    }
  }

  // THERAPY holds five patients of both sexes at its busiest.
  void aWardSortedBySexThenWeightDescending() {
    TViewGroupDlg* view = Busiest("THERAPY");
    QVERIFY(view);
    QTableView* grid = view->Grid();
    const int rows = grid->model()->rowCount();
    QVERIFY2(rows >= 5, qPrintable(QString::number(rows)));
    view->Pages()->setCurrentIndex(1);
    SortBy(view, QStringLiteral("Sex"), true);
    SortBy(view, QStringLiteral("Weight"), false);
    QCOMPARE(view->AvailableList()->findItems(QStringLiteral("Weight"), Qt::MatchExactly).size(),
             0);
    view->Pages()->setCurrentIndex(0); // the sort runs as the page shows
    QCOMPARE(grid->model()->rowCount(), rows);
    const int sex = ColumnNamed(grid, QStringLiteral("Sex"));
    const int weight = ColumnNamed(grid, QStringLiteral("Weight"));
    QVERIFY(sex > 2 && weight > 2);
    bool mixed = false;
    for (int row = 0; row + 1 < rows; ++row) {
      const QString a = Cell(grid, row, sex), b = Cell(grid, row + 1, sex);
      QVERIFY2(a.compare(b, Qt::CaseInsensitive) <= 0, qPrintable(a + " before " + b));
      if (a.compare(b, Qt::CaseInsensitive) != 0) {
        mixed = true;
        continue;
      }
      QVERIFY2(Number(Cell(grid, row, weight)) >= Number(Cell(grid, row + 1, weight)),
               qPrintable(Cell(grid, row, weight) + " before " + Cell(grid, row + 1, weight)));
    }
    QVERIFY(mixed);                                  // both keys were at work
    QCOMPARE(Cell(grid, 0, 0), QStringLiteral("0")); // "#" counts the rows as they now stand

    // Edit: Copy (Ctrl+C) reaches the grid: the texts of two rows' names.
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(0, 1), grid->model()->index(1, 1)),
        QItemSelectionModel::ClearAndSelect);
    QApplication::setActiveWindow(form.get());
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             Cell(grid, 0, 1) + QStringLiteral("\r\n") + Cell(grid, 1, 1) + QStringLiteral("\r\n"));
  }

  void aSelectedColumnGoesToTheDescriptiveStatistics() {
    TViewGroupDlg* view = Busiest("SURGERY");
    QVERIFY(view);
    QTableView* grid = view->Grid();
    const int weight = ColumnNamed(grid, QStringLiteral("Weight"));
    QVERIFY(weight > 2);
    QVERIFY(!view->Command(QStringLiteral("Statistics"))->isEnabled());
    ClickHeader(grid, weight);
    QVERIFY(view->Command(QStringLiteral("Descriptive Statistics"))->isEnabled());
    QVERIFY(view->Command(QStringLiteral("Copy"))->isEnabled());
    QVERIFY(!view->Command(QStringLiteral("Next Version"))->isEnabled() ||
            view->Table().Selection().size() == 1);
    QString shown;
    WhenModal("vandro::TBasicStatDlg", [&shown](QWidget* widget) {
      auto* dialog = static_cast<TBasicStatDlg*>(widget);
      for (int column = 0; column < dialog->Grid()->columnCount(); ++column)
        if (QTableWidgetItem* item = dialog->Grid()->item(0, column)) shown += item->text() + "|";
      dialog->close();
    });
    // The main window's statistics command hands the view's selection on.
    form->Area()->setActiveSubWindow(view->SubWindow());
    QVERIFY(GroupViewStatistics(*form, true));
    QVERIFY2(shown.contains(QStringLiteral("Weight")), qPrintable(shown));
  }

  // The Weight column goes to "Statistics" as one numeric series in kg; a
  // column of names offers nothing to hand on and says so when asked.
  void aSelectedColumnGoesToTheStatisticsWindow() {
    TViewGroupDlg* view = Busiest("THERAPY");
    QVERIFY(view);
    QTableView* grid = view->Grid();
    const int weight = ColumnNamed(grid, QStringLiteral("Weight"));
    QVERIFY(weight > 2);
    int weighed = 0;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
      if (Cell(grid, row, weight).endsWith(QStringLiteral(" [kg]"))) ++weighed;
    QVERIFY(weighed > 0);

    ClickHeader(grid, 1);
    QVERIFY(view->Command(QStringLiteral("Copy"))->isEnabled());
    for (const char* command : {"Copy Numeric", "Descriptive Statistics", "Statistics"})
      QVERIFY2(!view->Command(QString::fromLatin1(command))->isEnabled(), command);
    form->Area()->setActiveSubWindow(view->SubWindow());
    QVERIFY(GroupViewStatistics(*form, false));
    QCOMPARE(sink->Last(), std::string(kNothingNumeric));

    ClickHeader(grid, weight);
    QVERIFY(view->Command(QStringLiteral("Statistics"))->isEnabled());
    QStringList listed;
    WhenModal("vandro::TStatDlg", [&listed](QWidget* widget) {
      auto* dialog = static_cast<TStatDlg*>(widget);
      QTableWidget* list = dialog->SeriesGrid();
      for (int row = 0; row < list->rowCount(); ++row)
        for (int column = 0; column < list->columnCount(); ++column)
          listed << (list->item(row, column) ? list->item(row, column)->text() : QString());
      dialog->reject();
    });
    view->Command(QStringLiteral("Statistics"))->trigger();
    QCOMPARE(listed, (QStringList{QStringLiteral("Weight"), QStringLiteral("Numeric"),
                                  QStringLiteral("kg"), QString::number(weighed)}));
  }
};

VANDRO_APP_TEST(GroupViewTest);

} // namespace vandro::apptest

#include "group_view_test.moc"
