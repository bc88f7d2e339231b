#include "app/exchange/save_target.h"

#include "app/shell/text_edge.h"
#include "shell/messages.h"
#include "storage/project_files.h"

#include <QFile>

namespace vandro {

bool MayWriteFile(const QString& path) {
  // Compared by the name the file system knows, so that a name code page
  // 1251 cannot hold is checked too.
  if (!IsOpenProjectOsFile(QFile::encodeName(path).toStdString())) return true;
  std::string shown;
  if (!TryToCore(path, shown)) {
    shown.clear();
    for (const QChar c : path)
      shown += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
  }
  ShowMsg("The file is part of the open project: " + shown);
  return false;
}

} // namespace vandro
