#include "platform/linux/trusted_domains.h"

#include <optional>

#include "platform/caller_connection.h"
#include "platform/filter_escape.h"

namespace nestwalk::platform {
namespace {

constexpr int kTrustDirectionDisabled = 0;
constexpr int kTrustTypeUplevel = 2;

}  // namespace

std::vector<std::string> EnabledTrustPartners(const std::vector<Entry>& trustedDomains) {
  std::vector<std::string> partners;
  for (const Entry& trust : trustedDomains) {
    const std::optional<std::string> partner = trust.First("trustPartner");
    const std::optional<int> direction = trust.FirstNumber("trustDirection");
    const std::optional<int> type = trust.FirstNumber("trustType");
    if (!partner || partner->empty() || !direction || !type) continue;
    if (*direction == kTrustDirectionDisabled || *type != kTrustTypeUplevel) continue;
    partners.push_back(*partner);
  }
  return partners;
}

std::vector<std::string> LookUpTrustPartners(Directory& directory, const std::string& dcHost,
                                             const std::string& flatName) {
  CallerConnection connection(directory, dcHost);
  if (connection.status() != 0) return {};
  int code = 0;
  const std::optional<std::string> domainContext =
      connection.RootDseValue("defaultNamingContext", code);
  if (!domainContext) return {};

  SearchRequest trusts;
  trusts.base = "CN=System," + *domainContext;
  trusts.scope = SearchScope::kSubtree;
  trusts.filter = "(&(objectClass=trustedDomain)(flatName=" + EscapeFilterValue(flatName) + "))";
  trusts.attributes = {"trustPartner", "trustDirection", "trustType"};
  SearchResult found = directory.Search(connection.handle(), trusts);
  if (found.code != 0) return {};
  return EnabledTrustPartners(found.entries);
}

}  // namespace nestwalk::platform
