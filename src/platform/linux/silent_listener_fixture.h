// Test support: a loopback socket that takes connections into its backlog and never answers,
// which is what a hung server looks like to a client.
#ifndef NESTWALK_PLATFORM_LINUX_SILENT_LISTENER_FIXTURE_H_
#define NESTWALK_PLATFORM_LINUX_SILENT_LISTENER_FIXTURE_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nestwalk::platform {

class SilentListener {
 public:
  SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        listen(fd_, 4) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~SilentListener() {
    if (fd_ >= 0) close(fd_);
  }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  // 0 when no socket could be set up.
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SILENT_LISTENER_FIXTURE_H_
