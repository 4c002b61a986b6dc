#include "platform/linux/ping_race.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace nestwalk::platform {
namespace {

constexpr unsigned kDcQuery = kDsReturnDnsName | kDsDirectoryServiceRequired;
constexpr unsigned kDcFlags = 0x1f9;  // PDC, LDAP, DS, KDC, ... but no GC
const std::string kSrvName = "_ldap._tcp.dc._msdcs.corp.test";

enum class Reply {
  kServes,       // a DC of corp.test
  kOtherDomain,  // a DC, but of other.test
  kUnreachable,
  kSilent,  // never answers: its ping ends only when it is stopped, as unreachable
};

// Safe to ping from several threads. A silent server holds its ping until the race stops it,
// so a race that waited for one, or left it running, would never end.
class RacedNetwork : public DiscoveryNetwork {
 public:
  RacedNetwork(std::vector<SrvRecord> records, std::map<std::string, Reply> replies)
      : records_(std::move(records)), replies_(std::move(replies)) {}

  SrvAnswer LookupSrv(const std::string& name) override {
    return name == kSrvName ? SrvAnswer{records_} : SrvAnswer{};
  }

  PingResult Ping(const std::string& host, int, const std::string&, std::stop_token stop) override {
    std::unique_lock lock(mutex_);
    pinged_.push_back(host);
    const Reply reply = replies_.at(host);
    if (reply == Reply::kSilent) stopped_.wait(lock, stop, [] { return false; });
    if (reply == Reply::kSilent || reply == Reply::kUnreachable) {
      return {PingOutcome::kUnreachable, {}};
    }
    NetlogonResponse r;
    r.opcode = kLogonSamLogonResponseEx;
    r.flags = kDcFlags;
    r.dnsDomainName = reply == Reply::kServes ? "corp.test" : "other.test";
    r.dnsForestName = r.dnsDomainName;
    r.dnsHostName = host;
    r.netbiosDomainName = reply == Reply::kServes ? "CORP" : "OTHER";
    r.dcSiteName = "Default-First-Site-Name";
    r.ntVersion = 5;
    return {PingOutcome::kAnswered, r};
  }

  std::vector<std::string> KnownDomains() override { return {}; }
  std::optional<std::string> JoinedDomain() override { return std::nullopt; }

  // Every host pinged, sorted (the order of threads is not fixed).
  std::vector<std::string> Pinged() {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> sorted = pinged_;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
  }

 private:
  const std::vector<SrvRecord> records_;
  const std::map<std::string, Reply> replies_;
  std::mutex mutex_;
  std::condition_variable_any stopped_;
  std::vector<std::string> pinged_;
};

struct Outcome {
  int status = 0;
  std::string server;
  std::vector<std::string> pinged;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  out << o.status << " " << o.server << " [";
  for (const std::string& host : o.pinged) out << host << " ";
  return out << "]";
}

std::vector<std::string> NoTrusts(const std::string&, const std::string&) { return {}; }

// Candidates in SRV order: the first is the most preferred.
Outcome LocateTogether(const std::vector<std::pair<std::string, Reply>>& candidates) {
  std::vector<SrvRecord> records;
  std::map<std::string, Reply> replies;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    records.push_back({static_cast<std::uint16_t>(i), 100, kLdapPort, candidates[i].first});
    replies[candidates[i].first] = candidates[i].second;
  }
  RacedNetwork network(records, replies);
  Outcome outcome;
  {
    PingRace race(network);
    SiteMemory memory;
    const LocatorAnswer answer =
        LocateServer(network, memory, "", "corp.test", kDcQuery, NoTrusts, &race);
    outcome.status = answer.status;
    outcome.server = answer.info.name;
  }
  outcome.pinged = network.Pinged();
  return outcome;
}

TEST(PingRaceTest, TheFirstSuitableAnswerWins) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, Reply>> candidates;
    Outcome expected;
  };
  const std::vector<Case> cases = {
      {"a silent preferred server does not hold up an answering one",
       {{"dc1", Reply::kSilent}, {"dc2", Reply::kServes}},
       {0, "\\\\dc2", {"dc1", "dc2"}}},
      {"an answer for another domain does not win",
       {{"dc1", Reply::kOtherDomain}, {"dc2", Reply::kServes}, {"dc3", Reply::kUnreachable}},
       {0, "\\\\dc2", {"dc1", "dc2", "dc3"}}},
      {"nothing suitable: no such domain, after every candidate",
       {{"dc1", Reply::kOtherDomain}, {"dc2", Reply::kUnreachable}},
       {kErrorNoSuchDomain, "", {"dc1", "dc2"}}},
      {"no more candidates than one after another would ping",
       {{"dc1", Reply::kUnreachable},
        {"dc2", Reply::kUnreachable},
        {"dc3", Reply::kUnreachable},
        {"dc4", Reply::kUnreachable},
        {"dc5", Reply::kUnreachable},
        {"dc6", Reply::kServes}},
       {kErrorNoSuchDomain, "", {"dc1", "dc2", "dc3", "dc4", "dc5"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocateTogether(c.candidates), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace nestwalk::platform
