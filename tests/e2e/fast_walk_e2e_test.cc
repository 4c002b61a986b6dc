// The -fast walk against the real test domain: for every sample principal the same whole run
// as the default walk.
#include <gtest/gtest.h>

#include <string>

#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {
namespace {

class FastWalk : public ::testing::TestWithParam<PrincipalCase> {};

// The default run is checked against the directory itself by the program's own e2e tests.
TEST_P(FastWalk, WritesTheSameRunAsTheDefaultWalk) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const PrincipalCase& c = GetParam();
  const std::string qualified = env.flat + "\\" + c.typed;
  const CommandResult plain = RunNestwalk(env, {"-q", c.option, qualified});
  const CommandResult fast = RunNestwalk(env, {"-q", "-fast", c.option, qualified});
  EXPECT_EQ(fast.out, plain.out);
  EXPECT_EQ(fast.err, plain.err);
  EXPECT_EQ(fast.status, plain.status);
  EXPECT_EQ(plain.status, 0) << plain.err;
}

INSTANTIATE_TEST_SUITE_P(SamplePrincipals, FastWalk, ::testing::ValuesIn(kPrincipals),
                         [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace nestwalk::e2e
