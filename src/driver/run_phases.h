// The directory part of a run: server selection, account lookup, primary group, memberships,
// the forest-wide mode, the nested expansion and the report.
#ifndef NESTWALK_DRIVER_RUN_PHASES_H_
#define NESTWALK_DRIVER_RUN_PHASES_H_

#include "cmdline/run_settings.h"
#include "driver/security_principal.h"
#include "driver/since_report.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace nestwalk {

// Runs the phases in order and returns the run's status (0 after the report, -1 when a phase
// ends the run). Every connection it opens is closed before it returns.
// With -since, `since` takes the report's place and closes the run (nullptr without it).
int RunDirectoryPhases(Console& console, platform::Platform& platform, const RunSettings& settings,
                       const SecurityPrincipal& principal, SinceReport* since = nullptr);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_RUN_PHASES_H_
