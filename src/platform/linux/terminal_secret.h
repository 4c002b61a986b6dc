// A password typed on the controlling terminal (/dev/tty) without echo, as ReadSecret of the
// run control reads it.
#ifndef NESTWALK_PLATFORM_LINUX_TERMINAL_SECRET_H_
#define NESTWALK_PLATFORM_LINUX_TERMINAL_SECRET_H_

#include <optional>
#include <string>

namespace nestwalk::platform {

// Writes `prompt` to /dev/tty, reads a line there with echo off and returns it without its line
// end. nullopt when the process has no controlling terminal, on end of input, on a read error,
// and on an interrupt (SIGINT is caught while it reads, so the terminal gets its echo back
// before the program goes on). The terminal's settings and the SIGINT disposition are
// restored in every case.
std::optional<std::string> ReadTerminalSecret(const std::string& prompt);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_TERMINAL_SECRET_H_
