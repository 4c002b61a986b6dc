#include "membership/read_ahead_planner.h"

#include <utility>

#include "membership/member_of_ranges.h"
#include "membership/member_of_reader.h"
#include "membership/nested_expansion.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

// While a bind that the walk needs is under way, answers are taken at this pace.
constexpr std::chrono::milliseconds kAnswerWait(2);

}  // namespace

ReadAheadPlanner::ReadAheadPlanner(Console& console, ReadAheadDirectory& readAhead,
                                   platform::Services& runServices,
                                   platform::Directory& threadDirectory, const ServerMaps& maps,
                                   platform::LdapHandle gcConnection, std::string initialServer,
                                   bool readsSids)
    : console_(console),
      readAhead_(readAhead),
      maps_(maps),
      gcConnection_(gcConnection),
      binds_(console, runServices, threadDirectory, std::move(initialServer),
             [&readAhead] { readAhead.CollectAnswers(kAnswerWait); }),
      memberRead_(GroupReadRequest("", readsSids)) {
  readAhead_.SetObserver(this);
}

ReadAheadPlanner::~ReadAheadPlanner() { readAhead_.SetObserver(nullptr); }

void ReadAheadPlanner::PrefetchDirectReads(platform::LdapHandle dcConnection,
                                           const std::string& principalDn) {
  readAhead_.Prefetch(dcConnection, MemberRead(principalDn));
  readAhead_.Prefetch(gcConnection_, MemberRead(principalDn));
}

void ReadAheadPlanner::Discover(const std::string& dn) {
  if (dn.empty()) return;
  std::string key = LowerCaseText(dn);
  if (!seen_.insert(key).second) return;
  const std::string domainKey = DomainOfDn(key);
  if (domainKey.empty()) return;
  // The walk reads a group by its key.
  const platform::SearchRequest read = MemberRead(key);
  if (auto gc = maps_.gcList.find(domainKey); gc != maps_.gcList.end()) {
    readAhead_.Prefetch(gc->second.connection, read);
    return;
  }
  readAhead_.Prefetch(gcConnection_, read);
  if (auto dc = maps_.dcList.find(domainKey); dc != maps_.dcList.end()) {
    readAhead_.Prefetch(dc->second.connection, read);
    return;
  }
  auto [found, isNew] = domains_.try_emplace(domainKey);
  Domain& domain = found->second;
  if (isNew) {
    const std::string dnsName = DnToDomainName(domainKey);
    console_.DebugErr("Binding a DC of " + dnsName + " ahead\n");
    domainOfName_[dnsName] = domainKey;
    binds_.Start(dnsName);
  }
  switch (domain.state) {
    case Domain::State::kBinding:
      domain.waiting.push_back(std::move(key));
      break;
    case Domain::State::kBound:
      readAhead_.Prefetch(domain.dc, read);
      break;
    case Domain::State::kFailed:
      break;
  }
}

platform::SearchRequest ReadAheadPlanner::MemberRead(const std::string& dn) const {
  platform::SearchRequest read = memberRead_;
  read.base = dn;
  return read;
}

bool ReadAheadPlanner::IsMemberRead(const platform::SearchRequest& request) const {
  if (request.scope != memberRead_.scope || request.filter != memberRead_.filter ||
      request.attributesOnly != memberRead_.attributesOnly) {
    return false;
  }
  return request.attributes == memberRead_.attributes ||
         (request.attributes.size() == 1 && ParseValueRange(request.attributes[0], "memberOf"));
}

void ReadAheadPlanner::OnAnswer(platform::LdapHandle connection,
                                const platform::SearchRequest& request,
                                const platform::SearchResult& result) {
  // The walk takes nothing from a failed read or one with other than one entry.
  if (!IsMemberRead(request) || result.code != platform::kLdapSuccess ||
      result.entries.size() != 1) {
    return;
  }
  const platform::Entry& entry = result.entries.front();
  if (std::optional<platform::SearchRequest> next = FollowingRangeRequest(request, entry)) {
    readAhead_.Prefetch(connection, *next);
  }
  if (const std::vector<std::string>* values = MemberOfPiece(entry)) {
    for (const std::string& value : *values) Discover(value);
  }
}

void ReadAheadPlanner::OnCollected() {
  for (const auto& [dnsName, bound] : binds_.Finished()) {
    Domain& domain = domains_[domainOfName_[dnsName]];
    if (!bound.connection.valid()) {
      domain.state = Domain::State::kFailed;
    } else {
      domain.state = Domain::State::kBound;
      domain.dc = bound.connection;
      for (const std::string& key : domain.waiting) {
        readAhead_.Prefetch(bound.connection, MemberRead(key));
      }
    }
    domain.waiting.clear();
  }
}

void ReadAheadPlanner::WriteSummary() const {
  const ReadAheadStatistics& statistics = readAhead_.statistics();
  console_.DebugErr("Read ahead: " + std::to_string(statistics.sent) + " reads sent, " +
                    std::to_string(statistics.used) + " used, at most " +
                    std::to_string(statistics.mostInFlight) + " in flight on one connection\n");
}

}  // namespace nestwalk
