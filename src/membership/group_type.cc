#include "membership/group_type.h"

#include <cstdint>

#include "text/leading_decimal.h"

namespace nestwalk {

namespace {

std::uint32_t Bits(std::string_view groupType) {
  return static_cast<std::uint32_t>(LeadingDecimal(groupType));
}

constexpr std::uint32_t kSecurityBit = 0x80000000u;

// The scope that bits 0xE of a groupType give.
GroupScope ScopeOfBits(std::uint32_t bits) {
  switch (bits & 0xE) {
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

}  // namespace

GroupScope ScopeOfGroupType(std::string_view groupType) { return ScopeOfBits(Bits(groupType)); }

bool IsSecurityGroupType(std::string_view groupType) {
  return (Bits(groupType) & kSecurityBit) != 0;
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

std::string_view KindWord(std::string_view groupType) { return WordsOfGroupType(groupType).kind; }

GroupTypeFacts ReadGroupType(std::string_view groupType) {
  const std::uint32_t bits = Bits(groupType);
  return {ScopeOfBits(bits), (bits & kSecurityBit) != 0};
}

GroupTypeWords WordsOfGroupType(std::string_view groupType) {
  const GroupTypeFacts facts = ReadGroupType(groupType);
  return {ScopeWord(facts.scope), facts.security ? "Security" : "Distribution"};
}

}  // namespace nestwalk
