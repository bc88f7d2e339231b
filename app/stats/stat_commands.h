// The main window's Statistics commands: Basic Statistics, Stat Dialog (also
// the tool bar's Statistics) and Distributions.
#pragma once

namespace vandro {

class TMainForm;

// Basic Statistics: the group table view's "Descriptive Statistics" when it
// is the active child with selected cells; otherwise "Statistics" with an
// empty list, modal.
void OpenBasicStatistics(TMainForm& main);
// Stat Dialog: the group table view's "Statistics" likewise; otherwise the
// same empty "Statistics".
void OpenStatistics(TMainForm& main);
// "Distributions", modal; needs no project.
void OpenDistributions(TMainForm& main);

} // namespace vandro
