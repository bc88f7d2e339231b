// Shared by the window tests: a message sink that records and answers from a
// queue, a temporary folder with projects, and a way to act on a modal
// dialog once it is open.
#pragma once

#include "shell/messages.h"
#include "support/plain_array.h"
#include "values/value.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

class QTableWidget;

namespace vandro {
class ScopedLanguage;
class ScopedProject;
class TProject;
class TMainForm;
class TSettings;
} // namespace vandro

namespace vandro::apptest {

// Records every message; answers questions from a queue, and with the
// question's own default when the queue is empty (noted in Unasked()).
class TRecordingSink final : public TMessageSink {
public:
  TRecordingSink();
  ~TRecordingSink() override;
  void Show(const std::string& text) override;
  void ShowList(const std::vector<std::string>& lines) override;
  bool Ask(const std::string& text, bool yesDefault) override;
  int Choose(const std::string& text, const std::vector<std::string>& buttons,
             int defaultButton) override;

  void Answer(bool yes) { answers_.push_back(yes); }
  // The button pressed at the next question with buttons of its own.
  void Press(std::string button) { presses_.push_back(std::move(button)); }
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  int unanswered = 0; // questions that found no queued answer
  std::string Last() const { return messages.empty() ? std::string() : messages.back(); }

private:
  std::deque<bool> answers_;
  std::deque<std::string> presses_;
  TMessageSink* previous_;
};

// A European date-time text as the moment it names (0 when it names none).
double Moment(const char* text);
// The row whose cell in column reads name; -1 without one.
int RowNamed(const QTableWidget* grid, int column, const QString& name);
// The text of name's row in a values grid ("Parameter", "Value"); empty
// without one.
QString ValueOf(const QTableWidget* grid, const QString& name);

// Runs act on the first modal dialog of class className that opens. So that
// a failing test cannot hang, the dialogs are closed when none opens within
// five seconds, or when act leaves the dialog open for five seconds.
void WhenModal(const char* className, std::function<void(QWidget*)> act);

// The frame of the window tests that work on a copy of the sample project:
// a temporary folder, a recording sink, settings of their own and the main
// window with the copy open. The engine is the one the test program started
// as the desktop program starts it.
class TSampleProjectTest : public QObject {
protected:
  TSampleProjectTest();
  ~TSampleProjectTest() override;
  // From init(): everything above; the main window shown at 900 x 700 when
  // show. False when the copy did not open.
  bool OpenSample(bool show = true);
  // From cleanup(): everything taken down, the project closed.
  void CloseSample();
  static QString BuildDir();

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TRecordingSink> sink;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TMainForm> form;
  QString project; // the copy's project file
};

// The frame of the window tests that need a project's lists and language but
// no database: a recording sink and a project in memory, made current.
class TMemoryProjectTest : public QObject {
protected:
  TMemoryProjectTest();
  ~TMemoryProjectTest() override;
  // From init() and cleanup().
  void OpenMemoryProject();
  void CloseMemoryProject();

  std::unique_ptr<TRecordingSink> sink;
  std::unique_ptr<TProject> project;
  std::unique_ptr<ScopedProject> scope;
  std::unique_ptr<ScopedLanguage> language;
};

using testing::PlainArray;

// Answers the next print dialog by printing to a PDF file at pdf.
void PrintNextToPdf(const QString& pdf);
// The dark pixels of the PDF's first page, drawn by poppler's pdftoppm into
// workDir; -1 when pdftoppm is not installed.
int DarkPixelsOfFirstPage(const QString& pdf, const QString& workDir);

// A test class registers itself to run in the one test program.
using TTestFactory = std::function<std::unique_ptr<QObject>()>;
int RegisterTest(TTestFactory factory);

} // namespace vandro::apptest

#define VANDRO_APP_TEST(Class)                                                                     \
  static const int registered##Class =                                                             \
      ::vandro::apptest::RegisterTest([] { return std::make_unique<Class>(); })
