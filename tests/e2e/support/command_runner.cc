#include "support/command_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace nestwalk::e2e {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TempFile = std::unique_ptr<std::FILE, FileCloser>;

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

// Runs in the child: only async-signal-safe work until exec.
[[noreturn]] void ExecChild(const std::vector<std::string>& argv, const CommandOptions& options,
                            int in, int out, int err) {
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  for (const std::string& entry : options.extraEnv) putenv(const_cast<char*>(entry.c_str()));
  std::vector<char*> words;
  for (const std::string& word : argv) words.push_back(const_cast<char*>(word.c_str()));
  words.push_back(nullptr);
  execvp(words[0], words.data());
  static const char kMessage[] = "command_runner: cannot start the program\n";
  (void)!write(2, kMessage, sizeof kMessage - 1);
  _exit(127);
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const CommandOptions& options) {
  CommandResult result;
  TempFile in(std::tmpfile()), out(std::tmpfile()), err(std::tmpfile());
  if (argv.empty() || !in || !out || !err) {
    result.err = "command_runner: nothing to run or no temporary file\n";
    return result;
  }
  std::fwrite(options.input.data(), 1, options.input.size(), in.get());
  std::fflush(in.get());
  std::rewind(in.get());

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    result.err = "command_runner: fork failed\n";
    return result;
  }
  if (pid == 0) ExecChild(argv, options, fileno(in.get()), fileno(out.get()), fileno(err.get()));

  int wait_status = 0;
  while (waitpid(pid, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() - start > options.limit) {
      kill(pid, SIGKILL);
      waitpid(pid, &wait_status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  if (!result.timedOut && WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  result.out = ReadAll(out.get());
  result.err = ReadAll(err.get());
  return result;
}

}  // namespace nestwalk::e2e
