#include "platform/forest_domains.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nestwalk::platform {

namespace {

constexpr int kLdapPort = 389;
constexpr char kDomainCrossRefFilter[] =
    "(&(objectClass=crossRef)(systemFlags:1.2.840.113556.1.4.803:=2))";

// Unbinds the connection when the enumeration returns, whichever way it does.
class ConnectionCloser {
 public:
  ConnectionCloser(Directory& directory, LdapHandle connection)
      : directory_(directory), connection_(connection) {}
  ~ConnectionCloser() { directory_.Unbind(connection_); }
  ConnectionCloser(const ConnectionCloser&) = delete;
  ConnectionCloser& operator=(const ConnectionCloser&) = delete;

 private:
  Directory& directory_;
  LdapHandle connection_;
};

ForestDomainsAnswer Failed(int status) { return ForestDomainsAnswer{status, {}}; }

}  // namespace

ForestDomainsAnswer EnumerateForestDomainsOver(Directory& directory,
                                               const std::string& serverName) {
  OpenResult opened = directory.Open(HostOfServerName(serverName), kLdapPort, false);
  if (!opened.handle.valid()) return Failed(opened.error != 0 ? opened.error : kLdapServerDown);
  ConnectionCloser closer(directory, opened.handle);
  const LdapHandle connection = opened.handle;

  if (int code = directory.SetOption(connection, LdapOption::kProtocolVersion, 3); code != 0) {
    return Failed(code);
  }
  // A referral would be chased without our Kerberos bind.
  if (int code = directory.SetOption(connection, LdapOption::kReferrals, 0); code != 0) {
    return Failed(code);
  }
  if (int code = directory.NegotiateBind(connection, std::nullopt); code != 0) {
    return Failed(code);
  }

  SearchRequest rootDse;
  rootDse.scope = SearchScope::kBase;
  rootDse.filter = "(objectClass=*)";
  rootDse.attributes = {"configurationNamingContext"};
  SearchResult root = directory.Search(connection, rootDse);
  if (root.code != 0) return Failed(root.code);
  std::optional<std::string> configuration;
  if (!root.entries.empty())
    configuration = root.entries.front().First("configurationNamingContext");
  if (!configuration || configuration->empty()) return Failed(kErrorNoSuchDomain);

  SearchRequest partitions;
  partitions.base = "CN=Partitions," + *configuration;
  partitions.scope = SearchScope::kSubtree;
  partitions.filter = kDomainCrossRefFilter;
  partitions.attributes = {"dnsRoot"};
  SearchResult crossRefs = directory.Search(connection, partitions);
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
