#include "platform/fake/fake_tree.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "platform/sid.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk::fake {

namespace {

constexpr std::int64_t kUniversalGroupBit = 0x8;

bool IsUniversal(const std::vector<platform::Attribute>& attributes) {
  std::optional<std::string> type = platform::Entry{"", attributes}.First("groupType");
  if (!type) return false;
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(type->data(), type->data() + type->size(), value);
  return error == std::errc() && (value & kUniversalGroupBit) != 0;
}

// IsAtOrBelow for texts already lower-cased.
bool IsLowerAtOrBelow(std::string_view dn, std::string_view suffix) {
  if (!dn.ends_with(suffix)) return false;
  return dn.size() == suffix.size() || suffix.empty() || dn[dn.size() - suffix.size() - 1] == ',';
}

void RemoveAttribute(std::vector<platform::Attribute>& attributes, const std::string& name) {
  std::erase_if(attributes, [&](const platform::Attribute& a) { return SameText(a.name, name); });
}

}  // namespace

bool SameText(const std::string& a, const std::string& b) {
  // Without folded copies: a subtree search compares every stored attribute's name.
  auto folded = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return folded(x) == folded(y); });
}

bool IsAtOrBelow(const std::string& dn, const std::string& suffix) {
  return IsLowerAtOrBelow(LowerCaseText(dn), LowerCaseText(suffix));
}

void FakeTree::AddDomain(const DomainSetup& domain) {
  if (forestRoots_.empty() || beginsForest_) forestRoots_.push_back(domains_.size());
  beginsForest_ = false;
  const int forest = static_cast<int>(forestRoots_.size()) - 1;
  domains_.push_back(FakeDomain{domain, DnToDomainName(domain.dn), forest});
  contexts_.clear();
  contextForests_.clear();
  for (const FakeDomain& known : domains_) {
    contexts_.push_back(LowerCaseText(known.setup.dn));
    contextForests_.push_back(known.forest);
  }
  for (int each = 0; each < static_cast<int>(forestRoots_.size()); ++each) {
    for (const std::string& partition : {configurationDn(each), schemaDn(each)}) {
      contexts_.push_back(LowerCaseText(partition));
      contextForests_.push_back(each);
    }
  }
  for (StoredEntry& entry : entries_) Derive(entry);
  backLinks_.clear();
  byAccountName_.reset();
  withOwnMemberOf_.reset();

  std::vector<platform::Attribute> object{{"objectClass", {"top", "domain", "domainDNS"}},
                                          {"objectCategory", {"domainDNS"}}};
  if (std::optional<std::string> sid = platform::SidFromText(domain.sid)) {
    object.push_back({"objectSid", {*sid}});
  }
  PutEntry(domain.dn, std::move(object));
  PutEntry("CN=" + domain.flatName + ",CN=Partitions," + configurationDn(forest),
           {{"objectClass", {"top", "crossRef"}},
            {"objectCategory", {"crossRef"}},
            {"nCName", {domain.dn}},
            {"dnsRoot", {domains_.back().dnsName}},
            {"nETBIOSName", {domain.flatName}},
            {"systemFlags", {"3"}}});
}

void FakeTree::AddServer(const ServerSetup& server) { servers_.push_back(server); }

void FakeTree::PutEntry(const std::string& dn, std::vector<platform::Attribute> attributes) {
  auto [place, added] = entryIndex_.try_emplace(LowerCaseText(dn), entries_.size());
  if (added) entries_.emplace_back();
  StoredEntry& entry = entries_[place->second];
  entry.dn = dn;
  entry.attributes = std::move(attributes);
  Derive(entry);
  backLinks_.clear();
  byAccountName_.reset();
  withOwnMemberOf_.reset();
}

bool FakeTree::AppendValue(const std::string& dn, const std::string& attribute,
                           const std::string& value) {
  auto place = entryIndex_.find(LowerCaseText(dn));
  if (place == entryIndex_.end()) return false;
  StoredEntry& entry = entries_[place->second];
  auto existing =
      std::find_if(entry.attributes.begin(), entry.attributes.end(),
                   [&](const platform::Attribute& a) { return SameText(a.name, attribute); });
  if (existing != entry.attributes.end()) {
    existing->values.push_back(value);
  } else {
    entry.attributes.push_back({attribute, {value}});
  }
  Derive(entry);
  backLinks_.clear();
  byAccountName_.reset();
  withOwnMemberOf_.reset();
  return true;
}

void FakeTree::Derive(StoredEntry& entry) const {
  entry.lowerDn = LowerCaseText(entry.dn);
  entry.context = ContextOf(entry.lowerDn);
  entry.universal = IsUniversal(entry.attributes);
}

const FakeDomain* FakeTree::FindDomainByName(const std::string& flatOrDnsName) const {
  for (const FakeDomain& domain : domains_) {
    if (SameText(domain.setup.flatName, flatOrDnsName) || SameText(domain.dnsName, flatOrDnsName)) {
      return &domain;
    }
  }
  return nullptr;
}

const FakeDomain* FakeTree::FindDomainByDn(const std::string& dn) const {
  for (const FakeDomain& domain : domains_) {
    if (SameText(domain.setup.dn, dn)) return &domain;
  }
  return nullptr;
}

const FakeDomain* FakeTree::DomainHolding(const std::string& dn) const {
  int context = ContextOf(LowerCaseText(dn));
  return IsDomainContext(context) ? &domains_[static_cast<std::size_t>(context)] : nullptr;
}

const ServerSetup* FakeTree::FindServer(const std::string& host) const {
  for (const ServerSetup& server : servers_) {
    if (SameText(server.host, host)) return &server;
  }
  return nullptr;
}

int FakeTree::ForestOf(const ServerSetup& server) const {
  const FakeDomain* domain = FindDomainByDn(server.domainDn);
  return domain != nullptr ? domain->forest : 0;
}

std::string FakeTree::rootDn(int forest) const {
  if (forest < 0 || static_cast<std::size_t>(forest) >= forestRoots_.size()) return "";
  return domains_[forestRoots_[static_cast<std::size_t>(forest)]].setup.dn;
}

std::string FakeTree::configurationDn(int forest) const {
  const std::string root = rootDn(forest);
  return root.empty() ? "" : "CN=Configuration," + root;
}

std::string FakeTree::schemaDn(int forest) const {
  const std::string configuration = configurationDn(forest);
  return configuration.empty() ? "" : "CN=Schema," + configuration;
}

int FakeTree::ContextOf(const std::string& lowerDn) const {
  int best = -1;
  for (std::size_t i = 0; i < contexts_.size(); ++i) {
    if (IsLowerAtOrBelow(lowerDn, contexts_[i]) &&
        (best < 0 || contexts_[i].size() > contexts_[static_cast<std::size_t>(best)].size())) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

bool FakeTree::IsDomainContext(int context) const {
  return context >= 0 && static_cast<std::size_t>(context) < domains_.size();
}

bool FakeTree::Shows(const View& view, int context) const {
  if (context < 0 || view.server == nullptr) return false;
  // A server shows nothing of another forest.
  if (contextForests_[static_cast<std::size_t>(context)] != ForestOf(*view.server)) return false;
  if (!IsDomainContext(context)) return true;  // configuration and schema are everywhere
  return view.globalCatalog ||
         contexts_[static_cast<std::size_t>(context)] == LowerCaseText(view.server->domainDn);
}

bool FakeTree::HoldsMembersOf(const View& view, const StoredEntry& group) const {
  if (!IsDomainContext(group.context)) return false;
  return contexts_[static_cast<std::size_t>(group.context)] ==
             LowerCaseText(view.server->domainDn) ||
         (view.globalCatalog && group.universal);
}

const FakeTree::BackLinkMap& FakeTree::BackLinks(const View& view) const {
  auto [place, added] =
      backLinks_.try_emplace(std::pair{LowerCaseText(view.server->domainDn), view.globalCatalog});
  if (!added) return place->second;
  for (const StoredEntry& entry : entries_) {
    if (!Shows(view, entry.context) || !HoldsMembersOf(view, entry)) continue;
    for (const platform::Attribute& attribute : entry.attributes) {
      if (!SameText(attribute.name, "member")) continue;
      for (const std::string& member : attribute.values) {
        place->second.emplace(LowerCaseText(member), entry.dn);
      }
    }
  }
  return place->second;
}

const std::multimap<std::string, std::size_t>& FakeTree::ByAccountName() const {
  if (byAccountName_) return *byAccountName_;
  byAccountName_.emplace();
  for (std::size_t place = 0; place < entries_.size(); ++place) {
    const platform::Entry entry{"", entries_[place].attributes};
    if (const std::vector<std::string>* names = entry.Find("sAMAccountName")) {
      for (const std::string& name : *names) byAccountName_->emplace(LowerCaseText(name), place);
    }
  }
  return *byAccountName_;
}

const std::vector<std::size_t>& FakeTree::WithOwnMemberOf() const {
  if (withOwnMemberOf_) return *withOwnMemberOf_;
  withOwnMemberOf_.emplace();
  for (std::size_t place = 0; place < entries_.size(); ++place) {
    if (platform::Entry{"", entries_[place].attributes}.Find("memberOf") != nullptr) {
      withOwnMemberOf_->push_back(place);
    }
  }
  return *withOwnMemberOf_;
}

std::vector<std::size_t> FakeTree::MemberOfCandidates(const View& view,
                                                      const std::string& groupDn) const {
  std::vector<std::size_t> places = WithOwnMemberOf();
  auto group = entryIndex_.find(LowerCaseText(groupDn));
  if (group != entryIndex_.end() && Shows(view, entries_[group->second].context) &&
      HoldsMembersOf(view, entries_[group->second])) {
    const platform::Entry stored{"", entries_[group->second].attributes};
    if (const std::vector<std::string>* members = stored.Find("member")) {
      for (const std::string& member : *members) {
        if (auto place = entryIndex_.find(LowerCaseText(member)); place != entryIndex_.end()) {
          places.push_back(place->second);
        }
      }
    }
  }
  std::ranges::sort(places);
  places.erase(std::unique(places.begin(), places.end()), places.end());
  return places;
}

platform::Entry FakeTree::Present(const View& view, const StoredEntry& stored) const {
  platform::Entry entry{stored.dn, stored.attributes};
  if (!HoldsMembersOf(view, stored)) RemoveAttribute(entry.attributes, "member");
  if (entry.Find("memberOf") != nullptr) return entry;
  platform::Attribute memberOf{"memberOf", {}};
  auto [first, last] = BackLinks(view).equal_range(stored.lowerDn);
  for (auto link = first; link != last; ++link) memberOf.values.push_back(link->second);
  if (!memberOf.values.empty()) entry.attributes.push_back(std::move(memberOf));
  return entry;
}

namespace {

// The equalities that the filter's top level requires, on attributes that presenting an entry
// leaves as they are stored: checked first, they spare presenting (and computing memberOf for)
// the entries of a subtree that cannot match, such as every one but the account of a lookup.
std::vector<const Filter*> QuickConjuncts(const Filter& filter) {
  std::vector<const Filter*> quick;
  if (filter.kind != Filter::Kind::kAnd) return quick;
  for (const Filter& child : filter.children) {
    if (child.kind == Filter::Kind::kEquality && !SameText(child.attribute, "member") &&
        !SameText(child.attribute, "memberOf")) {
      quick.push_back(&child);
    }
  }
  return quick;
}

// The equality on memberOf that the filter's top level requires, or nullptr.
const Filter* MemberOfEquality(const Filter& filter) {
  if (filter.kind == Filter::Kind::kEquality && SameText(filter.attribute, "memberOf")) {
    return &filter;
  }
  if (filter.kind != Filter::Kind::kAnd) return nullptr;
  for (const Filter& child : filter.children) {
    if (child.kind == Filter::Kind::kEquality && SameText(child.attribute, "memberOf")) {
      return &child;
    }
  }
  return nullptr;
}

// The equality on sAMAccountName among `quick`, or nullptr.
const Filter* AccountNameEquality(const std::vector<const Filter*>& quick) {
  auto name = std::ranges::find_if(
      quick, [](const Filter* equality) { return SameText(equality->attribute, "sAMAccountName"); });
  return name == quick.end() ? nullptr : *name;
}

bool StoredMatches(const Filter& equality, const std::string& dn,
                   const std::vector<platform::Attribute>& attributes) {
  platform::Entry only{dn, {}};
  for (const platform::Attribute& attribute : attributes) {
    if (SameText(attribute.name, equality.attribute)) only.attributes.push_back(attribute);
  }
  return Matches(equality, only);
}

}  // namespace

FindResult FakeTree::Find(const View& view, const std::string& base, platform::SearchScope scope,
                          const Filter& filter) const {
  const std::string lowerBase = LowerCaseText(base);
  const int baseContext = ContextOf(lowerBase);
  if (!Shows(view, baseContext)) {
    // A DC refers searches of the forest's other domains to them, as AD does.
    return FindResult{IsDomainContext(baseContext) ? platform::kLdapReferral : platform::kLdapNoSuchObject,
                      {}};
  }
  FindResult result;
  if (scope == platform::SearchScope::kBase) {
    auto place = entryIndex_.find(lowerBase);
    if (place == entryIndex_.end()) return FindResult{platform::kLdapNoSuchObject, {}};
    platform::Entry entry = Present(view, entries_[place->second]);
    if (Matches(filter, entry)) result.entries.push_back(std::move(entry));
    return result;
  }
  bool baseExists = lowerBase == contexts_[static_cast<std::size_t>(baseContext)];
  const std::vector<const Filter*> quick = QuickConjuncts(filter);
  auto consider = [&](const StoredEntry& stored) {
    if (!IsLowerAtOrBelow(stored.lowerDn, lowerBase)) return;
    baseExists = true;
    if (stored.context != baseContext) return;
    if (!std::ranges::all_of(quick, [&](const Filter* equality) {
          return StoredMatches(*equality, stored.dn, stored.attributes);
        })) {
      return;
    }
    platform::Entry entry = Present(view, stored);
    if (Matches(filter, entry)) result.entries.push_back(std::move(entry));
  };
  if (const Filter* name = AccountNameEquality(quick)) {
    // Only the entries with that name can match; in the order stored, as a scan finds them.
    std::vector<std::size_t> places;
    auto [first, last] = ByAccountName().equal_range(LowerCaseText(name->value));
    for (auto place = first; place != last; ++place) places.push_back(place->second);
    std::ranges::sort(places);
    for (const std::size_t place : places) consider(entries_[place]);
    baseExists = baseExists || std::ranges::any_of(entries_, [&](const StoredEntry& stored) {
                   return IsLowerAtOrBelow(stored.lowerDn, lowerBase);
                 });
  } else if (const Filter* memberOf = MemberOfEquality(filter)) {
    // Only the group's members, and entries that carry memberOf values of their own, can match.
    for (const std::size_t place : MemberOfCandidates(view, memberOf->value)) {
      consider(entries_[place]);
    }
    baseExists = baseExists || std::ranges::any_of(entries_, [&](const StoredEntry& stored) {
                   return IsLowerAtOrBelow(stored.lowerDn, lowerBase);
                 });
  } else {
    for (const StoredEntry& stored : entries_) consider(stored);
  }
  if (!baseExists) return FindResult{platform::kLdapNoSuchObject, {}};
  return result;
}

}  // namespace nestwalk::fake
