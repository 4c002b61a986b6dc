#include "report/membership_report.h"

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
  // Written at once: a review writes millions of these lines.
  std::string lines;
  lines.reserve(groups.size() * 128);
  for (const auto& [key, group] : groups.entries()) {
    lines += "  [";
    lines += GroupTypeLabel(group.groupType);
    lines += "] [";
    lines += group.sAMAccountName;
    lines += "] ";
    lines += group.dn;
    lines += '\n';
    if (afterLine) lines += afterLine(key);
  }
  console.Out(lines);
}

}  // namespace nestwalk
