// What a run over many accounts needs of its process: a clock, whether standard error is a
// terminal (where a progress line can update in place), and whether it was asked to stop.
#ifndef NESTWALK_PLATFORM_RUN_CONTROL_H_
#define NESTWALK_PLATFORM_RUN_CONTROL_H_

#include <chrono>

namespace nestwalk::platform {

class RunControl {
 public:
  virtual ~RunControl() = default;
  virtual std::chrono::steady_clock::time_point Now() = 0;
  virtual bool ErrorIsTerminal() = 0;
  // From now on an interrupt (SIGINT) is noted instead of ending the process, and writing to a
  // standard output whose reader went away fails instead of ending it (SIGPIPE), so that the run
  // can stop after a whole account.
  virtual void CatchInterrupts() = 0;
  // Whether an interrupt came since CatchInterrupts.
  virtual bool Interrupted() = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_RUN_CONTROL_H_
