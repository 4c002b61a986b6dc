// The program converts SIDs itself (platform/sid.h), on Windows as on Linux; this checks that
// its conversions agree with the system's own (ConvertSidToStringSidW, ConvertStringSidToSidW)
// for the SIDs a directory holds.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/sid.h"
#include "platform/windows/wide_text.h"

namespace nestwalk::platform {
namespace {

struct LocalRelease {
  void operator()(void* memory) const { LocalFree(memory); }
};

std::optional<std::string> SystemSidFromText(const std::string& text) {
  PSID raw = nullptr;
  if (!ConvertStringSidToSidW(WideFromUtf8(text).c_str(), &raw)) return std::nullopt;
  const std::unique_ptr<void, LocalRelease> sid(raw);
  return std::string(static_cast<const char*>(sid.get()), GetLengthSid(sid.get()));
}

std::optional<std::string> SystemSidToText(std::string binary) {
  LPWSTR raw = nullptr;
  if (!IsValidSid(binary.data()) || !ConvertSidToStringSidW(binary.data(), &raw)) {
    return std::nullopt;
  }
  const std::unique_ptr<wchar_t, LocalRelease> text(raw);
  return Utf8FromWide(text.get());
}

TEST(SystemSid, TheProgramsConversionsAgreeWithTheSystems) {
  for (const std::string text :
       {"S-1-5-21-3623811015-3361044348-30300820-1013", "S-1-5-21-1-2-3-513", "S-1-5-32-544",
        "S-1-5-18", "S-1-1-0", "S-1-5-21-510886182-2514190831-587645897-1106"}) {
    SCOPED_TRACE(text);
    const std::optional<std::string> binary = SidFromText(text);
    ASSERT_TRUE(binary);
    EXPECT_EQ(SystemSidFromText(text), binary);
    EXPECT_EQ(SystemSidToText(*binary), text);
    EXPECT_EQ(SidToText(*binary), text);
  }
}

}  // namespace
}  // namespace nestwalk::platform
