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

// Scope and kind, the text read once: a review asks for them of millions of groups.
struct GroupTypeFacts {
  GroupScope scope;
  bool security;
};
GroupTypeFacts ReadGroupType(std::string_view groupType);

struct GroupTypeWords {
  std::string_view scope;  // ScopeWord
  std::string_view kind;   // KindWord
};
GroupTypeWords WordsOfGroupType(std::string_view groupType);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_GROUP_TYPE_H_
