// "Known at:" in the object view and in Browse Database: the sample's patient
// CHEN_WEI as the project knew him before a back-dated correction of his
// admission weight, then as it knows him now.
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/storage/database_browser_form.h"
#include "app_test_support.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "storage/objects.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <memory>

namespace vandro::apptest {

namespace {

// Pages the browser's objects until name shows and chooses it.
bool ChooseObject(TDatabaseBrowserForm& browser, const QString& name) {
  QScrollBar* pages = browser.ScrollBar();
  for (int position = 0;; position += pages->pageStep()) {
    pages->setValue(std::min(position, pages->maximum()));
    QTableWidget* grid = browser.ObjectsGrid();
    for (int row = 0; row < grid->rowCount(); ++row)
      if (grid->item(row, 1) && grid->item(row, 1)->text() == name) {
        grid->setCurrentCell(row, 1);
        return true;
      }
    if (position >= pages->maximum()) return false;
  }
}

} // namespace

class KnownAtWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  // The sample ends on 30 November 2026; the correction is typed on
  // 3 December at 15:00, and the windows open an hour later.
  const double typed = Moment("03.12.2026 15:00:00");
  TFixedClock clock{typed};
  const TClock* previousClock = nullptr;
  const double before = Moment("03.12.2026 09:00:00");
  int32_t patient = 0;

  // CHEN_WEI was admitted on 17 November weighing 80.4 kg; the correction,
  // back-dated to an hour after the admission, says 84.5 kg. His later
  // records do not weigh him, so his state now carries the weight.
  void CorrectTheAdmissionWeight() {
    patient = APSFindObject("CHEN_WEI");
    QVERIFY(patient != 0);
    TObjectSet set;
    QVERIFY(set.Load(patient));
    TStateTrack track;
    const double admitted = Moment("17.11.2026 16:09:00");
    QVERIFY(set.LatestStateAt(admitted, track));
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto weight = std::make_unique<TPVRelation>();
    weight->Parameter = CurrentProject()->FindParameter("Weight");
    weight->Value.SetPlain("84.5 [kg]");
    weight->Modified = true;
    pairs.push_back(std::move(weight));
    QVERIFY(track.ModifyRecord(std::move(pairs), admitted, TPlacement::BetweenNeighbours) != 0);
    clock.Advance(1.0 / 24);
  }

private slots:
  void init() {
    QVERIFY(OpenSample(false));
    clock.Set(typed);
    previousClock = SetClock(&clock);
    CorrectTheAdmissionWeight();
  }

  void cleanup() {
    SetClock(previousClock);
    CloseSample();
  }

  void theObjectViewShowsThePastAndStoresNothingThere() {
    TObjectViewDlg view(form.get());
    QVERIFY(view.Open(patient));
    QPushButton* newState = view.NewStateButton();
    QPushButton* editRecord = view.EditRecordButton();
    QVERIFY(newState && editRecord);
    const QString opened = view.windowTitle();
    QCOMPARE(opened, QStringLiteral("View Object"));
    QCOMPARE(ValueOf(view.ValuesGrid(), QStringLiteral("Weight")), QStringLiteral("84.5 [kg]"));
    QVERIFY(newState->isEnabled() && editRecord->isEnabled());

    view.KnownAt()->SetMoment(before);
    view.RefreshButton()->click();
    QVERIFY(view.ShowsThePast());
    QVERIFY(view.windowTitle().startsWith(QStringLiteral("View Object, as known at ")));
    QVERIFY(view.windowTitle().contains(QStringLiteral("03.12.2026 09:00")));
    QCOMPARE(ValueOf(view.ValuesGrid(), QStringLiteral("Weight")), QStringLiteral("80.4 [kg]"));
    QVERIFY(!newState->isEnabled());
    QVERIFY(!editRecord->isEnabled());

    // Back to now: everything stored so far, and the commands again.
    view.KnownAt()->SetMoment(Now());
    view.RefreshButton()->click();
    QVERIFY(!view.ShowsThePast());
    QCOMPARE(view.windowTitle(), opened);
    QCOMPARE(ValueOf(view.ValuesGrid(), QStringLiteral("Weight")), QStringLiteral("84.5 [kg]"));
    QVERIFY(newState->isEnabled() && editRecord->isEnabled());
    QVERIFY(sink->messages.empty());
  }

  void theDefaultKnownAtIsEverythingWhateverTheFractionOfASecond() {
    // The pickers show whole seconds; the windows open at any moment.
    clock.Advance(0.75 / 86400);
    TObjectViewDlg view(form.get());
    QVERIFY(view.Open(patient));
    view.RefreshButton()->click();
    QVERIFY(!view.ShowsThePast());
    QCOMPARE(view.windowTitle(), QStringLiteral("View Object"));
    QVERIFY(view.NewStateButton()->isEnabled());

    TDatabaseBrowserForm browser(form.get());
    browser.RefreshButton()->click();
    QCOMPARE(browser.windowTitle(), QStringLiteral("Browse Database"));
  }

  void browseDatabaseShowsThePastAndItsObjectViewToo() {
    bool checked = false;
    WhenModal("vandro::TDatabaseBrowserForm", [&](QWidget* dialog) {
      auto* browser = static_cast<TDatabaseBrowserForm*>(dialog);
      QVERIFY(ChooseObject(*browser, QStringLiteral("CHEN_WEI")));
      const QString opened = browser->windowTitle();
      QCOMPARE(opened, QStringLiteral("Browse Database"));
      QCOMPARE(ValueOf(browser->ValuesGrid(), QStringLiteral("Weight")),
               QStringLiteral("84.5 [kg]"));

      browser->KnownAt()->SetMoment(before);
      browser->RefreshButton()->click();
      QVERIFY(browser->windowTitle().startsWith(QStringLiteral("Browse Database, as known at ")));
      QVERIFY(browser->windowTitle().contains(QStringLiteral("03.12.2026 09:00")));
      QCOMPARE(ValueOf(browser->ValuesGrid(), QStringLiteral("Weight")),
               QStringLiteral("80.4 [kg]"));

      // Its View Object looks at the same past, with nothing to store there.
      bool viewed = false;
      WhenModal("vandro::TObjectViewDlg", [&](QWidget* widget) {
        auto* view = static_cast<TObjectViewDlg*>(widget);
        viewed = true;
        QVERIFY(view->ShowsThePast());
        QVERIFY(view->windowTitle().startsWith(QStringLiteral("View Object, as known at ")));
        QCOMPARE(ValueOf(view->ValuesGrid(), QStringLiteral("Weight")),
                 QStringLiteral("80.4 [kg]"));
        for (QPushButton* button : {view->NewStateButton(), view->EditRecordButton()})
          QVERIFY(!button || !button->isEnabled());
        view->reject();
      });
      browser->ViewObjectButton()->click();
      QVERIFY(viewed);

      browser->KnownAt()->SetMoment(Now());
      browser->RefreshButton()->click();
      QCOMPARE(browser->windowTitle(), opened);
      QCOMPARE(ValueOf(browser->ValuesGrid(), QStringLiteral("Weight")),
               QStringLiteral("84.5 [kg]"));
      checked = true;
      browser->reject();
    });
    form->Command(QStringLiteral("projBrowse"))->trigger();
    QVERIFY(checked);
    QVERIFY(sink->messages.empty());
  }
};

VANDRO_APP_TEST(KnownAtWindowsTest);

} // namespace vandro::apptest

#include "known_at_windows_test.moc"
