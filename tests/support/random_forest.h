// Seeded random fake forests for comparing whole runs: several domains (some with a DC that is
// a GC, some whose DC cannot be found or bound), groups in cycles, diamonds and deep chains,
// ranged memberOf, failing reads, and memberOf values that name groups of no known domain.
#ifndef NESTWALK_TESTS_SUPPORT_RANDOM_FOREST_H_
#define NESTWALK_TESTS_SUPPORT_RANDOM_FOREST_H_

#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"

namespace nestwalk::testing {

// Builds the forest of `seed` into an empty `forest` (the same seed, the same forest) and
// returns the program's arguments that name its account.
std::vector<std::string> BuildRandomForest(fake::FakeForest& forest, unsigned seed);

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_RANDOM_FOREST_H_
