// Cuts a connection's socket when a call on it outlives its deadline. libldap checks its own time
// limit only between reads, and its SASL layer reads a whole wrapped message in one blocking call,
// so a server that stops inside such a message, or sends it one byte a second, would hold the
// call for ever; a blocked write to a server that no longer reads would too. Shutting the socket
// down makes the read or the write return at once.
#ifndef NESTWALK_PLATFORM_LINUX_SOCKET_WATCHDOG_H_
#define NESTWALK_PLATFORM_LINUX_SOCKET_WATCHDOG_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/linux/tcp_connect.h"

namespace nestwalk::platform {

// Watches come and go from any thread; one thread of its own cuts the sockets.
class SocketWatchdog {
 public:
  using Clock = std::chrono::steady_clock;

  // One deadline on one socket, given up when the Watch goes. A default Watch watches nothing.
  // Must not outlive the watchdog that armed it.
  class Watch {
   public:
    Watch() = default;
    ~Watch();
    Watch(Watch&& other) noexcept;
    Watch& operator=(Watch&& other) noexcept;
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    // Whether the deadline came and the socket was shut down.
    bool Cut() const;

   private:
    friend class SocketWatchdog;
    Watch(SocketWatchdog& owner, std::uint64_t id) : owner_(&owner), id_(id) {}
    void Release();

    SocketWatchdog* owner_ = nullptr;
    std::uint64_t id_ = 0;
  };

  SocketWatchdog();
  ~SocketWatchdog() = default;
  SocketWatchdog(const SocketWatchdog&) = delete;
  SocketWatchdog& operator=(const SocketWatchdog&) = delete;

  // Shuts the socket of `fd` down for reading and writing once `deadline` has come, unless the
  // Watch is gone by then. The socket is held through a duplicate of `fd`, so a descriptor that
  // its owner closes, and the system hands out again, is never touched. When no duplicate can be
  // made (out of descriptors) the Watch watches nothing.
  Watch Arm(int fd, Clock::time_point deadline);

 private:
  struct Deadline {
    SocketFd socket;
    Clock::time_point when;
    bool cut = false;
  };

  // The thread: cuts each socket whose deadline has come and sleeps until the next one.
  void Run(std::stop_token stop);
  bool WasCut(std::uint64_t id);
  void Forget(std::uint64_t id);

  std::mutex mutex_;  // guards the members below
  std::condition_variable_any changed_;
  std::map<std::uint64_t, Deadline> deadlines_;
  std::uint64_t lastId_ = 0;
  Clock::time_point wakeAt_ = Clock::time_point::max();  // when the thread looks next, unwoken
  bool earlier_ = false;  // a deadline before wakeAt_ was armed since the thread last looked
  std::jthread thread_;   // last: it stops and joins before the members it uses go
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SOCKET_WATCHDOG_H_
