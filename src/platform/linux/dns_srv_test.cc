#include "platform/linux/dns_srv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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

}  // namespace
}  // namespace nestwalk::platform
