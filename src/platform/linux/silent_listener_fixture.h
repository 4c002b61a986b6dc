// Test support: a loopback socket that takes connections into its backlog and never answers,
// which is what a hung server looks like to a client.
#ifndef NESTWALK_PLATFORM_LINUX_SILENT_LISTENER_FIXTURE_H_
#define NESTWALK_PLATFORM_LINUX_SILENT_LISTENER_FIXTURE_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nestwalk::platform {

// A socket that listens on a loopback port of the kernel's choice, which `port` receives; -1
// (and `port` 0) when none could be set up.
inline int ListenOnLoopback(int& port) {
  port = 0;
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      listen(fd, 4) == 0 && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
    return fd;
  }
  if (fd >= 0) close(fd);
  return -1;
}

class SilentListener {
 public:
  SilentListener() : fd_(ListenOnLoopback(port_)) {}
  ~SilentListener() {
    if (fd_ >= 0) close(fd_);
  }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  // 0 when no socket could be set up.
  int port() const { return port_; }
  // Whether a client has connected (its connection waits in the backlog, never accepted).
  bool Connected() const {
    pollfd polled{fd_, POLLIN, 0};
    return fd_ >= 0 && poll(&polled, 1, 0) == 1;
  }

 private:
  int port_ = 0;  // before fd_: ListenOnLoopback sets it
  int fd_ = -1;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SILENT_LISTENER_FIXTURE_H_
