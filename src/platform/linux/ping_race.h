// Pinging the candidates of one SRV list at the same time, the first suitable answer winning.
#ifndef NESTWALK_PLATFORM_LINUX_PING_RACE_H_
#define NESTWALK_PLATFORM_LINUX_PING_RACE_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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

// One thread per candidate calls `network.Ping`. Pings still running once a winner is known are
// left to end by themselves (each ping has its own time limit) and are joined by a later race or
// by the destructor, so `network` must outlive this object and be safe to ping from several
// threads at once. Races may run on several threads at once.
class PingRace {
 public:
  explicit PingRace(DiscoveryNetwork& network);
  ~PingRace();
  PingRace(const PingRace&) = delete;
  PingRace& operator=(const PingRace&) = delete;

  // Pings every candidate about `dnsDomain` and returns the first answer that `suitable`
  // accepts, as soon as it comes; nullopt once every ping has ended without one. `suitable` is
  // called on the pinging threads, one at a time, and never after this returns.
  std::optional<RaceWinner> FirstSuitable(const std::vector<PingCandidate>& candidates,
                                          const std::string& dnsDomain,
                                          const std::function<bool(const PingResult&)>& suitable);

 private:
  struct Progress;  // what the pings of one race share
  // The threads of a race that had not all ended when it was decided.
  struct Unfinished {
    std::shared_ptr<Progress> progress;
    std::vector<std::thread> threads;
  };

  // Joins the threads of earlier races whose pings have all ended.
  void JoinEnded();

  DiscoveryNetwork& network_;
  std::mutex mutex_;  // guards unfinished_
  std::vector<Unfinished> unfinished_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_PING_RACE_H_
