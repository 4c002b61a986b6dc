// What a run reads beyond the account's memberships themselves, decided once from its settings;
// how the answer is written is the report's business.
#ifndef NESTWALK_MEMBERSHIP_READ_NEEDS_H_
#define NESTWALK_MEMBERSHIP_READ_NEEDS_H_

#include "membership/account_lookup.h"

namespace nestwalk {

struct ReadNeeds {
  bool primaryGroup = true;        // the account's primary group, which memberOf never lists
  AccountExtras account;           // read with the account's lookup
  bool groupSids = false;          // objectSid with every member read
  bool domainLocalGroups = false;  // every domain searched for domain-local groups holding it
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_READ_NEEDS_H_
