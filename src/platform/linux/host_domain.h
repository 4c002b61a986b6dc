// The domain this machine is joined to, as its join records tell: smb.conf for Samba (winbind)
// joins and domain controllers, the system keytab's machine account for adcli/realmd joins.
#ifndef NESTWALK_PLATFORM_LINUX_HOST_DOMAIN_H_
#define NESTWALK_PLATFORM_LINUX_HOST_DOMAIN_H_

#include <optional>
#include <string>

namespace nestwalk::platform {

struct JoinRecord {
  bool joined = false;
  std::string flatName;                // smb.conf's workgroup; empty for a keytab join
  std::optional<std::string> dnsName;  // smb.conf's realm, or the keytab's realm
};

// Reads kSmbConfPath, then the default keytab. Not joined when neither tells of a domain
// (also when they cannot be read).
JoinRecord ReadJoinRecord();

// The DNS name of this machine's domain: the join record's, else the Kerberos default realm;
// nullopt when neither is known.
std::optional<std::string> HostDnsDomain();

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_HOST_DOMAIN_H_
