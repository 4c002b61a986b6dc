// Finding the directory object of the account the run is about (GetUserDN).
#ifndef NESTWALK_MEMBERSHIP_ACCOUNT_LOOKUP_H_
#define NESTWALK_MEMBERSHIP_ACCOUNT_LOOKUP_H_

#include <string>
#include <vector>

#include "membership/principal_kind.h"
#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

struct AccountObject {
  std::string dn;              // in the directory's letter case; empty when the lookup failed
  std::string primaryGroupID;  // decimal text; empty when the object has none (a group)
  std::string objectSid;       // binary; empty unless asked for
  std::vector<std::string> sIDHistory;  // binary SIDs; empty unless asked for
  bool searchFailed = false;  // no DN because the search failed: the account may well exist
};

// Attributes the lookup reads beyond primaryGroupID; without them its request is the classic one.
struct AccountExtras {
  bool objectSid = false;
  bool sIDHistory = false;
};

// The search filter for `samName` of `kind`; the name is escaped as a filter value, so it is
// always matched literally.
std::string AccountFilter(PrincipalKind kind, const std::string& samName);

// The search GetUserDN makes (the same wherever it is sent).
platform::SearchRequest AccountLookupRequest(const std::string& base, const std::string& samName,
                                             PrincipalKind kind, AccountExtras extras);

// Searches the subtree `base` over `connection` for exactly one object of `kind` named
// `samName`, reading `extras` in the same search. On a failed search, no match or several
// matches it writes why on standard error and returns an empty DN (with searchFailed set for
// the first).
AccountObject GetUserDN(Console& console, platform::Directory& directory,
                        platform::LdapHandle connection, const std::string& base,
                        const std::string& samName, PrincipalKind kind, AccountExtras extras = {});

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_ACCOUNT_LOOKUP_H_
