#include "membership/trusting_domains.h"

#include <set>
#include <utility>

#include "ldap/ldap_error.h"
#include "locate/dc_locator.h"
#include "platform/locator.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

constexpr unsigned kInbound = 0x1;
constexpr unsigned kBothWays = 0x3;
constexpr unsigned kUplevel = 2;
constexpr unsigned kForestTransitive = 0x8;
constexpr unsigned kWithinForest = 0x20;

// trustAttributes is a signed 32-bit value: its bits are what counts.
std::optional<unsigned> BitsOf(const platform::Entry& entry, std::string_view attribute) {
  const std::optional<int> number = entry.FirstNumber(attribute);
  if (!number) return std::nullopt;
  return static_cast<unsigned>(*number);
}

// The trusts of one domain of the forest, as its DC lists them; nullopt after the error line.
std::optional<std::vector<Trust>> TrustsOf(Console& console, platform::Directory& directory,
                                           platform::LdapHandle dc, const std::string& dnsName) {
  const platform::SearchRequest request{
      .base = "CN=System," + DomainNameToDn(dnsName),
      .scope = platform::SearchScope::kSubtree,
      .filter = "(objectClass=trustedDomain)",
      .attributes = {"flatName", "trustPartner", "trustDirection", "trustType", "trustAttributes"},
      .attributesOnly = false,
  };
  platform::SearchResult result = directory.Search(dc, request);
  // A domain without the container has no trusts either.
  if (result.code == platform::kLdapNoSuchObject) return std::vector<Trust>{};
  if (result.code != platform::kLdapSuccess) {
    ReportSearchFailure(console, directory, result);
    console.Err("ERROR: Couldn't read the trusts of " + dnsName + "\n");
    return std::nullopt;
  }
  const std::vector<platform::Entry>* entries = &result.entries;
  std::vector<Trust> trusts;
  for (const platform::Entry& entry : *entries) {
    if (std::optional<Trust> trust = InboundTrust(entry)) trusts.push_back(std::move(*trust));
  }
  console.DebugErr("Trusts of " + dnsName +
                   " that let its accounts in: " + std::to_string(trusts.size()) + "\n");
  return trusts;
}

// The domains of the forest whose root is `partner`, asked of a DC of it; empty after the
// error line.
std::vector<std::string> DomainsOfForest(ForestSession& session, const std::string& partner,
                                         std::vector<ReadProblem>& problems) {
  Console& console = session.console();
  platform::Locator& locator = session.services().locator;
  const LocatedServer dc =
      LocateDomainController(console, locator, session.initialServer(), partner, false);
  int status = platform::kErrorNoSuchDomain;
  if (!dc.name.empty()) {
    platform::ForestDomainsAnswer answer = locator.EnumerateForestDomains(dc.name);
    if (answer.status == 0) return std::move(answer.dnsNames);
    status = answer.status;
  }
  console.Err("ERROR: Couldn't list the domains of the trusting forest " + partner + " - " +
              std::to_string(status) + "\n");
  problems.push_back({partner, "the trusting forest's domains could not be listed (" +
                                   std::to_string(status) + ")"});
  return {};
}

}  // namespace

std::optional<Trust> InboundTrust(const platform::Entry& trustedDomain) {
  const std::optional<std::string> partner = trustedDomain.First("trustPartner");
  const std::optional<unsigned> direction = BitsOf(trustedDomain, "trustDirection");
  const std::optional<unsigned> type = BitsOf(trustedDomain, "trustType");
  const std::optional<unsigned> attributes =
      trustedDomain.First("trustAttributes") ? BitsOf(trustedDomain, "trustAttributes") : 0U;
  if (!partner || partner->empty() || !direction || !type || !attributes) return std::nullopt;
  if ((*direction & kInbound) == 0 || *type != kUplevel || (*attributes & kWithinForest) != 0) {
    return std::nullopt;
  }
  return Trust{.partner = LowerCaseText(*partner),
               .flatName = trustedDomain.First("flatName").value_or(""),
               .forest = (*attributes & kForestTransitive) != 0,
               .bothWays = (*direction & kBothWays) == kBothWays};
}

std::vector<TrustingDomain> FindTrustingDomains(ForestSession& session,
                                                const std::vector<std::string>& forestDomains,
                                                std::vector<ReadProblem>& problems) {
  Console& console = session.console();
  std::set<std::string> known(forestDomains.begin(), forestDomains.end());
  std::set<std::string> partners;
  std::vector<TrustingDomain> domains;
  for (const std::string& dnsName : forestDomains) {
    const platform::LdapHandle dc =
        session.ReadServersOf(LowerCaseText(DomainNameToDn(dnsName))).dc;
    if (!dc.valid()) continue;
    std::optional<std::vector<Trust>> trusts =
        TrustsOf(console, session.services().directory, dc, dnsName);
    if (!trusts) {
      problems.push_back({dnsName, "its trusts could not be read"});
      continue;
    }
    for (const Trust& trust : *trusts) {
      if (known.contains(trust.partner) || !partners.insert(trust.partner).second) continue;
      console.DebugErr(std::string(trust.forest ? "Trusting forest " : "Trusting domain ") +
                       trust.partner + " (" + trust.flatName + "), " +
                       (trust.bothWays ? "both ways" : "inbound") + "\n");
      std::vector<std::string> names = trust.forest
                                           ? DomainsOfForest(session, trust.partner, problems)
                                           : std::vector<std::string>{trust.partner};
      for (const std::string& name : names) {
        std::string domain = LowerCaseText(name);
        if (!domain.empty() && known.insert(domain).second) {
          domains.push_back({std::move(domain), trust.partner});
        }
      }
    }
  }
  return domains;
}

}  // namespace nestwalk
