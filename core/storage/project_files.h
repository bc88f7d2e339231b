// The files that make up the open project: its project file, its database
// and the database's journal siblings. Whatever writes a file the user named
// asks here first, so that no export or save can replace the project it was
// made from. Files are compared by device and inode, which catches another
// spelling of the same path, a symbolic link and a hard link alike.
#pragma once

#include <string>

namespace vandro {

// Whether path (code page 1251) names an existing file that is one of the
// open project's. A path that does not exist yet is none; without an open
// project nothing is.
bool IsOpenProjectFile(const std::string& path);
// The same for a name as the file system spells it (UTF-8), for names that
// code page 1251 cannot hold.
bool IsOpenProjectOsFile(const std::string& osPath);

// False after "The file is part of the open project: " + path when it is one
// of them; true when path may be written.
bool MayWriteOver(const std::string& path);

// "device:inode" of the open project's database, empty without one: it tells
// this very project from a copy of it that arrived from elsewhere.
std::string OpenProjectIdentity();

} // namespace vandro
