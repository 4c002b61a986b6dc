#include "locate/site_links.h"

#include "locate/paged_walk.h"
#include "platform/filter_escape.h"

namespace nestwalk {

namespace {

std::string SiteLinkFilter(const std::string& siteName, const std::string& configurationNc) {
  std::string siteDn = "cn=" + siteName + ",cn=sites," + configurationNc;
  return "(&(objectcategory=sitelink)(sitelist=" + platform::EscapeFilterValue(siteDn) + "))";
}

}  // namespace

void ReadSiteLinkCosts(Console& console, platform::Directory& directory,
                       platform::LdapHandle connection, const std::string& siteName,
                       const std::string& configurationNc) {
  console.DebugErr("Retrieving site link costs\n");
  platform::SearchRequest request;
  request.base = "cn=ip,cn=inter-site transports,cn=sites," + configurationNc;
  request.scope = platform::SearchScope::kSubtree;
  request.filter = SiteLinkFilter(siteName, configurationNc);
  request.attributes = {"cost", "name"};
  WalkPagedSearch(console, directory, connection, request, [&](const platform::Entry& entry) {
    // The cost stays text: it is shown exactly as the directory holds it.
    console.DebugErr("DN: " + entry.dn + "\nCost: " + entry.First("cost").value_or("") +
                     "\nName: " + entry.First("name").value_or("") + "\n");
  });
}

}  // namespace nestwalk
