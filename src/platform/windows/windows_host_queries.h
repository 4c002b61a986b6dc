// Who runs the program and on which machine, from the workstation service: NetWkstaGetInfo,
// NetGetJoinInformation and NetWkstaUserGetInfo. Statuses are the calls' own (0 is success); a
// machine that is not joined to a domain answers status 0 with joinedToDomain false. No hints:
// the logged-on user's credentials need no set-up.
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_HOST_QUERIES_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_HOST_QUERIES_H_

#include "platform/host_queries.h"

namespace nestwalk::platform {

class WindowsHostQueries : public HostQueries {
 public:
  ComputerNameAnswer GetComputerName() override;
  JoinAnswer GetJoinInformation() override;
  // The user of this process's logon session and its logon domain (flat name).
  LoggedOnUserAnswer GetLoggedOnUser() override;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_HOST_QUERIES_H_
