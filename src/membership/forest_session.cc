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
  const LocatedServer located =
      LocateDomainController(console_, services().locator, initialServer_, dnsName, false);
  const std::string host = platform::HostOfServerName(located.name);
  if (host.empty() || host == dc->second.serverName) {
    console_.DebugErr("No other DC of " + dnsName + " answers: its reads are given up\n");
    return;
  }
  const platform::LdapHandle connection = OpenWithCallerCredentials(
      console_, services().directory, host, kDefaultPortSelector, /*referrals=*/false);
  TakeDomainController(domainKey, {host, located.site, located.isGlobalCatalog, connection});
}

void ForestSession::ReplaceForestGc() {
  const std::string forest = DnToDomainName(servers_->dcRootDse.rootDomainNamingContext);
  console_.DebugErr(servers_->gcName + " stopped answering; locating another GC of " + forest +
                    "\n");
  const LocatedServer located =
      LocateDomainController(console_, services().locator, initialServer_, forest, true);
  const std::string host = platform::HostOfServerName(located.name);
  if (host.empty() || host == servers_->gcName) {
    console_.DebugErr("No other GC of " + forest + " answers: its reads are given up\n");
    return;
  }
  const platform::LdapHandle connection =
      OpenGlobalCatalogPort(console_, services().directory, host);
  if (!connection.valid()) return;
  connections_.Append(connection);
  servers_->gcConnection = connection;
  servers_->gcName = host;
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
  return Partition("(nETBIOSName=" + platform::EscapeFilterValue(flatName) + ")", flatName);
}

std::optional<ForestDomain> ForestSession::DomainAt(const std::string& domainDn) {
  return Partition("(nCName=" + platform::EscapeFilterValue(domainDn) + ")", domainDn);
}

std::optional<ForestDomain> ForestSession::Partition(const std::string& condition,
                                                     const std::string& name) {
  const std::string filter = "(&(objectClass=crossRef)" + condition + ")";
  if (auto known = partitions_.find(LowerCaseText(filter)); known != partitions_.end()) {
    return known->second;
  }
  const platform::SearchRequest request{
      .base = "CN=Partitions," + servers_->dcRootDse.configurationNamingContext,
      .scope = platform::SearchScope::kSubtree,
      .filter = filter,
      .attributes = {"nCName", "nETBIOSName"},
      .attributesOnly = false,
  };
  std::optional<ForestDomain> domain;
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console_, services().directory, servers_->gcConnection, request);
  if (entries && entries->size() == 1) {
    domain = ForestDomain{entries->front().First("nCName").value_or(""),
                          entries->front().First("nETBIOSName").value_or("")};
  }
  if (!domain || domain->dn.empty()) {
    if (entries) console_.Err("ERROR: No domain " + name + " in the forest\n");
    domain.reset();
  }
  partitions_[LowerCaseText(filter)] = domain;
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
  return primaryGroups_[key] = std::move(dn);
}

void ForestSession::TakeTrustingDomainController(const std::string& domainKey,
                                                 const BoundDomainController& bound) {
  TakeDomainController(domainKey, bound);
  if (bound.connection.valid()) maps_.gcByDomain[domainKey] = maps_.dcByDomain[domainKey];
}

void ForestSession::Close() { connections_.UnbindAllConnections(); }

}  // namespace nestwalk
