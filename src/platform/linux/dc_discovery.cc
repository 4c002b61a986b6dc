#include "platform/linux/dc_discovery.h"

#include <chrono>
#include <set>
#include <utility>

#include "platform/linux/flat_name.h"
#include "platform/linux/ping_race.h"
#include "text/case_folding.h"

namespace nestwalk::platform {
namespace {

struct Request {
  std::string domain;  // a DNS name (of the forest for a GC), or a flat name
  bool flat = false;
  bool globalCatalog = false;
  bool directoryService = false;
};

struct Found {
  std::string host;  // as contacted
  NetlogonResponse response;
};

// What went wrong on the way to an answer, for the reason of a failure: the first DNS silence or
// failed ping of one locator call. After a silence the call looks up no further name: each would
// cost the whole wait again.
struct Trouble {
  std::string reason;
  bool dnsSilent = false;

  void Note(std::string text) {
    if (reason.empty()) reason = std::move(text);
  }
};

// "2.5 s" for 2500 ms: seconds with their tenths when there are any.
std::string SecondsText(std::chrono::milliseconds duration) {
  const long long tenths = duration.count() / 100;
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
  return text + " s";
}

// Empty for the outcomes that say nothing failed: an answer, or one for another domain.
std::string PingFailureText(const std::string& host, int port, PingOutcome outcome,
                            std::chrono::milliseconds wait) {
  const std::string server = "LDAP ping: " + host + ":" + std::to_string(port);
  switch (outcome) {
    case PingOutcome::kUnreachable:
      return server + " could not be reached";
    case PingOutcome::kTimedOut:
      return server + " gave no answer within " + SecondsText(wait);
    case PingOutcome::kBadAnswer:
      return server + " sent an answer that could not be read";
    case PingOutcome::kAnswered:
    case PingOutcome::kNotThisDomain:
      break;
  }
  return std::string();
}

// The host name of an answer is printed and connected to later: letters, digits, '-', '_'
// and '.' only (empty is allowed: the contacted name is used instead).
bool PlausibleHostName(const std::string& name) {
  for (char c : name) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum && c != '-' && c != '_' && c != '.') return false;
  }
  return true;
}

bool Serves(const NetlogonResponse& r, const Request& request) {
  if (!PlausibleHostName(r.dnsHostName)) return false;
  if (r.opcode != kLogonSamLogonResponseEx && r.opcode != kLogonSamUserUnknownEx) return false;
  if (request.directoryService && (r.flags & kDsDsFlag) == 0) return false;
  if (request.globalCatalog && (r.flags & kDsGcAnswerFlag) == 0) return false;
  if (request.flat) return LowerCaseText(r.netbiosDomainName) == LowerCaseText(request.domain);
  return DomainKey(request.globalCatalog ? r.dnsForestName : r.dnsDomainName) ==
         DomainKey(request.domain);
}

// A DC query names its domain in the ping; a GC is asked about its own domain, whose forest
// is then compared, and a flat name cannot be put in the ping at all.
std::string PingDomain(const Request& request) {
  return request.flat || request.globalCatalog ? std::string() : request.domain;
}

class Search {
 public:
  // `race` null: candidates are pinged one after another. What fails is noted in `trouble`.
  Search(DiscoveryNetwork& network, SiteMemory& memory, Trouble& trouble, Request request,
         PingRace* race = nullptr)
      : network_(network),
        memory_(memory),
        trouble_(trouble),
        request_(std::move(request)),
        race_(race) {}

  std::optional<Found> Run() {
    const std::string knownSite = memory_.site;
    if (!knownSite.empty()) {
      if (std::optional<Found> found = TryList(SitedName(knownSite))) return found;
    }
    std::optional<Found> found = TryList(GenericName());
    if (!found) return std::nullopt;
    const std::string& client = found->response.clientSiteName;
    if (client.empty()) return found;
    memory_.site = client;
    const bool inClientSite = LowerCaseText(found->response.dcSiteName) == LowerCaseText(client);
    if (!inClientSite && LowerCaseText(client) != LowerCaseText(knownSite)) {
      if (std::optional<Found> closer = TryList(SitedName(client))) return closer;
    }
    return found;
  }

 private:
  std::string Service() const { return request_.globalCatalog ? "gc" : "dc"; }
  std::string GenericName() const {
    return "_ldap._tcp." + Service() + "._msdcs." + request_.domain;
  }
  std::string SitedName(const std::string& site) const {
    return "_ldap._tcp." + site + "._sites." + Service() + "._msdcs." + request_.domain;
  }

  // The SRV records of `srvName` in the order to try them; none once DNS was silent.
  std::vector<SrvRecord> LookUp(const std::string& srvName) {
    if (trouble_.dnsSilent) return {};
    SrvAnswer answer = network_.LookupSrv(srvName);
    if (answer.silent) {
      trouble_.dnsSilent = true;
      trouble_.Note("DNS: no server answered the query for " + srvName);
    }
    return OrderSrvRecords(answer.records);
  }

  std::optional<Found> TryList(const std::string& srvName) {
    if (race_ != nullptr) return RaceList(srvName);
    int pinged = 0;
    for (const SrvRecord& record : LookUp(srvName)) {
      if (pinged == kMaxPingedCandidates) break;
      if (!tried_.insert({LowerCaseText(record.target), record.port}).second) continue;
      ++pinged;
      PingResult result = network_.Ping(record.target, record.port, PingDomain(request_), {});
      if (Suitable(result)) return Take(record.target, std::move(*result.response));
      trouble_.Note(
          PingFailureText(record.target, record.port, result.outcome, network_.PingWait()));
    }
    return std::nullopt;
  }

  // The candidates TryList would ping, all at once.
  std::optional<Found> RaceList(const std::string& srvName) {
    std::vector<PingCandidate> candidates;
    for (const SrvRecord& record : LookUp(srvName)) {
      if (candidates.size() == kMaxPingedCandidates) break;
      if (!tried_.insert({LowerCaseText(record.target), record.port}).second) continue;
      candidates.push_back({record.target, record.port});
    }
    std::optional<RaceWinner> winner = race_->FirstSuitable(
        candidates, PingDomain(request_),
        [this, &candidates](std::size_t index, const PingResult& result) {
          if (Suitable(result)) return true;
          const PingCandidate& candidate = candidates[index];
          trouble_.Note(PingFailureText(candidate.host, candidate.port, result.outcome,
                                        network_.PingWait()));
          return false;
        });
    if (!winner) return std::nullopt;
    return Take(candidates[winner->index].host, std::move(*winner->result.response));
  }

  bool Suitable(const PingResult& result) const {
    return result.outcome == PingOutcome::kAnswered && Serves(*result.response, request_);
  }

  // The answer found, whose client site the locator learns.
  Found Take(const std::string& host, NetlogonResponse response) {
    if (!response.clientSiteName.empty()) memory_.site = response.clientSiteName;
    return Found{host, std::move(response)};
  }

  DiscoveryNetwork& network_;
  SiteMemory& memory_;
  Trouble& trouble_;
  Request request_;
  PingRace* race_;
  std::set<std::pair<std::string, int>> tried_;
};

// A named computer that does not answer its ping in time counts as one that cannot be reached.
bool Unreachable(const PingResult& result) {
  return result.outcome == PingOutcome::kUnreachable || result.outcome == PingOutcome::kTimedOut;
}

// The server's own name for itself, else the name it was contacted by.
const std::string& HostName(const Found& found) {
  return found.response.dnsHostName.empty() ? found.host : found.response.dnsHostName;
}

LocatorAnswer Answer(const Found& found) {
  LocatorAnswer answer;
  answer.info.name = "\\\\" + HostName(found);
  answer.info.siteName = found.response.dcSiteName;
  answer.info.flags = found.response.flags;
  return answer;
}

LocatorAnswer Failure(int status, std::string reason = std::string()) {
  LocatorAnswer answer;
  answer.status = status;
  answer.reason = std::move(reason);
  return answer;
}

// The ping answer of a DC of the domain that the flat name of `request` names: one of the
// known domains, else a partner of a trust of that name that this machine's own domain (the
// first known domain whose DC answers) holds. Trusts are asked for only when no known domain
// has the name, so a host in its own domain makes no LDAP connection for them.
std::optional<NetlogonResponse> MapFlatDomain(DiscoveryNetwork& network, SiteMemory& memory,
                                              Trouble& trouble, const Request& request,
                                              const TrustPartnerLookup& trustPartners,
                                              PingRace* together) {
  std::optional<std::string> ownDc;
  const DomainPing ping = [&](const std::string& dnsDomain) -> std::optional<NetlogonResponse> {
    const Request probe{dnsDomain, false, false, request.directoryService};
    std::optional<Found> found = Search(network, memory, trouble, probe, together).Run();
    if (!found) return std::nullopt;
    if (!ownDc) ownDc = HostName(*found);
    return std::move(found->response);
  };
  if (std::optional<NetlogonResponse> known =
          MapFlatName(request.domain, network.KnownDomains(), ping)) {
    return known;
  }
  if (!ownDc) return std::nullopt;
  return MapFlatName(request.domain, trustPartners(*ownDc, request.domain), ping);
}

}  // namespace

LocatorAnswer LocateServer(DiscoveryNetwork& network, SiteMemory& memory,
                           const std::string& computerName, const std::string& domainName,
                           unsigned flags, const TrustPartnerLookup& trustPartners,
                           PingRace* together) {
  Request request;
  request.globalCatalog = (flags & kDsGcServerRequired) != 0;
  request.directoryService = (flags & kDsDirectoryServiceRequired) != 0;
  request.domain = DomainKey(domainName);
  if (request.domain.empty()) {
    std::optional<std::string> joined = network.JoinedDomain();
    if (!joined) return Failure(kErrorNoSuchDomain);
    request.domain = DomainKey(*joined);
  }
  request.flat = request.domain.find('.') == std::string::npos;

  const std::string computer = HostOfServerName(computerName);
  if (!computer.empty()) {
    PingResult result = network.Ping(computer, kLdapPort, PingDomain(request), {});
    if (Unreachable(result)) return Failure(kRpcServerUnavailable);
    if (result.outcome == PingOutcome::kAnswered && Serves(*result.response, request)) {
      return Answer(Found{computer, std::move(*result.response)});
    }
  }

  Trouble trouble;
  if (request.flat) {
    std::optional<NetlogonResponse> mapped =
        MapFlatDomain(network, memory, trouble, request, trustPartners, together);
    if (!mapped) return Failure(kErrorNoSuchDomain, trouble.reason);
    request.flat = false;
    request.domain =
        DomainKey(request.globalCatalog ? mapped->dnsForestName : mapped->dnsDomainName);
    if (request.domain.empty()) return Failure(kErrorNoSuchDomain);
  }

  std::optional<Found> found = Search(network, memory, trouble, request, together).Run();
  if (!found) return Failure(kErrorNoSuchDomain, trouble.reason);
  return Answer(*found);
}

std::optional<NetlogonResponse> PingDomainController(DiscoveryNetwork& network, SiteMemory& memory,
                                                     const std::string& dnsDomain) {
  const Request request{DomainKey(dnsDomain), false, false, false};
  if (request.domain.empty()) return std::nullopt;
  Trouble trouble;
  std::optional<Found> found = Search(network, memory, trouble, request).Run();
  if (!found) return std::nullopt;
  return std::move(found->response);
}

SiteAnswer LookupSite(DiscoveryNetwork& network, SiteMemory& memory,
                      const std::string& computerName) {
  SiteAnswer answer;
  const std::string computer = HostOfServerName(computerName);
  std::string site;
  if (!computer.empty()) {
    PingResult result = network.Ping(computer, kLdapPort, "", {});
    if (Unreachable(result)) {
      answer.status = kRpcServerUnavailable;
      return answer;
    }
    if (result.outcome == PingOutcome::kAnswered) site = result.response->dcSiteName;
  } else if (std::optional<std::string> joined = network.JoinedDomain()) {
    const Request request{DomainKey(*joined), false, false, true};
    Trouble trouble;
    std::optional<Found> found = Search(network, memory, trouble, request).Run();
    if (found) site = found->response.clientSiteName;
  }
  if (site.empty()) {
    answer.status = kErrorNoSiteName;
    return answer;
  }
  answer.siteName = site;
  return answer;
}

}  // namespace nestwalk::platform
