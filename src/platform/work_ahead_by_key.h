// Pieces of work started ahead, one per key, each on a thread of its own (WorkAhead): the run
// takes each where it would have done the work itself, with its lines.
#ifndef NESTWALK_PLATFORM_WORK_AHEAD_BY_KEY_H_
#define NESTWALK_PLATFORM_WORK_AHEAD_BY_KEY_H_

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "platform/work_ahead.h"

namespace nestwalk {

template <class Result>
class WorkAheadByKey {
 public:
  // Lines are kept with the flags of `like`. `discard` gets each result nobody took, on the
  // owner's thread, when this goes. `whileWaiting` is called again and again while Take waits.
  // All must outlive this.
  WorkAheadByKey(const Console& like, std::function<void(Result&)> discard,
                 std::function<void()> whileWaiting)
      : like_(like), discard_(std::move(discard)), whileWaiting_(std::move(whileWaiting)) {}

  // Starts `work` for `key` unless work was started for it before.
  void Start(const std::string& key, std::function<Result(Console&)> work) {
    if (started_.contains(key)) return;
    started_[key].work = std::make_unique<WorkAhead<Result>>(like_, std::move(work), discard_);
  }

  // The results that have come since the last call, each once, taken or not: what a result
  // holds stays owned here (or by whoever takes it).
  std::vector<std::pair<std::string, Result>> Finished() {
    std::vector<std::pair<std::string, Result>> finished;
    for (auto& [key, started] : started_) {
      if (started.reported) continue;
      if (const Result* result = started.work->Peek()) {
        started.reported = true;
        finished.emplace_back(key, *result);
      }
    }
    return finished;
  }

  // The result of the work started for `key`, waited for, with its lines written to `console`
  // now; the taker owns it. nullopt when no work was started for `key` or it was taken before.
  std::optional<Result> Take(Console& console, const std::string& key) {
    auto found = started_.find(key);
    if (found == started_.end() || found->second.work->taken()) return std::nullopt;
    WorkAhead<Result>& work = *found->second.work;
    // The waiting caller's own work may take part of the result first, hence the check first.
    while (work.Peek() == nullptr) {
      whileWaiting_();
      work.WaitFor(kPoll);
    }
    return work.Take(console);
  }

 private:
  // Between checks of work under way, after the waiting caller's own work.
  static constexpr std::chrono::milliseconds kPoll{2};

  struct Started {
    std::unique_ptr<WorkAhead<Result>> work;
    bool reported = false;  // handed out by Finished
  };

  const Console& like_;
  std::function<void(Result&)> discard_;
  std::function<void()> whileWaiting_;
  std::map<std::string, Started> started_;
};

}  // namespace nestwalk

#endif  // NESTWALK_PLATFORM_WORK_AHEAD_BY_KEY_H_
