// A domain controller that hangs in the middle of a walk: the relay of bench/latency stands in
// front of the test DC's LDAP and GC ports and freezes once the walk's reads have begun. The run
// must still end in bounded time, with what it could read, its error lines and the warning.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>

#include "platform/linux/linux_directory.h"
#include "support/e2e_environment.h"
#include "support/relayed_run.h"

namespace nestwalk::e2e {
namespace {

// The relay's own loopback address inside the test domain's namespace.
constexpr char kRelayAddress[] = "127.0.0.51";
// On the GC connection the bind takes three requests and the RootDSE one: the sixth is the
// second read of the walk, which the frozen relay never delivers.
constexpr int kFreezePoint = 6;
constexpr std::chrono::seconds kRunLimit{180};

// The last line of `text`, without its line end.
std::string LastLine(std::string_view text) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  return std::string(text.substr(text.rfind('\n') + 1));
}

TEST(FrozenServerE2e, AWalkWhoseDcFreezesEndsWithinTheTimeLimitsWithAWarning) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const RelayedRun relayed =
      RunThroughRelay(env, kRelayAddress, RelayFault{"freeze", kFreezePoint, 3268},
                      {"-q", "-u", env.flat + "\\alice"}, "", kRunLimit);
  const CommandResult& run = relayed.run;

  ASSERT_FALSE(run.timedOut) << run.err;
  // One bind time limit plus one search time limit: the freeze costs one wait for each
  // connection at most, and every later read of a dead connection fails at once.
  EXPECT_LT(run.elapsed, 2 * platform::LinuxDirectory::kResponseTimeout) << run.err;
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Security Principal: [USER] " + env.flat + "\\alice\n", 0), 0u)
      << run.out;
  EXPECT_NE(run.err.find("LDAP_SEARCH_S: 0xfffffffb\nLDAP_SEARCH_S: Timed out\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(LastLine(run.err).starts_with("WARNING: ")) << run.err;
}

}  // namespace
}  // namespace nestwalk::e2e
