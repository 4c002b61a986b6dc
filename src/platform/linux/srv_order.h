// DNS SRV records and the order in which their targets are tried.
#ifndef NESTWALK_PLATFORM_LINUX_SRV_ORDER_H_
#define NESTWALK_PLATFORM_LINUX_SRV_ORDER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace nestwalk::platform {

struct SrvRecord {
  std::uint16_t priority = 0;
  std::uint16_t weight = 0;
  std::uint16_t port = 0;
  std::string target;  // host name without the trailing dot; "." means "service not offered"
};

// The records worth contacting, best first: priority ascending, then weight descending; records
// of equal rank keep their order. Records whose target is "." or empty are dropped.
std::vector<SrvRecord> OrderSrvRecords(std::vector<SrvRecord> records);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SRV_ORDER_H_
