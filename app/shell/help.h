// The HTML manual shipped beside the program and the sample project: where
// they are, and opening manual pages in the user's browser.
#pragma once

#include <QString>

namespace vandro {

// The manual's folder: "manual" beside the program (the build tree), else
// the installed share/vandro/manual; empty when neither holds the manual.
QString ManualDirectory();

// Opens a page of the manual ("index.html", "about.html") in the default
// browser, as one argument to the desktop, never through a shell. False when
// the page is missing or the desktop refuses.
bool OpenManualPage(const QString& page);

// The sample project: "sample/healthmonitor.vdp" beside the program, else in
// the installed share/vandro.
QString SampleProjectPath();

// Where the user's own copy of the sample is kept (storage/sample_copy.h):
// "sample" in the user's data directory.
QString SampleCopyDirectory();

} // namespace vandro
