#include "support/run_harness.h"

#include <sstream>

#include "driver/program.h"

namespace nestwalk::testing {

RunOutcome RunNestwalk(fake::FakeForest& forest, const std::vector<std::string>& args) {
  std::vector<std::string> words{"nestwalk"};
  words.insert(words.end(), args.begin(), args.end());
  std::ostringstream out;
  std::ostringstream err;
  int status = RunProgram(words, out, err, forest);
  return RunOutcome{out.str(), err.str(), status};
}

}  // namespace nestwalk::testing
