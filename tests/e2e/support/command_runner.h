// Runs another program of the machine (the built nestwalk, ldapsearch, kinit) and keeps what
// it wrote, each stream on its own.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_COMMAND_RUNNER_H_
#define NESTWALK_TESTS_E2E_SUPPORT_COMMAND_RUNNER_H_

#include <chrono>
#include <string>
#include <vector>

namespace nestwalk::e2e {

struct CommandResult {
  std::string out;
  std::string err;
  int status = -1;        // exit status 0..255; -1 when it did not run or was killed
  bool timedOut = false;  // killed after the time limit
  std::chrono::milliseconds elapsed{0};
};

struct CommandOptions {
  std::vector<std::string> extraEnv;  // "NAME=value" entries set for the child only
  std::string input;                  // written to the child's standard input
  std::chrono::seconds limit{60};
};

// `argv[0]` is looked up in PATH. Never throws for a failing command: a program that cannot
// be started gives status 127 and the reason in `err`.
CommandResult RunCommand(const std::vector<std::string>& argv, const CommandOptions& options = {});

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_COMMAND_RUNNER_H_
