// A TCP connection made by hand rather than by libldap, so that its socket is known from the
// start and a stop request can cut it at any point: shutting a socket down wakes whatever
// waits on it, a connect in progress or a read inside libldap.
#ifndef NESTWALK_PLATFORM_LINUX_TCP_CONNECT_H_
#define NESTWALK_PLATFORM_LINUX_TCP_CONNECT_H_

#include <chrono>
#include <stop_token>
#include <string>

namespace nestwalk::platform {

// A socket descriptor, closed with its owner unless released.
class SocketFd {
 public:
  SocketFd() = default;
  explicit SocketFd(int fd) : fd_(fd) {}
  ~SocketFd();
  SocketFd(SocketFd&& other) noexcept : fd_(other.Release()) {}
  SocketFd& operator=(SocketFd&& other) noexcept;
  SocketFd(const SocketFd&) = delete;
  SocketFd& operator=(const SocketFd&) = delete;

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }
  // Hands the descriptor to a new owner (libldap's ldap_init_fd), which closes it.
  int Release();

 private:
  int fd_ = -1;
};

// Connects to `host`:`port`, trying each address the resolver gives in turn, all within
// `timeout`. The socket comes back blocking. An invalid SocketFd when no address accepts in
// time, or once `stop` is requested (the connect in progress is cut then, not waited out).
SocketFd ConnectTcp(const std::string& host, int port, std::chrono::milliseconds timeout,
                    std::stop_token stop);

// While it lives, a stop request on `stop` shuts `fd` down for reading and writing. It must be
// destroyed before `fd` is closed.
class ShutdownOnStop {
 public:
  ShutdownOnStop(std::stop_token stop, int fd);

 private:
  struct Shut {
    int fd;
    void operator()() const;
  };
  std::stop_callback<Shut> callback_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_TCP_CONNECT_H_
