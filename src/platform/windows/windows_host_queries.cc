#include "platform/windows/windows_host_queries.h"

#include "platform/windows/wide_text.h"
#include "platform/windows/windows_handles.h"

namespace nestwalk::platform {

ComputerNameAnswer WindowsHostQueries::GetComputerName() {
  LPBYTE raw = nullptr;
  const NET_API_STATUS status = NetWkstaGetInfo(nullptr, 100, &raw);
  const NetApiBuffer<WKSTA_INFO_100> info(reinterpret_cast<WKSTA_INFO_100*>(raw));
  if (status != NERR_Success || !info) return ComputerNameAnswer{static_cast<int>(status), {}, {}};
  return ComputerNameAnswer{0, Utf8FromWide(info->wki100_computername), {}};
}

JoinAnswer WindowsHostQueries::GetJoinInformation() {
  LPWSTR raw = nullptr;
  NETSETUP_JOIN_STATUS joinStatus = NetSetupUnknownStatus;
  const NET_API_STATUS status = NetGetJoinInformation(nullptr, &raw, &joinStatus);
  const NetApiBuffer<wchar_t> name(raw);
  if (status != NERR_Success) return JoinAnswer{static_cast<int>(status), false, {}, {}};
  const bool joined = joinStatus == NetSetupDomainName;
  return JoinAnswer{0, joined, joined ? Utf8FromWide(name.get()) : std::string(), {}};
}

LoggedOnUserAnswer WindowsHostQueries::GetLoggedOnUser() {
  LPBYTE raw = nullptr;
  const NET_API_STATUS status = NetWkstaUserGetInfo(nullptr, 1, &raw);
  const NetApiBuffer<WKSTA_USER_INFO_1> info(reinterpret_cast<WKSTA_USER_INFO_1*>(raw));
  if (status != NERR_Success || !info) {
    return LoggedOnUserAnswer{static_cast<int>(status), {}, {}, {}};
  }
  return LoggedOnUserAnswer{0, Utf8FromWide(info->wkui1_username),
                            Utf8FromWide(info->wkui1_logon_domain), {}};
}

}  // namespace nestwalk::platform
