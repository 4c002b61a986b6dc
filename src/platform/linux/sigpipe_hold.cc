#include "platform/linux/sigpipe_hold.h"

#include <pthread.h>

#include <ctime>

namespace nestwalk::platform {
namespace {

sigset_t SigpipeOnly() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  return set;
}

bool SigpipePending() {
  sigset_t pending;
  sigemptyset(&pending);
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

SigpipeHold::SigpipeHold() {
  const sigset_t sigpipe = SigpipeOnly();
  pthread_sigmask(SIG_BLOCK, &sigpipe, &previousMask_);
  pendingBefore_ = SigpipePending();
}

SigpipeHold::~SigpipeHold() {
  if (!pendingBefore_ && SigpipePending()) {
    const sigset_t sigpipe = SigpipeOnly();
    const timespec noWait{0, 0};
    sigtimedwait(&sigpipe, nullptr, &noWait);
  }
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace nestwalk::platform
