#include "platform/forest_domains.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/caller_connection.h"

namespace nestwalk::platform {

namespace {

constexpr char kDomainCrossRefFilter[] =
    "(&(objectClass=crossRef)(systemFlags:1.2.840.113556.1.4.803:=2))";

ForestDomainsAnswer Failed(int status) { return ForestDomainsAnswer{status, {}}; }

}  // namespace

ForestDomainsAnswer EnumerateForestDomainsOver(Directory& directory,
                                               const std::string& serverName) {
  CallerConnection connection(directory, HostOfServerName(serverName));
  if (connection.status() != 0) return Failed(connection.status());
  int code = 0;
  const std::optional<std::string> configuration =
      connection.RootDseValue("configurationNamingContext", code);
  if (code != 0) return Failed(code);
  if (!configuration) return Failed(kErrorNoSuchDomain);

  SearchRequest partitions;
  partitions.base = "CN=Partitions," + *configuration;
  partitions.scope = SearchScope::kSubtree;
  partitions.filter = kDomainCrossRefFilter;
  partitions.attributes = {"dnsRoot"};
  SearchResult crossRefs = directory.Search(connection.handle(), partitions);
  if (crossRefs.code != 0) return Failed(crossRefs.code);

  ForestDomainsAnswer answer;
  for (const Entry& crossRef : crossRefs.entries) {
    const std::vector<std::string>* dnsRoots = crossRef.Find("dnsRoot");
    if (dnsRoots == nullptr) continue;
    for (const std::string& dnsRoot : *dnsRoots) {
      if (!dnsRoot.empty()) answer.dnsNames.push_back(dnsRoot);
    }
  }
  if (answer.dnsNames.empty()) return Failed(kErrorNoSuchDomain);
  return answer;
}

}  // namespace nestwalk::platform
