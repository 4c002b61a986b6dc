#include "platform/linux/dns_srv.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#include "platform/linux/dns_name_fixture.h"

namespace nestwalk::platform {
namespace {

std::string Be16(std::uint16_t v) {
  return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

constexpr std::uint16_t kSrv = 33;
constexpr std::uint16_t kA = 1;

// An answer record whose owner is the question name (a pointer to offset 12).
std::string Record(std::uint16_t type, const std::string& rdata) {
  return "\xC0\x0C" + Be16(type) + Be16(1) + std::string("\0\0\x02\x58", 4) +
         Be16(static_cast<std::uint16_t>(rdata.size())) + rdata;
}

std::string Srv(std::uint16_t priority, std::uint16_t weight, std::uint16_t port,
                const std::string& target) {
  return Be16(priority) + Be16(weight) + Be16(port) + target;
}

std::string Message(const std::string& records, std::uint16_t count) {
  return Be16(0x1234) + Be16(0x8180) + Be16(1) + Be16(count) + Be16(0) + Be16(0) +
         DnsName("_ldap._tcp.dc._msdcs.corp.test") + Be16(kSrv) + Be16(1) + records;
}

TEST(DnsSrvTest, DecodesSrvRecordsOfAnAnswer) {
  // The second target is compressed: "dc2" + a pointer to "corp.test" inside the question.
  const std::string question = DnsName("_ldap._tcp.dc._msdcs.corp.test");
  const std::uint16_t corpAt = static_cast<std::uint16_t>(12 + question.find("\x04"
                                                                             "corp"));
  const std::string records = Record(kSrv, Srv(0, 100, 389, DnsName("dc1.corp.test"))) +
                              Record(kA, "\x7f\0\0\x01") +
                              Record(kSrv, Srv(5, 0, 3268,
                                               "\x03"
                                               "dc2" +
                                                   Be16(0xC000 | corpAt))) +
                              Record(kSrv, Srv(0, 0, 0, std::string(1, '\0')));
  const SrvAnswer answer = ParseSrvAnswer(Message(records, 4));
  ASSERT_FALSE(answer.records.empty());
  ASSERT_EQ(answer.records.size(), 3u);
  EXPECT_EQ(answer.records[0].target, "dc1.corp.test");
  EXPECT_EQ(answer.records[0].weight, 100);
  EXPECT_EQ(answer.records[0].port, 389);
  EXPECT_EQ(answer.records[1].target, "dc2.corp.test");
  EXPECT_EQ(answer.records[1].priority, 5);
  EXPECT_EQ(answer.records[1].port, 3268);
  EXPECT_EQ(answer.records[2].target, ".");
}

TEST(DnsSrvTest, UnusableMessagesFindNothing) {
  const std::string good = Record(kSrv, Srv(0, 0, 389, DnsName("dc1.corp.test")));
  struct Case {
    const char* name;
    std::string message;
  };
  const Case cases[] = {
      {"empty", ""},
      {"header cut", Message(good, 1).substr(0, 7)},
      {"record cut", Message(good, 1).substr(0, Message(good, 1).size() - 3)},
      {"no answers", Message("", 0)},
      {"only an A record", Message(Record(kA, "\x7f\0\0\x01"), 1)},
      {"SRV data too short", Message(Record(kSrv, "\0\0\0"), 1)},
      {"target points at itself",
       [] {
         const std::uint16_t at =
             static_cast<std::uint16_t>(Message("", 0).size() + Record(kSrv, "").size() + 6);
         return Message(Record(kSrv, Srv(0, 0, 389, Be16(0xC000 | at))), 1);
       }()},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(ParseSrvAnswer(c.message).records.empty()) << c.name;
  }
}

// A DNS server on a loopback UDP port that answers every query as `reply` says, until it is
// destroyed.
class ScriptedDnsServer {
 public:
  enum class Reply { kSilent, kServerFailure, kNoSuchName, kOneRecord };

  explicit ScriptedDnsServer(Reply reply) : reply_(reply) {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    address_.sin_family = AF_INET;
    address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address_;
    bind(fd_, reinterpret_cast<sockaddr*>(&address_), length);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address_), &length);
    thread_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
  }
  ~ScriptedDnsServer() {
    thread_.request_stop();
    thread_.join();
    close(fd_);
  }
  ScriptedDnsServer(const ScriptedDnsServer&) = delete;
  ScriptedDnsServer& operator=(const ScriptedDnsServer&) = delete;

  const sockaddr_in& address() const { return address_; }

 private:
  void Serve(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
      pollfd polled{fd_, POLLIN, 0};
      if (poll(&polled, 1, 50) <= 0) continue;
      char query[512];
      sockaddr_in from{};
      socklen_t fromLength = sizeof from;
      const ssize_t got =
          recvfrom(fd_, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (got < 12 || reply_ == Reply::kSilent) continue;
      std::string answer(query, static_cast<std::size_t>(got));
      answer[2] = static_cast<char>(answer[2] | 0x80);  // a response
      const int rcode = reply_ == Reply::kServerFailure ? 2 : reply_ == Reply::kNoSuchName ? 3 : 0;
      answer[3] = static_cast<char>(0x80 | rcode);
      if (reply_ == Reply::kOneRecord) {
        answer.replace(6, 2, Be16(1));
        answer += Record(kSrv, Srv(0, 100, 389, DnsName("dc1.corp.test")));
      }
      sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    }
  }

  const Reply reply_;
  int fd_ = -1;
  sockaddr_in address_{};
  std::jthread thread_;
};

// Only a server that sends nothing at all is silent; a failure or a missing name is an answer.
TEST(DnsSrvTest, SilenceIsToldApartFromAnswersThatFindNothing) {
  using Reply = ScriptedDnsServer::Reply;
  struct Case {
    const char* name;
    Reply reply;
    bool silent;
    std::size_t records;
  };
  const Case cases[] = {
      {"silent server", Reply::kSilent, true, 0},
      {"server failure", Reply::kServerFailure, false, 0},
      {"no such name", Reply::kNoSuchName, false, 0},
      {"an answer", Reply::kOneRecord, false, 1},
  };
  for (const Case& c : cases) {
    ScriptedDnsServer server(c.reply);
    struct __res_state state;
    std::memset(&state, 0, sizeof state);
    ASSERT_EQ(res_ninit(&state), 0);
    state.nsaddr_list[0] = server.address();
    state.nscount = 1;
    state.retrans = 1;
    state.retry = 1;
    state.options &= ~static_cast<unsigned long>(RES_USE_EDNS0);  // answers go right after it
    // The final dot keeps the host's search list out of it.
    const SrvAnswer answer = LookupSrvWith(&state, "_ldap._tcp.dc._msdcs.corp.test.");
    res_nclose(&state);
    EXPECT_EQ(answer.silent, c.silent) << c.name;
    EXPECT_EQ(answer.records.size(), c.records) << c.name;
  }
}

TEST(DnsSrvTest, ResolverWaitsAreCappedNotRaised) {
  struct Case {
    int retrans, retry, cappedRetrans, cappedRetry;
  };
  const Case cases[] = {{5, 2, 2, 2}, {30, 5, 2, 2}, {1, 1, 1, 1}, {2, 4, 2, 2}};
  for (const Case& c : cases) {
    struct __res_state state {};
    state.retrans = c.retrans;
    state.retry = c.retry;
    CapResolverWaits(&state);
    EXPECT_EQ(state.retrans, c.cappedRetrans) << c.retrans;
    EXPECT_EQ(state.retry, c.cappedRetry) << c.retry;
  }
}

}  // namespace
}  // namespace nestwalk::platform
