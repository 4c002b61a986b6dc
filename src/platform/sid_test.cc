#include "platform/sid.h"

#include <gtest/gtest.h>

#include <string>

namespace nestwalk::platform {
namespace {

// Binary SID: revision 1, the count, the authority big-endian, sub-authorities little-endian.
std::string Binary(std::uint64_t authority, std::initializer_list<std::uint32_t> subs) {
  std::string bytes{1, static_cast<char>(subs.size())};
  for (int shift = 40; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<char>(authority >> shift));
  for (std::uint32_t sub : subs) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(sub >> shift));
  }
  return bytes;
}

TEST(SidTest, TheDomainUsersSidOfADomainIs28BytesWithFiveSubAuthorities) {
  const std::string expected(
      "\x01\x05\x00\x00\x00\x00\x00\x05"
      "\x15\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\x01\x02\x00\x00",
      28);
  EXPECT_EQ(SidFromText("S-1-5-21-1-2-3-513"), expected);
  EXPECT_EQ(SidToText(expected), "S-1-5-21-1-2-3-513");
}

TEST(SidTest, ParsesEveryFormTheWindowsParserAccepts) {
  struct Case {
    const char* text;
    std::string binary;
  };
  const Case cases[] = {
      {"S-1-5-32-544", Binary(5, {32, 544})},
      {"s-1-5-18", Binary(5, {18})},
      {"S-1-0x5-0x15-0XfF", Binary(5, {21, 255})},
      {"S-1-005-0021-000", Binary(5, {21, 0})},
      {"S-1-0-0", Binary(0, {0})},
      {"S-1-4294967295-1", Binary(0xffffffffu, {1})},
      {"S-1-4294967296-1", Binary(std::uint64_t{1} << 32, {1})},
      {"S-1-281474976710655-1", Binary((std::uint64_t{1} << 48) - 1, {1})},
      {"S-1-0xFFFFFFFFFFFF-4294967295", Binary((std::uint64_t{1} << 48) - 1, {0xffffffffu})},
      {"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15",
       Binary(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SidFromText(c.text), c.binary) << c.text;
  }
}

TEST(SidTest, RejectsEveryTextThatIsNoSid) {
  const char* const cases[] = {
      "",
      "S",
      "S-",
      "S-1",
      "S-1-5",  // no sub-authority
      "X-1-5-21",
      "S1-5-21",
      "S-2-5-21",   // revision
      "S-1--21",    // empty authority
      "S-1-5-",     // trailing dash
      "S-1-5--1",   // empty sub-authority
      "S-1-5-21 ",  // blanks
      " S-1-5-21",
      "S-1- 5-21",
      "S-1-5-+21",
      "S-1-5--21",
      "S-1-5-4294967296",  // sub-authority above 2^32-1
      "S-1-5-99999999999999999999999",
      "S-1-281474976710656-1",  // authority of 2^48
      "S-1-0x1000000000000-1",
      "S-1-0x-1",  // no hex digits
      "S-1-5-0x",
      "S-1-5-0xG",
      "S-1-5-21a",
      "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16",  // 16 sub-authorities
      "S-1-5-21-1-2-3-",                               // an empty RID appended
  };
  for (const char* text : cases) {
    EXPECT_EQ(SidFromText(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(SidTest, FormatsTheAuthorityInDecimalBelow2To32AndInHexAbove) {
  struct Case {
    std::string binary;
    const char* text;
  };
  const Case cases[] = {
      {Binary(5, {21, 1, 2, 3, 513}), "S-1-5-21-1-2-3-513"},
      {Binary(5, {}), "S-1-5"},
      {Binary(0xffffffffu, {4294967295u}), "S-1-4294967295-4294967295"},
      {Binary(std::uint64_t{1} << 32, {1}), "S-1-0x000100000000-1"},
      {Binary(0xabcdef012345, {7}), "S-1-0xabcdef012345-7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SidToText(c.binary), c.text) << c.text;
  }
}

TEST(SidTest, RefusesBytesThatAreNoWholeSid) {
  const std::string sid = Binary(5, {21, 1});
  const std::string cases[] = {
      "",
      sid.substr(0, 7),
      sid.substr(0, sid.size() - 1),  // cut inside the last sub-authority
      sid + "x",                      // longer than the count says
      "\x02" + sid.substr(1),         // revision 2
      Binary(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}),
  };
  for (const std::string& bytes : cases) {
    EXPECT_EQ(SidToText(bytes), std::nullopt) << bytes.size() << " bytes";
  }
}

TEST(SidTest, TextAndBinaryRoundTrip) {
  const char* const canonical[] = {"S-1-5-21-3623811015-3361044348-30300820-1013", "S-1-0-0",
                                   "S-1-16-12288", "S-1-0x010000000000-5",
                                   "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15"};
  for (const char* text : canonical) {
    std::optional<std::string> binary = SidFromText(text);
    ASSERT_TRUE(binary.has_value()) << text;
    EXPECT_EQ(binary->size(), 8 + 4 * static_cast<std::size_t>((*binary)[1])) << text;
    EXPECT_EQ(SidToText(*binary), text);
  }
  // Other spellings come back in the canonical form.
  EXPECT_EQ(SidToText(*SidFromText("s-1-0x5-021-0x200")), "S-1-5-21-512");
}

}  // namespace
}  // namespace nestwalk::platform
