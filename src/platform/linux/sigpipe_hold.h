// Keeps a write to a socket the peer reset, or one this program shut down, from killing the
// process: libldap writes with write(2), which raises SIGPIPE there, and a run of one account
// leaves SIGPIPE at its default action.
#ifndef NESTWALK_PLATFORM_LINUX_SIGPIPE_HOLD_H_
#define NESTWALK_PLATFORM_LINUX_SIGPIPE_HOLD_H_

#include <signal.h>

namespace nestwalk::platform {

// While it lives, SIGPIPE is blocked for the calling thread (a broken pipe raises it for the
// thread that wrote), and a SIGPIPE raised meanwhile is discarded when it goes; the write itself
// fails with EPIPE. One that was pending before is left pending. Must be destroyed on the thread
// that made it.
class SigpipeHold {
 public:
  SigpipeHold();
  ~SigpipeHold();
  SigpipeHold(const SigpipeHold&) = delete;
  SigpipeHold& operator=(const SigpipeHold&) = delete;

 private:
  sigset_t previousMask_;
  bool pendingBefore_ = false;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SIGPIPE_HOLD_H_
