// The content of a fake forest: its domains, servers and entries, and what one server view (a
// DC port or a GC port) shows of them, with memberOf computed as a back-link.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_TREE_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_TREE_H_

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/directory.h"
#include "platform/fake/fake_filter.h"
#include "platform/fake/fake_forest.h"

namespace nestwalk::fake {

struct FakeDomain {
  DomainSetup setup;
  std::string dnsName;  // lower case, derived from the DN
  int forest = 0;       // the forests in the order they were begun
};

// What a connection sees: one server, through its DC port or its GC port.
struct View {
  const ServerSetup* server = nullptr;  // never null in a view that shows anything
  bool globalCatalog = false;
};

struct FindResult {
  int code = platform::kLdapSuccess;
  std::vector<platform::Entry> entries;  // every visible attribute, memberOf included
};

class FakeTree {
 public:
  // Domains added from now on belong to a forest of their own, the first of them its root.
  void BeginForest() { beginsForest_ = true; }
  // Adds the domain and its domain object (objectSid) and crossRef entries.
  void AddDomain(const DomainSetup& domain);
  void AddServer(const ServerSetup& server);
  // Adds an entry, or replaces the attributes of the entry with that DN (keeping its place).
  void PutEntry(const std::string& dn, std::vector<platform::Attribute> attributes);
  // Appends a value; false when there is no entry with that DN.
  bool AppendValue(const std::string& dn, const std::string& attribute, const std::string& value);

  const std::vector<FakeDomain>& domains() const { return domains_; }
  const std::vector<ServerSetup>& servers() const { return servers_; }
  std::size_t entryCount() const { return entries_.size(); }
  // ASCII case ignored; nullptr when unknown.
  const FakeDomain* FindDomainByName(const std::string& flatOrDnsName) const;
  const FakeDomain* FindDomainByDn(const std::string& dn) const;
  // The domain whose naming context holds `dn` (the longest suffix); nullptr when none.
  const FakeDomain* DomainHolding(const std::string& dn) const;
  const ServerSetup* FindServer(const std::string& host) const;

  // The forest of the server's domain (0 for a server of no domain).
  int ForestOf(const ServerSetup& server) const;
  // Of the forest `forest`; empty before its first domain is added.
  std::string rootDn(int forest = 0) const;
  std::string configurationDn(int forest = 0) const;
  std::string schemaDn(int forest = 0) const;

  // The entries a search of `view` finds below `base` (base scope: the entry itself) that match
  // `filter`, in the order they were added. A subtree search stays inside the naming context
  // of its base. code 10 (a referral) when `base` lies in a domain the view does not show, 32
  // when the view shows no entry, naming context or container at `base`.
  FindResult Find(const View& view, const std::string& base, platform::SearchScope scope,
                  const Filter& filter) const;

 private:
  struct StoredEntry {
    std::string dn;
    std::vector<platform::Attribute> attributes;
    std::string lowerDn;
    int context = -1;        // index into contexts_, -1 when no naming context holds it
    bool universal = false;  // groupType has the universal bit
  };
  using BackLinkMap = std::multimap<std::string, std::string>;

  // Recomputes what depends on the entry's DN and values.
  void Derive(StoredEntry& entry) const;
  // The naming context (index into contexts_) that holds the lower-cased DN: its longest suffix.
  int ContextOf(const std::string& lowerDn) const;
  bool IsDomainContext(int context) const;
  bool Shows(const View& view, int context) const;
  // Whether the view holds this entry's member values.
  bool HoldsMembersOf(const View& view, const StoredEntry& group) const;
  // Lower-cased member DN to the DNs of the groups that list it, as the view holds them; built
  // once per view and forest state.
  const BackLinkMap& BackLinks(const View& view) const;
  platform::Entry Present(const View& view, const StoredEntry& stored) const;

  std::vector<FakeDomain> domains_;
  std::vector<ServerSetup> servers_;
  std::vector<StoredEntry> entries_;
  // The places of the entries that were given memberOf values of their own, and of those that
  // can match a memberOf equality on `groupDn` in `view`: in the order stored.
  const std::vector<std::size_t>& WithOwnMemberOf() const;
  std::vector<std::size_t> MemberOfCandidates(const View& view, const std::string& groupDn) const;
  mutable std::optional<std::vector<std::size_t>> withOwnMemberOf_;
  std::map<std::string, std::size_t> entryIndex_;  // lower-cased DN to its place in entries_
  // Lower-cased DNs of the naming contexts: the domains in order, then the configuration and
  // schema of each forest; with the forest of each.
  std::vector<std::string> contexts_;
  std::vector<int> contextForests_;
  std::vector<std::size_t> forestRoots_;  // index into domains_ of each forest's root
  bool beginsForest_ = false;
  mutable std::map<std::pair<std::string, bool>, BackLinkMap> backLinks_;  // cleared on change
  // Lower-cased sAMAccountName to the places in entries_ of the entries with it: an account
  // lookup of a review of thousands would otherwise look at every entry. Built by the first
  // lookup, cleared on change.
  const std::multimap<std::string, std::size_t>& ByAccountName() const;
  mutable std::optional<std::multimap<std::string, std::size_t>> byAccountName_;
};

// ASCII case ignored; whether `dn` is `suffix` or lies below it.
bool IsAtOrBelow(const std::string& dn, const std::string& suffix);
// Equality ignoring ASCII case.
bool SameText(const std::string& a, const std::string& b);

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_TREE_H_
