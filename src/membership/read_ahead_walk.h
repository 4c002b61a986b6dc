// The walk with its reads sent ahead (-fast). Searches go through a ReadAheadDirectory: every
// group that a read names is read where the walk will read it (the session says where), the
// account's direct reads as soon as it is found, the next range of a ranged memberOf as soon as
// a piece comes. The GC port of a DC, and a DC of each domain not yet bound as soon as the
// domain's first group comes up, are bound on threads of their own and taken where the walk
// would have bound them, with their lines. The walk itself runs as it would without this; a read
// foreseen wrongly only costs time.
#ifndef NESTWALK_MEMBERSHIP_READ_AHEAD_WALK_H_
#define NESTWALK_MEMBERSHIP_READ_AHEAD_WALK_H_

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ldap/read_ahead_directory.h"
#include "membership/read_needs.h"
#include "membership/walk_strategy.h"
#include "platform/work_ahead_by_key.h"

namespace nestwalk {

class ForestSession;

class ReadAheadWalk : public WalkStrategy, private ReadAheadObserver {
 public:
  // `platform`'s calls must be safe across threads (on connections of their own); its directory
  // is `failFast`, which the read-ahead also wraps. It, `console`
  // and `session` (whose servers say where a group is read) must outlive this. `initialServer` is
  // the machine whose locator is asked (empty: this one); `needs` say what the walk's lookups
  // and member reads ask for.
  ReadAheadWalk(Console& console, platform::Services platform, FailFastDirectory& failFast,
                const ForestSession& session, std::string initialServer, const ReadNeeds& needs);
  // Waits for the binds under way and closes, without a word, what nobody took.
  ~ReadAheadWalk() override;
  ReadAheadWalk(const ReadAheadWalk&) = delete;
  ReadAheadWalk& operator=(const ReadAheadWalk&) = delete;

  platform::Services& services() override { return services_; }
  void ForeseeSearch(platform::LdapHandle connection,
                     const platform::SearchRequest& request) override;
  void ForeseeGlobalCatalogPort(Console& console, const std::string& host) override;
  platform::LdapHandle BindGlobalCatalogPort(Console& console, const std::string& host) override;
  // Takes the bind started ahead for `dnsName` the first time, else binds during the call.
  BoundDomainController BindDomainController(Console& console, const std::string& dnsName) override;
  void ForeseeDirectReads(platform::LdapHandle dc, platform::LdapHandle gc,
                          const std::string& accountDn) override;
  void ForeseeGroup(const std::string& dn) override;
  // Every piece at once, each on a thread of its own through the platform's own services.
  void RunEach(Console& console, std::size_t count, const Piece& piece,
               const std::function<void(std::size_t index)>& takeIn) override;
  void WriteSummary(Console& console) const override;

 private:
  // The walk's view of a domain the session had no DC of when its first group came up.
  struct Domain {
    enum class State { kBinding, kBound, kFailed } state = State::kBinding;
    platform::LdapHandle dc;
    std::vector<std::string> waiting;  // keys of its groups found while its DC was being bound
  };

  void OnAnswer(platform::LdapHandle connection, const platform::SearchRequest& request,
                const platform::SearchResult& result) override;
  void OnCollected() override;
  // The walk's member read of `dn`.
  platform::SearchRequest MemberRead(const std::string& dn) const;
  bool IsMemberRead(const platform::SearchRequest& request) const;
  bool IsAccountLookup(const platform::SearchRequest& request) const;

  Console& console_;
  const ForestSession& session_;
  platform::Services platform_;
  std::string initialServer_;
  ReadAheadDirectory readAhead_;
  platform::Services services_;  // readAhead_ with the platform's locator and host
  const platform::SearchRequest memberRead_;
  const platform::SearchRequest accountLookup_;      // its attributes tell a lookup
  std::set<std::string> seen_;                       // lower-cased DNs of groups and accounts
  std::map<std::string, Domain> domains_;            // by domain key
  std::map<std::string, std::string> domainOfName_;  // domain key by the DNS name bound
  // Declared last: they wait for their binds and close what nobody took before the rest goes.
  WorkAheadByKey<platform::LdapHandle> globalCatalogPorts_;  // by host
  WorkAheadByKey<BoundDomainController> domainControllers_;  // by DNS name
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_READ_AHEAD_WALK_H_
