// Runs the whole program against a fake forest and keeps what it wrote.
#ifndef NESTWALK_TESTS_SUPPORT_RUN_HARNESS_H_
#define NESTWALK_TESTS_SUPPORT_RUN_HARNESS_H_

#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"

namespace nestwalk::testing {

struct RunOutcome {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = 0;   // what the entry returned
};

// `args` are the words after the program path; `input` is what standard input holds.
RunOutcome RunNestwalk(fake::FakeForest& forest, const std::vector<std::string>& args,
                       const std::string& input = "");

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_RUN_HARNESS_H_
