#include "membership/account_lookup.h"

#include <optional>
#include <vector>

#include "membership/counted_search.h"
#include "platform/filter_escape.h"

namespace nestwalk {

std::string AccountFilter(PrincipalKind kind, const std::string& samName) {
  return "(&(objectcategory=" + std::string(NamesOf(kind).objectCategory) +
         ")(sAMAccountName=" + platform::EscapeFilterValue(samName) + "))";
}

platform::SearchRequest AccountLookupRequest(const std::string& base, const std::string& samName,
                                             PrincipalKind kind, AccountExtras extras) {
  platform::SearchRequest request{
      .base = base,
      .scope = platform::SearchScope::kSubtree,
      .filter = AccountFilter(kind, samName),
      .attributes = {"primaryGroupID"},
      .attributesOnly = false,
  };
  if (extras.objectSid) request.attributes.push_back("objectSid");
  if (extras.sIDHistory) request.attributes.push_back("sIDHistory");
  return request;
}

AccountObject GetUserDN(Console& console, platform::Directory& directory,
                        platform::LdapHandle connection, const std::string& base,
                        const std::string& samName, PrincipalKind kind, AccountExtras extras) {
  console.DebugErr("Retrieving USERDN...\n");
  console.DebugErr("Base: " + base + "\n");
  console.DebugErr("SAMName: " + samName + "\n");
  std::optional<std::vector<platform::Entry>> entries = CountedSearch(
      console, directory, connection, AccountLookupRequest(base, samName, kind, extras));
  if (!entries) {
    AccountObject failed;
    failed.searchFailed = true;
    return failed;
  }
  if (entries->empty()) {
    console.Err("ERROR: Couldn't find SAMName " + samName + " in " + base + "\n");
    return {};
  }
  if (entries->size() > 1) {
    console.Err("ERROR: SAMName " + samName + " is not unique!!!\n");
    return {};
  }
  const platform::Entry& entry = entries->front();
  AccountObject account{.dn = entry.dn,
                        .primaryGroupID = entry.First("primaryGroupID").value_or(""),
                        .objectSid = entry.First("objectSid").value_or(""),
                        .sIDHistory = {},
                        .searchFailed = false};
  if (const std::vector<std::string>* history = entry.Find("sIDHistory")) {
    account.sIDHistory = *history;
  }
  console.DebugErr("DN: " + account.dn + "\n");
  console.DebugErr("Primary Group ID: " + account.primaryGroupID + "\n");
  return account;
}

}  // namespace nestwalk
