#include "support/run_harness.h"

#include <sstream>

#include "driver/program.h"

namespace nestwalk::testing {

RunOutcome RunNestwalk(fake::FakeForest& forest, const std::vector<std::string>& args,
                       const std::string& input) {
  std::vector<std::string> words{"nestwalk"};
  words.insert(words.end(), args.begin(), args.end());
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  int status = RunProgram(words, in, out, err, forest);
  return RunOutcome{out.str(), err.str(), status};
}

}  // namespace nestwalk::testing
