#include "platform/linux/gss_credentials.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/linux/negotiate_bind.h"

namespace nestwalk::platform {
namespace {

TEST(GssCredentialsTest, PrincipalTakesTheDomainUpperCasedAsRealm) {
  const struct {
    std::string user;
    std::string domain;
    std::string principal;
  } cases[] = {
      {"alice", "corp.example.com", "alice@CORP.EXAMPLE.COM"},
      {"Administrator", "Corp.Nestwalk.Test", "Administrator@CORP.NESTWALK.TEST"},
      {"alice", "CORP", "alice@CORP"},
      {"host-01$", "emea.corp.example.com", "host-01$@EMEA.CORP.EXAMPLE.COM"},
      // No domain: Kerberos adds its default realm, or the user text names one itself.
      {"alice", "", "alice"},
      {"alice@CORP.EXAMPLE.COM", "", "alice@CORP.EXAMPLE.COM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KerberosPrincipalFor(c.user, c.domain), c.principal) << c.user << " " << c.domain;
  }
}

// Points Kerberos at a configuration of its own for the test's life, and back afterwards.
class ScopedKrb5Config {
 public:
  explicit ScopedKrb5Config(const std::string& text) {
    if (const char* old = getenv("KRB5_CONFIG")) previous_ = old;
    std::FILE* file = std::fopen(path_.c_str(), "w");
    if (file != nullptr) {
      std::fputs(text.c_str(), file);
      std::fclose(file);
    }
    setenv("KRB5_CONFIG", path_.c_str(), 1);
  }
  ~ScopedKrb5Config() {
    if (previous_) {
      setenv("KRB5_CONFIG", previous_->c_str(), 1);
    } else {
      unsetenv("KRB5_CONFIG");
    }
    unlink(path_.c_str());
  }
  ScopedKrb5Config(const ScopedKrb5Config&) = delete;
  ScopedKrb5Config& operator=(const ScopedKrb5Config&) = delete;

 private:
  std::string path_ = "/tmp/nestwalk_gss_test_krb5_" + std::to_string(getpid()) + ".conf";
  std::optional<std::string> previous_;
};

// The realm's only KDC is a closed loopback port: no credential, GSS-API's own wording of the
// failure, a bind code that does not blame the password, and nothing on the terminal.
TEST(GssCredentialsTest, AKdcThatCannotBeReachedGivesNoCredentialAndTheLibrarysText) {
  ScopedKrb5Config config(
      "[libdefaults]\n default_realm = NOWHERE.TEST\n dns_lookup_kdc = false\n"
      " dns_lookup_realm = false\n[realms]\n NOWHERE.TEST = {\n  kdc = 127.0.0.1:1\n }\n");
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  AcquiredCredential acquired = AcquirePasswordCredential("alice@NOWHERE.TEST", "secret");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(acquired.credential.empty());
  EXPECT_NE(acquired.major, 0u);
  EXPECT_FALSE(acquired.message.empty());
  EXPECT_EQ(BindCodeForTicketFailure(acquired.krb5Error), -2);  // LDAP_LOCAL_ERROR
}

}  // namespace
}  // namespace nestwalk::platform
