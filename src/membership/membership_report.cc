#include "membership/membership_report.h"

#include "membership/group_type.h"

namespace nestwalk {

std::string GroupTypeLabel(std::string_view groupType) {
  std::string label(ScopeWord(ScopeOfGroupType(groupType)));
  label += " ";
  label += KindWord(groupType);
  return label;
}

void WriteMembershipReport(Console& console, const GroupDetailsMap& groups,
                           const std::function<std::string(const std::string& key)>& afterLine) {
  if (!console.quiet()) console.Out("Group Memberships:\n");
  for (const auto& [key, group] : groups.entries()) {
    console.Out("  [" + GroupTypeLabel(group.groupType) + "] [" + group.sAMAccountName + "] " +
                group.dn + "\n");
    if (afterLine) console.Out(afterLine(key));
  }
}

}  // namespace nestwalk
