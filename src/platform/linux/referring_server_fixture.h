// Test support: an LDAP server on a loopback port that answers every search with a referral to
// one URL (a searchResDone of resultCode 10, hand-encoded in BER), as a hostile or misconfigured
// server might, and ignores every other request.
#ifndef NESTWALK_PLATFORM_LINUX_REFERRING_SERVER_FIXTURE_H_
#define NESTWALK_PLATFORM_LINUX_REFERRING_SERVER_FIXTURE_H_

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>

#include "platform/linux/silent_listener_fixture.h"

namespace nestwalk::platform {

class ReferringServer {
 public:
  explicit ReferringServer(std::string url) : url_(std::move(url)), fd_(ListenOnLoopback(port_)) {
    if (fd_ >= 0) thread_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
  }
  ~ReferringServer() {
    thread_ = std::jthread();  // stopped and joined before the socket goes
    if (fd_ >= 0) close(fd_);
  }
  ReferringServer(const ReferringServer&) = delete;
  ReferringServer& operator=(const ReferringServer&) = delete;

  // 0 when no socket could be set up.
  int port() const { return port_; }

 private:
  // One connection at a time, each until the client closes it or the server stops.
  void Serve(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
      if (!Readable(fd_)) continue;
      const int client = accept(fd_, nullptr, nullptr);
      if (client < 0) continue;
      while (!stop.stop_requested()) {
        if (!Readable(client)) continue;
        std::optional<std::string> message = ReadMessage(client);
        if (!message) break;
        Answer(client, *message);
      }
      close(client);
    }
  }

  static bool Readable(int fd) {
    pollfd polled{fd, POLLIN, 0};
    return poll(&polled, 1, 50) == 1;
  }

  static bool ReadExactly(int fd, std::string& into, std::size_t count) {
    const std::size_t start = into.size();
    into.resize(start + count);
    for (std::size_t got = 0; got < count;) {
      const ssize_t read = recv(fd, into.data() + start + got, count - got, 0);
      if (read <= 0) return false;
      got += static_cast<std::size_t>(read);
    }
    return true;
  }

  // One whole LDAPMessage (SEQUENCE, definite length), tag and length included.
  static std::optional<std::string> ReadMessage(int fd) {
    std::string message;
    if (!ReadExactly(fd, message, 2) || message[0] != '\x30') return std::nullopt;
    std::size_t length = static_cast<unsigned char>(message[1]);
    if (length & 0x80) {
      const std::size_t lengthBytes = length & 0x7f;
      if (lengthBytes == 0 || lengthBytes > 4 || !ReadExactly(fd, message, lengthBytes)) {
        return std::nullopt;
      }
      length = 0;
      for (std::size_t i = 0; i < lengthBytes; ++i) {
        length = length << 8 | static_cast<unsigned char>(message[2 + i]);
      }
    }
    if (!ReadExactly(fd, message, length)) return std::nullopt;
    return message;
  }

  // A tag, a short-form length and the contents.
  static std::string Tlv(char tag, const std::string& contents) {
    return std::string(1, tag) + static_cast<char>(contents.size()) + contents;
  }

  void Answer(int client, const std::string& message) {
    // After the SEQUENCE header (short or long form) comes the messageID, then the operation.
    const std::size_t idAt = (static_cast<unsigned char>(message[1]) & 0x80)
                                 ? 2 + (static_cast<unsigned char>(message[1]) & 0x7f)
                                 : 2;
    if (idAt + 2 > message.size() || message[idAt] != '\x02') return;
    const std::size_t idLength = static_cast<unsigned char>(message[idAt + 1]);
    const std::size_t operationAt = idAt + 2 + idLength;
    if (operationAt >= message.size() || message[operationAt] != '\x63') return;  // searchRequest
    const std::string messageId = message.substr(idAt, 2 + idLength);
    // searchResDone: resultCode referral (10), empty matchedDN and diagnosticMessage, then the
    // referral [3] holding the URL.
    const std::string done = Tlv(
        '\x65', std::string("\x0a\x01\x0a\x04\x00\x04\x00", 7) + Tlv('\xa3', Tlv('\x04', url_)));
    const std::string answer = Tlv('\x30', messageId + done);
    (void)!send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
  }

  std::string url_;
  int port_ = 0;  // before fd_: ListenOnLoopback sets it
  int fd_ = -1;
  std::jthread thread_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_REFERRING_SERVER_FIXTURE_H_
