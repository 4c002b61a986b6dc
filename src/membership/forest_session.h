// One forest as a run reaches it: the walk strategy, every connection and the servers bound per
// domain, the forest's GC, and what was read of each group, kept for as long as the run walks
// accounts of the forest.
#ifndef NESTWALK_MEMBERSHIP_FOREST_SESSION_H_
#define NESTWALK_MEMBERSHIP_FOREST_SESSION_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ldap/connection_list.h"
#include "ldap/domain_controller_binding.h"
#include "ldap/server_maps.h"
#include "ldap/server_selection.h"
#include "membership/member_of_reader.h"
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
  // Locates and binds a DC of `domainKey` through the strategy and takes it into the session;
  // an invalid handle, after the bind's lines, when none came about (a later call tries again).
  platform::LdapHandle BindDomainController(const std::string& domainKey);
  // Takes a DC bound elsewhere into the session: its connection, its DC map entry and, when it
  // is a GC, its GC map entry. Nothing for an invalid connection.
  void TakeDomainController(const std::string& domainKey, const BoundDomainController& bound);

  // What the reads of the group `key` gave when a walk of this session read it; nullptr when
  // none has.
  const std::vector<ObjectRead>* KeptReadsOf(const std::string& key) const;
  void KeepReads(const std::string& key, std::vector<ObjectRead> reads);

  // Closes every connection, with "Unbinding LDAP Connection <i>" in debug mode; once.
  void Close();

 private:
  Console& console_;
  const ReadNeeds needs_;
  const std::unique_ptr<WalkStrategy> strategy_;
  ConnectionList connections_;
  ServerMaps maps_;
  std::optional<SelectedServers> servers_;
  std::string initialServer_;
  std::map<std::string, std::vector<ObjectRead>, std::less<>> keptReads_;  // by group key
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_FOREST_SESSION_H_
