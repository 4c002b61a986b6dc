// Plain-text conversions of distinguished names (no DN parsing, no escapes).
#ifndef NESTWALK_TEXT_DN_NAMES_H_
#define NESTWALK_TEXT_DN_NAMES_H_

#include <string>
#include <string_view>

namespace nestwalk {

inline constexpr std::string_view kNotDomainDnMarker = "***NotDomainDNFormat***";

// "DC=corp,DC=example,DC=com" -> "corp.example.com", lower-cased; kNotDomainDnMarker when the DN
// contains "cn=" in any case. Components of other types are kept as they are, not dropped:
// "OU=Sales,DC=corp" gives ",ou=sales.corp".
std::string DnToDomainName(std::string_view dn);

// The domain key of a DN: the lower-cased DN from its first "dc=" on ("dc=emea,dc=corp,dc=com");
// empty when it has none.
std::string DomainOfDn(std::string_view dn);

// The DN of a domain's naming context from its DNS name: "b.corp.test" -> "DC=b,DC=corp,DC=test"
// (empty labels are skipped).
std::string DomainNameToDn(std::string_view dnsName);

// The `index`-th comma-separated component, lower-cased ("cn=hub"); empty when the DN has fewer.
std::string DnComponent(std::string_view dn, int index);

}  // namespace nestwalk

#endif  // NESTWALK_TEXT_DN_NAMES_H_
