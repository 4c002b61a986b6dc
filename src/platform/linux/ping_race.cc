#include "platform/linux/ping_race.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>

namespace nestwalk::platform {

std::optional<RaceWinner> PingRace::FirstSuitable(const std::vector<PingCandidate>& candidates,
                                                  const std::string& dnsDomain,
                                                  const Judge& suitable) {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t running = candidates.size();
  std::optional<RaceWinner> winner;
  std::stop_source losers;
  std::vector<std::jthread> threads;
  for (std::size_t index = 0; index < candidates.size(); ++index) {
    threads.emplace_back([&, index] {
      PingResult result = network_.Ping(candidates[index].host, candidates[index].port, dnsDomain,
                                        losers.get_token());
      const std::lock_guard lock(mutex);
      --running;
      if (!winner && suitable(index, result)) {
        winner = RaceWinner{index, std::move(result)};
      }
      changed.notify_all();
    });
  }
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return winner || running == 0; });
  }
  losers.request_stop();
  for (std::jthread& thread : threads) thread.join();
  return winner;
}

}  // namespace nestwalk::platform
