// Foresees the member reads the nested expansion will make and sends them ahead: every group
// that a read names is read where the walk will read it (the GC of its domain when the run has
// one, else the forest's GC and a DC of its domain), and a DC of a domain not yet bound is bound
// in the background as soon as the domain's first group comes up. The walk itself runs as it
// would without this; a read foreseen wrongly only costs time.
#ifndef NESTWALK_MEMBERSHIP_READ_AHEAD_PLANNER_H_
#define NESTWALK_MEMBERSHIP_READ_AHEAD_PLANNER_H_

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ldap/read_ahead_directory.h"
#include "ldap/server_maps.h"
#include "membership/background_binds.h"
#include "membership/domain_controller_binder.h"
#include "platform/console.h"
#include "platform/services.h"

namespace nestwalk {

class ReadAheadPlanner : public ReadAheadObserver {
 public:
  // Observes `readAhead` from now on. `runServices` carry `readAhead` as their directory; bind
  // threads use `threadDirectory`. `maps` are the run's server maps, read but never changed;
  // `gcConnection` is the forest's GC; `readsSids` says whether the walk's member reads ask for
  // objectSid too (GroupDetailsMap::readsSids). Everything must outlive the planner.
  ReadAheadPlanner(Console& console, ReadAheadDirectory& readAhead,
                   platform::Services& runServices, platform::Directory& threadDirectory,
                   const ServerMaps& maps, platform::LdapHandle gcConnection,
                   std::string initialServer, bool readsSids);
  ~ReadAheadPlanner() override;
  ReadAheadPlanner(const ReadAheadPlanner&) = delete;
  ReadAheadPlanner& operator=(const ReadAheadPlanner&) = delete;

  // Sends the account's two direct member reads, over its DC and over the GC.
  void PrefetchDirectReads(platform::LdapHandle dcConnection, const std::string& principalDn);
  // A group the walk will read (the primary group): its reads go out now.
  void Discover(const std::string& dn);
  // What the nested expansion takes its further domains' DCs from.
  DomainControllerBinder& binder() { return binds_; }
  // In debug mode, one line on what was read ahead.
  void WriteSummary() const;

  void OnAnswer(platform::LdapHandle connection, const platform::SearchRequest& request,
                const platform::SearchResult& result) override;
  void OnCollected() override;

 private:
  // The planner's own view of a domain the run has no server of.
  struct Domain {
    enum class State { kBinding, kBound, kFailed } state = State::kBinding;
    platform::LdapHandle dc;
    std::vector<std::string> waiting;  // keys of its groups found while its DC was being bound
  };

  // The walk's member read of `dn`.
  platform::SearchRequest MemberRead(const std::string& dn) const;
  bool IsMemberRead(const platform::SearchRequest& request) const;

  Console& console_;
  ReadAheadDirectory& readAhead_;
  const ServerMaps& maps_;
  platform::LdapHandle gcConnection_;
  BackgroundBinds binds_;
  const platform::SearchRequest memberRead_;
  std::set<std::string> seen_;                       // lower-cased DNs
  std::map<std::string, Domain> domains_;            // by domain key
  std::map<std::string, std::string> domainOfName_;  // domain key by the DNS name bound
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_READ_AHEAD_PLANNER_H_
