// A large nested closure in one domain, for whole runs that count round trips: the account is in
// every group of level 1, and each group is in two groups of the next level.
#ifndef NESTWALK_TESTS_SUPPORT_CLOSURE_FOREST_H_
#define NESTWALK_TESTS_SUPPORT_CLOSURE_FOREST_H_

#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"

namespace nestwalk::testing {

// Builds the closure into an empty `forest` (corp with dc1, a GC) and returns the program's
// arguments for its account. The reads of the first `failing` groups of every level from 2 on
// time out.
std::vector<std::string> BuildClosureForest(fake::FakeForest& forest, int levels,
                                            int groupsPerLevel, int failing = 0);

// The same closure for `accounts` users (user0 to user<accounts - 1>), each a member of one hub
// group that is in every group of level 1, so that all of them share the whole closure. Returns
// the account list for -in, one user a line.
std::string BuildSharedClosureForest(fake::FakeForest& forest, int levels, int groupsPerLevel,
                                     int accounts);

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_CLOSURE_FOREST_H_
