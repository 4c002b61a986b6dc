#include "platform/fake/fake_tree.h"

#include <charconv>
#include <cstdint>

#include "platform/sid.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk::fake {

namespace {

constexpr std::int64_t kUniversalGroupBit = 0x8;

bool IsUniversal(const platform::Entry& group) {
  std::optional<std::string> type = group.First("groupType");
  if (!type) return false;
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(type->data(), type->data() + type->size(), value);
  return error == std::errc() && (value & kUniversalGroupBit) != 0;
}

void RemoveAttribute(std::vector<platform::Attribute>& attributes, const std::string& name) {
  std::erase_if(attributes, [&](const platform::Attribute& a) { return SameText(a.name, name); });
}

}  // namespace

bool SameText(const std::string& a, const std::string& b) {
  return LowerCaseText(a) == LowerCaseText(b);
}

bool IsAtOrBelow(const std::string& dn, const std::string& suffix) {
  if (dn.size() < suffix.size()) return false;
  if (LowerCaseText(dn.substr(dn.size() - suffix.size())) != LowerCaseText(suffix)) return false;
  return dn.size() == suffix.size() || suffix.empty() || dn[dn.size() - suffix.size() - 1] == ',';
}

void FakeTree::AddDomain(const DomainSpec& domain) {
  domains_.push_back(FakeDomain{domain, DnToDomainName(domain.dn)});
  std::vector<platform::Attribute> object{{"objectClass", {"top", "domain", "domainDNS"}},
                                          {"objectCategory", {"domainDNS"}}};
  if (std::optional<std::string> sid = platform::SidFromText(domain.sid)) {
    object.push_back({"objectSid", {*sid}});
  }
  PutEntry(domain.dn, std::move(object));
  PutEntry("CN=" + domain.flatName + ",CN=Partitions," + configurationDn(),
           {{"objectClass", {"top", "crossRef"}},
            {"objectCategory", {"crossRef"}},
            {"nCName", {domain.dn}},
            {"dnsRoot", {domains_.back().dnsName}},
            {"nETBIOSName", {domain.flatName}},
            {"systemFlags", {"3"}}});
}

void FakeTree::AddServer(const ServerSpec& server) { servers_.push_back(server); }

void FakeTree::PutEntry(const std::string& dn, std::vector<platform::Attribute> attributes) {
  auto [place, added] = entryIndex_.try_emplace(LowerCaseText(dn), entries_.size());
  if (added) {
    entries_.push_back(StoredEntry{dn, std::move(attributes)});
  } else {
    entries_[place->second] = StoredEntry{dn, std::move(attributes)};
  }
}

bool FakeTree::AppendValue(const std::string& dn, const std::string& attribute,
                           const std::string& value) {
  auto place = entryIndex_.find(LowerCaseText(dn));
  if (place == entryIndex_.end()) return false;
  std::vector<platform::Attribute>& attributes = entries_[place->second].attributes;
  for (platform::Attribute& existing : attributes) {
    if (SameText(existing.name, attribute)) {
      existing.values.push_back(value);
      return true;
    }
  }
  attributes.push_back({attribute, {value}});
  return true;
}

const FakeDomain* FakeTree::FindDomainByName(const std::string& flatOrDnsName) const {
  for (const FakeDomain& domain : domains_) {
    if (SameText(domain.spec.flatName, flatOrDnsName) || SameText(domain.dnsName, flatOrDnsName)) {
      return &domain;
    }
  }
  return nullptr;
}

const FakeDomain* FakeTree::FindDomainByDn(const std::string& dn) const {
  for (const FakeDomain& domain : domains_) {
    if (SameText(domain.spec.dn, dn)) return &domain;
  }
  return nullptr;
}

const FakeDomain* FakeTree::DomainHolding(const std::string& dn) const {
  const FakeDomain* best = nullptr;
  for (const FakeDomain& domain : domains_) {
    if (IsAtOrBelow(dn, domain.spec.dn) &&
        (best == nullptr || domain.spec.dn.size() > best->spec.dn.size())) {
      best = &domain;
    }
  }
  return best;
}

const ServerSpec* FakeTree::FindServer(const std::string& host) const {
  for (const ServerSpec& server : servers_) {
    if (SameText(server.host, host)) return &server;
  }
  return nullptr;
}

std::string FakeTree::rootDn() const { return domains_.empty() ? "" : domains_.front().spec.dn; }

std::string FakeTree::configurationDn() const {
  return domains_.empty() ? "" : "CN=Configuration," + rootDn();
}

std::string FakeTree::schemaDn() const {
  return domains_.empty() ? "" : "CN=Schema," + configurationDn();
}

std::string FakeTree::NamingContextOf(const std::string& dn) const {
  std::string best;
  auto consider = [&](const std::string& candidate) {
    if (!candidate.empty() && candidate.size() > best.size() && IsAtOrBelow(dn, candidate)) {
      best = candidate;
    }
  };
  for (const FakeDomain& domain : domains_) consider(domain.spec.dn);
  consider(configurationDn());
  consider(schemaDn());
  return best;
}

bool FakeTree::Shows(const View& view, const std::string& namingContext) const {
  if (namingContext.empty() || view.server == nullptr) return false;
  if (SameText(namingContext, configurationDn()) || SameText(namingContext, schemaDn())) {
    return true;
  }
  if (SameText(namingContext, view.server->domainDn)) return true;
  return view.globalCatalog && FindDomainByDn(namingContext) != nullptr;
}

bool FakeTree::HoldsMembersOf(const View& view, const StoredEntry& group,
                              const std::string& namingContext) const {
  if (SameText(namingContext, view.server->domainDn)) return true;
  return view.globalCatalog && FindDomainByDn(namingContext) != nullptr &&
         IsUniversal(platform::Entry{group.dn, group.attributes});
}

std::multimap<std::string, std::string> FakeTree::BackLinks(const View& view) const {
  std::multimap<std::string, std::string> links;
  for (const StoredEntry& entry : entries_) {
    std::string namingContext = NamingContextOf(entry.dn);
    if (!Shows(view, namingContext) || !HoldsMembersOf(view, entry, namingContext)) continue;
    for (const platform::Attribute& attribute : entry.attributes) {
      if (!SameText(attribute.name, "member")) continue;
      for (const std::string& member : attribute.values) {
        links.emplace(LowerCaseText(member), entry.dn);
      }
    }
  }
  return links;
}

platform::Entry FakeTree::Present(const View& view, const StoredEntry& stored,
                                  const std::multimap<std::string, std::string>& backLinks) const {
  platform::Entry entry{stored.dn, stored.attributes};
  if (!HoldsMembersOf(view, stored, NamingContextOf(stored.dn))) {
    RemoveAttribute(entry.attributes, "member");
  }
  if (entry.Find("memberOf") != nullptr) return entry;
  platform::Attribute memberOf{"memberOf", {}};
  auto [first, last] = backLinks.equal_range(LowerCaseText(stored.dn));
  for (auto link = first; link != last; ++link) memberOf.values.push_back(link->second);
  if (!memberOf.values.empty()) entry.attributes.push_back(std::move(memberOf));
  return entry;
}

FindResult FakeTree::Find(const View& view, const std::string& base, platform::SearchScope scope,
                          const Filter& filter) const {
  std::string baseContext = NamingContextOf(base);
  if (!Shows(view, baseContext)) return FindResult{platform::kLdapNoSuchObject, {}};
  std::multimap<std::string, std::string> backLinks = BackLinks(view);
  FindResult result;
  bool baseExists = SameText(base, baseContext);
  for (const StoredEntry& stored : entries_) {
    bool atBase = SameText(stored.dn, base);
    baseExists = baseExists || atBase || IsAtOrBelow(stored.dn, base);
    bool inScope = scope == platform::SearchScope::kBase
                       ? atBase
                       : IsAtOrBelow(stored.dn, base) && NamingContextOf(stored.dn) == baseContext;
    if (!inScope) continue;
    platform::Entry entry = Present(view, stored, backLinks);
    if (Matches(filter, entry)) result.entries.push_back(std::move(entry));
  }
  if (scope == platform::SearchScope::kBase && !entryIndex_.contains(LowerCaseText(base))) {
    baseExists = false;
  }
  if (!baseExists) return FindResult{platform::kLdapNoSuchObject, {}};
  return result;
}

}  // namespace nestwalk::fake
