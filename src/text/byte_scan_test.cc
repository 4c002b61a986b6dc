#include "text/byte_scan.h"

#include <string>

#include <gtest/gtest.h>

namespace nestwalk::byte_scan {
namespace {

bool Control(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
bool ControlInWord(Word word) { return (Below(word, 0x20) | Holds(word, 0x7F)) != 0; }
bool NotAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }
bool NotAsciiInWord(Word word) { return High(word) != 0; }
bool Comma(char c) { return c == ','; }
bool CommaInWord(Word word) { return Holds(word, ',') != 0; }

// One byte among printable ASCII that holds for none: found wherever it stands, in a whole word
// or past the last one, and the bytes around it never found.
TEST(AnyByteTest, FindsTheOneByteAtEveryPlaceAndNothingElse) {
  std::string printable;
  for (int c = 0x20; c < 0x7F; ++c) {
    if (c != ',') printable += static_cast<char>(c);
  }
  EXPECT_FALSE(AnyByte(printable, ControlInWord, Control));
  EXPECT_FALSE(AnyByte(printable, NotAsciiInWord, NotAscii));
  EXPECT_FALSE(AnyByte(printable, CommaInWord, Comma));
  for (const char odd : {'\x00', '\x01', '\x1f', '\x7f', '\x80', '\xff', ','}) {
    for (std::size_t at = 0; at < 19; ++at) {
      std::string text(19, 'a');
      text[at] = odd;
      SCOPED_TRACE("byte " + std::to_string(static_cast<unsigned char>(odd)) + " at " +
                   std::to_string(at));
      EXPECT_EQ(AnyByte(text, ControlInWord, Control), Control(odd));
      EXPECT_EQ(AnyByte(text, NotAsciiInWord, NotAscii), NotAscii(odd));
      EXPECT_EQ(AnyByte(text, CommaInWord, Comma), Comma(odd));
    }
  }
}

}  // namespace
}  // namespace nestwalk::byte_scan
