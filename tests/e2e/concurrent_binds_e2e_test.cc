// Kerberos binds and searches of several connections of one directory on threads at once,
// against the real Samba DC.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/directory.h"
#include "platform/linux/linux_directory.h"
#include "support/e2e_environment.h"

namespace nestwalk::platform {
namespace {

constexpr int kLdapPort = 389;
constexpr int kBindThreads = 4;

// The code of a bind with a SASL security layer, then that of a RootDSE read over it.
std::string BindAndRead(LinuxDirectory& directory, const std::string& host) {
  const LdapHandle handle = directory.Open(host, kLdapPort, false).handle;
  directory.SetOption(handle, LdapOption::kProtocolVersion, 3);
  directory.SetOption(handle, LdapOption::kReferrals, 0);
  directory.SetOption(handle, LdapOption::kEncryption, 1);
  const int bind = directory.NegotiateBind(handle, std::nullopt);
  SearchRequest rootDse;
  rootDse.attributes = {"defaultNamingContext"};
  const SearchResult read = directory.Search(handle, rootDse);
  directory.Unbind(handle);
  return std::to_string(bind) + " " + std::to_string(read.code) + " " +
         std::to_string(read.entries.size());
}

TEST(ConcurrentBindsE2e, SeveralConnectionsBindAndSearchAtOnce) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  LinuxDirectory directory;
  std::vector<std::string> results(kBindThreads);
  std::vector<std::thread> binders;
  for (int i = 0; i < kBindThreads; ++i) {
    binders.emplace_back([&, i] { results[i] = BindAndRead(directory, env.dc); });
  }
  const std::string meanwhile = BindAndRead(directory, env.dc);
  for (std::thread& binder : binders) binder.join();
  EXPECT_EQ(meanwhile, "0 0 1");
  EXPECT_EQ(results, std::vector<std::string>(kBindThreads, "0 0 1"));
}

}  // namespace
}  // namespace nestwalk::platform
