#include "platform/linux/ping_race.h"

#include <condition_variable>
#include <utility>

namespace nestwalk::platform {

struct PingRace::Progress {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t running = 0;
  bool decided = false;  // the caller has its answer; later pings only end
  std::optional<RaceWinner> winner;
};

PingRace::PingRace(DiscoveryNetwork& network) : network_(network) {}

PingRace::~PingRace() {
  for (Unfinished& race : unfinished_) {
    for (std::thread& thread : race.threads) thread.join();
  }
}

std::optional<RaceWinner> PingRace::FirstSuitable(
    const std::vector<PingCandidate>& candidates, const std::string& dnsDomain,
    const std::function<bool(const PingResult&)>& suitable) {
  JoinEnded();
  if (candidates.empty()) return std::nullopt;
  auto progress = std::make_shared<Progress>();
  progress->running = candidates.size();
  std::vector<std::thread> threads;
  for (std::size_t index = 0; index < candidates.size(); ++index) {
    // The thread keeps its own copies: it may outlive this call.
    threads.emplace_back([this, progress, index, candidate = candidates[index], dnsDomain,
                          &suitable] {
      PingResult result = network_.Ping(candidate.host, candidate.port, dnsDomain);
      const std::lock_guard lock(progress->mutex);
      --progress->running;
      if (!progress->decided && suitable(result)) {
        progress->winner = RaceWinner{index, std::move(result)};
        progress->decided = true;
      }
      if (progress->running == 0) progress->decided = true;
      progress->changed.notify_all();
    });
  }

  std::optional<RaceWinner> winner;
  bool allEnded = false;
  {
    std::unique_lock lock(progress->mutex);
    progress->changed.wait(lock, [&] { return progress->decided; });
    winner = std::move(progress->winner);
    allEnded = progress->running == 0;
  }
  if (allEnded) {
    for (std::thread& thread : threads) thread.join();
  } else {
    const std::lock_guard lock(mutex_);
    unfinished_.push_back(Unfinished{std::move(progress), std::move(threads)});
  }
  return winner;
}

void PingRace::JoinEnded() {
  std::vector<Unfinished> ended;
  {
    const std::lock_guard lock(mutex_);
    std::erase_if(unfinished_, [&](Unfinished& race) {
      const std::lock_guard raceLock(race.progress->mutex);
      if (race.progress->running != 0) return false;
      ended.push_back(std::move(race));
      return true;
    });
  }
  for (Unfinished& race : ended) {
    for (std::thread& thread : race.threads) thread.join();
  }
}

}  // namespace nestwalk::platform
