// Feeds arbitrary bytes to the decoder of LDAP ping answers, which come from the network.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/netlogon_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto response = nestwalk::platform::ParseNetlogonResponse(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (response && response->dnsHostName.size() > 255) __builtin_trap();
  return 0;
}
