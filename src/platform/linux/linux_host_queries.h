// Who runs the program and on which machine, from this host's Kerberos and Samba configuration.
//
// Statuses (0 is success):
//   2  no ticket cache: hint "run kinit to obtain a Kerberos ticket"
//   3  the ticket cache names no usable principal: the same hint
//   4  the host name cannot be read
//   5  the Kerberos library could not start (krb5.conf unreadable or broken)
// None is 1, the usage text's exit code, so every exit code names one cause.
// The computer name is smb.conf's "netbios name", else the host name up to its first dot,
// upper-cased and cut to 15 characters. The machine is joined when smb.conf says it is an AD
// member or DC (the domain is its workgroup) or when the system keytab holds a machine account
// NAME$@REALM (the domain is the realm); otherwise status 0 with joinedToDomain false.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_HOST_QUERIES_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_HOST_QUERIES_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/host_queries.h"

namespace nestwalk::platform {

inline constexpr int kStatusKerberosUnavailable = 5;
inline constexpr int kStatusNoTicketCache = 2;
inline constexpr int kStatusNoPrincipal = 3;
inline constexpr int kStatusNoHostName = 4;
inline constexpr const char* kKinitHint = "run kinit to obtain a Kerberos ticket";

// The NetBIOS form of a computer name: `netbiosName` when set and not empty, else `hostName`
// up to its first dot; upper-cased (ASCII) and at most 15 bytes.
std::string NetbiosComputerName(const std::optional<std::string>& netbiosName,
                                std::string_view hostName);

class LinuxHostQueries : public HostQueries {
 public:
  LinuxHostQueries() = default;
  ComputerNameAnswer GetComputerName() override;
  JoinAnswer GetJoinInformation() override;
  LoggedOnUserAnswer GetLoggedOnUser() override;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_HOST_QUERIES_H_
