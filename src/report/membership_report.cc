#include "report/membership_report.h"

#include "membership/group_type.h"

namespace nestwalk {

std::string GroupTypeLabel(std::string_view groupType) {
  std::string label(ScopeWord(ScopeOfGroupType(groupType)));
  label += " ";
  label += KindWord(groupType);
  return label;
}

void AppendGroupLine(std::string& lines, std::string_view lead, std::string_view label,
                     std::string_view name, std::string_view dn) {
  lines += lead;
  lines += '[';
  lines += label;
  lines += "] [";
  lines += name;
  lines += "] ";
  lines += dn;
  lines += '\n';
}

void WriteMembershipReport(Console& console, const GroupDetailsMap& groups,
                           const std::function<std::string(const std::string& key)>& afterLine) {
  if (!console.quiet()) console.Out("Group Memberships:\n");
  // Written at once: a review writes millions of these lines.
  std::string lines;
  lines.reserve(groups.size() * 128);
  for (const auto& [key, group] : groups.entries()) {
    AppendGroupLine(lines, "  ", GroupTypeLabel(group.groupType), group.sAMAccountName, group.dn);
    if (afterLine) lines += afterLine(key);
  }
  console.Out(lines);
}

}  // namespace nestwalk
