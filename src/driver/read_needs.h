// What a run reads, decided once from its settings; how it writes the answer is the report's
// business.
#ifndef NESTWALK_DRIVER_READ_NEEDS_H_
#define NESTWALK_DRIVER_READ_NEEDS_H_

#include "cmdline/run_settings.h"
#include "membership/read_needs.h"

namespace nestwalk {

ReadNeeds ReadNeedsOf(const RunSettings& settings);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_READ_NEEDS_H_
