#include "platform/linux/netlogon_response.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/dns_name_fixture.h"

namespace nestwalk::platform {
namespace {

std::string Le16(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string Le32(std::uint32_t v) {
  return Le16(static_cast<std::uint16_t>(v & 0xFFFF)) + Le16(static_cast<std::uint16_t>(v >> 16));
}

// An uncompressed RFC 1035 name.

std::string Header(std::uint16_t opcode = 23, std::uint32_t flags = 0x3f1fd) {
  return Le16(opcode) + Le16(0) + Le32(flags) + std::string(16, '\x11');
}

std::string Trailer(std::uint32_t ntVersion = 5) {
  return Le32(ntVersion) + Le16(0xFFFF) + Le16(0xFFFF);
}

// The body of an answer from dc1 of corp.example.com, with the compression a DC uses: the
// domain name is written once and pointed at afterwards.
std::string CompressedBody() {
  std::string body = DnsName("corp.example.com");  // forest at 24
  body += DnsPointer(24);                          // domain
  body += std::string(
              "\x03"
              "dc1") +
          DnsPointer(24);                                  // host
  body += DnsName("CORP") + DnsName("DC1") + DnsName("");  // flat domain, computer, user
  body += DnsName("Default-First-Site-Name");              // DC site at 24 + 18 + 2 + 6 + 6 + 5 + 1
  body += DnsPointer(62);                                  // client site
  return body;
}

// The Netlogon value of a Samba 4.17 DC (dc1 of corp.nestwalk.test) for the filter
// (&(DnsDomain=corp.nestwalk.test)(NtVer=\06\00\00\00)).
const std::string kSambaAnswer(
    "\x17\x00\x00\x00\xfd\x13\x00\x00\x2c\xbb\xf5\x20\x42\xb5\x03\x40"
    "\xbc\xa9\x92\x7e\x77\x29\x07\xe0\x04\x63\x6f\x72\x70\x08\x6e\x65"
    "\x73\x74\x77\x61\x6c\x6b\x04\x74\x65\x73\x74\x00\xc0\x18\x03\x64"
    "\x63\x31\xc0\x18\x04\x43\x4f\x52\x50\x00\x03\x44\x43\x31\x00\x00"
    "\x17\x44\x65\x66\x61\x75\x6c\x74\x2d\x46\x69\x72\x73\x74\x2d\x53"
    "\x69\x74\x65\x2d\x4e\x61\x6d\x65\x00\xc0\x40\x05\x00\x00\x00\xff"
    "\xff\xff\xff",
    99);

TEST(NetlogonResponseTest, CorruptionsOfTheRealAnswerNeverReadOutOfBounds) {
  // Every byte replaced by values that turn it into a long label, a pointer (forward, to
  // itself, backward) or an end of name: the decoder must reject or decode, never misbehave.
  for (std::size_t at = 0; at < kSambaAnswer.size(); ++at) {
    for (unsigned char value : {0x00, 0x01, 0x3f, 0x40, 0xc0, 0xff}) {
      std::string blob = kSambaAnswer;
      blob[at] = static_cast<char>(value);
      const std::optional<NetlogonResponse> r = ParseNetlogonResponse(blob);
      if (r) {
        EXPECT_LE(r->dnsHostName.size(), 255u);
      }
    }
  }
}

// The eight names in the order of the structure.
std::vector<std::string> Names(const NetlogonResponse& r) {
  return {r.dnsForestName,       r.dnsDomainName, r.dnsHostName, r.netbiosDomainName,
          r.netbiosComputerName, r.userName,      r.dcSiteName,  r.clientSiteName};
}

TEST(NetlogonResponseTest, DecodesWholeAnswers) {
  struct Case {
    const char* name;
    std::string blob;
    std::uint32_t flags;
    std::vector<std::string> names;
  };
  const std::string site = "Default-First-Site-Name";
  const Case cases[] = {
      // PDC, GC, LDAP, DS, KDC, TIMESERV, CLOSEST, WRITABLE, GOOD_TIMESERV, FULL_SECRET...
      {"Samba DC",
       kSambaAnswer,
       0x13fd,
       {"corp.nestwalk.test", "corp.nestwalk.test", "dc1.corp.nestwalk.test", "CORP", "DC1", "",
        site, site}},
      {"compressed",
       Header() + CompressedBody() + Trailer(),
       0x3f1fd,
       {"corp.example.com", "corp.example.com", "dc1.corp.example.com", "CORP", "DC1", "", site,
        site}},
  };
  for (const Case& c : cases) {
    const std::optional<NetlogonResponse> r = ParseNetlogonResponse(c.blob);
    ASSERT_TRUE(r) << c.name;
    EXPECT_EQ(r->opcode, kLogonSamLogonResponseEx) << c.name;
    EXPECT_EQ(r->flags, c.flags) << c.name;
    EXPECT_EQ(r->domainGuid, c.blob.substr(8, 16)) << c.name;
    EXPECT_EQ(Names(*r), c.names) << c.name;
    EXPECT_EQ(r->nextClosestSiteName, "") << c.name;
    EXPECT_EQ(r->ntVersion, 5u) << c.name;
  }
}

TEST(NetlogonResponseTest, SkipsTheSocketAddressAndReadsTheNextClosestSite) {
  const std::string names = DnsName("f") + DnsName("d") + DnsName("h") + DnsName("N") +
                            DnsName("C") + DnsName("") + DnsName("S1") + DnsName("S2");
  const std::string sockaddr = std::string(1, '\x10') + std::string(16, '\x7f');
  const std::optional<NetlogonResponse> r = ParseNetlogonResponse(
      Header() + names + sockaddr + DnsName("S3") + Trailer(0x4 | 0x8 | 0x10));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->clientSiteName, "S2");
  EXPECT_EQ(r->nextClosestSiteName, "S3");
}

TEST(NetlogonResponseTest, RejectsMalformedAnswers) {
  const std::string eight = DnsName("a") + DnsName("b") + DnsName("c") + DnsName("d") +
                            DnsName("e") + DnsName("") + DnsName("s") + DnsName("t");
  struct Case {
    const char* name;
    std::string blob;
  };
  const Case cases[] = {
      {"empty", ""},
      {"header only", Header()},
      {"no names", Header() + Trailer()},
      {"seven names", Header() + DnsName("a") + DnsName("b") + DnsName("c") + DnsName("d") +
                          DnsName("e") + DnsName("") + DnsName("s") + Trailer()},
      {"bad LmNt token", Header() + eight + Le32(5) + Le16(0xFFFE) + Le16(0xFFFF)},
      {"bad Lm20 token", Header() + eight + Le32(5) + Le16(0xFFFF) + Le16(0)},
      {"not a 5EX answer", Header() + eight + Trailer(0x2)},
      {"label runs into the trailer",
       Header() + eight.substr(0, eight.size() - 1) + "\x05" + Trailer()},
      {"pointer to itself", Header() + DnsPointer(24) + eight + Trailer()},
      {"pointer forward", Header() + DnsPointer(26) + eight + Trailer()},
      {"two-name pointer loop",
       Header() + std::string("\x01x") + DnsPointer(27) + DnsPointer(24) + eight + Trailer()},
      {"label and a pointer back to it",
       Header() + std::string("\x01x") + DnsPointer(24) + eight + Trailer()},
      {"pointer cut short", Header() + eight.substr(0, 19) + "\xC0" + Trailer()},
      {"reserved label type", Header() + "\x41" + std::string(0x41, 'a') + eight + Trailer()},
      {"name longer than 255", Header() +
                                   [] {
                                     std::string n;
                                     for (int i = 0; i < 5; ++i) n += "\x3f" + std::string(63, 'a');
                                     return n + '\0';
                                   }() +
                                   eight + Trailer()},
      {"socket address past the end",
       Header() + eight + "\x20" + std::string(4, 'x') + Trailer(0xC)},
      {"missing next closest site", Header() + eight + Trailer(0x14)},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseNetlogonResponse(c.blob)) << c.name;
  }
}

TEST(NetlogonResponseTest, EveryTruncationOfAValidAnswerIsRejected) {
  for (const std::string& blob : {kSambaAnswer, Header() + CompressedBody() + Trailer()}) {
    ASSERT_TRUE(ParseNetlogonResponse(blob));
    for (std::size_t length = 0; length < blob.size(); ++length) {
      EXPECT_FALSE(ParseNetlogonResponse(blob.substr(0, length))) << length;
    }
  }
}

TEST(NetlogonResponseTest, PointersMayReachAnyEarlierName) {
  // The client site points into the middle of the host name, at "corp.example.com".
  std::string body = DnsName("example.com") + DnsName("corp.example.com") + DnsPointer(37) +
                     DnsName("D") + DnsName("C") + DnsName("") + DnsName("s") + DnsPointer(42);
  const std::optional<NetlogonResponse> r = ParseNetlogonResponse(Header() + body + Trailer());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->dnsHostName, "corp.example.com");
  EXPECT_EQ(r->clientSiteName, "example.com");
}

}  // namespace
}  // namespace nestwalk::platform
