#include "app_test_support.h"

#include "app/shell/main_form.h"
#include "app/shell/startup.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/project.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/project_lifecycle.h"
#include "storage/sample_copy.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace vandro::apptest {

TRecordingSink::TRecordingSink() : previous_(SetMessageSink(this)) {}

TRecordingSink::~TRecordingSink() {
  SetMessageSink(previous_);
}

void TRecordingSink::Show(const std::string& text) {
  messages.push_back(text);
}

void TRecordingSink::ShowList(const std::vector<std::string>& lines) {
  std::string joined;
  for (const auto& line : lines)
    joined += (joined.empty() ? "" : "\r\n") + line;
  messages.push_back(joined);
}

bool TRecordingSink::Ask(const std::string& text, bool yesDefault) {
  questions.push_back(text);
  if (answers_.empty()) {
    ++unanswered;
    return yesDefault;
  }
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

int TRecordingSink::Choose(const std::string& text, const std::vector<std::string>& buttons,
                           int defaultButton) {
  questions.push_back(text);
  if (presses_.empty()) {
    ++unanswered;
    return defaultButton;
  }
  const std::string button = presses_.front();
  presses_.pop_front();
  const auto at = std::find(buttons.begin(), buttons.end(), button);
  return at == buttons.end() ? static_cast<int>(buttons.size()) - 1
                             : static_cast<int>(at - buttons.begin());
}

double Moment(const char* text) {
  double moment = 0;
  TryTextToDateTime(text, TDateStyle::European, moment);
  return moment;
}

int RowNamed(const QTableWidget* grid, int column, const QString& name) {
  for (int row = 0; row < grid->rowCount(); ++row)
    if (grid->item(row, column) && grid->item(row, column)->text() == name) return row;
  return -1;
}

QString ValueOf(const QTableWidget* grid, const QString& name) {
  for (int row = 0; row < grid->rowCount(); ++row)
    if (grid->item(row, 0) && grid->item(row, 0)->text() == name) return grid->item(row, 1)->text();
  return {};
}

void WhenModal(const char* className, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, waited, className, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->inherits(className)) {
      timer->deleteLater();
      timer->stop();
      act(modal);
      // A check that failed inside act returned before closing the dialog;
      // it is closed for it, so the test ends instead of hanging.
      QTimer::singleShot(5000, [open = QPointer<QWidget>(modal), className] {
        if (!open || !open->isVisible()) return;
        qWarning("%s was left open; closing it", className);
        open->close();
      });
      return;
    }
    if (++*waited > 500) { // 5 s
      timer->stop();
      timer->deleteLater();
      qWarning("No %s opened; closing the modal dialogs", className);
      while (QWidget* open = QApplication::activeModalWidget())
        open->close();
    }
  });
  timer->start(10);
}

TSampleProjectTest::TSampleProjectTest() = default;
TSampleProjectTest::~TSampleProjectTest() = default;

QString TSampleProjectTest::BuildDir() {
  return QStringLiteral(QT_TESTCASE_BUILDDIR);
}

bool TSampleProjectTest::OpenSample(bool show) {
  dir = std::make_unique<QTemporaryDir>();
  sink = std::make_unique<TRecordingSink>();
  settings = std::make_unique<TSettings>();
  settings->Load(dir->filePath(QStringLiteral("config.vd")).toStdString());
  form = std::make_unique<TMainForm>(*settings);
  if (show) {
    form->resize(900, 700);
    form->show();
  }
  project = QString::fromStdString(UserSampleProject(
      (BuildDir() + QStringLiteral("/../app/sample/healthmonitor.vdp")).toStdString(),
      dir->path().toStdString()));
  return !project.isEmpty() && form->OpenProjectAt(project);
}

void TSampleProjectTest::CloseSample() {
  form.reset();
  CloseProject();
  settings.reset();
  sink.reset();
  dir.reset();
}

TMemoryProjectTest::TMemoryProjectTest() = default;
TMemoryProjectTest::~TMemoryProjectTest() = default;

void TMemoryProjectTest::OpenMemoryProject() {
  sink = std::make_unique<TRecordingSink>();
  project = TProject::CreateInMemory();
  scope = std::make_unique<ScopedProject>(*project);
  language = std::make_unique<ScopedLanguage>();
}

void TMemoryProjectTest::CloseMemoryProject() {
  language.reset();
  scope.reset();
  project.reset();
  sink.reset();
}

void PrintNextToPdf(const QString& pdf) {
  WhenModal("QPrintDialog", [pdf](QWidget* window) {
    auto* dialog = static_cast<QPrintDialog*>(window);
    dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog->printer()->setOutputFileName(pdf);
    dialog->done(QDialog::Accepted);
  });
}

int DarkPixelsOfFirstPage(const QString& pdf, const QString& workDir) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) return -1;
  const QString prefix = QDir(workDir).filePath(QStringLiteral("page"));
  if (QProcess::execute(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"),
                                   QStringLiteral("30"), QStringLiteral("-f"), QStringLiteral("1"),
                                   QStringLiteral("-l"), QStringLiteral("1"), pdf, prefix}) != 0)
    return 0;
  const QDir pages(workDir, QStringLiteral("page*.png"));
  if (pages.entryList().isEmpty()) return 0;
  const QImage page(pages.filePath(pages.entryList().constFirst()));
  int dark = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (qGray(page.pixel(x, y)) < 128) ++dark;
  return dark;
}

namespace {
std::vector<TTestFactory>& Tests() {
  static std::vector<TTestFactory> tests;
  return tests;
}
} // namespace

int RegisterTest(TTestFactory factory) {
  Tests().push_back(std::move(factory));
  return static_cast<int>(Tests().size());
}

} // namespace vandro::apptest

// One program for every window test: each registered class runs in turn
// against a settings folder of its own. VANDRO_APP_TEST=Name runs only the
// classes whose name contains Name (the functions named on the command line
// must then be theirs).
int main(int argc, char** argv) {
  QTemporaryDir config;
  qputenv("VANDRO_CONFIG_DIR", config.path().toUtf8());
  QApplication application(argc, argv);
  // As the desktop program starts: a window that evaluates formulas finds
  // what the program gives it, no more.
  vandro::StartCore();
  const QByteArray only = qgetenv("VANDRO_APP_TEST");
  int failures = 0;
  for (const auto& factory : vandro::apptest::Tests()) {
    const std::unique_ptr<QObject> test = factory();
    if (!only.isEmpty() && !QByteArray(test->metaObject()->className()).contains(only)) continue;
    failures += QTest::qExec(test.get(), argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
