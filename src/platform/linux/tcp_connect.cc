#include "platform/linux/tcp_connect.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace nestwalk::platform {
namespace {

using Clock = std::chrono::steady_clock;

struct AddrInfoFree {
  void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

// Waits for a non-blocking connect on `fd` to finish by `deadline`; true when it succeeded.
bool AwaitConnected(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd polled{fd, POLLOUT, 0};
    const int ready = poll(&polled, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
}

// One address: a connected blocking socket, or an invalid one.
SocketFd ConnectAddress(const addrinfo& address, Clock::time_point deadline,
                        const std::stop_token& stop) {
  SocketFd socket(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                           address.ai_protocol));
  if (!socket.valid()) return {};
  bool connected = false;
  {
    const ShutdownOnStop cut(stop, socket.get());
    const int code = connect(socket.get(), address.ai_addr, address.ai_addrlen);
    const bool started = code == 0 || errno == EINPROGRESS;
    // A stop requested before connect() began found nothing to cut; it is seen here instead.
    if (stop.stop_requested()) return {};
    connected = code == 0 || (started && AwaitConnected(socket.get(), deadline));
  }
  if (!connected || stop.stop_requested()) return {};
  const int flags = fcntl(socket.get(), F_GETFL);
  if (flags < 0 || fcntl(socket.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return {};
  return socket;
}

}  // namespace

SocketFd::~SocketFd() {
  if (fd_ >= 0) close(fd_);
}

SocketFd& SocketFd::operator=(SocketFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

int SocketFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void ShutdownOnStop::Shut::operator()() const { shutdown(fd, SHUT_RDWR); }

ShutdownOnStop::ShutdownOnStop(std::stop_token stop, int fd)
    : callback_(std::move(stop), Shut{fd}) {}

SocketFd ConnectTcp(const std::string& host, int port, std::chrono::milliseconds timeout,
                    std::stop_token stop) {
  const Clock::time_point deadline = Clock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() ||
      getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    return {};
  }
  const std::unique_ptr<addrinfo, AddrInfoFree> addresses(found);
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    if (stop.stop_requested()) return {};
    if (SocketFd socket = ConnectAddress(*address, deadline, stop); socket.valid()) return socket;
  }
  return {};
}

}  // namespace nestwalk::platform
