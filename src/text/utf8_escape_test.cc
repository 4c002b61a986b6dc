#include "text/utf8_escape.h"

#include <string>

#include <gtest/gtest.h>

namespace nestwalk {
namespace {

TEST(EscapeInvalidUtf8Test, WellFormedSequencesPassAndEveryOtherByteIsEscaped) {
  struct Case {
    std::string text;
    std::string escaped;
  };
  const Case cases[] = {
      {"CN=\"a\\b\x01\x7F", "CN=\"a\\b\x01\x7F"},
      {"\xC3\x84rzte \xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\x84rzte \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xC4rzte", "\\C4rzte"},                   // a Latin-1 byte
      {"\xC3", "\\C3"},                           // cut short at the end
      {"\xE2\x82", "\\E2\\82"},                   // cut short: the continuation is escaped too
      {"\xC0\xAF", "\\C0\\AF"},                   // overlong
      {"\xE0\x80\xAF", "\\E0\\80\\AF"},           // overlong
      {"\xED\xA0\x80", "\\ED\\A0\\80"},           // a surrogate
      {"\xF4\x90\x80\x80", "\\F4\\90\\80\\80"},   // above U+10FFFF
      {"\xF5\x80", "\\F5\\80"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      // Past the first eight bytes, where whole words are scanned.
      {"CN=Groups,DC=example,DC=\xC4", "CN=Groups,DC=example,DC=\\C4"},
      {"CN=Groups,DC=example,DC=\xC3\x84", "CN=Groups,DC=example,DC=\xC3\x84"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeInvalidUtf8(c.text), c.escaped) << c.escaped;
    EXPECT_EQ(IsWellFormedUtf8(c.text), c.text == c.escaped) << c.escaped;
  }
}

}  // namespace
}  // namespace nestwalk
