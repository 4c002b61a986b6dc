#include "platform/linux/host_domain.h"

#include "platform/linux/kerberos.h"
#include "platform/linux/smb_conf.h"

namespace nestwalk::platform {

JoinRecord ReadJoinRecord() {
  JoinRecord record;
  std::optional<SmbConfSettings> smb = ReadSmbConf(kSmbConfPath);
  if (smb && smb->JoinedToDomain()) {
    record.joined = true;
    // Samba's own default when smb.conf names no workgroup.
    record.flatName = smb->workgroup.value_or("WORKGROUP");
    if (smb->realm && !smb->realm->empty()) record.dnsName = smb->realm;
    return record;
  }
  if (std::optional<std::string> realm = KeytabMachineRealm()) {
    // The keytab names only the realm; its flat name is for a domain controller to tell.
    record.joined = true;
    record.dnsName = realm;
  }
  return record;
}

std::optional<std::string> HostDnsDomain() {
  JoinRecord record = ReadJoinRecord();
  if (record.dnsName) return record.dnsName;
  return DefaultRealm();
}

}  // namespace nestwalk::platform
