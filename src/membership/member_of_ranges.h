// Ranged retrieval of memberOf: a server that limits the values of one attribute per answer
// sends "memberOf;range=0-1499" instead of memberOf, and the rest must be asked for in pieces.
#ifndef NESTWALK_MEMBERSHIP_MEMBER_OF_RANGES_H_
#define NESTWALK_MEMBERSHIP_MEMBER_OF_RANGES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The value positions an attribute named "<type>;range=<first>-<last>" holds; `last` is nullopt
// for "*", the final piece.
struct ValueRange {
  long long first = 0;
  std::optional<long long> last;
};

// The range of an attribute name of type `type` (ASCII case ignored), or nullopt when the name
// is not a well-formed range of that type (first above last included).
std::optional<ValueRange> ParseValueRange(std::string_view attributeName, std::string_view type);

struct MemberOfValues {
  std::vector<std::string> values;  // in server order
  bool complete = true;             // false when a range could not be fetched
};

// The memberOf values `entry` carries: its plain memberOf, else the piece of its ranged memberOf;
// nullptr when it has neither. Points into `entry`.
const std::vector<std::string>* MemberOfPiece(const platform::Entry& entry);

// The request CollectMemberOf makes for the piece after the one `entry` carries, `entry` having
// come back for `read` (a member read or a piece request of it); nullopt when the entry carries
// no ranged memberOf, its final piece, or one that ends at the top of the range.
std::optional<platform::SearchRequest> FollowingRangeRequest(const platform::SearchRequest& read,
                                                             const platform::Entry& entry);

// Every memberOf value of `entry`, which `read` returned over `connection`. When the entry
// carries a first range instead of plain memberOf, the remaining ranges are fetched with `read`
// (same base, scope and filter) on the same connection until the final one. A failing fetch
// writes its lines on standard error and the values gathered up to there come back, marked
// incomplete.
MemberOfValues CollectMemberOf(Console& console, platform::Directory& directory,
                               platform::LdapHandle connection, const platform::SearchRequest& read,
                               const platform::Entry& entry);
// The same for the values of the attribute `type` ("member"); its error line names the type.
MemberOfValues CollectRangedValues(Console& console, platform::Directory& directory,
                                   platform::LdapHandle connection,
                                   const platform::SearchRequest& read,
                                   const platform::Entry& entry, std::string_view type);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_MEMBER_OF_RANGES_H_
