#include "support/closure_forest.h"

#include "platform/directory.h"
#include "support/corp_forest.h"
#include "text/case_folding.h"

namespace nestwalk::testing {

namespace {

std::string ClosureGroup(int level, int index) {
  return "CN=L" + std::to_string(level) + "G" + std::to_string(index) + ",OU=Closure," +
         kCorpDomainDn;
}

// Level 1 holds `firstLevelMember`; each group of a later level holds two of the level below.
void AddClosure(fake::FakeForest& forest, int levels, int groupsPerLevel, int failing,
                const std::string& firstLevelMember) {
  for (int level = 1; level <= levels; ++level) {
    for (int index = 0; index < groupsPerLevel; ++index) {
      const std::vector<std::string> members =
          level == 1 ? std::vector<std::string>{firstLevelMember}
                     : std::vector<std::string>{
                           ClosureGroup(level - 1, index),
                           ClosureGroup(level - 1, (index + 1) % groupsPerLevel)};
      forest.AddGroup(ClosureGroup(level, index), "L" + std::to_string(level), "-2147483646",
                      members);
      if (level > 1 && index < failing) {
        // The walk reads a group by its lower-cased DN.
        forest.FailSearch(kCorpDc1Host, std::nullopt, LowerCaseText(ClosureGroup(level, index)),
                          platform::kLdapTimeout);
      }
    }
  }
}

}  // namespace

std::vector<std::string> BuildClosureForest(fake::FakeForest& forest, int levels,
                                            int groupsPerLevel, int failing) {
  const std::string alice = std::string("CN=Alice,CN=Users,") + kCorpDomainDn;
  AddCorpWithDc1(forest, /*globalCatalog=*/true);
  forest.AddUser(alice, "alice", "513");
  AddClosure(forest, levels, groupsPerLevel, failing, alice);
  return {"-np", "-q", "-u", "CORP\\alice"};
}

std::string BuildSharedClosureForest(fake::FakeForest& forest, int levels, int groupsPerLevel,
                                     int accounts) {
  const std::string hub = std::string("CN=Hub,OU=Closure,") + kCorpDomainDn;
  AddCorpWithDc1(forest, /*globalCatalog=*/true);
  std::vector<std::string> users;
  std::string list;
  for (int i = 0; i < accounts; ++i) {
    const std::string name = "user" + std::to_string(i);
    users.push_back("CN=" + name + ",CN=Users," + kCorpDomainDn);
    forest.AddUser(users.back(), name, "513");
    list += "CORP\\" + name + "\n";
  }
  forest.AddGroup(hub, "Hub", "-2147483646", std::move(users));
  AddClosure(forest, levels, groupsPerLevel, /*failing=*/0, hub);
  return list;
}

}  // namespace nestwalk::testing
