#include "support/command_runner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace nestwalk::e2e {
namespace {

TEST(CommandRunner, KeepsEachStreamTheStatusAndTheInput) {
  const CommandResult run =
      RunCommand({"sh", "-c", "read line; echo \"out $line\"; echo err >&2; exit 3"},
                 CommandOptions{{}, "typed\n", std::chrono::seconds(10)});
  EXPECT_EQ(run.out, "out typed\n");
  EXPECT_EQ(run.err, "err\n");
  EXPECT_EQ(run.status, 3);
  EXPECT_FALSE(run.timedOut);
}

// An extra entry replaces the inherited one of the same name instead of standing beside it.
TEST(CommandRunner, ExtraEnvironmentEntriesReplaceInheritedOnes) {
  ASSERT_EQ(setenv("NESTWALK_RUNNER_PROBE", "inherited", 1), 0);
  const CommandResult run = RunCommand(
      {"sh", "-c", "env | grep '^NESTWALK_RUNNER_'"},
      CommandOptions{
          {"NESTWALK_RUNNER_PROBE=given", "NESTWALK_RUNNER_NEW=1"}, "", std::chrono::seconds(10)});
  unsetenv("NESTWALK_RUNNER_PROBE");
  EXPECT_EQ(run.out, "NESTWALK_RUNNER_PROBE=given\nNESTWALK_RUNNER_NEW=1\n");
  EXPECT_EQ(run.status, 0);
}

TEST(CommandRunner, FailuresToRunAreNoSuccess) {
  const CommandResult missing = RunCommand({"/nonexistent/nestwalk-runner-probe"});
  EXPECT_EQ(missing.status, 127);
  EXPECT_EQ(missing.err, "command_runner: cannot start the program\n");

  const CommandResult slow =
      RunCommand({"sleep", "30"}, CommandOptions{{}, "", std::chrono::seconds(1)});
  EXPECT_TRUE(slow.timedOut);
  EXPECT_EQ(slow.status, -1);

  const CommandResult killed = RunCommand({"sh", "-c", "kill -KILL $$"});
  EXPECT_FALSE(killed.timedOut);
  EXPECT_EQ(killed.status, -1);

  EXPECT_EQ(RunCommand({}).status, -1);
}

// With SIGCHLD ignored the kernel reaps the child itself and its status is lost.
TEST(CommandRunner, AStatusThatCannotBeCollectedIsNoSuccess) {
  const auto previous = signal(SIGCHLD, SIG_IGN);
  const CommandResult run = RunCommand({"sh", "-c", "exit 1"});
  signal(SIGCHLD, previous);
  EXPECT_EQ(run.status, -1);
}

}  // namespace
}  // namespace nestwalk::e2e
