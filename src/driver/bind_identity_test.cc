#include "driver/bind_identity.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/closure_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using Words = std::vector<std::string>;

constexpr char kPassword[] = "S3cret!";

std::string PasswordFile(const std::string& name, const std::string& content) {
  const std::string path = ::testing::TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

Words Joined(Words words, const Words& more) {
  words.insert(words.end(), more.begin(), more.end());
  return words;
}

// -as changes who binds, nothing else: the same lines and status as the caller's own run, and
// every connection bound with the identity. The password never shows, not even with -d.
TEST(BindIdentityTest, EveryBindCarriesTheIdentityAndTheRunIsTheCallersOtherwise) {
  struct Case {
    const char* name;
    Words mode;
    std::optional<std::string> passwordFile;  // content; nullopt: typed on the terminal
  };
  const Case cases[] = {
      {"file", {}, std::string(kPassword) + "\n"},
      {"file with CR LF and a second line", {"-fast"}, std::string(kPassword) + "\r\nnext\n"},
      {"typed", {"-json"}, std::nullopt},
      {"typed, debug", {"-d", "-path"}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeForest callersForest;
    const Words account = testing::BuildClosureForest(callersForest, 2, 3);
    const testing::RunOutcome callers =
        testing::RunNestwalk(callersForest, Joined(c.mode, account));

    fake::FakeForest forest;
    testing::BuildClosureForest(forest, 2, 3);
    Words identity{"-as", "CORP\\admin"};
    if (c.passwordFile) {
      identity = Joined(identity, {"-passfile", PasswordFile("password", *c.passwordFile)});
    } else {
      forest.control().SetTypedSecret(kPassword);
    }
    const testing::RunOutcome run =
        testing::RunNestwalk(forest, Joined(Joined(c.mode, account), identity));

    EXPECT_EQ(run.status, callers.status);
    EXPECT_EQ(run.out, callers.out);
    const bool debug = !c.mode.empty() && c.mode.front() == "-d";
    EXPECT_EQ(run.err, debug ? callers.err.substr(0, callers.err.find("UserID specified")) +
                                   "Binding as CORP\\admin\n" +
                                   callers.err.substr(callers.err.find("UserID specified"))
                             : callers.err);
    EXPECT_EQ(run.out.find(kPassword), std::string::npos);
    EXPECT_EQ(run.err.find(kPassword), std::string::npos);
    EXPECT_EQ(forest.control().secretPrompts(),
              c.passwordFile ? std::vector<std::string>{}
                             : std::vector<std::string>{"Password for CORP\\admin: "});
    ASSERT_FALSE(forest.connections().empty());
    for (const fake::ConnectionRecord& connection : forest.connections()) {
      ASSERT_TRUE(connection.credentials.has_value()) << *connection.host;
      EXPECT_EQ(connection.credentials->user, "admin");
      EXPECT_EQ(connection.credentials->domain, "CORP");
      EXPECT_EQ(connection.credentials->password, kPassword);
    }
  }
}

// Without a password the run ends before any connection, with a line that says what to do.
TEST(BindIdentityTest, NoPasswordEndsTheRunBeforeAnyBind) {
  const std::string missing = ::testing::TempDir() + "/no such password file";
  const std::string emptyFirstLine = PasswordFile("empty first line", "\nS3cret!\n");
  struct Case {
    Words words;
    std::optional<std::string> typed;
    std::string err;
  };
  const Case cases[] = {
      {{"-as", "CORP\\admin"},
       std::nullopt,
       "Error: No password for CORP\\admin was typed; without a terminal give it with -passfile "
       "FILE.\n"},
      {{"-as", "CORP\\admin"},
       "",
       "Error: No password for CORP\\admin was typed; without a terminal give it with -passfile "
       "FILE.\n"},
      {{"-as", "CORP\\admin", "-passfile", missing},
       kPassword,
       "Error: Cannot read the password file " + missing + ".\n"},
      {{"-as", "CORP\\admin", "-passfile", emptyFirstLine},
       kPassword,
       "Error: The password file " + emptyFirstLine + " holds no password on its first line.\n"},
      {{"-passfile", emptyFirstLine}, kPassword, "Error: -passfile needs -as.\n"},
      {{"-as"}, kPassword, "Error: Must specify an account with -as option.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words.back());
    fake::FakeForest forest;
    const Words account = testing::BuildClosureForest(forest, 2, 3);
    forest.control().SetTypedSecret(c.typed);
    const testing::RunOutcome run =
        testing::RunNestwalk(forest, Joined(Joined({"-q"}, account), c.words));
    EXPECT_EQ(run.status, -1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
    EXPECT_TRUE(forest.connections().empty());
  }
}

}  // namespace
}  // namespace nestwalk
