#include "membership/read_ahead_walk.h"

#include <chrono>
#include <memory>
#include <utility>

#include "ldap/open_ldap.h"
#include "membership/account_lookup.h"
#include "membership/forest_session.h"
#include "membership/member_of_ranges.h"
#include "membership/member_of_reader.h"
#include "platform/work_ahead.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

// While a bind that the walk needs is under way, answers are taken at this pace.
constexpr std::chrono::milliseconds kAnswerWait(2);

}  // namespace

ReadAheadWalk::ReadAheadWalk(Console& console, platform::Services platform,
                             FailFastDirectory& failFast, const ForestSession& session,
                             std::string initialServer, const ReadNeeds& needs)
    : console_(console),
      session_(session),
      platform_(platform),
      initialServer_(std::move(initialServer)),
      readAhead_(failFast),
      services_{readAhead_, platform_.locator, platform_.host},
      memberRead_(GroupReadRequest("", needs.groupSids)),
      accountLookup_(AccountLookupRequest("", "", PrincipalKind::kUser, needs.account)),
      // Taken during server selection, where answers that came meanwhile would only end the
      // round trip of the reads sent ahead early.
      globalCatalogPorts_(
          console,
          [this](platform::LdapHandle& unused) {
            if (unused.valid()) platform_.directory.Unbind(unused);
          },
          [] {}),
      domainControllers_(
          console,
          [this](BoundDomainController& unused) {
            if (unused.connection.valid()) readAhead_.Unbind(unused.connection);
          },
          [this] { readAhead_.CollectAnswers(kAnswerWait); }) {
  readAhead_.SetObserver(this);
}

ReadAheadWalk::~ReadAheadWalk() { readAhead_.SetObserver(nullptr); }

void ReadAheadWalk::ForeseeSearch(platform::LdapHandle connection,
                                  const platform::SearchRequest& request) {
  readAhead_.Prefetch(connection, request);
}

void ReadAheadWalk::ForeseeGlobalCatalogPort(Console& console, const std::string& host) {
  console.DebugErr("Binding the GC port of " + host + " ahead\n");
  globalCatalogPorts_.Start(host, [this, host](Console& lines) {
    return OpenGlobalCatalogPort(lines, platform_.directory, host);
  });
}

platform::LdapHandle ReadAheadWalk::BindGlobalCatalogPort(Console& console,
                                                          const std::string& host) {
  std::optional<platform::LdapHandle> ahead = globalCatalogPorts_.Take(console, host);
  return ahead ? *ahead : OpenGlobalCatalogPort(console, readAhead_, host);
}

BoundDomainController ReadAheadWalk::BindDomainController(Console& console,
                                                          const std::string& dnsName) {
  std::optional<BoundDomainController> ahead = domainControllers_.Take(console, dnsName);
  return ahead ? *ahead
               : LocateAndBindDomainController(console, services_, initialServer_, dnsName);
}

void ReadAheadWalk::ForeseeDirectReads(platform::LdapHandle dc, platform::LdapHandle gc,
                                       const std::string& accountDn) {
  if (!seen_.insert(LowerCaseText(accountDn)).second) return;
  ForeseeSearch(dc, MemberRead(accountDn));
  ForeseeSearch(gc, MemberRead(accountDn));
}

void ReadAheadWalk::ForeseeGroup(const std::string& dn) {
  if (dn.empty()) return;
  std::string key = LowerCaseText(dn);
  if (!seen_.insert(key).second) return;
  const std::string domainKey = DomainOfDn(key);
  if (domainKey.empty()) return;
  // The walk reads a group by its key.
  const platform::SearchRequest read = MemberRead(key);
  const GroupReadServers servers = session_.ReadServersOf(domainKey);
  if (servers.domainGc.valid()) {
    ForeseeSearch(servers.domainGc, read);
    return;
  }
  ForeseeSearch(servers.forestGc, read);
  if (servers.dc.valid()) {
    ForeseeSearch(servers.dc, read);
    return;
  }
  auto [found, isNew] = domains_.try_emplace(domainKey);
  Domain& domain = found->second;
  if (isNew) {
    const std::string dnsName = DnToDomainName(domainKey);
    console_.DebugErr("Binding a DC of " + dnsName + " ahead\n");
    domainOfName_[dnsName] = domainKey;
    domainControllers_.Start(dnsName, [this, dnsName](Console& lines) {
      return LocateAndBindDomainController(lines, platform_, initialServer_, dnsName);
    });
  }
  switch (domain.state) {
    case Domain::State::kBinding:
      domain.waiting.push_back(std::move(key));
      break;
    case Domain::State::kBound:
      ForeseeSearch(domain.dc, read);
      break;
    case Domain::State::kFailed:
      break;
  }
}

void ReadAheadWalk::RunEach(Console& console, std::size_t count, const Piece& piece,
                            const std::function<void(std::size_t index)>& takeIn) {
  platform::Services& services = platform_;
  std::vector<std::unique_ptr<WorkAhead<bool>>> running;
  for (std::size_t index = 0; index < count; ++index) {
    running.push_back(std::make_unique<WorkAhead<bool>>(
        console,
        [&piece, &services, index](Console& lines) {
          piece(index, lines, services);
          return true;
        },
        [](bool&) {}));
  }
  for (std::size_t index = 0; index < count; ++index) {
    running[index]->Take(console);
    takeIn(index);
  }
}

platform::SearchRequest ReadAheadWalk::MemberRead(const std::string& dn) const {
  platform::SearchRequest read = memberRead_;
  read.base = dn;
  return read;
}

bool ReadAheadWalk::IsMemberRead(const platform::SearchRequest& request) const {
  if (request.scope != memberRead_.scope || request.filter != memberRead_.filter ||
      request.attributesOnly != memberRead_.attributesOnly) {
    return false;
  }
  return request.attributes == memberRead_.attributes ||
         (request.attributes.size() == 1 && ParseValueRange(request.attributes[0], "memberOf"));
}

void ReadAheadWalk::OnAnswer(platform::LdapHandle connection,
                             const platform::SearchRequest& request,
                             const platform::SearchResult& result) {
  // The walk takes nothing from a failed read or one with other than one entry.
  if (result.code != platform::kLdapSuccess || result.entries.size() != 1) return;
  const platform::Entry& entry = result.entries.front();
  // An account found: its direct reads go out with those of the other accounts found at once.
  if (IsAccountLookup(request)) {
    if (session_.connected()) {
      ForeseeDirectReads(connection, session_.servers().gcConnection, entry.dn);
    }
    return;
  }
  if (!IsMemberRead(request)) return;
  if (std::optional<platform::SearchRequest> next = FollowingRangeRequest(request, entry)) {
    ForeseeSearch(connection, *next);
  }
  if (const std::vector<std::string>* values = MemberOfPiece(entry)) {
    for (const std::string& value : *values) ForeseeGroup(value);
  }
}

bool ReadAheadWalk::IsAccountLookup(const platform::SearchRequest& request) const {
  return request.scope == platform::SearchScope::kSubtree &&
         request.attributes == accountLookup_.attributes &&
         request.filter.starts_with("(&(objectcategory=");
}

void ReadAheadWalk::OnCollected() {
  for (const auto& [dnsName, bound] : domainControllers_.Finished()) {
    Domain& domain = domains_[domainOfName_[dnsName]];
    if (!bound.connection.valid()) {
      domain.state = Domain::State::kFailed;
    } else {
      domain.state = Domain::State::kBound;
      domain.dc = bound.connection;
      for (const std::string& key : domain.waiting) {
        ForeseeSearch(bound.connection, MemberRead(key));
      }
    }
    domain.waiting.clear();
  }
}

void ReadAheadWalk::WriteSummary(Console& console) const {
  const ReadAheadStatistics& statistics = readAhead_.statistics();
  console.DebugErr("Read ahead: " + std::to_string(statistics.sent) + " reads sent, " +
                   std::to_string(statistics.used) + " used, at most " +
                   std::to_string(statistics.mostInFlight) + " in flight on one connection\n");
}

}  // namespace nestwalk
