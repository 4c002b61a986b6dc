// What a groupType text says: the group's scope from bits 0xE and whether it is a security group
// from bit 31. The text is read like "%d" reads it (LeadingDecimal); empty (never read) is 0.
#ifndef NESTWALK_MEMBERSHIP_GROUP_TYPE_H_
#define NESTWALK_MEMBERSHIP_GROUP_TYPE_H_

#include <string_view>

namespace nestwalk {

enum class GroupScope { kGlobal, kLocal, kUniversal, kUnknown };

GroupScope ScopeOfGroupType(std::string_view groupType);
bool IsSecurityGroupType(std::string_view groupType);

// "Global", "Local", "Universal" or "Unknown".
std::string_view ScopeWord(GroupScope scope);
// "Security" or "Distribution".
std::string_view KindWord(std::string_view groupType);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_GROUP_TYPE_H_
