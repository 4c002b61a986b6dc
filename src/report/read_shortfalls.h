// What of the answer could not be read, and the one warning line that says so after the report.
#ifndef NESTWALK_REPORT_READ_SHORTFALLS_H_
#define NESTWALK_REPORT_READ_SHORTFALLS_H_

#include <string>
#include <vector>

#include "membership/group_details.h"
#include "platform/console.h"

namespace nestwalk {

// The recorded problems in their order, then each group whose entry was never read and that no
// problem names, with the reason "its entry was never read".
std::vector<ReadProblem> ReadShortfalls(const GroupDetailsMap& groups);

// What fell short in a few words: "<n> groups could not be read in full" (counting each group
// once), then " and <m> other reads fell short" for subjects that are no group (the account, a
// domain), or "<m> reads fell short" alone. Empty when nothing fell short.
std::string ShortfallSummary(const GroupDetailsMap& groups);

// When anything fell short, writes on standard error "WARNING: <summary>; the list may be
// incomplete\n". Nothing otherwise.
void WriteIncompleteWarning(Console& console, const GroupDetailsMap& groups);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_READ_SHORTFALLS_H_
