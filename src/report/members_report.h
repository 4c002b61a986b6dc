// The answer to "who is in this group" (-members), written out: as text (a heading line, a line
// per member, a count line), as CSV rows (-csv) or as one JSON document (-json), each member with
// its chain up to the group under -path (text, CSV) and always in JSON.
#ifndef NESTWALK_REPORT_MEMBERS_REPORT_H_
#define NESTWALK_REPORT_MEMBERS_REPORT_H_

#include <string>
#include <vector>

#include "membership/group_members.h"

namespace nestwalk {

// One hop of a member's chain up to the group: the member or group, and how it reached the next.
struct MemberChainHop {
  const GroupMember* member;
  MemberHop hop;
};

// The chain from the member `key` up to the group, the member first; the group is not in it.
std::vector<MemberChainHop> MemberChain(const MembersAnswer& answer, const std::string& key);
// "alice -> Sales -> All Staff", "=primary=>" and "=foreign=>" marking those hops.
std::string MemberChainText(const MembersAnswer& answer, const std::string& key);

// "[USER]", "[GROUP] [Global Security]", "[FOREIGN]", ...
std::string MemberTag(const GroupMember& member);

// "Members of <tag of the group> <name> <dn>\n", "  <tag> <name> <dn>\n" for each member in DN
// order (with "      via: <chain>\n" under each when `chains`), then
// "Members: <n> (users <u>, computers <c>, groups <g>, foreign <f>, other <o>)\n".
std::string MembersText(const MembersAnswer& answer, bool chains);

// "group,groupDn,member,memberDn,memberKind,scope,kind" (",depth,via" with `chains`), then a row
// per member in DN order; a group without members gets one row with the member fields empty.
// Fields as the forward CSV writes them (RFC 4180, CR LF, escapes, formula leads neutralised).
std::string MembersCsv(const MembersAnswer& answer, bool chains);

// One document with a line end: the group, its members (each with its chain of DNs up to the
// group, depth, the kind of each hop), "complete" and what could not be read.
std::string MembersJson(const MembersAnswer& answer);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_MEMBERS_REPORT_H_
