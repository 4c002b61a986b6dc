#include "text/case_folding.h"

#include <gtest/gtest.h>

#include <string>

namespace nestwalk {
namespace {

TEST(LowerCaseTextTest, FoldsOnlyAsciiLetters) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {"CN=Domain Users,DC=Corp", "cn=domain users,dc=corp"},
      {"@[`{", "@[`{"},  // the neighbours of A-Z and a-z
      {"AZaz09", "azaz09"},
      {"\xC4\x42", "\xC4\x62"},                          // Latin-1 A-umlaut stays, B folds
      {"\xC3\x84X", "\xC3\x84x"},                        // UTF-8 bytes stay
      {std::string("A\0B", 3), std::string("a\0b", 3)},  // embedded NUL keeps the length
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LowerCaseText(c.input), c.expected) << c.input;
  }
}

TEST(LowerCaseTextTest, EveryByteValueWhereverItStands) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  for (const std::size_t shift : {0, 3, 7}) {  // each byte at every place of an eight-byte word
    const std::string folded = LowerCaseText(all.substr(shift) + all.substr(0, shift));
    for (int byte = 0; byte < 256; ++byte) {
      const auto at = static_cast<std::size_t>((byte + 256 - static_cast<int>(shift)) % 256);
      const int expected = byte >= 'A' && byte <= 'Z' ? byte + 0x20 : byte;
      EXPECT_EQ(static_cast<unsigned char>(folded[at]), expected) << byte << " at " << at;
    }
  }
}

TEST(UpperCaseTextTest, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(UpperCaseText("corp.nestwalk.test"), "CORP.NESTWALK.TEST");
  EXPECT_EQ(UpperCaseText("@[`{AZaz09"), "@[`{AZAZ09");  // the neighbours of A-Z and a-z stay
  EXPECT_EQ(UpperCaseText("\xE4"
                          "b"),
            "\xE4"
            "B");  // bytes above 0x7F stay
}

}  // namespace
}  // namespace nestwalk
