// The process of the Windows platform: the steady clock, whether standard error is a console
// that takes the progress line's escape sequences, the console's Ctrl-C and its input.
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_RUN_CONTROL_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_RUN_CONTROL_H_

#include "platform/run_control.h"

namespace nestwalk::platform {

// One per process: the interrupt is noted in a process-wide flag.
class WindowsRunControl : public RunControl {
 public:
  std::chrono::steady_clock::time_point Now() override;
  // A console with virtual terminal processing on (see ConsoleSession).
  bool ErrorIsTerminal() override;
  // Ctrl-C and Ctrl-Break set the flag instead of ending the process. Windows has no SIGPIPE:
  // a write to a closed pipe already fails.
  void CatchInterrupts() override;
  bool Interrupted() override;
  // From the console (ReadConsoleSecret).
  std::optional<std::string> ReadSecret(const std::string& prompt) override;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_RUN_CONTROL_H_
