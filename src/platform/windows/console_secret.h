// A password typed on the console without echo, as ReadSecret of the run control reads it.
#ifndef NESTWALK_PLATFORM_WINDOWS_CONSOLE_SECRET_H_
#define NESTWALK_PLATFORM_WINDOWS_CONSOLE_SECRET_H_

#include <optional>
#include <string>

namespace nestwalk::platform {

// Writes `prompt` to the console (CONOUT$), reads a line from it (CONIN$) with echo off and
// returns it as UTF-8 without its line end. nullopt when the process has no console, on a read
// error and on Ctrl-C or Ctrl-Break (noted while it reads, so the console gets its echo back
// before the program goes on). The console's input mode is restored in every case.
std::optional<std::string> ReadConsoleSecret(const std::string& prompt);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_CONSOLE_SECRET_H_
