// An in-memory Active Directory forest behind the platform seam, for tests: domains, servers,
// entries, locator and host answers, injected failures, and a record of what was asked.
// Not linked into the shipped program.
//
// Model:
// - Domains are added root first; the first domain is the forest root. The configuration NC is
//   "CN=Configuration,<root DN>" and the schema NC "CN=Schema,CN=Configuration,<root DN>".
//   BeginForest starts another forest, which is modelled the same way and apart.
// - An entry belongs to the naming context whose DN is the longest suffix of the entry's DN
//   (ASCII case ignored): a domain, the configuration or the schema partition.
// - A server holds its own domain plus configuration and schema. On port 389 (and 636) it
//   shows the entries of those NCs. On port 3268 (and 3269), only when it is a global catalog,
//   it shows the entries of every domain of the forest as well.
// - `memberOf` is computed as a back-link from the `member` values of the groups the view can
//   see with their members: on a DC view, the groups of the server's domain; on a GC view, those
//   and the universal groups (groupType bit 0x8) of every domain. An entry that was given its
//   own `memberOf` values returns exactly those instead, on every view that shows the entry.
// - Attribute names match ignoring ASCII case; values compare ignoring ASCII case, except
//   objectSid, which compares as bytes. Entries come back in the order they were added.
// - Filters: RFC 4515 text with &, |, !, equality, presence (attr=*), substrings (a*b*c),
//   escaped values (\xx), and the extensible bitwise-AND rule 1.2.840.113556.1.4.803. The
//   objectCategory of an entry is a short name ("person", "group", "computer", "server",
//   "ntdsdsa", "sitelink", "crossRef") compared like any other value.
// - Unknown hosts can be opened (libldap connects lazily) but every bind to them fails with
//   -1 ("Can't contact LDAP server"); so does a bind to port 3268 of a server that is no GC.
// - AddDomain also adds the domain object (objectCategory "domainDNS", objectSid) and its
//   crossRef "CN=<flat>,CN=Partitions,<configuration NC>" (nCName, dnsRoot, nETBIOSName,
//   systemFlags 3). Server and NTDS Settings objects are not made up: add them as entries.
// - On a GC view, the groups whose members the view does not hold (global and domain-local
//   groups of other domains) show without their `member` values, as on a real GC.
// - The RootDSE (base "", base scope) can be read without a bind; every other search on an
//   unbound connection fails with 1 ("Operations error") and AD's server error text. A
//   subtree search stays in the naming context of its base. A base in a domain that the view
//   does not show gives 10 ("Referral"), as a DC refers the search to that domain; any other
//   base that the view shows neither as an entry, a naming context nor a container gives 32. A
//   filter the grammar above does not cover gives -7. Every entry counts as having an objectClass.
// - Operations on a handle after its Unbind fail with -9 and are counted (HandleMisuseCount);
//   handles this forest never gave out fail the same way but are not counted.
// - When several injected failures fit one operation, the one added first applies.
// - Round trips: a request (Search, SendSearch, or a page of a paged search) issued while earlier
//   requests are still unanswered shares their trip; otherwise it starts a new one. A Search or a
//   page waits for its answer, so every request sent before it counts as answered afterwards;
//   AwaitAnswers answers everything outstanding.
// - Every seam call may come from any thread; the forest's building and record reading may not
//   overlap with them.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_FOREST_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_FOREST_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/fake/fake_run_control.h"
#include "platform/host_queries.h"
#include "platform/locator.h"
#include "platform/platform.h"
#include "platform/services.h"

namespace nestwalk::fake {

struct DomainSetup {
  std::string dn;        // "DC=corp,DC=example,DC=com"; the DNS name is derived from it
  std::string flatName;  // "CORP"
  std::string sid;       // "S-1-5-21-1-2-3"; the domain object's objectSid
};

struct ServerSetup {
  std::string host;      // DNS host name, "dc1.corp.example.com"
  std::string domainDn;  // the domain it is a DC of
  std::string site;      // "Default-First-Site-Name"
  bool globalCatalog = false;
};

// What the fake recorded of one connection.
struct ConnectionRecord {
  platform::LdapHandle handle;
  std::optional<std::string> host;  // as passed to Open
  int port = 0;
  bool ssl = false;
  std::vector<std::string> options;  // "version=3", "referrals=0", "encryption=1"
  int bindCount = 0;
  bool bound = false;
  std::optional<platform::ExplicitCredentials> credentials;  // of the last negotiate bind
  int unbindCount = 0;
  int useAfterUnbind = 0;  // operations attempted on this handle after its unbind
  int mostInFlight = 0;    // the largest number of sent searches unanswered at one time
};

struct SearchRecord {
  platform::LdapHandle handle;
  platform::SearchRequest request;
  bool paged = false;
  int pageSize = 0;  // for paged searches
};

struct LocatorCall {
  std::string computerName;
  std::string domainName;
  unsigned flags = 0;
};

class FakeForest : public platform::Directory,
                   public platform::Locator,
                   public platform::HostQueries,
                   public platform::Platform {
 public:
  FakeForest();
  ~FakeForest() override;

  // ---- building the forest --------------------------------------------------------------
  // Domains added from now on make a forest of their own (a trusting forest, say), the first of
  // them its root: its own configuration and schema partitions, GCs that show its domains only,
  // and no server of it shows anything of another forest, nor the reverse.
  void BeginForest();
  void AddDomain(const DomainSetup& domain);
  void AddServer(const ServerSetup& server);
  // Adds (or replaces) an entry. Values are byte strings; give objectSid in binary form, or
  // use the helpers below.
  void AddEntry(const std::string& dn, std::vector<platform::Attribute> attributes);
  // Convenience builders. `rid` > 0 gives the entry objectSid = domain SID + rid.
  void AddUser(const std::string& dn, const std::string& samName, const std::string& primaryGroupId,
               unsigned rid = 0);
  void AddComputer(const std::string& dn, const std::string& samName,
                   const std::string& primaryGroupId, unsigned rid = 0);
  void AddGroup(const std::string& dn, const std::string& samName, const std::string& groupType,
                std::vector<std::string> memberDns, unsigned rid = 0);
  // Appends one value to an attribute of an existing entry; throws std::invalid_argument when
  // there is no entry with that DN.
  void AddValue(const std::string& dn, const std::string& attribute, const std::string& value);
  // Replaces the RootDSE attributes a server reports (normally built from the forest).
  void SetRootDse(const std::string& host, std::vector<platform::Attribute> attributes);
  // At most this many values of one attribute come back at once; more are returned ranged
  // ("memberOf;range=0-1499"), as a real AD DC does. 0 (the default) means no limit.
  void SetMaxValueRange(int maxValues);
  // The server's largest page for paged searches; 0 (the default) grants what is asked.
  void SetMaxPageSize(int maxPageSize);
  // A search that is not paged and finds more entries than this gives the first ones and code 4
  // ("Size limit exceeded"), as AD's MaxPageSize has it; 0 (the default): no limit.
  void SetSizeLimit(int sizeLimit);
  // The host that Open(nullopt, ...) reaches.
  void SetDefaultServer(const std::string& host);

  // ---- locator and host answers ------------------------------------------------------------
  // By default GetDcName answers from the servers: the first server of the named domain (flat or
  // DNS name, ASCII case ignored) that fits the flags (a GC when kDsGcServerRequired; then any
  // GC of the forest for the forest's name), preferring one in the local site; 1355 when none.
  // A non-empty computer name must be a known server host, else 1722; when that server fits,
  // it is the answer.
  // These override the computed answer for one (computer, domain, wantGc) question:
  void SetLocatorAnswer(const std::string& computerName, const std::string& domainName,
                        bool wantGlobalCatalog, platform::LocatorAnswer answer);
  // Without it, the local site is the site of the first server added (status 0).
  void SetLocalSite(platform::SiteAnswer answer);
  // Overrides the computed list of forest domains (status 0, the domains' DNS names).
  void SetForestDomains(platform::ForestDomainsAnswer answer);
  void SetComputerName(platform::ComputerNameAnswer answer);
  void SetJoinInformation(platform::JoinAnswer answer);
  void SetLoggedOnUser(platform::LoggedOnUserAnswer answer);

  // ---- failure injection (host: as given to Open; nullopt port/base: any) --------------------
  void FailOpen(const std::string& host, int error);
  void FailOption(const std::string& host, platform::LdapOption option, int code);
  // `reason` is what BindFailureReason tells of the connection afterwards.
  void FailBind(const std::string& host, std::optional<int> port, int code,
                std::optional<std::string> serverErrorText = std::nullopt,
                std::optional<std::string> reason = std::nullopt);
  // Searches with this base (ASCII case ignored; "" is the RootDSE) return `code`.
  void FailSearch(const std::string& host, std::optional<int> port, const std::string& base,
                  int code);
  // Paged searches started afterwards deliver `pages` pages, then the next page request
  // returns `code`.
  void FailPagedSearchAfter(int pages, int code);
  // StartPagedSearch returns no search at all.
  void FailPagedSearchStart();
  // The server `host` answers its first `answeredSearches` searches (on every connection to it,
  // in the order made), then stops answering: every later search and bind of it times out (-5),
  // as one does after waiting out its time limit; from then on the locator no longer names it,
  // as it answers no ping.
  void FreezeServer(const std::string& host, int answeredSearches);
  // The connections to `host` are lost after its first `answeredSearches` searches (on every
  // connection to it, in the order made), as when a firewall or a restart resets them: every
  // later search and bind of a connection open at that moment fails with -1 ("Can't contact
  // LDAP server"); a connection opened afterwards works.
  void ResetConnections(const std::string& host, int answeredSearches);
  // Searches of `host` with this base (ASCII case ignored) are answered with a referral (10)
  // to `url`, as a server in the middle might send.
  void ReferSearch(const std::string& host, std::optional<int> port, const std::string& base,
                   const std::string& url);
  // A search of `host` with this base is cut by an interrupt: the run control is interrupted
  // from then on, and the search fails with -1, as libldap reports a read a signal cut.
  void InterruptDuringSearch(const std::string& host, const std::string& base);
  // The searches and binds that have waited out their time limit on a frozen `host`: each stands
  // for a wait of the response time limit in a real run.
  int SilentWaits(const std::string& host) const;

  // ---- what was asked ----------------------------------------------------------------------
  const std::vector<ConnectionRecord>& connections() const;
  // Throws std::out_of_range for a handle this forest never gave out.
  const ConnectionRecord& connection(platform::LdapHandle handle) const;
  const std::vector<SearchRecord>& searches() const;
  const std::vector<LocatorCall>& locatorCalls() const;
  // Searches made on connections to `host` (nullopt port: any) with this base, case ignored.
  int SearchCount(const std::string& host, std::optional<int> port, const std::string& base) const;
  // Sum of useAfterUnbind and of unbinds beyond the first, over all connections.
  int HandleMisuseCount() const;
  // Round trips so far (see the model above).
  int RoundTrips() const;

  // The whole forest as the services of a run whose locator pings one candidate after another.
  platform::Services services();

  // ---- platform::Platform ------------------------------------------------------------------
  platform::HostQueries& host() override;
  // The test's own process control.
  FakeRunControl& control() override { return control_; }
  // The forest itself, whatever `pings`; the last choice is recorded.
  platform::Services services(platform::CandidatePings pings) override;
  // Whether the last services asked for were those of a locator that pings candidates together.
  bool pingsCandidatesTogether() const;
  // Recorded only: the fake locator answers at once.
  void SetPingWait(std::chrono::milliseconds wait) override { pingWait_ = wait; }
  std::optional<std::chrono::milliseconds> pingWait() const { return pingWait_; }
  // A negotiate bind without credentials is recorded with `identity` from now on.
  void UseIdentity(platform::ExplicitCredentials identity) override;

  // ---- platform::Directory -----------------------------------------------------------------
  platform::OpenResult Open(const std::optional<std::string>& host, int port, bool ssl) override;
  int SetOption(platform::LdapHandle connection, platform::LdapOption option, int value) override;
  int SimpleBind(platform::LdapHandle connection, const std::optional<std::string>& dn,
                 const std::optional<std::string>& password) override;
  int NegotiateBind(platform::LdapHandle connection,
                    const std::optional<platform::ExplicitCredentials>& credentials) override;
  platform::SearchResult Search(platform::LdapHandle connection,
                                const platform::SearchRequest& request) override;
  int SendSearch(platform::LdapHandle connection, const platform::SearchRequest& request) override;
  std::vector<platform::SearchAnswer> AwaitAnswers(std::chrono::milliseconds maxWait) override;
  // The search must not outlive the forest. A page size of 0 or less asks for everything at once.
  std::unique_ptr<platform::PagedSearch> StartPagedSearch(platform::LdapHandle connection,
                                                          const platform::SearchRequest& request,
                                                          int pageSize) override;
  std::string ErrorText(int code) override;  // libldap's ldap_err2string wording
  std::optional<std::string> ServerErrorText(platform::LdapHandle connection) override;
  // The reason of the injected failure of the connection's last bind, if it failed.
  std::optional<std::string> BindFailureReason(platform::LdapHandle connection) override;
  void Unbind(platform::LdapHandle connection) override;

  // ---- platform::Locator -------------------------------------------------------------------
  platform::LocatorAnswer GetDcName(const std::string& computerName, const std::string& domainName,
                                    unsigned flags) override;
  platform::SiteAnswer GetSiteName(const std::string& computerName) override;
  platform::ForestDomainsAnswer EnumerateForestDomains(const std::string& serverName) override;

  // ---- platform::HostQueries ---------------------------------------------------------------
  platform::ComputerNameAnswer GetComputerName() override;
  platform::JoinAnswer GetJoinInformation() override;
  platform::LoggedOnUserAnswer GetLoggedOnUser() override;

 private:
  struct State;
  std::unique_ptr<State> state_;
  FakeRunControl control_;
  std::optional<std::chrono::milliseconds> pingWait_;
};

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_FOREST_H_
