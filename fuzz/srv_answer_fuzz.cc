// Feeds arbitrary bytes to the decoder of DNS SRV answers, which come from the network.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/dns_srv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto answer = nestwalk::platform::ParseSrvAnswer(
      std::string_view(reinterpret_cast<const char*>(data), size));
  // Whatever parses is a list of names the resolver could have expanded.
  for (const auto& record : answer.records) {
    if (record.target.empty() || record.target.size() >= 1025) __builtin_trap();
  }
  return 0;
}
