#include "app/shell/startup.h"

#include "app/shell/about_box.h"
#include "app/shell/app_icon.h"
#include "app/shell/main_form.h"
#include "app/shell/message_box.h"
#include "app/shell/single_instance.h"
#include "language/record_evaluation.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "storage/project_lifecycle.h"

#include <QApplication>
#include <QFileInfo>
#include <QSplashScreen>
#include <QTimer>

namespace vandro {

namespace {

// How long the splash stays at least once the main window is ready.
constexpr int kSplashMs = 900;

// Qt's event handling must not be crossed by an exception: one that a
// command let through is reported here, and the program goes on.
class TApplication final : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const ErrorException&) {
      // Shown before it was raised.
    } catch (const std::exception& failure) {
      ShowMsg(std::string(kSystemErrorPrefix) + kLineBreak + failure.what());
    }
    return false;
  }
};

} // namespace

void StartCore() {
  InstallEngine();
}

int RunVandro(int argc, char** argv) {
  TApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vandro"));
  QApplication::setApplicationVersion(QString::fromLatin1(kVandroVersion));
  QApplication::setDesktopFileName(QStringLiteral("vandro"));
  QApplication::setWindowIcon(AppIcon());
  const QStringList arguments = QApplication::arguments();
  const QString projectArgument = arguments.size() > 1 ? arguments.at(1) : QString();

  // The running instance has a working folder of its own.
  const QString handedOver =
      projectArgument.isEmpty() ? QString() : QFileInfo(projectArgument).absoluteFilePath();
  TSingleInstance instance;
  if (instance.ActivateRunning(handedOver)) return 0;
  if (!instance.Listen() && instance.ActivateRunning(handedOver)) return 0;

  StartCore();
  TSettings settings;
  settings.Load(SettingsPath());
  TMessageBoxSink messageBox(settings);
  const ScopedMessageSink sink(messageBox);

  QSplashScreen splash(SplashPixmap());
  splash.show();
  QApplication::processEvents();

  TMainForm form(settings);
  QObject::connect(&instance, &TSingleInstance::activationRequested, &form, &TMainForm::Activate);
  // The splash closes at the first tick after the main window is ready; the
  // main window shows and then opens the start-up project.
  QTimer::singleShot(kSplashMs, &form, [&] {
    splash.finish(&form);
    form.show();
    form.repaint();
    form.StartUp(projectArgument);
  });
  const int result = QApplication::exec();
  CloseProject();
  return result;
}

} // namespace vandro
