// Who runs the program and on which machine, from this host's Kerberos and Samba configuration.
//
// Statuses (0 is success):
//   2  no ticket cache: hint "run kinit to obtain a Kerberos ticket"
//   3  the ticket cache names no usable principal: the same hint
//   4  the host name cannot be read
//   5  the Kerberos library could not start (krb5.conf unreadable or broken)
//   6  no domain controller of the realm answered, so its flat name is unknown: hint naming it
// None is 1, the usage text's exit code, so every exit code names one cause.
// The computer name is smb.conf's "netbios name", else the host name up to its first dot,
// upper-cased and cut to 15 characters. The machine is joined when smb.conf says it is an AD
// member or DC (the domain is its workgroup) or when the system keytab holds a machine account
// NAME$@REALM (the domain is the flat name a DC of the realm reports); otherwise status 0 with
// joinedToDomain false. The logged-on user is the ticket cache's principal; its logon domain is
// the flat name a DC of the principal's realm reports.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_HOST_QUERIES_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_HOST_QUERIES_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host_queries.h"
#include "platform/linux/dc_discovery.h"
#include "platform/linux/flat_name.h"
#include "platform/linux/host_domain.h"
#include "platform/linux/kerberos.h"
#include "platform/linux/system_discovery_network.h"

namespace nestwalk::platform {

inline constexpr int kStatusKerberosUnavailable = 5;
inline constexpr int kStatusNoTicketCache = 2;
inline constexpr int kStatusNoPrincipal = 3;
inline constexpr int kStatusNoHostName = 4;
inline constexpr int kStatusNoDomainController = 6;
inline constexpr const char* kKinitHint = "run kinit to obtain a Kerberos ticket";

// The NetBIOS form of a computer name: `netbiosName` when set and not empty, else `hostName`
// up to its first dot; upper-cased (ASCII) and at most 15 bytes.
std::string NetbiosComputerName(const std::optional<std::string>& netbiosName,
                                std::string_view hostName);

// The logged-on user answer for the ticket cache `cache`, its logon domain being the flat name
// in the answer of `ping` for the principal's realm.
LoggedOnUserAnswer LoggedOnUserOf(const CachePrincipal& cache, const DomainPing& ping);

// The join answer for `record`; a join without a flat name (a keytab's) takes it from the
// answer of `ping` for its DNS name.
JoinAnswer JoinAnswerOf(JoinRecord record, const DomainPing& ping);

class LinuxHostQueries : public HostQueries {
 public:
  LinuxHostQueries() = default;
  ComputerNameAnswer GetComputerName() override;
  JoinAnswer GetJoinInformation() override;
  LoggedOnUserAnswer GetLoggedOnUser() override;
  // Before the first query.
  void SetPingWait(std::chrono::milliseconds wait) { network_.SetPingWait(wait); }

 private:
  DomainPing Ping();

  SystemDiscoveryNetwork network_;
  SiteMemory site_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_HOST_QUERIES_H_
