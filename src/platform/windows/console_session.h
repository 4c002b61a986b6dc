// The standard streams of a run on Windows, set up for the whole process life and put back as
// they were when it ends.
#ifndef NESTWALK_PLATFORM_WINDOWS_CONSOLE_SESSION_H_
#define NESTWALK_PLATFORM_WINDOWS_CONSOLE_SESSION_H_

namespace nestwalk::platform {

// While it lives: standard input, output and error are binary, so that the bytes written are
// the Linux build's (a line ends in "\n"; CSV rows carry their own "\r\n"); a console shows
// UTF-8 (output code page 65001); and a console on standard error takes the progress line's
// escape sequences where it can (virtual terminal processing). One per process.
class ConsoleSession {
 public:
  ConsoleSession();
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

 private:
  unsigned outputCodePage_;  // 0: none to restore
  unsigned long errorMode_;
  bool errorModeChanged_ = false;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_CONSOLE_SESSION_H_
