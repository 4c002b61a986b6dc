// DNS SRV look-ups through the system resolver (resolv.conf: servers, search list, options).
#ifndef NESTWALK_PLATFORM_LINUX_DNS_SRV_H_
#define NESTWALK_PLATFORM_LINUX_DNS_SRV_H_

#include <resolv.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/srv_order.h"

namespace nestwalk::platform {

// Empty records: no such name, no SRV records, or no answer at all.
struct SrvAnswer {
  std::vector<SrvRecord> records;  // as the answer listed them, unordered
  // No DNS server sent any reply, not even a refusal: every try timed out (or could not be
  // sent). A name that does not exist, or a server failure, is not silence.
  bool silent = false;
};

// The most a lookup waits for one server's reply to one try, and the most tries of a query:
// where resolv.conf allows more (its default is 5 s and 2 tries) these apply instead, so that a
// silent resolver costs a lookup 2 x 2 s per name server and per name tried (res_nsearch tries
// the name itself and, after a silence, the first search domain).
inline constexpr int kDnsTrySeconds = 2;
inline constexpr int kDnsTries = 2;

// Lowers the state's try time and tries to the caps above; lower values stay.
void CapResolverWaits(res_state state);

// Looks up the SRV records of `name` with res_nsearch, so the resolver's search list applies
// to names it would not take as absolute; the waits are capped as CapResolverWaits says.
SrvAnswer LookupSrv(const std::string& name);

// The same lookup through an initialised resolver state of the caller's, as it is.
SrvAnswer LookupSrvWith(res_state state, const std::string& name);

// Decodes the SRV records of a DNS answer message; no records when the message does not parse
// or holds no SRV record. Targets lose their trailing dot; the root target stays ".".
SrvAnswer ParseSrvAnswer(std::string_view message);

// The resolver's search domains, in resolv.conf order.
std::vector<std::string> ResolverSearchDomains();

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_DNS_SRV_H_
