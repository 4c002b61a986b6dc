#include "membership/member_of_reader.h"

#include <optional>
#include <string_view>
#include <vector>

#include "membership/counted_search.h"
#include "membership/member_of_ranges.h"
#include "text/case_folding.h"

namespace nestwalk {

namespace {

constexpr std::string_view kUnknownAccountName = "~~Unknown~~";
constexpr std::string_view kUnknownGroupType = "-1";

}  // namespace

platform::SearchRequest GroupReadRequest(const std::string& dn) {
  return platform::SearchRequest{
      .base = dn,
      .scope = platform::SearchScope::kBase,
      .filter = "(objectclass=*)",
      .attributes = {"sAMAccountName", "memberOf", "groupType"},
      .attributesOnly = false,
  };
}

void EnumerateMemberships(Console& console, platform::Directory& directory,
                          platform::LdapHandle connection, const std::string& dn,
                          GroupDetailsMap& groups, bool skipDetails) {
  console.DebugErr("Enumerating [" + dn + "]\n");
  const platform::SearchRequest read = GroupReadRequest(dn);
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console, directory, connection, read);
  if (!entries) return;
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find " + dn + "\n");
    return;
  }
  if (entries->size() > 1) {
    console.Err("ERROR: Multiple items returned for " + dn + "\n");
    return;
  }

  const platform::Entry& entry = entries->front();
  const std::vector<std::string> memberOf =
      CollectMemberOf(console, directory, connection, read, entry);
  const std::string accountName =
      entry.First("sAMAccountName").value_or(std::string(kUnknownAccountName));
  const std::string groupType = entry.First("groupType").value_or(std::string(kUnknownGroupType));
  console.DebugErr("sAMAccountName: " + accountName + "\n");
  console.DebugErr("GroupType: " + groupType + "\n");

  if (!skipDetails && groups.StoreDetails(LowerCaseText(dn), accountName, groupType)) {
    console.DebugErr("Group Details stored for " + dn + "\n");
  }

  console.DebugErr(std::to_string(memberOf.size()) + " memberOf entries returned\n");
  console.DebugErr("Groups:\n");
  for (const std::string& group : memberOf) {
    console.DebugErr("\t" + group);
    console.DebugErr(groups.AddGroup(group) ? " - Added\n" : " - Duplicate\n");
  }
}

}  // namespace nestwalk
