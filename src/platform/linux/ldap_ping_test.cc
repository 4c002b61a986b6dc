#include "platform/linux/ldap_ping.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace nestwalk::platform {
namespace {

TEST(LdapPingTest, FilterNamesTheDomainEscaped) {
  EXPECT_EQ(PingFilter("corp.nestwalk.test"),
            "(&(DnsDomain=corp.nestwalk.test)(NtVer=\\06\\00\\00\\00))");
  EXPECT_EQ(PingFilter(""), "(&(NtVer=\\06\\00\\00\\00))");
  EXPECT_EQ(PingFilter("x)(objectClass=*"),
            "(&(DnsDomain=x\\29\\28objectClass=\\2a)(NtVer=\\06\\00\\00\\00))");
}

TEST(LdapPingTest, HostsThatCannotBeNamedAreUnreachable) {
  EXPECT_EQ(PingServer("", 389, "corp.test").outcome, PingOutcome::kUnreachable);
}

// A loopback socket that takes connections into its backlog and never answers: a hung server.
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
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(LdapPingTest, AServerThatNeverAnswersIsGivenUpOnAfterTheTimeout) {
  SilentListener listener;
  ASSERT_NE(listener.port(), 0);
  const auto start = std::chrono::steady_clock::now();
  const PingResult result =
      PingServer("127.0.0.1", listener.port(), "corp.test", std::chrono::milliseconds(300));
  EXPECT_EQ(result.outcome, PingOutcome::kUnreachable);
  // Generous: the bound is what matters, not the exact figure.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace nestwalk::platform
