#include "membership/member_of_reader.h"

#include <string_view>
#include <utility>

#include "membership/counted_search.h"
#include "membership/member_of_ranges.h"
#include "text/case_folding.h"

namespace nestwalk {

namespace {

constexpr std::string_view kUnknownGroupType = "-1";

}  // namespace

ObjectRead FailedRead(std::string problem) {
  ObjectRead read;
  read.problem = std::move(problem);
  return read;
}

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
  if (!entries) return FailedRead("the search failed");
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find " + dn + "\n");
    return FailedRead("the server did not find it");
  }
  if (entries->size() > 1) {
    console.Err("ERROR: Multiple items returned for " + dn + "\n");
    return FailedRead("the server returned several entries for it");
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
  std::vector<std::string> keys;
  keys.reserve(memberOf.values.size());
  for (const std::string& value : memberOf.values) keys.push_back(LowerCaseText(value));
  return ObjectRead{
      .details = std::move(details),
      .memberOf = std::move(memberOf.values),
      .memberOfKeys = std::move(keys),
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
  for (std::size_t i = 0; i < read.memberOf.size(); ++i) {
    const bool added = groups.AddGroupOfKeys(key, read.memberOfKeys[i], read.memberOf[i]);
    console.DebugErr("\t" + read.memberOf[i] + (added ? " - Added\n" : " - Duplicate\n"));
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
