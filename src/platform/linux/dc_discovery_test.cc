#include "platform/linux/dc_discovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/ping_race.h"

namespace nestwalk::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr unsigned kDcQuery = kDsReturnDnsName | kDsDirectoryServiceRequired;
constexpr unsigned kGcQuery = kDsReturnDnsName | kDsGcServerRequired;
constexpr unsigned kDcFlags = 0x1f9;  // PDC, LDAP, DS, KDC, ... but no GC
constexpr unsigned kGcFlags = kDcFlags | 0x4;

struct Server {
  std::string domain;  // DNS name
  std::string flat;
  std::string forest;
  std::string site;
  unsigned flags = kGcFlags;
  bool reachable = true;
  PingOutcome failure = PingOutcome::kAnswered;  // anything else: how its pings fail
};

// SRV records and servers by name; records every question asked.
class ScriptedNetwork : public DiscoveryNetwork {
 public:
  std::map<std::string, std::vector<SrvRecord>> srv;
  std::map<std::string, Server> servers;
  std::string clientSite = "Default-First-Site-Name";
  std::vector<std::string> known;
  std::optional<std::string> joined;
  std::map<std::string, std::vector<std::string>> trusts;  // partners by lower-case flat name
  std::vector<std::string> srvAsked;
  std::vector<std::string> pinged;      // "host:port domain"
  std::vector<std::string> trustAsked;  // "dcHost flatName"
  std::set<std::string> silentSrv;      // names that no DNS server answers
  std::chrono::milliseconds pingWait = kPingTimeout;

  std::chrono::milliseconds PingWait() const override { return pingWait; }

  SrvAnswer LookupSrv(const std::string& name) override {
    srvAsked.push_back(name);
    if (silentSrv.contains(name)) return {{}, true};
    auto it = srv.find(name);
    if (it == srv.end()) return {};
    return {it->second};
  }

  PingResult Ping(const std::string& host, int port, const std::string& dnsDomain,
                  std::stop_token) override {
    pinged.push_back(host + ":" + std::to_string(port) + " " + dnsDomain);
    auto it = servers.find(host);
    if (it == servers.end() || !it->second.reachable) return {PingOutcome::kUnreachable, {}};
    const Server& s = it->second;
    if (s.failure != PingOutcome::kAnswered) return {s.failure, {}};
    if (!dnsDomain.empty() && dnsDomain != s.domain) return {PingOutcome::kNotThisDomain, {}};
    NetlogonResponse r;
    r.opcode = kLogonSamLogonResponseEx;
    r.flags = s.flags;
    r.dnsForestName = s.forest.empty() ? s.domain : s.forest;
    r.dnsDomainName = s.domain;
    r.dnsHostName = host;
    r.netbiosDomainName = s.flat;
    r.dcSiteName = s.site;
    r.clientSiteName = clientSite;
    r.ntVersion = 5;
    return {PingOutcome::kAnswered, r};
  }

  std::vector<std::string> KnownDomains() override { return known; }
  std::optional<std::string> JoinedDomain() override { return joined; }

  TrustPartnerLookup Trusts() {
    return [this](const std::string& dcHost, const std::string& flatName) {
      trustAsked.push_back(dcHost + " " + flatName);
      auto it = trusts.find(flatName);
      return it == trusts.end() ? std::vector<std::string>() : it->second;
    };
  }
};

const std::string kSite = "Default-First-Site-Name";

SrvRecord Rec(const std::string& target, std::uint16_t priority = 0, std::uint16_t weight = 100,
              std::uint16_t port = 389) {
  return {priority, weight, port, target};
}

class DcDiscoveryTest : public ::testing::Test {
 protected:
  DcDiscoveryTest() {
    net.servers["dc1.corp.test"] = {"corp.test", "CORP", "", kSite};
    net.srv["_ldap._tcp.dc._msdcs.corp.test"] = {Rec("dc1.corp.test")};
  }
  LocatorAnswer Locate(const std::string& computer, const std::string& domain, unsigned flags) {
    return LocateServer(net, memory, computer, domain, flags, net.Trusts());
  }
  ScriptedNetwork net;
  SiteMemory memory;
};

TEST_F(DcDiscoveryTest, AnswersWithTheHostFlagsAndSiteOfThePing) {
  const LocatorAnswer a = Locate("", "CORP.test.", kDcQuery);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.info.name, "\\\\dc1.corp.test");
  EXPECT_EQ(a.info.flags, kGcFlags);
  EXPECT_EQ(a.info.siteName, kSite);
  EXPECT_THAT(net.pinged, ElementsAre("dc1.corp.test:389 corp.test"));
  EXPECT_EQ(memory.site, kSite);
}

TEST_F(DcDiscoveryTest, TriesCandidatesInPriorityAndWeightOrder) {
  net.servers["dead.corp.test"] = {"corp.test", "CORP", "", kSite, kGcFlags, false};
  net.servers["other.corp.test"] = {"other.test", "OTHER", "", kSite};
  net.servers["dc2.corp.test"] = {"corp.test", "CORP", "", kSite};
  net.srv["_ldap._tcp.dc._msdcs.corp.test"] = {Rec("dc2.corp.test", 10),
                                               Rec("other.corp.test", 0, 1),
                                               Rec("dead.corp.test", 0, 50), Rec(".", 0, 99)};
  const LocatorAnswer a = Locate("", "corp.test", kDcQuery);
  EXPECT_EQ(a.info.name, "\\\\dc2.corp.test");
  EXPECT_THAT(net.pinged,
              ElementsAre("dead.corp.test:389 corp.test", "other.corp.test:389 corp.test",
                          "dc2.corp.test:389 corp.test"));
}

TEST_F(DcDiscoveryTest, PingsAtMostAFewCandidates) {
  std::vector<SrvRecord> dead;
  for (int i = 0; i < 8; ++i) dead.push_back(Rec("dead" + std::to_string(i) + ".corp.test"));
  net.srv["_ldap._tcp.dc._msdcs.corp.test"] = dead;
  EXPECT_EQ(Locate("", "corp.test", kDcQuery).status, kErrorNoSuchDomain);
  EXPECT_EQ(net.pinged.size(), static_cast<std::size_t>(kMaxPingedCandidates));
}

TEST_F(DcDiscoveryTest, NoServerGives1355) {
  struct Case {
    const char* name;
    std::vector<SrvRecord> records;
    unsigned flags;
  };
  net.servers["nogc.corp.test"] = {"corp.test", "CORP", "", kSite, kDcFlags};
  net.servers["nods.corp.test"] = {"corp.test", "CORP", "", kSite, kGcFlags & ~kDsDsFlag};
  net.servers["odd\nname.corp.test"] = {"corp.test", "CORP", "", kSite};
  const Case cases[] = {
      {"no records", {}, kDcQuery},
      {"service not offered", {Rec(".")}, kDcQuery},
      {"all unreachable", {Rec("nowhere.corp.test")}, kDcQuery},
      {"no directory service", {Rec("nods.corp.test")}, kDcQuery},
      {"host name with a line end", {Rec("odd\nname.corp.test")}, kDcQuery},
      {"GC query, DC without the GC flag", {Rec("nogc.corp.test", 0, 0, 3268)}, kGcQuery},
  };
  for (const Case& c : cases) {
    net.srv["_ldap._tcp.dc._msdcs.corp.test"] = c.records;
    net.srv["_ldap._tcp.gc._msdcs.corp.test"] = c.records;
    const LocatorAnswer a = Locate("", "corp.test", c.flags);
    EXPECT_EQ(a.status, kErrorNoSuchDomain) << c.name;
    EXPECT_EQ(a.info.name, "") << c.name;
  }
}

// What failed on the way to a 1355 is its reason: the first DNS silence or failed ping; a
// domain that is simply not there has none.
TEST_F(DcDiscoveryTest, NoSuchDomainSaysWhatFailedOnTheWay) {
  const std::string dcList = "_ldap._tcp.dc._msdcs.corp.test";
  struct Case {
    const char* name;
    std::vector<SrvRecord> records;
    unsigned flags;
    std::string reason;
  };
  net.servers["dead.corp.test"] = {"corp.test", "CORP", "", kSite, kGcFlags, false};
  net.servers["slow.corp.test"] = {"corp.test",           "CORP", "", kSite, kGcFlags, true,
                                   PingOutcome::kTimedOut};
  net.servers["garbled.corp.test"] = {
      "corp.test", "CORP", "", kSite, kGcFlags, true, PingOutcome::kBadAnswer};
  net.servers["nogc.corp.test"] = {"corp.test", "CORP", "", kSite, kDcFlags};
  const Case cases[] = {
      {"no records", {}, kDcQuery, ""},
      {"a server of another kind", {Rec("nogc.corp.test", 0, 0, 3268)}, kGcQuery, ""},
      {"unreachable",
       {Rec("dead.corp.test")},
       kDcQuery,
       "LDAP ping: dead.corp.test:389 could not be reached"},
      {"slower than the ping limit",
       {Rec("slow.corp.test")},
       kDcQuery,
       "LDAP ping: slow.corp.test:389 gave no answer within 2.5 s"},
      {"the GC's ping",
       {Rec("slow.corp.test", 0, 0, 3268)},
       kGcQuery,
       "LDAP ping: slow.corp.test:3268 gave no answer within 2.5 s"},
      {"an answer that cannot be read",
       {Rec("garbled.corp.test")},
       kDcQuery,
       "LDAP ping: garbled.corp.test:389 sent an answer that could not be read"},
  };
  PingRace race(net);
  for (PingRace* together : {static_cast<PingRace*>(nullptr), &race}) {
    for (const Case& c : cases) {
      net.srv[dcList] = c.records;
      net.srv["_ldap._tcp.gc._msdcs.corp.test"] = c.records;
      SiteMemory fresh;
      const LocatorAnswer a =
          LocateServer(net, fresh, "", "corp.test", c.flags, net.Trusts(), together);
      EXPECT_EQ(a.status, kErrorNoSuchDomain) << c.name;
      EXPECT_EQ(a.reason, c.reason) << c.name << (together ? " (together)" : "");
    }
  }
  // One after another, the first failure is the one told.
  net.srv[dcList] = {Rec("dead.corp.test", 0), Rec("slow.corp.test", 1)};
  EXPECT_EQ(Locate("", "corp.test", kDcQuery).reason,
            "LDAP ping: dead.corp.test:389 could not be reached");
  // With -pingwait the line says the wait the run had.
  net.srv[dcList] = {Rec("slow.corp.test")};
  net.pingWait = std::chrono::seconds(10);
  EXPECT_EQ(Locate("", "corp.test", kDcQuery).reason,
            "LDAP ping: slow.corp.test:389 gave no answer within 10 s");
}

// A resolver that answers nothing costs one lookup per call, however many names were left.
TEST_F(DcDiscoveryTest, SilentDnsIsTheReasonAndEndsTheLookups) {
  net.known = {"a.test", "corp.test"};
  net.silentSrv = {"_ldap._tcp.dc._msdcs.a.test", "_ldap._tcp.dc._msdcs.corp.test"};
  const LocatorAnswer flat = Locate("", "CORP", kDcQuery);
  EXPECT_EQ(flat.status, kErrorNoSuchDomain);
  EXPECT_EQ(flat.reason, "DNS: no server answered the query for _ldap._tcp.dc._msdcs.a.test");
  EXPECT_THAT(net.srvAsked, ElementsAre("_ldap._tcp.dc._msdcs.a.test"));
  EXPECT_THAT(net.pinged, IsEmpty());
}

TEST_F(DcDiscoveryTest, GlobalCatalogOfTheForest) {
  net.servers["gc.child.corp.test"] = {"child.corp.test", "CHILD", "corp.test", kSite};
  net.srv["_ldap._tcp.gc._msdcs.corp.test"] = {Rec("gc.child.corp.test", 0, 0, 3268)};
  const LocatorAnswer a = Locate("", "corp.test", kGcQuery);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.info.name, "\\\\gc.child.corp.test");
  EXPECT_TRUE(a.info.flags & kDsGcFlag);
  // A GC answers for its own domain; the forest is checked in the answer.
  EXPECT_THAT(net.pinged, ElementsAre("gc.child.corp.test:3268 "));
}

TEST_F(DcDiscoveryTest, PrefersADcInTheClientSite) {
  net.clientSite = "Branch";
  net.servers["dc1.corp.test"].site = "Hub";
  net.servers["br1.corp.test"] = {"corp.test", "CORP", "", "Branch"};
  net.srv["_ldap._tcp.Branch._sites.dc._msdcs.corp.test"] = {Rec("br1.corp.test")};
  const LocatorAnswer first = Locate("", "corp.test", kDcQuery);
  EXPECT_EQ(first.info.name, "\\\\br1.corp.test");
  EXPECT_EQ(first.info.siteName, "Branch");
  EXPECT_THAT(net.srvAsked, ElementsAre("_ldap._tcp.dc._msdcs.corp.test",
                                        "_ldap._tcp.Branch._sites.dc._msdcs.corp.test"));
  // Once the site is known, its records come first.
  net.srvAsked.clear();
  net.pinged.clear();
  EXPECT_EQ(Locate("", "corp.test", kDcQuery).info.name, "\\\\br1.corp.test");
  EXPECT_THAT(net.srvAsked, ElementsAre("_ldap._tcp.Branch._sites.dc._msdcs.corp.test"));
  EXPECT_THAT(net.pinged, ElementsAre("br1.corp.test:389 corp.test"));
}

TEST_F(DcDiscoveryTest, KeepsAnOutOfSiteDcWhenTheSiteHasNone) {
  net.clientSite = "Branch";
  net.servers["dc1.corp.test"].site = "Hub";
  const LocatorAnswer a = Locate("", "corp.test", kDcQuery);
  EXPECT_EQ(a.info.name, "\\\\dc1.corp.test");
  EXPECT_EQ(a.info.siteName, "Hub");
}

TEST_F(DcDiscoveryTest, NamedComputer) {
  net.servers["dc9.corp.test"] = {"corp.test", "CORP", "", kSite, kDcFlags};
  struct Case {
    const char* name;
    std::string computer;
    std::string domain;
    unsigned flags;
    int status;
    std::string answer;
    std::size_t srvLookups;
  };
  const Case cases[] = {
      {"serves the domain", "dc9.corp.test", "corp.test", kDcQuery, 0, "\\\\dc9.corp.test", 0},
      {"backslashes ignored", "\\\\dc9.corp.test", "corp.test", kDcQuery, 0, "\\\\dc9.corp.test",
       0},
      {"serves the flat name", "dc9.corp.test", "corp", kDcQuery, 0, "\\\\dc9.corp.test", 0},
      {"unreachable", "127.0.0.2", "corp.test", kDcQuery, kRpcServerUnavailable, "", 0},
      {"not a GC: normal discovery", "dc9.corp.test", "corp.test", kGcQuery, 0, "\\\\dc1.corp.test",
       1},
  };
  net.srv["_ldap._tcp.gc._msdcs.corp.test"] = {Rec("dc1.corp.test", 0, 0, 3268)};
  for (const Case& c : cases) {
    net.srvAsked.clear();
    const LocatorAnswer a = Locate(c.computer, c.domain, c.flags);
    EXPECT_EQ(a.status, c.status) << c.name;
    EXPECT_EQ(a.info.name, c.answer) << c.name;
    EXPECT_EQ(net.srvAsked.size(), c.srvLookups) << c.name;
  }
}

TEST_F(DcDiscoveryTest, FlatNamesMapThroughTheKnownDomains) {
  net.servers["dc1.a.test"] = {"a.test", "ALPHA", "", kSite};
  net.srv["_ldap._tcp.dc._msdcs.a.test"] = {Rec("dc1.a.test")};
  net.known = {"A.test.", "a.test", "nowhere.test", "corp.test"};
  const LocatorAnswer a = Locate("", "Corp", kDcQuery);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.info.name, "\\\\dc1.corp.test");
  EXPECT_EQ(net.srvAsked.front(), "_ldap._tcp.dc._msdcs.a.test");
  EXPECT_EQ(std::count(net.srvAsked.begin(), net.srvAsked.end(), "_ldap._tcp.dc._msdcs.a.test"), 1);

  EXPECT_EQ(Locate("", "UNKNOWN", kDcQuery).status, kErrorNoSuchDomain);
}

TEST_F(DcDiscoveryTest, FlatNamesOfTrustedDomainsMapThroughTheOwnDomainsTrusts) {
  net.servers["dc1.beta.test"] = {"beta.test", "BETA", "", kSite};
  net.srv["_ldap._tcp.dc._msdcs.beta.test"] = {Rec("dc1.beta.test")};
  net.srv["_ldap._tcp.gc._msdcs.beta.test"] = {Rec("dc1.beta.test", 0, 0, 3268)};
  net.servers["dc1.other.test"] = {"other.test", "OTHER", "", kSite};
  net.srv["_ldap._tcp.dc._msdcs.other.test"] = {Rec("dc1.other.test")};
  net.trusts = {{"beta", {"nowhere.test", "beta.test"}}, {"liar", {"other.test"}}};
  // The trusts are asked of corp.test's DC: the first known domain whose DC answers.
  const std::vector<std::string> known = {"nowhere.test", "corp.test"};
  struct Case {
    const char* name;
    std::string domain;
    unsigned flags;
    int status;
    std::string answer;
    std::string trustAsked;  // the flat name the one lookup asked for; empty: none
  };
  const Case cases[] = {
      {"a known domain's flat name: no trust lookup", "CORP", kDcQuery, 0, "\\\\dc1.corp.test", ""},
      {"a trusted domain's: a DC of the partner", "Beta", kDcQuery, 0, "\\\\dc1.beta.test", "beta"},
      {"GC query: a GC of the partner's forest", "BETA", kGcQuery, 0, "\\\\dc1.beta.test", "beta"},
      {"no trust of that name", "NOWHERE", kDcQuery, kErrorNoSuchDomain, "", "nowhere"},
      {"the partner's DC reports another flat name", "LIAR", kDcQuery, kErrorNoSuchDomain, "",
       "liar"},
  };
  // Each SRV list has one record, so a race pings from one thread at a time.
  PingRace race(net);
  for (PingRace* together : {static_cast<PingRace*>(nullptr), &race}) {
    const std::string how = together == nullptr ? " (one after another)" : " (together)";
    for (const Case& c : cases) {
      net.known = known;
      net.trustAsked.clear();
      SiteMemory fresh;
      const LocatorAnswer a =
          LocateServer(net, fresh, "", c.domain, c.flags, net.Trusts(), together);
      EXPECT_EQ(a.status, c.status) << c.name << how;
      EXPECT_EQ(a.info.name, c.answer) << c.name << how;
      const std::vector<std::string> asked =
          c.trustAsked.empty() ? std::vector<std::string>()
                               : std::vector<std::string>{"dc1.corp.test " + c.trustAsked};
      EXPECT_EQ(net.trustAsked, asked) << c.name << how;
    }
  }

  // Without a DC of its own domain the host has nobody to ask.
  net.known = {"nowhere.test"};
  net.trustAsked.clear();
  EXPECT_EQ(Locate("", "BETA", kDcQuery).status, kErrorNoSuchDomain);
  EXPECT_THAT(net.trustAsked, IsEmpty());
}

TEST_F(DcDiscoveryTest, FlatNameOfAGcQueryMeansItsForest) {
  net.servers["dc1.corp.test"].forest = "root.test";
  net.servers["gc.root.test"] = {"root.test", "ROOT", "", kSite};
  net.srv["_ldap._tcp.gc._msdcs.root.test"] = {Rec("gc.root.test", 0, 0, 3268)};
  net.known = {"corp.test"};
  EXPECT_EQ(Locate("", "CORP", kGcQuery).info.name, "\\\\gc.root.test");
}

TEST_F(DcDiscoveryTest, EmptyDomainMeansTheJoinedOne) {
  EXPECT_EQ(Locate("", "", kDcQuery).status, kErrorNoSuchDomain);
  EXPECT_THAT(net.pinged, IsEmpty());
  net.joined = "CORP.TEST";
  EXPECT_EQ(Locate("", "", kDcQuery).info.name, "\\\\dc1.corp.test");
}

TEST_F(DcDiscoveryTest, PingAnswerOfADcOfADnsDomain) {
  const std::optional<NetlogonResponse> corp = PingDomainController(net, memory, "CORP.test.");
  ASSERT_TRUE(corp);
  EXPECT_EQ(corp->netbiosDomainName, "CORP");
  EXPECT_THAT(net.pinged, ElementsAre("dc1.corp.test:389 corp.test"));
  EXPECT_FALSE(PingDomainController(net, memory, "nowhere.test"));
  net.pinged.clear();
  EXPECT_FALSE(PingDomainController(net, memory, ""));
  EXPECT_THAT(net.pinged, IsEmpty());
}

TEST_F(DcDiscoveryTest, SiteOfThisMachineAndOfAServer) {
  EXPECT_EQ(LookupSite(net, memory, "").status, kErrorNoSiteName);
  net.joined = "CORP.TEST";
  net.clientSite = "Branch";
  const SiteAnswer mine = LookupSite(net, memory, "");
  EXPECT_EQ(mine.status, 0);
  EXPECT_EQ(mine.siteName, "Branch");
  EXPECT_EQ(memory.site, "Branch");

  const SiteAnswer server = LookupSite(net, memory, "dc1.corp.test");
  EXPECT_EQ(server.siteName, kSite);
  EXPECT_EQ(LookupSite(net, memory, "127.0.0.2").status, kRpcServerUnavailable);

  net.clientSite = "";
  SiteMemory fresh;
  EXPECT_EQ(LookupSite(net, fresh, "").status, kErrorNoSiteName);
}

}  // namespace
}  // namespace nestwalk::platform
