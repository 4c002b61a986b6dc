// Mapping a flat (NetBIOS) domain name such as "CORP" to the domain it names, by asking a
// domain controller of each DNS domain this machine knows which flat name its domain has.
#ifndef NESTWALK_PLATFORM_LINUX_FLAT_NAME_H_
#define NESTWALK_PLATFORM_LINUX_FLAT_NAME_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/netlogon_response.h"

namespace nestwalk::platform {

// The ping answer of a domain controller of `dnsDomain`, or nullopt when none answers.
using DomainPing = std::function<std::optional<NetlogonResponse>(const std::string& dnsDomain)>;

// Pings each of `knownDomains` once (repeats, ignoring case and a final dot, are skipped) in
// order, and returns the first answer whose NetbiosDomainName equals `flatName` ignoring ASCII
// case; nullopt when none does.
std::optional<NetlogonResponse> MapFlatName(std::string_view flatName,
                                            const std::vector<std::string>& knownDomains,
                                            const DomainPing& ping);

// `name` without one final dot, lower-cased: the form in which domain names are compared.
std::string DomainKey(std::string_view name);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_FLAT_NAME_H_
