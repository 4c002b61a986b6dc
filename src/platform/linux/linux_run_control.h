// The process of the real platform: the steady clock, isatty(2), the SIGINT and SIGPIPE
// dispositions and the controlling terminal.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_RUN_CONTROL_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_RUN_CONTROL_H_

#include "platform/run_control.h"

namespace nestwalk::platform {

// One per process: the interrupt is noted in a process-wide flag.
class LinuxRunControl : public RunControl {
 public:
  std::chrono::steady_clock::time_point Now() override;
  bool ErrorIsTerminal() override;
  // SIGINT sets the flag (system calls it interrupts are restarted); SIGPIPE is ignored, so a
  // write to a closed pipe fails with EPIPE.
  void CatchInterrupts() override;
  bool Interrupted() override;
  // From /dev/tty (ReadTerminalSecret).
  std::optional<std::string> ReadSecret(const std::string& prompt) override;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_RUN_CONTROL_H_
