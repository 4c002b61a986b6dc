// The membership report: every group found, sorted by lower-cased DN, with its scope and kind.
#ifndef NESTWALK_REPORT_MEMBERSHIP_REPORT_H_
#define NESTWALK_REPORT_MEMBERSHIP_REPORT_H_

#include <functional>
#include <string>
#include <string_view>

#include "membership/group_details.h"
#include "platform/console.h"

namespace nestwalk {

// The label of a groupType text: "Global", "Local", "Universal" or "Unknown" from bits 0xE,
// then " Security" or " Distribution" from bit 31. The text is read like "%d" reads it; one
// without a number (empty: the group was never read) counts as 0, one beyond the int range as
// the nearest int limit.
std::string GroupTypeLabel(std::string_view groupType);

// Appends "<lead>[<label>] [<name>] <dn>\n": a group's line, `lead` being "  " in the report.
void AppendGroupLine(std::string& lines, std::string_view lead, std::string_view label,
                     std::string_view name, std::string_view dn);

// Writes "Group Memberships:\n" (unless quiet) and one line per group, in key order, to
// standard output; after each line, what `afterLine` gives for the group's key, when given.
void WriteMembershipReport(
    Console& console, const GroupDetailsMap& groups,
    const std::function<std::string(const std::string& key)>& afterLine = {});

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_MEMBERSHIP_REPORT_H_
