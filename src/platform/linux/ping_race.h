// Pinging the candidates of one SRV list at the same time, the first suitable answer winning.
#ifndef NESTWALK_PLATFORM_LINUX_PING_RACE_H_
#define NESTWALK_PLATFORM_LINUX_PING_RACE_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/dc_discovery.h"

namespace nestwalk::platform {

struct PingCandidate {
  std::string host;
  int port = kLdapPort;
};

struct RaceWinner {
  std::size_t index = 0;  // of the candidate in the list given
  PingResult result;
};

// One thread per candidate calls `network.Ping`. Once a winner is known the pings still running
// are stopped, and every thread has ended when FirstSuitable returns, so a silent candidate
// costs nothing after the answer (and nothing at exit). `network` must be safe to ping from
// several threads at once. Races may run on several threads at once.
class PingRace {
 public:
  explicit PingRace(DiscoveryNetwork& network) : network_(network) {}

  // Pings every candidate about `dnsDomain` and returns the first answer that `suitable`
  // accepts, as soon as it comes; nullopt once every ping has ended without one. `suitable` is
  // given the candidate's index and its result, on the pinging threads, one at a time, and never
  // after this returns (nor for the pings stopped once there is a winner).
  using Judge = std::function<bool(std::size_t index, const PingResult& result)>;
  std::optional<RaceWinner> FirstSuitable(const std::vector<PingCandidate>& candidates,
                                          const std::string& dnsDomain, const Judge& suitable);

 private:
  DiscoveryNetwork& network_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_PING_RACE_H_
