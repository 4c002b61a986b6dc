#include "membership/membership_report.h"

#include <cstdint>

#include "text/leading_decimal.h"

namespace nestwalk {

namespace {

std::string_view ScopeWord(std::uint32_t bits) {
  switch (bits & 0xE) {
    case 0x2:
      return "Global";
    case 0x4:
      return "Local";
    case 0x8:
      return "Universal";
    default:
      return "Unknown";
  }
}

}  // namespace

std::string GroupTypeLabel(std::string_view groupType) {
  const auto bits = static_cast<std::uint32_t>(LeadingDecimal(groupType));
  std::string label(ScopeWord(bits));
  label += (bits & 0x80000000u) != 0 ? " Security" : " Distribution";
  return label;
}

void WriteMembershipReport(Console& console, const GroupDetailsMap& groups) {
  if (!console.quiet()) console.Out("Group Memberships:\n");
  for (const auto& [key, group] : groups.entries()) {
    console.Out("  [" + GroupTypeLabel(group.groupType) + "] [" + group.sAMAccountName + "] " +
                group.dn + "\n");
  }
}

}  // namespace nestwalk
