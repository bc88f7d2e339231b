#include "app_test_support.h"

#include <QApplication>
#include <QPointer>
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
// against a settings folder of its own.
int main(int argc, char** argv) {
  QTemporaryDir config;
  qputenv("VANDRO_CONFIG_DIR", config.path().toUtf8());
  QApplication application(argc, argv);
  int failures = 0;
  for (const auto& factory : vandro::apptest::Tests()) {
    const std::unique_ptr<QObject> test = factory();
    failures += QTest::qExec(test.get(), argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
