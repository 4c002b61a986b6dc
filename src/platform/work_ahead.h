// Work started on a thread of its own before the point of the run where it belongs: its lines
// are kept until the run's own thread takes the result there, so the run reads as if the work
// had been done at that point.
#ifndef NESTWALK_PLATFORM_WORK_AHEAD_H_
#define NESTWALK_PLATFORM_WORK_AHEAD_H_

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <utility>

#include "platform/console.h"
#include "platform/deferred_console.h"

namespace nestwalk {

template <class Result>
class WorkAhead {
 public:
  // Starts `work` at once on a new thread, writing to a console with the flags of `like`.
  // `discard` gets a result nobody took, on the owner's thread, when this goes.
  WorkAhead(const Console& like, std::function<Result(Console&)> work,
            std::function<void(Result&)> discard)
      : lines_(like), discard_(std::move(discard)) {
    done_ = std::async(std::launch::async, [work = std::move(work), &console = lines_.console()] {
      return work(console);
    });
  }
  // Waits for the work; a result nobody took is discarded.
  ~WorkAhead() {
    if (taken_) return;
    Wait();
    discard_(*result_);
  }
  WorkAhead(const WorkAhead&) = delete;
  WorkAhead& operator=(const WorkAhead&) = delete;

  // The result once the work has ended, without waiting; nullptr while it runs. Still readable
  // after Take.
  const Result* Peek() {
    if (!result_ && done_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
      result_ = done_.get();
    }
    return result_ ? &*result_ : nullptr;
  }
  // Waits at most `limit` for the work to end; true once it has.
  bool WaitFor(std::chrono::milliseconds limit) {
    if (!result_) done_.wait_for(limit);
    return Peek() != nullptr;
  }
  // Waits for the result, writes the work's lines to `console` and hands the result over (the
  // taker owns what it holds from then on, so it is not discarded). Only once.
  Result Take(Console& console) {
    Wait();
    taken_ = true;
    lines_.ReplayInto(console);
    return *result_;
  }
  bool taken() const { return taken_; }

 private:
  void Wait() {
    if (!result_) result_ = done_.get();
  }

  DeferredConsole lines_;  // written on the work's thread until it ends
  std::function<void(Result&)> discard_;
  std::future<Result> done_;
  std::optional<Result> result_;
  bool taken_ = false;
};

}  // namespace nestwalk

#endif  // NESTWALK_PLATFORM_WORK_AHEAD_H_
