#include "platform/windows/wide_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace nestwalk::platform {
namespace {

// Names outside the ANSI code pages must survive the trip both ways: a lossy conversion sends
// "Omega ?elta" to the server, which then finds nothing.
TEST(WideText, RoundTripsTextOutsideAnyAnsiCodePage) {
  for (const std::string& text : std::initializer_list<std::string>{
           "", "plain", "Gruppe M\xc3\xbcller", "\xce\xa9mega \xce\x94""elta",
        "\xf0\x9f\x98\x80 beyond the basic plane", std::string("nul\0inside", 10)}) {
    EXPECT_EQ(Utf8FromWide(WideFromUtf8(text)), text);
  }
  EXPECT_EQ(WideFromUtf8("\xce\xa9"), L"\u03a9");
  EXPECT_EQ(WideFromUtf8("\xf0\x9f\x98\x80").size(), 2u);  // a surrogate pair
}

TEST(WideText, MarksWhatCannotBeConverted) {
  EXPECT_EQ(WideFromUtf8("a\xff" "b"), L"a\ufffd" L"b");
  EXPECT_EQ(Utf8FromWide(std::wstring_view(L"a\xd800" L"b")), "a\xef\xbf\xbd" "b");
  EXPECT_EQ(Utf8FromWide(static_cast<const wchar_t*>(nullptr)), "");
}

}  // namespace
}  // namespace nestwalk::platform
