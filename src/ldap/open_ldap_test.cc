#include "ldap/open_ldap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"
#include "support/corp_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using platform::LdapHandle;
using testing::CapturedConsole;

constexpr const char* kDc1 = testing::kCorpDc1Host;

// The fake forest, with every bind call written down as a line.
class BindSpy : public fake::FakeForest {
 public:
  int SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                 const std::optional<std::string>& password) override {
    binds.push_back("simple dn=" + dn.value_or("<none>") +
                    " password=" + password.value_or("<none>"));
    return FakeForest::SimpleBind(connection, dn, password);
  }
  int NegotiateBind(LdapHandle connection,
                    const std::optional<platform::ExplicitCredentials>& credentials) override {
    binds.push_back(credentials ? "negotiate user=" + credentials->user + " domain=" +
                                      credentials->domain + " password=" + credentials->password
                                : std::string("negotiate self"));
    return FakeForest::NegotiateBind(connection, credentials);
  }
  std::vector<std::string> binds;
};

class OpenLdapTest : public ::testing::Test {
 protected:
  OpenLdapTest() { testing::AddCorpWithDc1(forest, true); }

  // The profile every caller of the program uses: the DC port, no referrals, version 3.
  static OpenLdapRequest DcRequest() {
    OpenLdapRequest request;
    request.server = kDc1;
    request.version3 = true;
    return request;
  }

  LdapHandle Open(const OpenLdapRequest& request) {
    return OpenLDAP(console.console, forest, request);
  }

  BindSpy forest;
  CapturedConsole console{false};
};

TEST(SplitHostPortTest, CutsThePortOff) {
  struct Case {
    std::string server;
    std::string host;
    int port;
  };
  const Case cases[] = {
      {"dc1", "dc1", 0},
      {"dc1:1389", "dc1", 1389},
      {"dc1:", "dc1", 0},
      {"dc1:12345678", "dc1", 123456},  // at most six characters are read
      {"dc1:12ab", "dc1", 12},
      {"dc1:abc", "dc1", 0},
      {":636", "", 636},
      {"dc1:636:x", "dc1", 636},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    std::string server = c.server;
    EXPECT_EQ(SplitHostPort(server), c.port) << c.server;
    EXPECT_EQ(server, c.host) << c.server;
  }
}

TEST_F(OpenLdapTest, OpensTheHostAndPortTheRulesGive) {
  struct Case {
    std::optional<std::string> server;
    int port;
    bool secure;
    std::optional<std::string> openedHost;
    int openedPort;
  };
  const Case cases[] = {
      {kDc1, 0, false, kDc1, 389},
      {kDc1, 1, false, kDc1, 3268},
      {kDc1, 1, true, kDc1, 3269},
      {kDc1, 0, true, kDc1, 636},
      {kDc1, -4, false, kDc1, 389},  // a negative port changes nothing
      {"dc1:1389", 0, false, "dc1", 1389},
      {"dc1:1389", 0, true, "dc1", 636},
      {"dc1:1389", 5000, false, "dc1", 5000},
      {"dc1:1389", 1, false, "dc1", 3268},
      {"dc1:", 0, false, "dc1", 389},
      {"dc1:12345678", 0, false, "dc1", 123456},
      {".", 0, false, "localhost", 389},
      {".abc", 0, false, "localhost", 389},
      {"a.b", 0, false, "a.b", 389},  // only a leading dot means this machine
      {std::nullopt, 0, false, std::nullopt, 389},
      {"", 0, false, std::nullopt, 389},  // an empty name also lets the library choose
      {":1389", 0, false, std::nullopt, 1389},
  };
  for (const Case& c : cases) {
    OpenLdapRequest request;
    request.server = c.server;
    request.port = c.port;
    request.secure = c.secure;
    Open(request);
    const fake::ConnectionRecord& opened = forest.connections().back();
    EXPECT_EQ(opened.host, c.openedHost) << c.server.value_or("<none>") << " port " << c.port;
    EXPECT_EQ(opened.port, c.openedPort) << c.server.value_or("<none>") << " port " << c.port;
    EXPECT_EQ(opened.ssl, c.secure) << c.server.value_or("<none>");
  }
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

TEST_F(OpenLdapTest, DebugTraceShowsEveryParameter) {
  CapturedConsole debug(true);
  OpenLdapRequest request;
  request.server = ".corp:1389";
  request.port = 0;
  request.referrals = true;
  request.version3 = false;
  request.anonymous = true;
  request.userDn = "CORP\\admin";
  request.password = "S3cret!";
  request.encrypt = false;
  request.extendedErrorInfo = true;
  request.delegation = true;
  OpenLDAP(debug.console, forest, request);
  EXPECT_EQ(debug.out.str(),
            "DEBUG: In OpenLDAP... Params:\n"
            "DEBUG:    Server:    localhost\n"
            "DEBUG:    SSL: 0\n"
            "DEBUG:    Port:        1389\n"
            "DEBUG:    Ref:       1\n"
            "DEBUG:    V3:        0\n"
            "DEBUG:    Anonymous: 1\n"
            "DEBUG:    userdn: CORP\\admin\n"
            "DEBUG:    password: ********\n"
            "DEBUG:    Simple: 1\n"
            "DEBUG:    LDAP_OPT_ENCRYPT: 0\n"
            "DEBUG:    Delegation: 1\n"
            "DEBUG:    Extended Error Info: 1\n");
}

TEST_F(OpenLdapTest, SuccessfulDebugOpenAnnouncesOptionsAndBind) {
  CapturedConsole debug(true);
  OpenLdapRequest request = DcRequest();
  request.encrypt = true;
  LdapHandle handle = OpenLDAP(debug.console, forest, request);
  ASSERT_TRUE(handle.valid());
  EXPECT_EQ(debug.out.str(),
            "DEBUG: In OpenLDAP... Params:\n"
            "DEBUG:    Server:    dc1.corp.example.com\n"
            "DEBUG:    SSL: 0\n"
            "DEBUG:    Port:        389\n"
            "DEBUG:    Ref:       0\n"
            "DEBUG:    V3:        1\n"
            "DEBUG:    Anonymous: 0\n"
            "DEBUG:    userdn: \n"
            "DEBUG:    password: \n"
            "DEBUG:    Simple: 0\n"
            "DEBUG:    LDAP_OPT_ENCRYPT: 1\n"
            "DEBUG:    Delegation: 0\n"
            "DEBUG:    Extended Error Info: 0\n");
  EXPECT_EQ(debug.err.str(),
            "LDAP_OPTION: Version 3\n"
            "LDAP_OPTION: No referrals\n"
            "LDAP_OPTION: Kerberos Encryption\n"
            "LDAP_BIND: [dc1.corp.example.com] Successful\n");
  const fake::ConnectionRecord& record = forest.connection(handle);
  EXPECT_EQ(record.options, (std::vector<std::string>{"version=3", "referrals=0", "encryption=1"}));
  EXPECT_TRUE(record.bound);
  EXPECT_EQ(record.unbindCount, 0);
  EXPECT_EQ(forest.binds, std::vector<std::string>{"negotiate self"});
}

TEST_F(OpenLdapTest, TraceLeavesOutAnAbsentServerButShowsAnEmptyOne) {
  CapturedConsole absent(true);
  OpenLDAP(absent.console, forest, OpenLdapRequest{});
  EXPECT_EQ(absent.out.str().find("Server:"), std::string::npos);
  EXPECT_NE(absent.err.str().find("LDAP_BIND: [] Error"), std::string::npos);

  CapturedConsole empty(true);
  OpenLdapRequest request;
  request.server = "";
  OpenLDAP(empty.console, forest, request);
  EXPECT_NE(empty.out.str().find("DEBUG: In OpenLDAP... Params:\nDEBUG:    Server:    \n"),
            std::string::npos);
}

TEST_F(OpenLdapTest, BindSuccessNamesTheServerAsPassed) {
  forest.SetDefaultServer(kDc1);
  CapturedConsole debug(true);
  OpenLdapRequest request;
  request.server = ":389";
  ASSERT_TRUE(OpenLDAP(debug.console, forest, request).valid());
  EXPECT_NE(debug.err.str().find("LDAP_BIND: [:389] Successful\n"), std::string::npos);
}

TEST_F(OpenLdapTest, WithoutDebugASuccessfulOpenWritesNothing) {
  OpenLdapRequest request = DcRequest();
  request.password = "S3cret!";
  request.simple = true;
  ASSERT_TRUE(Open(DcRequest()).valid());
  Open(request);
  EXPECT_EQ(console.out.str(), "");
  EXPECT_EQ(console.err.str().find("S3cret!"), std::string::npos);
}

TEST_F(OpenLdapTest, PicksTheBindByTheFirstRuleThatApplies) {
  struct Case {
    bool anonymous;
    bool simple;
    std::string userDn;
    std::string password;
    std::string bind;
  };
  const Case cases[] = {
      {true, false, "someone", "pw", "simple dn=<none> password=<none>"},
      {true, true, "someone", "pw", "simple dn=<none> password=<none>"},
      {false, true, "CN=Admin,CN=Users,DC=corp", "pw",
       "simple dn=CN=Admin,CN=Users,DC=corp password=pw"},
      {false, true, "", "", "simple dn= password="},  // empty texts stay texts
      {false, false, "", "pw", "negotiate self"},
      {false, false, "corp\\admin", "pw", "negotiate user=admin domain=corp password=pw"},
      {false, false, "admin", "pw", "negotiate user=admin domain= password=pw"},
      {false, false, "corp\\", "pw", "negotiate user= domain=corp password=pw"},
      {false, false, "corp\\admin\\x", "pw", "negotiate user=admin domain=corp password=pw"},
  };
  for (const Case& c : cases) {
    forest.binds.clear();
    OpenLdapRequest request = DcRequest();
    request.anonymous = c.anonymous;
    request.simple = c.simple;
    request.userDn = c.userDn;
    request.password = c.password;
    Open(request);
    EXPECT_EQ(forest.binds, std::vector<std::string>{c.bind}) << c.userDn;
  }
}

TEST_F(OpenLdapTest, DnFormatUserIsRefusedForNegotiateBind) {
  for (const char* userDn : {"CN=Admin,CN=Users,DC=corp", "uid=x,cn=users"}) {
    CapturedConsole quiet(false);
    OpenLdapRequest request = DcRequest();
    request.userDn = userDn;
    request.password = "pw";
    EXPECT_FALSE(OpenLDAP(quiet.console, forest, request).valid()) << userDn;
    EXPECT_EQ(quiet.out.str(), "ERROR: DN format not currently supported for secure bind.\n\n");
    EXPECT_EQ(quiet.err.str(), "");
    const fake::ConnectionRecord& record = forest.connections().back();
    EXPECT_EQ(record.bindCount, 0);
    EXPECT_EQ(record.unbindCount, 1);  // nobody else holds it
  }
  EXPECT_TRUE(forest.binds.empty());
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

TEST_F(OpenLdapTest, FailedOptionsAreReportedAndTheBindStillHappens) {
  forest.FailOption(kDc1, platform::LdapOption::kProtocolVersion, 2);
  forest.FailOption(kDc1, platform::LdapOption::kReferrals, 53);
  forest.FailOption(kDc1, platform::LdapOption::kEncryption, -1);
  OpenLdapRequest request = DcRequest();
  request.encrypt = true;
  LdapHandle handle = Open(request);
  EXPECT_TRUE(handle.valid());
  EXPECT_EQ(console.err.str(),
            "LDAP_OPTION (Version3): : [dc1.corp.example.com] Error 0x2 (2) - " +
                forest.ErrorText(2) +
                "\n"
                "LDAP_OPTION (NoReferrals): : [dc1.corp.example.com] Error 0x35 (53) - " +
                forest.ErrorText(53) +
                "\n"
                "LDAP_OPTION (Kerberos Encryption On): : [dc1.corp.example.com] Error 0xffffffff "
                "(-1) - " +
                forest.ErrorText(-1) + "\n");
  EXPECT_EQ(forest.binds, std::vector<std::string>{"negotiate self"});
}

TEST_F(OpenLdapTest, FailedBindIsReportedAndItsHandleClosed) {
  struct Case {
    bool extendedErrorInfo;
    std::optional<std::string> serverText;
    std::string expectedErr;
  };
  const std::string bindLine =
      "LDAP_BIND: [dc1.corp.example.com] Error 0x31 (49) - " + forest.ErrorText(49) + "\n";
  const Case cases[] = {
      {true, "80090308: LdapErr: DSID-0C09041C, data 52e",
       bindLine + "Extended Error: (80090308: LdapErr: DSID-0C09041C, data 52e)\n"},
      {false, "80090308: LdapErr: DSID-0C09041C, data 52e", bindLine},
      {true, std::nullopt, bindLine},
  };
  for (const Case& c : cases) {
    fake::FakeForest failing;
    testing::AddCorpWithDc1(failing, false);
    failing.FailBind(kDc1, 389, 49, c.serverText);
    CapturedConsole quiet(false);
    OpenLdapRequest request = DcRequest();
    request.extendedErrorInfo = c.extendedErrorInfo;
    EXPECT_FALSE(OpenLDAP(quiet.console, failing, request).valid());
    EXPECT_EQ(quiet.err.str(), c.expectedErr);
    EXPECT_EQ(quiet.out.str(), "");
    ASSERT_EQ(failing.connections().size(), 1u);
    EXPECT_EQ(failing.connections()[0].unbindCount, 1);
    EXPECT_EQ(failing.HandleMisuseCount(), 0);
  }
}

// The directory's reason for a failed bind follows the bind line, indented; the whole program
// prints it, with its connections wrapped as -fast wraps them or not.
TEST(OpenLdapRunTest, BindFailureReasonFollowsTheBindLine) {
  struct Case {
    int code;
    std::string reason;
  };
  const std::string kerberos =
      "Kerberos: No Kerberos credentials available (default cache: FILE:/tmp/none): run kinit to "
      "obtain a Kerberos ticket";
  const std::string sasl =
      "SASL: the GSSAPI plugin of Cyrus SASL is missing: install the Debian package "
      "libsasl2-modules-gssapi-mit (or check SASL_PATH)";
  const Case cases[] = {{-2, kerberos}, {-6, sasl}};
  for (const Case& c : cases) {
    for (const char* fast : {"-np", "-fast"}) {
      fake::FakeForest forest;
      testing::AddCorpWithDc1(forest, true);
      forest.FailBind(kDc1, std::nullopt, c.code, std::nullopt, c.reason);
      const testing::RunOutcome run = testing::RunNestwalk(forest, {"-q", fast, "-u", "CORP\\bob"});
      char hex[9];
      std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(c.code));
      EXPECT_EQ(run.err, "LDAP_BIND: [dc1.corp.example.com] Error 0x" + std::string(hex) + " (" +
                             std::to_string(c.code) + ") - " + forest.ErrorText(c.code) + "\n   " +
                             c.reason + "\n\nTerminating program.\n")
          << c.code << " " << fast;
      EXPECT_EQ(run.out, "Security Principal: [USER] CORP\\bob\n") << c.code << " " << fast;
      EXPECT_EQ(run.status, -1) << c.code << " " << fast;
    }
  }
}

TEST_F(OpenLdapTest, UnreachableServerFailsTheBindWithServerDown) {
  OpenLdapRequest request = DcRequest();
  request.server = "ghost.corp.example.com";
  EXPECT_FALSE(Open(request).valid());
  EXPECT_EQ(console.err.str(), "LDAP_BIND: [ghost.corp.example.com] Error 0xffffffff (-1) - " +
                                   forest.ErrorText(-1) + "\n");
}

TEST_F(OpenLdapTest, FailedOpenIsReportedWithItsCode) {
  forest.FailOpen(kDc1, 12);
  EXPECT_FALSE(Open(DcRequest()).valid());
  EXPECT_EQ(console.err.str(),
            "LDAP_SSLINIT: [dc1.corp.example.com] Error 0xc (12) - " + forest.ErrorText(12) + "\n");
  EXPECT_TRUE(forest.binds.empty());
}

}  // namespace
}  // namespace nestwalk
