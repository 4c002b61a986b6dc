// Feeds arbitrary text to the SID text parser and checks that what it accepts is a whole
// binary SID that formats back into text the parser accepts again, as the same SID.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto binary =
      nestwalk::platform::SidFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!binary) return 0;
  const auto text = nestwalk::platform::SidToText(*binary);
  if (!text) __builtin_trap();
  const auto again = nestwalk::platform::SidFromText(*text);
  if (!again || *again != *binary) __builtin_trap();
  return 0;
}
