// The program entry as a function: one run from the argument words to its status.
#ifndef NESTWALK_DRIVER_PROGRAM_H_
#define NESTWALK_DRIVER_PROGRAM_H_

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace nestwalk {

// Runs the program once. `args` are the argument words, the program path first. `in` is standard
// input (an account list given as "-in -"); output goes to `out` (standard output) and `err`
// (standard error). Returns the run's status: 0 after the
// report, 1 after the usage text, -1 on a handled failure, or the failing platform call's status.
int RunProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, platform::Platform& platform);

// The process exit code for a run status: its low eight bits, except that a failure never
// exits 0 (a non-zero status whose low eight bits are 0 exits 255). -1 exits as 255.
int ExitCodeForStatus(int status);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_PROGRAM_H_
