// One forest as a run reaches it: the walk strategy, every connection and the servers bound per
// domain, the forest's GC, and what was read of each group, kept for as long as the run walks
// accounts of the forest.
#ifndef NESTWALK_MEMBERSHIP_FOREST_SESSION_H_
#define NESTWALK_MEMBERSHIP_FOREST_SESSION_H_

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ldap/connection_list.h"
#include "ldap/domain_controller_binding.h"
#include "ldap/fail_fast_directory.h"
#include "ldap/server_maps.h"
#include "ldap/server_selection.h"
#include "locate/dc_locator.h"
#include "membership/kept_group_reads.h"
#include "membership/read_needs.h"
#include "membership/walk_strategy.h"
#include "platform/console.h"
#include "platform/platform.h"
#include "platform/services.h"

namespace nestwalk {

// Where the groups of one domain are read: on the domain's GC alone when the session holds one
// (it holds the domain's whole view), else on the forest's GC and then on a DC of the domain.
struct GroupReadServers {
  platform::LdapHandle domainGc;  // invalid: the session holds no GC of the domain
  platform::LdapHandle forestGc;
  platform::LdapHandle dc;  // invalid: no DC of the domain is bound yet
};

// A domain of the forest as its partition lists it.
struct ForestDomain {
  std::string dn;        // its naming context, as the directory spells it
  std::string flatName;  // its NetBIOS name
};

class ForestSession {
 public:
  // `console` and `platform` must outlive the session. `pace` picks the walk strategy (and a
  // locator that pings candidates together for kReadAhead); `initialServer` is the machine
  // whose locator is asked (empty: this one).
  ForestSession(Console& console, platform::Platform& platform, WalkPace pace, ReadNeeds needs,
                std::string initialServer);
  // Closes, without a word, whatever Close has not closed.
  ~ForestSession();
  ForestSession(const ForestSession&) = delete;
  ForestSession& operator=(const ForestSession&) = delete;

  // Server selection for the flat domain `domain` (SelectServers, with `dcReady`). False after
  // the phase's lines when the run ends there; it must not be called again.
  bool Connect(const std::string& domain, const DcReady& dcReady = {});
  bool connected() const { return servers_.has_value(); }
  // What Connect selected; only after it succeeded.
  const SelectedServers& servers() const { return *servers_; }

  Console& console() { return console_; }
  const ReadNeeds& needs() const { return needs_; }
  const std::string& initialServer() const { return initialServer_; }
  WalkStrategy& strategy() { return *strategy_; }
  // The run's services: every search of the run goes through their directory.
  platform::Services& services() { return strategy_->services(); }

  // Where the groups of the domain `domainKey` (a lower-cased domain DN) are read. The walk and
  // the read-ahead alike ask here, so both read a group at the same place.
  GroupReadServers ReadServersOf(const std::string& domainKey) const;
  // A server the session gave up (it stopped answering: FailFastDirectory) is replaced, once, by
  // a fresh one when the locator names another, or by a new connection to it when its
  // connections were lost rather than timed out: the forest's GC, and a DC of `domainKey` (whose
  // groups, when its GC was given up, are read at the forest's GC and the DC from then on). Says
  // so in debug mode. A server that cannot be replaced stays: its reads fail at once.
  void ReplaceGivenUpServers(const std::string& domainKey);
  // How many servers were replaced so far.
  std::size_t serversReplaced() const { return serversReplaced_; }
  // Whether any of `servers` has been given up.
  bool AnyGivenUp(const GroupReadServers& servers) const;
  // Locates and binds a DC of `domainKey` through the strategy and takes it into the session;
  // an invalid handle, after the bind's lines, when none came about (a later call tries again).
  platform::LdapHandle BindDomainController(const std::string& domainKey);
  // Takes a DC bound elsewhere into the session: its connection, its DC map entry and, when it
  // is a GC, its GC map entry. Nothing for an invalid connection.
  void TakeDomainController(const std::string& domainKey, const BoundDomainController& bound);
  // The same for a DC of a domain of a trusting forest, which is then the one server its groups
  // are read at: the forest's GC holds nothing of them.
  void TakeTrustingDomainController(const std::string& domainKey,
                                    const BoundDomainController& bound);

  // The domain of the forest whose flat name is `flatName`, or whose naming context is
  // `domainDn` (ASCII case ignored either way), from the forest's partitions over the GC; each
  // name is looked up once it was answered. nullopt when the forest has no such domain (an error
  // line the first time) or its partitions cannot be read (the search's lines, every time).
  std::optional<ForestDomain> DomainNamed(const std::string& flatName);
  std::optional<ForestDomain> DomainAt(const std::string& domainDn);
  // Whether a lookup of `flatName` found that the forest has no such domain.
  bool KnowsNoDomainNamed(const std::string& flatName) const;
  // A DC of `domainKey`: the one the session holds, else one bound now (BindDomainController).
  platform::LdapHandle DomainController(const std::string& domainKey);
  // The primary group of an account of `domainDn` whose primaryGroupID is `primaryGroupID`
  // (GetPrimaryGroupDN over `dc`), read once per domain and ID; empty when it could not be
  // resolved (its lines are written the first time only, unless its server stopped answering).
  std::string PrimaryGroupOf(platform::LdapHandle dc, const std::string& domainDn,
                             const std::string& primaryGroupID);

  // What the walks of this session read of each group, for the walks after them.
  KeptGroupReads& keptReads() { return keptReads_; }
  // The nodes of the groups of walks that are done, for the walks after them.
  GroupNodePool& groupNodes() { return groupNodes_; }
  // The groups read so far, and the reads of them.
  std::size_t groupsRead() const { return keptReads_.groupsKept(); }
  std::size_t readsMade() const { return keptReads_.readsKept(); }

  // Closes every connection, with "Unbinding LDAP Connection <i>" in debug mode; once.
  void Close();

 private:
  void ReplaceForestGc();
  // The server that replaces `lost`, given up with `givenUpCode`: another the locator names for
  // `dnsName` (its host name alone), else `lost` itself when its connections were lost rather
  // than timed out; nullopt when there is none.
  std::optional<LocatedServer> Replacement(const ldapsrvdata& lost, std::optional<int> givenUpCode,
                                           const std::string& dnsName, bool globalCatalog);
  // The crossRef of the forest's partitions that `condition` names; `name` is what the error
  // line says.
  std::optional<ForestDomain> Partition(const std::string& condition, const std::string& name);

  Console& console_;
  const ReadNeeds needs_;
  platform::Services platform_;
  FailFastDirectory failFast_;  // under the strategy: every read of the run goes through it
  const std::unique_ptr<WalkStrategy> strategy_;
  ConnectionList connections_;
  ServerMaps maps_;
  std::optional<SelectedServers> servers_;
  std::string initialServer_;
  KeptGroupReads keptReads_;
  GroupNodePool groupNodes_;
  bool forestGcReplaced_ = false;
  std::set<std::string> replacedDcs_;  // domain keys
  std::size_t serversReplaced_ = 0;
  // Answered partition lookups by their lower-cased condition, the domains found (nullopt: none).
  std::map<std::string, std::optional<ForestDomain>> partitions_;
  std::map<std::pair<std::string, std::string>, std::string> primaryGroups_;  // by domain, ID
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_FOREST_SESSION_H_
