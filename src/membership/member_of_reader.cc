#include "membership/member_of_reader.h"

#include <string_view>
#include <utility>

#include "membership/counted_search.h"
#include "membership/member_of_ranges.h"
#include "text/case_folding.h"

namespace nestwalk {

namespace {

constexpr std::string_view kUnknownGroupType = "-1";

ObjectRead Failed(std::string problem) {
  return ObjectRead{.details = std::nullopt, .memberOf = {}, .problem = std::move(problem)};
}

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

ObjectRead ReadObject(Console& console, platform::Directory& directory,
                      platform::LdapHandle connection, const std::string& dn, bool withObjectSid) {
  console.DebugErr("Enumerating [" + dn + "]\n");
  const platform::SearchRequest read = GroupReadRequest(dn, withObjectSid);
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console, directory, connection, read);
  if (!entries) return Failed("the search failed");
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find " + dn + "\n");
    return Failed("the server did not find it");
  }
  if (entries->size() > 1) {
    console.Err("ERROR: Multiple items returned for " + dn + "\n");
    return Failed("the server returned several entries for it");
  }

  const platform::Entry& entry = entries->front();
  MemberOfValues memberOf = CollectMemberOf(console, directory, connection, read, entry);
  GroupDetails details{
      .sAMAccountName = entry.First("sAMAccountName").value_or(std::string(kUnknownAccountName)),
      .groupType = entry.First("groupType").value_or(std::string(kUnknownGroupType)),
      .objectSid = entry.First("objectSid").value_or(""),
  };
  console.DebugErr("sAMAccountName: " + details.sAMAccountName + "\n");
  console.DebugErr("GroupType: " + details.groupType + "\n");
  return ObjectRead{
      .details = std::move(details),
      .memberOf = std::move(memberOf.values),
      .problem = memberOf.complete ? "" : "not all of its memberOf values could be read",
  };
}

void TakeObjectRead(Console& console, const std::string& dn, const ObjectRead& read,
                    GroupDetailsMap& groups, bool skipDetails) {
  const std::string key = LowerCaseText(dn);
  if (!read.problem.empty()) {
    // A group's problems name it as the directory spells it; the nested phase reads by key.
    const data* known = groups.Find(key);
    groups.RecordProblem(known != nullptr ? known->dn : dn, read.problem);
  }
  if (!read.details) return;
  if (!skipDetails && groups.StoreDetails(key, *read.details)) {
    console.DebugErr("Group Details stored for " + dn + "\n");
  }
  console.DebugErr(std::to_string(read.memberOf.size()) + " memberOf entries returned\n");
  console.DebugErr("Groups:\n");
  for (const std::string& group : read.memberOf) {
    console.DebugErr("\t" + group);
    console.DebugErr(groups.AddGroupOf(dn, group) ? " - Added\n" : " - Duplicate\n");
  }
}

ObjectRead EnumerateMemberships(Console& console, platform::Directory& directory,
                                platform::LdapHandle connection, const std::string& dn,
                                GroupDetailsMap& groups, bool skipDetails, bool withObjectSid) {
  ObjectRead read = ReadObject(console, directory, connection, dn, withObjectSid);
  TakeObjectRead(console, dn, read, groups, skipDetails);
  return read;
}

}  // namespace nestwalk
