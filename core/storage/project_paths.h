// The files of a project named by a path P: the project file P itself, or
// when it has no extension P.vdp (P.VDP when only that one exists); its
// directory D; its name N, the
// file name up to the first "."; the database D/N.vdb beside it.
#pragma once

#include <string>

namespace vandro {

struct TProjectPaths {
  std::string file;      // absolute
  std::string directory; // absolute
  std::string name;      // empty when the file name starts with "."
};

TProjectPaths ResolveProjectPaths(const std::string& path);

} // namespace vandro
