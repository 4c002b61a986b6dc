// The three kinds of account the program looks up, and what each is called where it is named.
#ifndef NESTWALK_MEMBERSHIP_PRINCIPAL_KIND_H_
#define NESTWALK_MEMBERSHIP_PRINCIPAL_KIND_H_

#include <string_view>

namespace nestwalk {

enum class PrincipalKind { kUser, kComputer, kGroup };

struct PrincipalKindNames {
  std::string_view tag;             // before the name on the principal line: "[USER] "
  std::string_view reportKind;      // the JSON report's principal kind: "user"
  std::string_view objectCategory;  // what the account lookup searches for: "person"
};

const PrincipalKindNames& NamesOf(PrincipalKind kind);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_PRINCIPAL_KIND_H_
