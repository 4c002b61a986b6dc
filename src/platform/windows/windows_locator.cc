#include "platform/windows/windows_locator.h"

// clang-format off
#include <windows.h>
#include <dsgetdc.h>
// clang-format on

#include <string>

#include "platform/forest_domains.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_handles.h"

namespace nestwalk::platform {

namespace {

// The locator calls take no name as "this machine".
const wchar_t* OrNull(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

}  // namespace

LocatorAnswer WindowsLocator::GetDcName(const std::string& computerName,
                                        const std::string& domainName, unsigned flags) {
  const std::wstring computer = WideFromUtf8(computerName);
  const std::wstring domain = WideFromUtf8(domainName);
  PDOMAIN_CONTROLLER_INFOW raw = nullptr;
  const DWORD status =
      DsGetDcNameW(OrNull(computer), OrNull(domain), nullptr, nullptr, flags, &raw);
  const NetApiBuffer<DOMAIN_CONTROLLER_INFOW> info(raw);
  if (status != ERROR_SUCCESS || !info) {
    return LocatorAnswer(status != ERROR_SUCCESS ? static_cast<int>(status) : kErrorNoSuchDomain);
  }
  return LocatorAnswer(0, DcInfo{Utf8FromWide(info->DomainControllerName),
                                 Utf8FromWide(info->DcSiteName), info->Flags});
}

SiteAnswer WindowsLocator::GetSiteName(const std::string& computerName) {
  const std::wstring computer = WideFromUtf8(computerName);
  LPWSTR raw = nullptr;
  const DWORD status = DsGetSiteNameW(OrNull(computer), &raw);
  const NetApiBuffer<wchar_t> site(raw);
  if (status != ERROR_SUCCESS) return SiteAnswer{static_cast<int>(status), {}};
  return SiteAnswer{0, Utf8FromWide(site.get())};
}

ForestDomainsAnswer WindowsLocator::EnumerateForestDomains(const std::string& serverName) {
  if (directory_.bindsAsIdentity()) return EnumerateForestDomainsOver(directory_, serverName);
  std::wstring server = WideFromUtf8(serverName);
  PDS_DOMAIN_TRUSTSW raw = nullptr;
  ULONG count = 0;
  const DWORD status = DsEnumerateDomainTrustsW(server.empty() ? nullptr : server.data(),
                                                DS_DOMAIN_IN_FOREST, &raw, &count);
  const NetApiBuffer<DS_DOMAIN_TRUSTSW> domains(raw);
  ForestDomainsAnswer answer;
  answer.status = static_cast<int>(status);
  if (status != ERROR_SUCCESS || !domains) return answer;
  for (ULONG at = 0; at < count; ++at) {
    if (domains.get()[at].DnsDomainName != nullptr) {
      answer.dnsNames.push_back(Utf8FromWide(domains.get()[at].DnsDomainName));
    }
  }
  return answer;
}

}  // namespace nestwalk::platform
