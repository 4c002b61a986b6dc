// Many accounts in one run against the real test domain: each sample principal's rows in a
// -csv review, and its block in a text review, are those of its own run, with and without -fast.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/command_runner.h"
#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {
namespace {

TEST(ReviewE2e, EachAccountReadsAsItsOwnRun) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  std::string list;
  std::string ownCsv = "account,accountDn,groupDn,groupName,scope,kind\r\n";
  std::string ownText;
  std::vector<std::string> seen;
  for (const PrincipalCase& c : kPrincipals) {
    // A name given twice in other letter case is answered once.
    list += ListLine(env, c);
    const std::string qualified = env.flat + "\\" + c.typed;
    const CommandResult csv = RunNestwalk(env, {"-q", "-csv", c.option, qualified});
    const CommandResult text = RunNestwalk(env, {"-q", c.option, qualified});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::string key = std::string(c.option) + LowerAscii(c.sam);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    ownCsv += csv.out.substr(csv.out.find("\r\n") + 2);
    ownText += (ownText.empty() ? "" : "\n") + text.out;
  }
  for (const std::vector<std::string>& extra :
       std::vector<std::vector<std::string>>{{}, {"-fast"}}) {
    std::vector<std::string> args = {"-q", "-csv", "-in", "-"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<std::string> argv = {env.nestwalk};
    argv.insert(argv.end(), args.begin(), args.end());
    const CommandResult review = RunCommand(argv, CommandOptions{{}, list, std::chrono::seconds(60)});
    EXPECT_EQ(review.status, 0) << review.err;
    EXPECT_EQ(review.out, ownCsv) << (extra.empty() ? "" : extra[0]);
    argv.erase(argv.begin() + 2);  // -csv
    const CommandResult text = RunCommand(argv, CommandOptions{{}, list, std::chrono::seconds(60)});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, ownText) << (extra.empty() ? "" : extra[0]);
  }
}

}  // namespace
}  // namespace nestwalk::e2e
