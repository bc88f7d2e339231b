// What a new project's database starts with, and copying the structure of an
// existing project into it.
#pragma once

#include <string>

namespace vandro {

class TProject;

// Writes the ten system parameters (identifiers 2..11) and then the 121
// default units (12..136, skipping the multiples of 32) into the project
// whose tables are open, as one transaction.
void WriteNewProjectContent();

// Copies the user-defined structure of the project file basePath into the
// project whose tables are open: its parameters except the system ones, its
// user-defined units (the supplied ones the new project has already) and its
// templates (template_rows.h, CopyTemplates).
// Objects, records, index entries, charts and variables are never copied.
// False, after a message, when the base project cannot be read ("File not
// found:", "Can't connect to database:"); an error raised while copying ends
// the copy after its own message. What was copied before a failure stays.
bool APSCopyStructure(const std::string& basePath);

} // namespace vandro
