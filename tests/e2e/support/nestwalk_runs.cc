#include "support/nestwalk_runs.h"

namespace nestwalk::e2e {

CommandResult RunNestwalk(const E2eEnvironment& env, const std::vector<std::string>& args,
                          const std::vector<std::string>& extraEnv) {
  std::vector<std::string> argv = {env.nestwalk};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv, CommandOptions{extraEnv, "", std::chrono::seconds(60)});
}

std::string ListLine(const E2eEnvironment& env, const PrincipalCase& c) {
  const std::string kind = std::string(c.option) == "-comp"    ? "computer "
                           : std::string(c.option) == "-group" ? "group "
                                                               : "";
  return kind + env.flat + "\\" + c.typed + "\n";
}

std::string ExpectedReportLines(const GroupSet& groups) {
  std::string lines;
  for (const auto& [key, group] : groups) {
    lines += "  [" + group.Label() + "] [" + group.samAccountName + "] " + group.dn + "\n";
  }
  return lines;
}

}  // namespace nestwalk::e2e
