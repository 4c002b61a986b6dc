#include "platform/linux/socket_watchdog.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace nestwalk::platform {
namespace {

using std::chrono::milliseconds;
using Clock = SocketWatchdog::Clock;

// A connected pair of sockets whose reads give up after 10 s, so that a watchdog that never cuts
// fails the test instead of hanging it.
class SocketPair {
 public:
  SocketPair() {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds_) != 0) return;
    const timeval limit{10, 0};
    for (int fd : fds_) setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  }
  ~SocketPair() {
    for (int fd : fds_) {
      if (fd >= 0) close(fd);
    }
  }
  SocketPair(const SocketPair&) = delete;
  SocketPair& operator=(const SocketPair&) = delete;

  int near() const { return fds_[0]; }
  int far() const { return fds_[1]; }

 private:
  int fds_[2] = {-1, -1};
};

// A read that waits on `fd`: 0 once the socket is shut down, 1 for a byte, -1 when it gave up.
ssize_t ReadOneByte(int fd) {
  char byte = 0;
  return read(fd, &byte, 1);
}

// Each blocked read returns at its own socket's deadline, not at the other's.
TEST(SocketWatchdogTest, EachSocketIsCutAtItsOwnDeadline) {
  SocketPair first;
  SocketPair second;
  ASSERT_GE(first.near(), 0);
  ASSERT_GE(second.near(), 0);
  SocketWatchdog watchdog;
  const Clock::time_point start = Clock::now();
  const SocketWatchdog::Watch late = watchdog.Arm(second.near(), start + milliseconds(800));
  const SocketWatchdog::Watch early = watchdog.Arm(first.near(), start + milliseconds(200));

  EXPECT_EQ(ReadOneByte(first.near()), 0);
  const Clock::duration firstCut = Clock::now() - start;
  EXPECT_TRUE(early.Cut());
  EXPECT_FALSE(late.Cut());
  EXPECT_EQ(ReadOneByte(second.near()), 0);
  const Clock::duration secondCut = Clock::now() - start;
  EXPECT_TRUE(late.Cut());

  EXPECT_GE(firstCut, milliseconds(200));
  EXPECT_GE(secondCut, milliseconds(800));
  // Generous: the bound is what matters, not the exact figure.
  EXPECT_LT(secondCut, milliseconds(5000));
}

// A call that ended before its deadline leaves its socket as it was.
TEST(SocketWatchdogTest, AWatchGoneBeforeItsDeadlineLeavesTheSocketAlone) {
  SocketPair pair;
  ASSERT_GE(pair.near(), 0);
  SocketWatchdog watchdog;
  {
    const SocketWatchdog::Watch watch = watchdog.Arm(pair.near(), Clock::now() + milliseconds(100));
    EXPECT_FALSE(watch.Cut());
  }
  std::this_thread::sleep_for(milliseconds(300));
  ASSERT_EQ(write(pair.far(), "x", 1), 1);
  EXPECT_EQ(ReadOneByte(pair.near()), 1);
}

}  // namespace
}  // namespace nestwalk::platform
