#include "driver/run_phases.h"

namespace nestwalk {

int RunDirectoryPhases(Console&, platform::Services&, const RunSettings&,
                       const SecurityPrincipal&) {
  return 0;
}

}  // namespace nestwalk
