#include "platform/fake/fake_locator.h"

#include <vector>

#include "text/case_folding.h"

namespace nestwalk::fake {

namespace {

// DS_LDAP_FLAG, DS_DS_FLAG, DS_KDC_FLAG, DS_WRITABLE_FLAG and the three DNS flags.
constexpr unsigned kEveryDcFlags = 0x8 | 0x10 | 0x20 | 0x100 | 0x20000000 | 0x40000000 | 0x80000000;
constexpr unsigned kClosestFlag = 0x80;

// The servers of `domain` that fit; for a GC query of a forest root's name with no GC in the
// root domain, the GCs of every domain of its forest.
std::vector<const ServerSetup*> Candidates(const FakeTree& tree,
                                           const std::set<std::string>& silentHosts,
                                           const FakeDomain& domain, bool wantGc) {
  std::vector<const ServerSetup*> fitting;
  for (const ServerSetup& server : tree.servers()) {
    if (wantGc && !server.globalCatalog) continue;
    // A server that stopped answering answers no ping either.
    if (silentHosts.contains(LowerCaseText(server.host))) continue;
    if (LowerCaseText(server.domainDn) == LowerCaseText(domain.setup.dn))
      fitting.push_back(&server);
  }
  if (fitting.empty() && wantGc &&
      LowerCaseText(tree.rootDn(domain.forest)) == LowerCaseText(domain.setup.dn)) {
    for (const ServerSetup& server : tree.servers()) {
      if (server.globalCatalog && tree.ForestOf(server) == domain.forest &&
          !silentHosts.contains(LowerCaseText(server.host))) {
        fitting.push_back(&server);
      }
    }
  }
  return fitting;
}

platform::LocatorAnswer AnswerWith(const ServerSetup& server, const std::string& localSite) {
  unsigned flags = kEveryDcFlags;
  if (server.globalCatalog) flags |= platform::kDsGcFlag;
  if (!localSite.empty() && LowerCaseText(server.site) == LowerCaseText(localSite)) {
    flags |= kClosestFlag;
  }
  return platform::LocatorAnswer{0, platform::DcInfo{"\\\\" + server.host, server.site, flags}};
}

}  // namespace

platform::LocatorAnswer ComputeDcAnswer(const FakeTree& tree,
                                        const std::set<std::string>& silentHosts,
                                        const std::string& localSite,
                                        const std::string& joinedDomain,
                                        const std::string& computerName,
                                        const std::string& domainName, unsigned flags) {
  const ServerSetup* asked = nullptr;
  if (!computerName.empty()) {
    asked = tree.FindServer(platform::HostOfServerName(computerName));
    if (asked == nullptr) return platform::LocatorAnswer{platform::kRpcServerUnavailable, {}};
  }
  const FakeDomain* domain = tree.FindDomainByName(domainName.empty() ? joinedDomain : domainName);
  if (domain == nullptr) return platform::LocatorAnswer{platform::kErrorNoSuchDomain, {}};
  std::vector<const ServerSetup*> fitting =
      Candidates(tree, silentHosts, *domain, (flags & platform::kDsGcServerRequired) != 0);
  if (fitting.empty()) return platform::LocatorAnswer{platform::kErrorNoSuchDomain, {}};
  for (const ServerSetup* server : fitting) {
    if (server == asked) return AnswerWith(*server, localSite);
  }
  for (const ServerSetup* server : fitting) {
    if (LowerCaseText(server->site) == LowerCaseText(localSite)) {
      return AnswerWith(*server, localSite);
    }
  }
  return AnswerWith(*fitting.front(), localSite);
}

}  // namespace nestwalk::fake
