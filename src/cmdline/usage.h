// The usage text that -h and -? show.
#ifndef NESTWALK_CMDLINE_USAGE_H_
#define NESTWALK_CMDLINE_USAGE_H_

#include "platform/console.h"

namespace nestwalk {

// The status of a run that showed the usage text.
inline constexpr int kUsageStatus = 1;

// Writes the usage text to standard error and returns kUsageStatus, which the caller returns
// at once: nothing of the run follows the usage text.
int ShowUsage(Console& console);

}  // namespace nestwalk

#endif  // NESTWALK_CMDLINE_USAGE_H_
