#include "locate/dc_locator.h"

#include "text/case_folding.h"

namespace nestwalk {

LocatedServer LocateDomainController(Console& console, platform::Locator& locator,
                                     const std::string& baseMachine, const std::string& domainName,
                                     bool wantGlobalCatalog) {
  console.DebugErr(wantGlobalCatalog ? std::string("Locating a GC...\n")
                                     : "Locating a DC for " + domainName + "\n");
  const unsigned flags =
      platform::kDsReturnDnsName |
      (wantGlobalCatalog ? platform::kDsGcServerRequired : platform::kDsDirectoryServiceRequired);
  platform::LocatorAnswer answer = locator.GetDcName(baseMachine, domainName, flags);

  LocatedServer located;
  switch (answer.status) {
    case 0:
      console.DebugErr("DSGetDCName: Returned ok\n");
      located.name = LowerCaseText(answer.info.name);
      located.site = LowerCaseText(answer.info.siteName);
      located.isGlobalCatalog = (answer.info.flags & platform::kDsGcFlag) != 0;
      console.DebugErr("DC located: " + located.name + "\n");
      break;
    case platform::kErrorNoSuchDomain:
      console.Err("DSGetDCName: No such domain - " + std::to_string(answer.status) + "\n");
      break;
    case platform::kRpcServerUnavailable:
      console.Err("DSGetDCName: Base machine [" + baseMachine + "] RPC Unavailable - " +
                  std::to_string(answer.status) + "\n");
      break;
    default:
      console.Err("DSGetDCName: Unhandled return value: " + std::to_string(answer.status) + "\n");
      break;
  }
  if (answer.status != 0 && !answer.reason.empty()) console.Err("   " + answer.reason + "\n");
  return located;
}

std::string LookupSiteName(Console& console, platform::Locator& locator,
                           const std::string& computerName) {
  console.DebugErr("Retrieving Site Info for [" + computerName + "]\n");
  platform::SiteAnswer answer = locator.GetSiteName(computerName);
  if (answer.status != 0) return std::string();
  console.DebugErr("Site: " + answer.siteName + "\n");
  return answer.siteName;
}

}  // namespace nestwalk
