#include "support/command_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>
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

// The child's environment: this process's own, with `extraEnv` replacing entries of the same
// name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extraEnv) {
  const auto name_of = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view current(*entry);
    const bool replaced =
        std::any_of(extraEnv.begin(), extraEnv.end(),
                    [&](const std::string& extra) { return name_of(extra) == name_of(current); });
    if (!replaced) environment.emplace_back(current);
  }
  environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
  return environment;
}

// A null-terminated array of pointers into `words`, which must outlive it.
std::vector<char*> Pointers(const std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (const std::string& word : words) pointers.push_back(const_cast<char*>(word.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs in the child, where only async-signal-safe calls may come before exec: everything it
// needs was built before the fork.
[[noreturn]] void ExecChild(char* const* argv, char* const* envp, int in, int out, int err) {
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  execvpe(argv[0], argv, envp);
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

  const std::vector<char*> words = Pointers(argv);
  const std::vector<std::string> environment = ChildEnvironment(options.extraEnv);
  const std::vector<char*> envp = Pointers(environment);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    result.err = "command_runner: fork failed\n";
    return result;
  }
  if (pid == 0) {
    ExecChild(words.data(), envp.data(), fileno(in.get()), fileno(out.get()), fileno(err.get()));
  }

  // A wait that fails (no such child, say, when SIGCHLD is ignored) leaves no status to read:
  // the status stays -1 rather than a success made up from an unset wait status.
  int wait_status = 0;
  pid_t reaped = 0;
  while ((reaped = waitpid(pid, &wait_status, WNOHANG)) == 0 || (reaped < 0 && errno == EINTR)) {
    if (std::chrono::steady_clock::now() - start > options.limit) {
      kill(pid, SIGKILL);
      reaped = waitpid(pid, &wait_status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  if (reaped == pid && !result.timedOut && WIFEXITED(wait_status))
    result.status = WEXITSTATUS(wait_status);
  result.out = ReadAll(out.get());
  result.err = ReadAll(err.get());
  return result;
}

}  // namespace nestwalk::e2e
