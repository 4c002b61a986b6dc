// The domains outside the account's forest whose domain-local groups can hold it: those of every
// forest or external trust of a domain of the forest whose other side trusts it (inbound or both
// ways), read from the trustedDomain objects under CN=System; a forest trust's other domains come
// from that forest's own partitions.
#ifndef NESTWALK_MEMBERSHIP_TRUSTING_DOMAINS_H_
#define NESTWALK_MEMBERSHIP_TRUSTING_DOMAINS_H_

#include <optional>
#include <string>
#include <vector>

#include "membership/forest_session.h"
#include "membership/group_details.h"
#include "platform/directory.h"

namespace nestwalk {

// What a trustedDomain object says of one trust.
struct Trust {
  std::string partner;   // the other side's DNS name (of a forest trust: its forest root)
  std::string flatName;
  bool forest = false;   // a forest trust, transitive over the partner's whole forest
  bool bothWays = false;
};

// The trust an entry describes when the other side trusts this domain: direction inbound or both
// ways (trustDirection bit 0x1), an Active Directory domain (trustType 2), not a trust within the
// forest (trustAttributes bit 0x20, none when absent); a forest trust has bit 0x8. nullopt
// otherwise, or when trustPartner, trustDirection or trustType is missing or a number is no
// decimal.
std::optional<Trust> InboundTrust(const platform::Entry& trustedDomain);

struct TrustingDomain {
  std::string dnsName;  // lower case
  std::string forest;   // lower case: the partner of its trust
};

// Asks the DC the session holds of each domain of `forestDomains` (lower-cased DNS names; a domain
// without one is skipped) for its trusts, and for each forest trust lists the partner forest's
// domains through a DC of it. Every domain once, in the order found, none of the account's own
// forest. With -d a line per domain asked and per trust; a domain whose trusts cannot be read
// or a trusting forest whose domains cannot be listed gets an error line and a problem in
// `problems`.
std::vector<TrustingDomain> FindTrustingDomains(ForestSession& session,
                                                const std::vector<std::string>& forestDomains,
                                                std::vector<ReadProblem>& problems);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_TRUSTING_DOMAINS_H_
