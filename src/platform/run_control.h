// What a run needs of its process: a clock, whether standard error is a terminal (where a
// progress line can update in place), whether it was asked to stop, and a password typed on the
// terminal.
#ifndef NESTWALK_PLATFORM_RUN_CONTROL_H_
#define NESTWALK_PLATFORM_RUN_CONTROL_H_

#include <chrono>
#include <optional>
#include <string>

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
  // Writes `prompt` to the terminal and reads one line from it without echo, the line end cut
  // off. nullopt when the process has no terminal, or the reading failed or was interrupted;
  // the terminal is left as it was in every case.
  virtual std::optional<std::string> ReadSecret(const std::string& prompt) = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_RUN_CONTROL_H_
