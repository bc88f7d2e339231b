// The user's own copy of the sample project.
//
// The program ships the sample beside itself or under share/vandro, places a
// user often cannot write to, while a project that is open is written to
// (its lock, its counters, the time it was last opened, the user's own
// records). So the sample is never opened where it was installed: on first
// use its two files are copied into the user's data directory, and from then
// on that copy is opened, with whatever the user has done to it.
#pragma once

#include <string>

namespace vandro {

// The project file of the user's copy in directory, copying the shipped
// project (its file and its database) there first when the copy is not
// complete. A copy that has both files is kept as it is. Empty after a
// message when the shipped sample is missing or the copy cannot be made; a
// failed copy leaves no half-written file and never a project file without
// its database. The copy's files are writable by the user whatever the
// shipped files' permissions.
std::string UserSampleProject(const std::string& shippedFile, const std::string& directory);

} // namespace vandro
