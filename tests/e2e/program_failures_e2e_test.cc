// The program's failure lines against the real test domain: each run ends early with status
// -1 (255 to the shell) and exactly the line of its cause.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"

namespace nestwalk::e2e {
namespace {

constexpr int kTerminated = 255;

TEST(ProgramFailuresE2e, UnknownDomainIsOneLocatorLine) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const CommandResult run = RunNestwalk(env, {"-q", "-u", "NOSUCHDOM\\alice"});
  EXPECT_EQ(run.out, "Security Principal: [USER] NOSUCHDOM\\alice\n");
  EXPECT_EQ(run.err, "DSGetDCName: No such domain - 1355\n");
  EXPECT_EQ(run.status, kTerminated);
}

TEST(ProgramFailuresE2e, ServerWhereNothingListensIsRpcUnavailableWithinSeconds) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  // On the namespace's loopback, but no service is bound to this address.
  const CommandResult run = RunNestwalk(env, {"-q", "-s", "127.0.0.2", "-u", env.flat + "\\alice"});
  EXPECT_EQ(run.out, "Security Principal: [USER] " + env.flat + "\\alice\n");
  EXPECT_EQ(run.err, "DSGetDCName: Base machine [127.0.0.2] RPC Unavailable - 1722\n");
  EXPECT_EQ(run.status, kTerminated);
  EXPECT_LT(run.elapsed, std::chrono::seconds(10));
}

TEST(ProgramFailuresE2e, BindWithoutTicketIsTheBindLine) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const CommandResult run = RunNestwalk(env, {"-q", "-u", env.flat + "\\alice"},
                                        {"KRB5CCNAME=FILE:/nonexistent/nestwalk-e2e-cache"});
  EXPECT_EQ(run.out, "Security Principal: [USER] " + env.flat + "\\alice\n");
  const std::string bind_line = "LDAP_BIND: [" + env.dc + "] Error 0x";
  EXPECT_EQ(run.err.rfind(bind_line, 0), 0u) << run.err;
  EXPECT_TRUE(run.err.ends_with("\n\nTerminating program.\n")) << run.err;
  EXPECT_EQ(run.status, kTerminated);
}

}  // namespace
}  // namespace nestwalk::e2e
