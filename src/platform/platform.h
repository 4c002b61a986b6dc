// The platform as a whole: what a run is given to reach its directory, its locator and its host,
// made once the run knows how it will work.
#ifndef NESTWALK_PLATFORM_PLATFORM_H_
#define NESTWALK_PLATFORM_PLATFORM_H_

#include <chrono>

#include "platform/directory.h"
#include "platform/host_queries.h"
#include "platform/run_control.h"
#include "platform/services.h"

namespace nestwalk::platform {

// How a locator tries the candidates that one SRV list names.
enum class CandidatePings {
  kOneAfterAnother,  // in SRV order, each ping waited for
  kTogether,         // all at once, the first suitable answer winning and the others stopped
};

class Platform {
 public:
  virtual ~Platform() = default;
  // Who runs the program and on which machine.
  virtual HostQueries& host() = 0;
  // The process: its clock, its terminal, its interrupts.
  virtual RunControl& control() = 0;
  // The services of a run whose locator pings as `pings` says. The directory and the host are
  // the same whatever `pings`; everything is valid as long as the platform lives.
  virtual Services services(CandidatePings pings) = 0;
  // How long the locator waits for a DC to accept its LDAP ping, and again for the answer, from
  // now on; before the first query. A platform whose locator is the system's own has no such
  // wait to set, and ignores it.
  virtual void SetPingWait(std::chrono::milliseconds /*wait*/) {}
  // From now on every negotiate bind that names no credentials of its own, the run's and the
  // platform's own lookups alike, binds as `identity` instead of the caller. Before any
  // services are used.
  virtual void UseIdentity(ExplicitCredentials identity) = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_PLATFORM_H_
