// The Kerberos token size estimate of a user or computer: 1200 + 40 d + 8 s bytes, from the
// groups that reach its token.
#ifndef NESTWALK_REPORT_TOKEN_ESTIMATE_H_
#define NESTWALK_REPORT_TOKEN_ESTIMATE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "report/membership_graph.h"
#include "platform/console.h"

namespace nestwalk {

inline constexpr long long kOldMaxTokenSize = 12000;  // the default maximum before Windows 2012
inline constexpr long long kMaxTokenSize = 48000;     // the default now, and the usual HTTP
                                                      // Negotiate header ceiling
inline constexpr int kTokenSidLimit = 1015;

struct TokenEstimate {
  int d = 0;  // domain-local groups (built-in included), other domains' universal groups, sIDHistory
  int s = 0;  // global groups and the account's own domain's universal groups
  long long bytes() const { return 1200 + 40LL * d + 8LL * s; }
  int sids() const { return d + s; }
};

// Counts the groups in the token of the graph's account, whose DN is `accountDn`: the security
// groups reached from the account through security groups alone (the primary group too). A
// group whose entry was never read, or whose scope is unknown, is not counted and leads nowhere.
// `sidHistoryCount` SIDs of the account's sIDHistory are added to d.
TokenEstimate EstimateToken(const MembershipGraph& graph, std::string_view accountDn,
                            std::size_t sidHistoryCount);

// The estimate's lines on standard output: its parts, the sum, the two size marks and the SIDs.
void WriteTokenEstimate(Console& console, const TokenEstimate& estimate);

// The one line a group principal gets instead: a group has no token of its own.
void WriteNoTokenForGroup(Console& console);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_TOKEN_ESTIMATE_H_
