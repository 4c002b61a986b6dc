#include "membership/principal_kind.h"

namespace nestwalk {

namespace {

constexpr PrincipalKindNames kUserNames{"[USER] ", "user", "person"};
constexpr PrincipalKindNames kComputerNames{"[COMPUTER] ", "computer", "computer"};
constexpr PrincipalKindNames kGroupNames{"[GROUP] ", "group", "group"};

}  // namespace

const PrincipalKindNames& NamesOf(PrincipalKind kind) {
  switch (kind) {
    case PrincipalKind::kComputer:
      return kComputerNames;
    case PrincipalKind::kGroup:
      return kGroupNames;
    case PrincipalKind::kUser:
      break;
  }
  return kUserNames;
}

}  // namespace nestwalk
