// The main window's Statistics commands: Basic Statistics, Stat Dialog (also
// the tool bar's Statistics) and Distributions.
#pragma once

namespace vandro {

class TMainForm;

// The group table view's own command when it is the active child with
// selected cells; otherwise a series asked for through the value
// constructor, shown in "Descriptive stats".
void OpenBasicStatistics(TMainForm& main);
// The group table view's own command likewise; otherwise "Statistics" with
// an empty list, modal.
void OpenStatistics(TMainForm& main);
// "Distributions", modal; needs no project.
void OpenDistributions(TMainForm& main);

} // namespace vandro
