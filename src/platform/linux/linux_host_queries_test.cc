#include "platform/linux/linux_host_queries.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace nestwalk::platform {
namespace {

TEST(NetbiosComputerNameTest, FromSmbConfOrHostName) {
  struct Case {
    std::optional<std::string> netbiosName;
    const char* hostName;
    const char* want;
  };
  const Case cases[] = {
      {std::nullopt, "pc1", "PC1"},
      {std::nullopt, "pc1.corp.example.com", "PC1"},
      {std::nullopt, "a-very-long-host-name-indeed", "A-VERY-LONG-HOS"},
      {"Fileserver", "ignored", "FILESERVER"},
      {"", "pc2", "PC2"},
      {"ABCDEFGHIJKLMNOPQ", "x", "ABCDEFGHIJKLMNO"},
      {std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NetbiosComputerName(c.netbiosName, c.hostName), c.want) << c.hostName;
  }
}

// A cache that does not exist gives the documented status and the kinit hint.
TEST(LinuxHostQueriesTest, NoTicketCache) {
  const char* saved = std::getenv("KRB5CCNAME");
  const std::string restore = saved ? saved : "";
  setenv("KRB5CCNAME", "FILE:/nonexistent/nestwalk/krb5cc", 1);
  const LoggedOnUserAnswer answer = LinuxHostQueries().GetLoggedOnUser();
  if (saved) {
    setenv("KRB5CCNAME", restore.c_str(), 1);
  } else {
    unsetenv("KRB5CCNAME");
  }
  EXPECT_EQ(answer.status, kStatusNoTicketCache);
  EXPECT_EQ(answer.hint, "run kinit to obtain a Kerberos ticket");
  EXPECT_EQ(answer.userName, "");
}

}  // namespace
}  // namespace nestwalk::platform
