// The one check every window makes before it writes a file the user chose in
// a save dialog (exports, "Save As..." of result grids, "Save Picture As",
// printing to a file): the open project's own files are never written over.
#pragma once

#include <QString>

namespace vandro {

// False after "The file is part of the open project: " + path when path
// names one of the open project's files by any name (a link included).
bool MayWriteFile(const QString& path);

} // namespace vandro
