// The locator's network on this host: the system resolver for SRV records, real LDAP pings,
// and this machine's resolver, Kerberos and join configuration for its domains.
#ifndef NESTWALK_PLATFORM_LINUX_SYSTEM_DISCOVERY_NETWORK_H_
#define NESTWALK_PLATFORM_LINUX_SYSTEM_DISCOVERY_NETWORK_H_

#include "platform/linux/dc_discovery.h"

namespace nestwalk::platform {

// Holds no state but its ping wait, so every call may come from several threads at once: each SRV lookup has a
// resolver state of its own, each ping its own connection, each Kerberos query its own context.
class SystemDiscoveryNetwork : public DiscoveryNetwork {
 public:
  SrvAnswer LookupSrv(const std::string& name) override;
  PingResult Ping(const std::string& host, int port, const std::string& dnsDomain,
                  std::stop_token stop) override;
  // The host's domain first, then the Kerberos default realm, then the resolver's search list.
  std::vector<std::string> KnownDomains() override;
  std::optional<std::string> JoinedDomain() override;
  std::chrono::milliseconds PingWait() const override { return pingWait_; }
  // Before the first ping.
  void SetPingWait(std::chrono::milliseconds wait) { pingWait_ = wait; }

 private:
  std::chrono::milliseconds pingWait_ = kPingTimeout;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SYSTEM_DISCOVERY_NETWORK_H_
