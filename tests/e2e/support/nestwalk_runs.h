// Runs the built nestwalk program of the test domain and tells the expected texts of its runs.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_NESTWALK_RUNS_H_
#define NESTWALK_TESTS_E2E_SUPPORT_NESTWALK_RUNS_H_

#include <string>
#include <vector>

#include "support/command_runner.h"
#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {

// `args` are the words after the program path; `extraEnv` holds "NAME=value" entries.
CommandResult RunNestwalk(const E2eEnvironment& env, const std::vector<std::string>& args,
                          const std::vector<std::string>& extraEnv = {});

// How an account list (-in) names the principal of `c`, with its line end.
std::string ListLine(const E2eEnvironment& env, const PrincipalCase& c);

// The report lines the program must write for these groups, in its order (by lower-cased DN).
std::string ExpectedReportLines(const GroupSet& groups);

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_NESTWALK_RUNS_H_
