#include "membership/forest_session.h"

#include <utility>

#include "ldap/open_ldap.h"
#include "locate/dc_locator.h"
#include "membership/counted_search.h"
#include "membership/plain_walk.h"
#include "membership/primary_group.h"
#include "membership/read_ahead_walk.h"
#include "platform/filter_escape.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

// The partition search's condition for a domain's flat name.
std::string NetbiosCondition(const std::string& flatName) {
  return "(nETBIOSName=" + platform::EscapeFilterValue(flatName) + ")";
}

// A locator that pings candidates together goes with reading ahead.
platform::Services PlatformServices(platform::Platform& platform, WalkPace pace) {
  return platform.services(pace == WalkPace::kReadAhead
                               ? platform::CandidatePings::kTogether
                               : platform::CandidatePings::kOneAfterAnother);
}

// `services` carry `failFast` as their directory.
std::unique_ptr<WalkStrategy> MakeStrategy(Console& console, platform::Services services,
                                           FailFastDirectory& failFast, WalkPace pace,
                                           const ReadNeeds& needs, const std::string& initialServer,
                                           const ForestSession& session) {
  if (pace == WalkPace::kReadAhead) {
    return std::make_unique<ReadAheadWalk>(console, services, failFast, session, initialServer,
                                           needs);
  }
  return std::make_unique<PlainWalk>(services, initialServer);
}

}  // namespace

ForestSession::ForestSession(Console& console, platform::Platform& platform, WalkPace pace,
                             ReadNeeds needs, std::string initialServer)
    : console_(console),
      needs_(needs),
      platform_(PlatformServices(platform, pace)),
      failFast_(platform_.directory),
      strategy_(MakeStrategy(console, {failFast_, platform_.locator, platform_.host}, failFast_,
                             pace, needs, initialServer, *this)),
      connections_(console, services().directory),
      initialServer_(std::move(initialServer)) {}

ForestSession::~ForestSession() = default;

bool ForestSession::Connect(const std::string& domain, const DcReady& dcReady) {
  servers_ =
      SelectServers(console_, *strategy_, connections_, maps_, domain, initialServer_, dcReady);
  return servers_.has_value();
}

GroupReadServers ForestSession::ReadServersOf(const std::string& domainKey) const {
  GroupReadServers servers{.domainGc = {}, .forestGc = servers_->gcConnection, .dc = {}};
  if (auto gc = maps_.gcByDomain.find(domainKey); gc != maps_.gcByDomain.end()) {
    servers.domainGc = gc->second.connection;
  }
  if (auto dc = maps_.dcByDomain.find(domainKey); dc != maps_.dcByDomain.end()) {
    servers.dc = dc->second.connection;
  }
  return servers;
}

void ForestSession::ReplaceGivenUpServers(const std::string& domainKey) {
  if (failFast_.IsGivenUp(servers_->gcConnection) && !forestGcReplaced_) {
    forestGcReplaced_ = true;
    ReplaceForestGc();
  }
  // Its domain's groups are read at the forest's GC and a DC instead.
  if (auto gc = maps_.gcByDomain.find(domainKey);
      gc != maps_.gcByDomain.end() && failFast_.IsGivenUp(gc->second.connection)) {
    maps_.gcByDomain.erase(gc);
  }
  auto dc = maps_.dcByDomain.find(domainKey);
  if (dc == maps_.dcByDomain.end() || !failFast_.IsGivenUp(dc->second.connection) ||
      !replacedDcs_.insert(domainKey).second) {
    return;
  }
  const std::string dnsName = DnToDomainName(domainKey);
  console_.DebugErr(dc->second.serverName + " stopped answering; locating another DC of " +
                    dnsName + "\n");
  const std::optional<LocatedServer> located =
      Replacement(dc->second, failFast_.GivenUpCode(dc->second.connection), dnsName, false);
  if (!located) {
    console_.DebugErr("No other DC of " + dnsName + " answers: its reads are given up\n");
    return;
  }
  const platform::LdapHandle connection = OpenWithCallerCredentials(
      console_, services().directory, located->name, kDefaultPortSelector, /*referrals=*/false);
  if (connection.valid()) ++serversReplaced_;
  TakeDomainController(domainKey,
                       {located->name, located->site, located->isGlobalCatalog, connection});
}

std::optional<LocatedServer> ForestSession::Replacement(const ldapsrvdata& lost,
                                                        std::optional<int> givenUpCode,
                                                        const std::string& dnsName,
                                                        bool globalCatalog) {
  LocatedServer located =
      LocateDomainController(console_, services().locator, initialServer_, dnsName, globalCatalog);
  located.name = platform::HostOfServerName(located.name);
  if (!located.name.empty() && located.name != lost.serverName) return located;
  // A server whose connections were lost (reset, restarted) may answer a new one; one that
  // timed out is not asked again.
  if (!givenUpCode || *givenUpCode == platform::kLdapTimeout) return std::nullopt;
  if (located.name.empty()) {
    located.site = lost.siteName;
    located.isGlobalCatalog = globalCatalog;
  }
  located.name = lost.serverName;
  return located;
}

void ForestSession::ReplaceForestGc() {
  const std::string forest = DnToDomainName(servers_->dcRootDse.rootDomainNamingContext);
  console_.DebugErr(servers_->gcName + " stopped answering; locating another GC of " + forest +
                    "\n");
  const std::optional<LocatedServer> located =
      Replacement({.serverName = servers_->gcName, .siteName = "", .connection = {}},
                  failFast_.GivenUpCode(servers_->gcConnection), forest, true);
  if (!located) {
    console_.DebugErr("No other GC of " + forest + " answers: its reads are given up\n");
    return;
  }
  const platform::LdapHandle connection =
      OpenGlobalCatalogPort(console_, services().directory, located->name);
  if (!connection.valid()) return;
  connections_.Append(connection);
  servers_->gcConnection = connection;
  servers_->gcName = located->name;
  ++serversReplaced_;
}

bool ForestSession::AnyGivenUp(const GroupReadServers& servers) const {
  return failFast_.IsGivenUp(servers.domainGc) || failFast_.IsGivenUp(servers.forestGc) ||
         failFast_.IsGivenUp(servers.dc);
}

platform::LdapHandle ForestSession::BindDomainController(const std::string& domainKey) {
  const BoundDomainController bound =
      strategy_->BindDomainController(console_, DnToDomainName(domainKey));
  TakeDomainController(domainKey, bound);
  return bound.connection;
}

void ForestSession::TakeDomainController(const std::string& domainKey,
                                         const BoundDomainController& bound) {
  if (!bound.connection.valid()) return;
  connections_.Append(bound.connection);
  const ldapsrvdata server{
      .serverName = bound.serverName, .siteName = bound.siteName, .connection = bound.connection};
  maps_.dcByDomain[domainKey] = server;
  if (!bound.serverName.empty() && bound.isGlobalCatalog) maps_.gcByDomain[domainKey] = server;
}

std::optional<ForestDomain> ForestSession::DomainNamed(const std::string& flatName) {
  return Partition(NetbiosCondition(flatName), flatName);
}

std::optional<ForestDomain> ForestSession::DomainAt(const std::string& domainDn) {
  return Partition("(nCName=" + platform::EscapeFilterValue(domainDn) + ")", domainDn);
}

bool ForestSession::KnowsNoDomainNamed(const std::string& flatName) const {
  auto known = partitions_.find(LowerCaseText(NetbiosCondition(flatName)));
  return known != partitions_.end() && !known->second;
}

std::optional<ForestDomain> ForestSession::Partition(const std::string& condition,
                                                     const std::string& name) {
  const std::string filter = LowerCaseText(condition);
  if (auto known = partitions_.find(filter); known != partitions_.end()) return known->second;
  ReplaceGivenUpServers("");
  const platform::SearchRequest request{
      .base = "CN=Partitions," + servers_->dcRootDse.configurationNamingContext,
      .scope = platform::SearchScope::kSubtree,
      .filter = "(&(objectClass=crossRef)" + condition + ")",
      .attributes = {"nCName", "nETBIOSName"},
      .attributesOnly = false,
  };
  std::optional<ForestDomain> domain;
  const std::size_t replaced = serversReplaced_;
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console_, services().directory, servers_->gcConnection, request);
  if (!entries) {
    // A GC whose connection was lost on this search is asked again on a new one.
    ReplaceGivenUpServers("");
    if (serversReplaced_ != replaced) {
      entries = CountedSearch(console_, services().directory, servers_->gcConnection, request);
    }
  }
  if (entries && entries->size() == 1) {
    domain = ForestDomain{entries->front().First("nCName").value_or(""),
                          entries->front().First("nETBIOSName").value_or("")};
  }
  if (!domain || domain->dn.empty()) domain.reset();
  // A search that failed is made again for the next account that names the domain.
  if (!entries) return domain;
  if (!domain) console_.Err("ERROR: No domain " + name + " in the forest\n");
  partitions_[filter] = domain;
  return domain;
}

platform::LdapHandle ForestSession::DomainController(const std::string& domainKey) {
  const platform::LdapHandle known = ReadServersOf(domainKey).dc;
  return known.valid() ? known : BindDomainController(domainKey);
}

std::string ForestSession::PrimaryGroupOf(platform::LdapHandle dc, const std::string& domainDn,
                                          const std::string& primaryGroupID) {
  const std::pair key{LowerCaseText(domainDn), primaryGroupID};
  if (auto known = primaryGroups_.find(key); known != primaryGroups_.end()) return known->second;
  std::string dn = GetPrimaryGroupDN(console_, services().directory, dc, domainDn, primaryGroupID);
  // A server that stopped answering is no answer: the next account asks again.
  if (dn.empty() && failFast_.IsGivenUp(dc)) return dn;
  return primaryGroups_[key] = std::move(dn);
}

void ForestSession::TakeTrustingDomainController(const std::string& domainKey,
                                                 const BoundDomainController& bound) {
  TakeDomainController(domainKey, bound);
  if (bound.connection.valid()) maps_.gcByDomain[domainKey] = maps_.dcByDomain[domainKey];
}

void ForestSession::Close() { connections_.UnbindAllConnections(); }

}  // namespace nestwalk
