#include "ldap/server_selection.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "membership/plain_walk.h"
#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using testing::CapturedConsole;
using testing::RunNestwalk;
using testing::RunOutcome;

constexpr char kCorpDn[] = "DC=corp,DC=example,DC=com";
constexpr char kChildDn[] = "DC=child,DC=corp,DC=example,DC=com";
constexpr char kSite[] = "Default-First-Site-Name";
// A principal no fake forest holds: a run that gets through server selection ends at the
// account lookup.
constexpr char kNobody[] = "CORP\\nobody";
constexpr char kPrincipalLine[] = "Security Principal: [USER] CORP\\nobody\n";

enum class Layout {
  kDcIsForestGc,  // corp: dc1, a GC
  kDcIsNoGc,      // corp: dc2, no GC, and gc1
  kChildDcIsGc,   // corp: gc1; child: dcc1, a GC in another site
};

void BuildForest(fake::FakeForest& forest, Layout layout) {
  forest.SetLocalSite(platform::SiteAnswer{0, kSite});
  forest.AddDomain({.dn = kCorpDn, .flatName = "CORP", .sid = "S-1-5-21-1-2-3"});
  switch (layout) {
    case Layout::kDcIsForestGc:
      forest.AddServer({"dc1.corp.example.com", kCorpDn, kSite, true});
      break;
    case Layout::kDcIsNoGc:
      forest.AddServer({"dc2.corp.example.com", kCorpDn, kSite, false});
      forest.AddServer({"gc1.corp.example.com", kCorpDn, "Hub", true});
      break;
    case Layout::kChildDcIsGc:
      // The child's DC is in another site, so the locator prefers gc1 for the forest.
      forest.AddServer({"gc1.corp.example.com", kCorpDn, kSite, true});
      forest.AddDomain({.dn = kChildDn, .flatName = "CHILD", .sid = "S-1-5-21-4-5-6"});
      forest.AddServer({"dcc1.child.corp.example.com", kChildDn, "Branch", true});
      break;
  }
}

struct Opened {
  std::string host;
  int port;
  friend bool operator==(const Opened&, const Opened&) = default;
};

std::ostream& operator<<(std::ostream& stream, const Opened& opened) {
  return stream << opened.host << ":" << opened.port;
}

// Every connection the run opened, and how often each was unbound.
std::vector<Opened> OpenedConnections(const fake::FakeForest& forest) {
  std::vector<Opened> opened;
  for (const fake::ConnectionRecord& record : forest.connections()) {
    opened.push_back({record.host.value_or("<default>"), record.port});
  }
  return opened;
}

void ExpectEachUnboundOnce(const fake::FakeForest& forest) {
  for (const fake::ConnectionRecord& record : forest.connections()) {
    EXPECT_EQ(record.unbindCount, 1) << record.host.value_or("<default>") << ":" << record.port;
  }
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

// ---- the phase on its own: results and maps ------------------------------------------------

struct MapEntry {
  std::string key;
  std::string serverName;
  std::string siteName;
  Opened connection;
  friend bool operator==(const MapEntry&, const MapEntry&) = default;
};

std::ostream& operator<<(std::ostream& stream, const MapEntry& entry) {
  return stream << entry.key << " -> " << entry.serverName << " [" << entry.siteName << "] "
                << entry.connection;
}

std::vector<MapEntry> Entries(const fake::FakeForest& forest,
                              const std::map<std::string, ldapsrvdata>& map) {
  std::vector<MapEntry> entries;
  for (const auto& [key, server] : map) {
    const fake::ConnectionRecord& record = forest.connection(server.connection);
    entries.push_back({key,
                       server.serverName,
                       server.siteName,
                       {record.host.value_or("<default>"), record.port}});
  }
  return entries;
}

TEST(SelectServersTest, SeedsTheMapsForEachLayout) {
  const std::string corpKey = "dc=corp,dc=example,dc=com";
  const std::string childKey = "dc=child,dc=corp,dc=example,dc=com";
  const std::string site = "default-first-site-name";
  struct Case {
    Layout layout;
    std::string domain;
    std::vector<Opened> opened;
    std::vector<MapEntry> dcByDomain;
    std::vector<MapEntry> gcByDomain;
    Opened dcConnection;
    Opened gcConnection;
  };
  const Case cases[] = {
      {Layout::kDcIsForestGc,
       "CORP",
       {{"dc1.corp.example.com", 389}, {"dc1.corp.example.com", 3268}},
       // The GC serves the DC's own domain, so it takes over the domain's DC entry.
       {{corpKey, "dc1.corp.example.com", site, {"dc1.corp.example.com", 3268}}},
       {{corpKey, "dc1.corp.example.com", site, {"dc1.corp.example.com", 3268}}},
       {"dc1.corp.example.com", 389},
       {"dc1.corp.example.com", 3268}},
      {Layout::kDcIsNoGc,
       "CORP",
       {{"dc2.corp.example.com", 389}, {"gc1.corp.example.com", 3268}},
       {{corpKey, "gc1.corp.example.com", "hub", {"gc1.corp.example.com", 3268}}},
       {{corpKey, "gc1.corp.example.com", "hub", {"gc1.corp.example.com", 3268}}},
       {"dc2.corp.example.com", 389},
       {"gc1.corp.example.com", 3268}},
      {Layout::kChildDcIsGc,
       "CHILD",
       {{"dcc1.child.corp.example.com", 389},
        {"dcc1.child.corp.example.com", 3268},
        {"gc1.corp.example.com", 3268}},
       {{childKey, "dcc1.child.corp.example.com", "branch", {"dcc1.child.corp.example.com", 389}}},
       {{childKey, "dcc1.child.corp.example.com", "branch", {"dcc1.child.corp.example.com", 3268}},
        {corpKey, "gc1.corp.example.com", site, {"gc1.corp.example.com", 3268}}},
       {"dcc1.child.corp.example.com", 389},
       {"gc1.corp.example.com", 3268}},
  };
  for (const Case& c : cases) {
    fake::FakeForest forest;
    BuildForest(forest, c.layout);
    CapturedConsole console(false);
    PlainWalk strategy(forest.services(), "");
    ServerMaps maps;
    {
      ConnectionList connections(console.console, forest);
      const std::optional<SelectedServers> selected =
          SelectServers(console.console, strategy, connections, maps, c.domain, "");
      ASSERT_TRUE(selected.has_value()) << c.domain;
      EXPECT_EQ(OpenedConnections(forest), c.opened) << c.domain;
      EXPECT_EQ(connections.handles().size(), c.opened.size()) << c.domain;
      EXPECT_EQ(Entries(forest, maps.dcByDomain), c.dcByDomain) << c.domain;
      EXPECT_EQ(Entries(forest, maps.gcByDomain), c.gcByDomain) << c.domain;
      const fake::ConnectionRecord& dc = forest.connection(selected->dcConnection);
      const fake::ConnectionRecord& gc = forest.connection(selected->gcConnection);
      EXPECT_EQ((Opened{dc.host.value_or(""), dc.port}), c.dcConnection) << c.domain;
      EXPECT_EQ((Opened{gc.host.value_or(""), gc.port}), c.gcConnection) << c.domain;
      EXPECT_EQ(selected->dcName, c.dcConnection.host);
      EXPECT_EQ(selected->gcName, c.gcConnection.host);
      EXPECT_TRUE(selected->dcRootDse.valid);
      EXPECT_TRUE(selected->gcRootDse.valid);
      for (const fake::ConnectionRecord& record : forest.connections()) {
        EXPECT_EQ(record.unbindCount, 0) << record.port;
      }
    }
    ExpectEachUnboundOnce(forest);
    EXPECT_EQ(console.err.str(), "") << c.domain;
    EXPECT_EQ(console.out.str(), "") << c.domain;
  }
}

TEST(SelectServersTest, LocatorNamingADcWithoutTheGcFlagGetsItsOwnGcConnection) {
  fake::FakeForest forest;
  BuildForest(forest, Layout::kDcIsForestGc);
  forest.SetLocatorAnswer("", "CORP", false,
                          platform::LocatorAnswer{0, {"\\\\dc1.corp.example.com", kSite, 0x10}});
  CapturedConsole console(false);
  PlainWalk strategy(forest.services(), "");
  ServerMaps maps;
  ConnectionList connections(console.console, forest);
  ASSERT_TRUE(SelectServers(console.console, strategy, connections, maps, "CORP", ""));
  EXPECT_EQ(OpenedConnections(forest),
            (std::vector<Opened>{{"dc1.corp.example.com", 389}, {"dc1.corp.example.com", 3268}}));
  EXPECT_EQ(forest.connections()[0].options,
            (std::vector<std::string>{"version=3", "referrals=0"}));
  EXPECT_EQ(forest.connections()[1].options, std::vector<std::string>{"version=3"});
}

TEST(SelectServersTest, AsksTheInitialServerForBothServers) {
  fake::FakeForest forest;
  BuildForest(forest, Layout::kDcIsNoGc);
  CapturedConsole console(false);
  PlainWalk strategy(forest.services(), "");
  ServerMaps maps;
  ConnectionList connections(console.console, forest);
  ASSERT_TRUE(
      SelectServers(console.console, strategy, connections, maps, "CORP", "dc2.corp.example.com"));
  ASSERT_EQ(forest.locatorCalls().size(), 2u);
  EXPECT_EQ(forest.locatorCalls()[0].computerName, "dc2.corp.example.com");
  EXPECT_EQ(forest.locatorCalls()[0].domainName, "CORP");
  EXPECT_EQ(forest.locatorCalls()[0].flags, 0x40000010u);
  EXPECT_EQ(forest.locatorCalls()[1].computerName, "dc2.corp.example.com");
  EXPECT_EQ(forest.locatorCalls()[1].domainName, "corp.example.com");
  EXPECT_EQ(forest.locatorCalls()[1].flags, 0x40000040u);
}

// ---- whole runs -------------------------------------------------------------------------------

std::string OpenTrace(const std::string& host, int port, bool referrals) {
  return "DEBUG: In OpenLDAP... Params:\n"
         "DEBUG:    Server:    " +
         host +
         "\n"
         "DEBUG:    SSL: 0\n"
         "DEBUG:    Port:        " +
         std::to_string(port) +
         "\n"
         "DEBUG:    Ref:       " +
         (referrals ? "1" : "0") +
         "\n"
         "DEBUG:    V3:        1\n"
         "DEBUG:    Anonymous: 0\n"
         "DEBUG:    userdn: \n"
         "DEBUG:    password: \n"
         "DEBUG:    Simple: 0\n"
         "DEBUG:    LDAP_OPT_ENCRYPT: 0\n"
         "DEBUG:    Delegation: 0\n"
         "DEBUG:    Extended Error Info: 0\n";
}

// The phase's debug lines on standard error up to the end of the GC's RootDSE summary.
std::string ExpectedDcIsForestGcTrace(int contextCount) {
  const std::string summary =
      "Schema: CN=Schema,CN=Configuration,DC=corp,DC=example,DC=com\n"
      "Config: CN=Configuration,DC=corp,DC=example,DC=com\n"
      "Default: DC=corp,DC=example,DC=com\n"
      "Root: DC=corp,DC=example,DC=com\n"
      "ContextCount: " +
      std::to_string(contextCount) +
      "\n"
      "HostName: dc1.corp.example.com\n";
  return "Initial Server specified []\n"
         "Retrieve workstation site\n"
         "Retrieving Site Info for []\n"
         "Site: Default-First-Site-Name\n"
         "Locating a DC for CORP\n"
         "DSGetDCName: Returned ok\n"
         "DC located: \\\\dc1.corp.example.com\n"
         "For LDAP DC: dc1.corp.example.com\n"
         "LDAP DC is also a GC\n"
         "LDAP_OPTION: Version 3\n"
         "LDAP_OPTION: No referrals\n"
         "LDAP_BIND: [dc1.corp.example.com] Successful\n"
         "Retrieving DC RootDSE Info...\n" +
         summary +
         "Do GC port bind to same DC.\n"
         "LDAP_OPTION: Version 3\n"
         "LDAP_BIND: [dc1.corp.example.com] Successful\n"
         "Locating GC for forest: corp.example.com\n"
         "Locating a GC...\n"
         "DSGetDCName: Returned ok\n"
         "DC located: \\\\dc1.corp.example.com\n"
         "For LDAP GC: dc1.corp.example.com\n"
         "Retrieving GC RootDSE Info...\n" +
         summary;
}

// The fake's RootDSE lists the domain, configuration and schema partitions.
constexpr int kCorpContextCount = 3;

TEST(ServerSelectionRunTest, DcThatIsTheForestGcGivesTwoConnections) {
  fake::FakeForest forest;
  BuildForest(forest, Layout::kDcIsForestGc);
  const RunOutcome run = RunNestwalk(forest, {"-q", "-d", "-u", kNobody});
  EXPECT_NE(run.err.find(ExpectedDcIsForestGcTrace(kCorpContextCount)), std::string::npos)
      << run.err;
  EXPECT_NE(
      run.out.find(std::string(kPrincipalLine) + OpenTrace("dc1.corp.example.com", 389, false) +
                   "DEBUG: RootDSE Completed\n" + OpenTrace("dc1.corp.example.com", 3268, true) +
                   "DEBUG: RootDSE Completed\n"),
      std::string::npos)
      << run.out;
  EXPECT_EQ(OpenedConnections(forest),
            (std::vector<Opened>{{"dc1.corp.example.com", 389}, {"dc1.corp.example.com", 3268}}));
  ExpectEachUnboundOnce(forest);
}

TEST(ServerSelectionRunTest, DcThatIsNoGcAndAChildDcThatIsOneOpenWhatTheyNeed) {
  struct Case {
    Layout layout;
    std::string principal;
    std::vector<Opened> opened;
    std::vector<std::string> traced;
    std::vector<std::string> untraced;
  };
  const Case cases[] = {
      {Layout::kDcIsNoGc,
       kNobody,
       {{"dc2.corp.example.com", 389}, {"gc1.corp.example.com", 3268}},
       {"For LDAP DC: dc2.corp.example.com\nLDAP_OPTION: Version 3\n",
        "Locating GC for forest: corp.example.com\n",
        "For LDAP GC: gc1.corp.example.com\nLDAP_OPTION: Version 3\n"
        "LDAP_BIND: [gc1.corp.example.com] Successful\nRetrieving GC RootDSE Info...\n",
        "HostName: gc1.corp.example.com\n"},
       {"LDAP DC is also a GC\n", "Do GC port bind to same DC.\n"}},
      {Layout::kChildDcIsGc,
       "CHILD\\nobody",
       {{"dcc1.child.corp.example.com", 389},
        {"dcc1.child.corp.example.com", 3268},
        {"gc1.corp.example.com", 3268}},
       {"Locating a DC for CHILD\n",
        "For LDAP DC: dcc1.child.corp.example.com\nLDAP DC is also a GC\n",
        "Default: DC=child,DC=corp,DC=example,DC=com\n"
        "Root: DC=corp,DC=example,DC=com\n",
        "Do GC port bind to same DC.\n", "Locating GC for forest: corp.example.com\n",
        "For LDAP GC: gc1.corp.example.com\n"},
       {}},
  };
  for (const Case& c : cases) {
    fake::FakeForest forest;
    BuildForest(forest, c.layout);
    const RunOutcome run = RunNestwalk(forest, {"-q", "-d", "-u", c.principal});
    for (const std::string& line : c.traced) {
      EXPECT_NE(run.err.find(line), std::string::npos) << line << "\nin:\n" << run.err;
    }
    for (const std::string& line : c.untraced) {
      EXPECT_EQ(run.err.find(line), std::string::npos) << line << "\nin:\n" << run.err;
    }
    EXPECT_EQ(OpenedConnections(forest), c.opened) << c.principal;
    ExpectEachUnboundOnce(forest);
  }
}

TEST(ServerSelectionRunTest, InitialServerIsTraced) {
  fake::FakeForest forest;
  BuildForest(forest, Layout::kDcIsNoGc);
  const RunOutcome run =
      RunNestwalk(forest, {"-q", "-d", "-u", kNobody, "-s", "dc2.corp.example.com"});
  EXPECT_NE(run.err.find("Initial Server specified [dc2.corp.example.com]\n"
                         "Retrieve workstation site\n"),
            std::string::npos)
      << run.err;
}

struct FailureCase {
  std::string name;
  Layout layout;
  std::function<void(fake::FakeForest&)> inject;
  std::vector<std::string> args;
  std::string err;
  std::vector<Opened> opened;
};

std::string SearchFailureLines() {
  return "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: No such object\n\n";
}

TEST(ServerSelectionRunTest, EveryFailureEndsTheRunAndClosesEachConnectionOnce) {
  const std::vector<std::string> nobody{"-q", "-u", kNobody};
  const auto none = [](fake::FakeForest&) {};
  const FailureCase cases[] = {
      {"no DC located",
       Layout::kDcIsForestGc,
       none,
       {"-q", "-u", "NOPE\\nobody"},
       "DSGetDCName: No such domain - 1355\n",
       {}},
      {"initial server unreachable",
       Layout::kDcIsForestGc,
       none,
       {"-q", "-u", kNobody, "-s", "ghost.corp.example.com"},
       "DSGetDCName: Base machine [ghost.corp.example.com] RPC Unavailable - 1722\n",
       {}},
      {"DC bind failed",
       Layout::kDcIsForestGc,
       [](fake::FakeForest& forest) { forest.FailBind("dc1.corp.example.com", 389, 49); },
       nobody,
       "LDAP_BIND: [dc1.corp.example.com] Error 0x31 (49) - Invalid credentials\n"
       "\nTerminating program.\n",
       {{"dc1.corp.example.com", 389}}},
      {"DC RootDSE not read",
       Layout::kDcIsForestGc,
       [](fake::FakeForest& forest) { forest.FailSearch("dc1.corp.example.com", 389, "", 32); },
       nobody,
       SearchFailureLines() + "ERROR: Couldn't gather DC RootDSE Info...\nTerminating program.\n",
       {{"dc1.corp.example.com", 389}}},
      {"GC port bind on the DC failed",
       Layout::kDcIsForestGc,
       [](fake::FakeForest& forest) { forest.FailBind("dc1.corp.example.com", 3268, 49); },
       nobody,
       "LDAP_BIND: [dc1.corp.example.com] Error 0x31 (49) - Invalid credentials\n"
       "Terminating program.\n",
       {{"dc1.corp.example.com", 389}, {"dc1.corp.example.com", 3268}}},
      {"no GC located",
       Layout::kDcIsForestGc,
       [](fake::FakeForest& forest) {
         forest.SetLocatorAnswer("", "corp.example.com", true, platform::LocatorAnswer{1355, {}});
       },
       nobody,
       "DSGetDCName: No such domain - 1355\n",
       {{"dc1.corp.example.com", 389}, {"dc1.corp.example.com", 3268}}},
      {"GC bind failed",
       Layout::kDcIsNoGc,
       [](fake::FakeForest& forest) { forest.FailBind("gc1.corp.example.com", 3268, -1); },
       nobody,
       "LDAP_BIND: [gc1.corp.example.com] Error 0xffffffff (-1) - Can't contact LDAP server\n"
       "Terminating program.\n",
       {{"dc2.corp.example.com", 389}, {"gc1.corp.example.com", 3268}}},
      {"GC RootDSE not read",
       Layout::kDcIsNoGc,
       [](fake::FakeForest& forest) { forest.FailSearch("gc1.corp.example.com", 3268, "", 32); },
       nobody,
       SearchFailureLines() + "ERROR: Couldn't gather GC RootDSE Info...\nTerminating program.\n",
       {{"dc2.corp.example.com", 389}, {"gc1.corp.example.com", 3268}}},
      {"RootDSE of the reused GC port not read",
       Layout::kDcIsForestGc,
       [](fake::FakeForest& forest) { forest.FailSearch("dc1.corp.example.com", 3268, "", 32); },
       nobody,
       SearchFailureLines() + "ERROR: Couldn't gather GC RootDSE Info...\nTerminating program.\n",
       {{"dc1.corp.example.com", 389}, {"dc1.corp.example.com", 3268}}},
      {"forest GC RootDSE not read after a child DC's GC port",
       Layout::kChildDcIsGc,
       [](fake::FakeForest& forest) { forest.FailSearch("gc1.corp.example.com", 3268, "", 32); },
       {"-q", "-u", "CHILD\\nobody"},
       SearchFailureLines() + "ERROR: Couldn't gather GC RootDSE Info...\nTerminating program.\n",
       {{"dcc1.child.corp.example.com", 389},
        {"dcc1.child.corp.example.com", 3268},
        {"gc1.corp.example.com", 3268}}},
  };
  for (const FailureCase& c : cases) {
    fake::FakeForest forest;
    BuildForest(forest, c.layout);
    c.inject(forest);
    const RunOutcome run = RunNestwalk(forest, c.args);
    const std::string principal = c.args[2];
    EXPECT_EQ(run.out, "Security Principal: [USER] " + principal + "\n") << c.name;
    EXPECT_EQ(run.err, c.err) << c.name;
    EXPECT_EQ(run.status, -1) << c.name;
    EXPECT_EQ(OpenedConnections(forest), c.opened) << c.name;
    ExpectEachUnboundOnce(forest);
  }
}

TEST(ServerSelectionRunTest, DebugUnbindingSkipsTheHandleTheReaderClosed) {
  fake::FakeForest forest;
  BuildForest(forest, Layout::kChildDcIsGc);
  forest.FailSearch("gc1.corp.example.com", 3268, "", 32);
  const RunOutcome run = RunNestwalk(forest, {"-q", "-d", "-u", "CHILD\\nobody"});
  const std::string tail = SearchFailureLines() +
                           "ERROR: Couldn't gather GC RootDSE Info...\n"
                           "Terminating program.\n"
                           "Unbinding LDAP Connection 0\n"
                           "Unbinding LDAP Connection 1\n";
  ASSERT_GE(run.err.size(), tail.size());
  EXPECT_EQ(run.err.substr(run.err.size() - tail.size()), tail);
  EXPECT_EQ(run.status, -1);
  ExpectEachUnboundOnce(forest);
}

TEST(ServerSelectionRunTest, WithoutDebugASuccessfulSelectionWritesNothing) {
  fake::FakeForest forest;
  BuildForest(forest, Layout::kChildDcIsGc);
  const RunOutcome run = RunNestwalk(forest, {"-q", "-u", "CHILD\\nobody"});
  EXPECT_EQ(run.out.find("DEBUG"), std::string::npos) << run.out;
  for (const char* line : {"LDAP_BIND", "LDAP_OPTION", "DSGetDCName", "Locating", "Schema: "}) {
    EXPECT_EQ(run.err.find(line), std::string::npos) << line << "\nin:\n" << run.err;
  }
  ExpectEachUnboundOnce(forest);
}

}  // namespace
}  // namespace nestwalk
