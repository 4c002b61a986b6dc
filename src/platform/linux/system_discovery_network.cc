#include "platform/linux/system_discovery_network.h"

#include <utility>

#include "platform/linux/host_domain.h"
#include "platform/linux/kerberos.h"

namespace nestwalk::platform {

SrvAnswer SystemDiscoveryNetwork::LookupSrv(const std::string& name) {
  return platform::LookupSrv(name);
}

PingResult SystemDiscoveryNetwork::Ping(const std::string& host, int port,
                                        const std::string& dnsDomain, std::stop_token stop) {
  return PingServer(host, port, dnsDomain, pingWait_, std::move(stop));
}

std::vector<std::string> SystemDiscoveryNetwork::KnownDomains() {
  std::vector<std::string> domains;
  if (std::optional<std::string> joined = ReadJoinRecord().dnsName) domains.push_back(*joined);
  if (std::optional<std::string> realm = DefaultRealm()) domains.push_back(*realm);
  for (std::string& domain : ResolverSearchDomains()) domains.push_back(std::move(domain));
  return domains;
}

std::optional<std::string> SystemDiscoveryNetwork::JoinedDomain() { return HostDnsDomain(); }

}  // namespace nestwalk::platform
