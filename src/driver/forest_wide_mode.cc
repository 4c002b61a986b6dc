#include "driver/forest_wide_mode.h"

#include <optional>
#include <string>
#include <utility>

#include "locate/site_links.h"
#include "text/case_folding.h"

namespace nestwalk {

namespace {

// Enumerates the forest's domains through `serverName`; nullopt after the failure line.
std::optional<ForestDomainMap> ReadForestDomains(Console& console, platform::Locator& locator,
                                                 const std::string& serverName) {
  platform::ForestDomainsAnswer answer = locator.EnumerateForestDomains(serverName);
  if (answer.status != 0) {
    console.Err("Couldn't enumerate Forest trusts - " + std::to_string(answer.status) + "\n");
    return std::nullopt;
  }
  console.DebugErr("Number of Domains: " + std::to_string(answer.dnsNames.size()) + "\n");
  ForestDomainMap domains;
  for (const std::string& dnsName : answer.dnsNames) {
    // Lower-cased, so the inventory finds the names it derives from DNs.
    std::string name = LowerCaseText(dnsName);
    domains[name] = true;
    console.DebugErr("\t" + name + "\n");
  }
  return domains;
}

}  // namespace

ForestSurvey RunForestWideMode(Console& console, platform::Services& services,
                               const SelectedServers& servers) {
  console.DebugErr("TRYALL: Locate GC for all domains...\nEnumerate the forest domains\n");
  ForestSurvey survey;
  std::optional<ForestDomainMap> domains =
      ReadForestDomains(console, services.locator, servers.gcName);
  if (!domains) return survey;
  survey.forestDomains = std::move(*domains);

  const std::string& configurationNc = servers.dcRootDse.configurationNamingContext;
  survey.inventory = ReadForestGcInventory(console, services.directory, servers.dcConnection,
                                           configurationNc, survey.forestDomains);
  ReadSiteLinkCosts(console, services.directory, servers.dcConnection, servers.dcSite,
                    configurationNc);
  ReadSiteLinkCosts(console, services.directory, servers.dcConnection, servers.gcSite,
                    configurationNc);
  return survey;
}

}  // namespace nestwalk
