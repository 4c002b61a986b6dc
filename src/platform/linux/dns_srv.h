// DNS SRV look-ups through the system resolver (resolv.conf: servers, search list, options).
#ifndef NESTWALK_PLATFORM_LINUX_DNS_SRV_H_
#define NESTWALK_PLATFORM_LINUX_DNS_SRV_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/srv_order.h"

namespace nestwalk::platform {

// Empty records: no such name, no SRV records, or no answer at all.
struct SrvAnswer {
  std::vector<SrvRecord> records;  // as the answer listed them, unordered
};

// Looks up the SRV records of `name` with res_nsearch, so the resolver's search list applies
// to names it would not take as absolute.
SrvAnswer LookupSrv(const std::string& name);

// Decodes the SRV records of a DNS answer message; no records when the message does not parse
// or holds no SRV record. Targets lose their trailing dot; the root target stays ".".
SrvAnswer ParseSrvAnswer(std::string_view message);

// The resolver's search domains, in resolv.conf order.
std::vector<std::string> ResolverSearchDomains();

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_DNS_SRV_H_
