#include "platform/linux/linux_run_control.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>

#include "platform/linux/terminal_secret.h"

namespace nestwalk::platform {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void NoteInterrupt(int) { interrupted = 1; }

}  // namespace

std::chrono::steady_clock::time_point LinuxRunControl::Now() {
  return std::chrono::steady_clock::now();
}

bool LinuxRunControl::ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void LinuxRunControl::CatchInterrupts() {
  struct sigaction onInterrupt {};
  onInterrupt.sa_handler = NoteInterrupt;
  sigemptyset(&onInterrupt.sa_mask);
  onInterrupt.sa_flags = SA_RESTART;
  sigaction(SIGINT, &onInterrupt, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

bool LinuxRunControl::Interrupted() { return interrupted != 0; }

std::optional<std::string> LinuxRunControl::ReadSecret(const std::string& prompt) {
  return ReadTerminalSecret(prompt);
}

}  // namespace nestwalk::platform
