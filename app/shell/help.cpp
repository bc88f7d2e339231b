#include "app/shell/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace vandro {

namespace {

// Beside the program first, so a build runs with its own files, then where
// "make install" puts them.
QString Find(const QString& relative) {
  const QDir program(QCoreApplication::applicationDirPath());
  for (const QString& candidate : {program.filePath(relative),
                                   program.filePath(QStringLiteral("../share/vandro/") + relative)})
    if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
  return {};
}

} // namespace

QString ManualDirectory() {
  const QString index = Find(QStringLiteral("manual/index.html"));
  return index.isEmpty() ? QString() : QFileInfo(index).absolutePath();
}

bool OpenManualPage(const QString& page) {
  const QString directory = ManualDirectory();
  if (directory.isEmpty()) return false;
  const QString file = QDir(directory).filePath(page);
  if (!QFileInfo::exists(file)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QString SampleProjectPath() {
  const QString found = Find(QStringLiteral("sample/healthmonitor.vdp"));
  if (!found.isEmpty()) return found;
  return QDir(QCoreApplication::applicationDirPath())
      .filePath(QStringLiteral("sample/healthmonitor.vdp"));
}

QString SampleCopyDirectory() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("sample"));
}

} // namespace vandro
