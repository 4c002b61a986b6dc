#include "membership/member_of_reader.h"

#include <optional>
#include <string_view>
#include <vector>

#include "membership/counted_search.h"
#include "membership/member_of_ranges.h"
#include "text/case_folding.h"

namespace nestwalk {

namespace {

constexpr std::string_view kUnknownGroupType = "-1";

}  // namespace

platform::SearchRequest GroupReadRequest(const std::string& dn, bool withObjectSid) {
  platform::SearchRequest request{
      .base = dn,
      .scope = platform::SearchScope::kBase,
      .filter = "(objectclass=*)",
      .attributes = {"sAMAccountName", "memberOf", "groupType"},
      .attributesOnly = false,
  };
  if (withObjectSid) request.attributes.push_back("objectSid");
  return request;
}

void EnumerateMemberships(Console& console, platform::Directory& directory,
                          platform::LdapHandle connection, const std::string& dn,
                          GroupDetailsMap& groups, bool skipDetails) {
  console.DebugErr("Enumerating [" + dn + "]\n");
  const platform::SearchRequest read = GroupReadRequest(dn, groups.readsSids());
  // A group's problems name it as the directory spells it; the nested phase reads by key.
  const data* known = groups.Find(LowerCaseText(dn));
  const std::string& subject = known != nullptr ? known->dn : dn;
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console, directory, connection, read);
  if (!entries) {
    groups.RecordProblem(subject, "the search failed");
    return;
  }
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find " + dn + "\n");
    groups.RecordProblem(subject, "the server did not find it");
    return;
  }
  if (entries->size() > 1) {
    console.Err("ERROR: Multiple items returned for " + dn + "\n");
    groups.RecordProblem(subject, "the server returned several entries for it");
    return;
  }

  const platform::Entry& entry = entries->front();
  const MemberOfValues memberOf = CollectMemberOf(console, directory, connection, read, entry);
  if (!memberOf.complete) {
    groups.RecordProblem(subject, "not all of its memberOf values could be read");
  }
  const std::string accountName =
      entry.First("sAMAccountName").value_or(std::string(kUnknownAccountName));
  const std::string groupType = entry.First("groupType").value_or(std::string(kUnknownGroupType));
  console.DebugErr("sAMAccountName: " + accountName + "\n");
  console.DebugErr("GroupType: " + groupType + "\n");

  if (!skipDetails && groups.StoreDetails(LowerCaseText(dn), accountName, groupType,
                                          entry.First("objectSid").value_or(""))) {
    console.DebugErr("Group Details stored for " + dn + "\n");
  }

  console.DebugErr(std::to_string(memberOf.values.size()) + " memberOf entries returned\n");
  console.DebugErr("Groups:\n");
  for (const std::string& group : memberOf.values) {
    console.DebugErr("\t" + group);
    console.DebugErr(groups.AddGroupOf(dn, group) ? " - Added\n" : " - Duplicate\n");
  }
}

}  // namespace nestwalk
