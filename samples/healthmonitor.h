// The sample project "healthmonitor" that the welcome window offers: the
// patients of a small hospital, its wards as groups, three months of vital
// signs recorded through templates, a few project variables, and charts of
// the vital signs ("TemperatureCurve", "PulseByWard", "SpO2VsPulse").
//
// The project is written through the core exactly as the program would store
// it, from a fixed seed and fixed dates (the clock is held at each record's
// entry time), so two runs give the same content.
#pragma once

#include <string>

namespace vandro::sample {

// The stretch of time the sample covers: admissions from the first moment,
// nothing recorded after the last (days since 30 December 1899).
double FirstDay(); // 1 September 2026, 00:00
double LastDay();  // 30 November 2026, 23:59

// One scripted stay that the checks of the sample rely on: Alice Morgan is
// admitted to cardiology on 2 September 2026 at about 10:00, moves to therapy on
// the afternoon of 6 September and goes home on the morning of 12 September.
inline constexpr const char* kScriptedPatient = "MORGAN_ALICE";

// Writes the sample project at projectFile (".vdp"; its ".vdb" beside it),
// replacing the two files when they are there. False after a message when it
// cannot; what was written is then not a usable sample.
bool MakeHealthMonitor(const std::string& projectFile);

} // namespace vandro::sample
