#include "membership/group_type.h"

#include <cstdint>

#include "text/leading_decimal.h"

namespace nestwalk {

namespace {

std::uint32_t Bits(std::string_view groupType) {
  return static_cast<std::uint32_t>(LeadingDecimal(groupType));
}

}  // namespace

GroupScope ScopeOfGroupType(std::string_view groupType) {
  switch (Bits(groupType) & 0xE) {
    case 0x2:
      return GroupScope::kGlobal;
    case 0x4:
      return GroupScope::kLocal;
    case 0x8:
      return GroupScope::kUniversal;
    default:
      return GroupScope::kUnknown;
  }
}

bool IsSecurityGroupType(std::string_view groupType) {
  return (Bits(groupType) & 0x80000000u) != 0;
}

std::string_view ScopeWord(GroupScope scope) {
  switch (scope) {
    case GroupScope::kGlobal:
      return "Global";
    case GroupScope::kLocal:
      return "Local";
    case GroupScope::kUniversal:
      return "Universal";
    case GroupScope::kUnknown:
      break;
  }
  return "Unknown";
}

std::string_view KindWord(std::string_view groupType) {
  return IsSecurityGroupType(groupType) ? "Security" : "Distribution";
}

}  // namespace nestwalk
