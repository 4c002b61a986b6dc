// The changes of one account since an earlier review (-since), as text, CSV rows or a line of
// JSON Lines; what is written for an account in each is laid out in README.md and, for JSON,
// doc/nestwalk-changes.schema.json.
#ifndef NESTWALK_REPORT_CHANGE_REPORT_H_
#define NESTWALK_REPORT_CHANGE_REPORT_H_

#include <functional>
#include <string>
#include <string_view>

#include "report/csv_report.h"
#include "report/earlier_review.h"
#include "report/json_report.h"
#include "report/membership_graph.h"
#include "report/review_comparison.h"

namespace nestwalk {

// The lines under an account's heading: one that says what became of the account unless it
// was compared ("  new: <reason>", "  gone: <reason>", "  not compared: <reason>"), then "+ "
// and the report's line of each group gained (and what `afterLine` gives for its key: the chain
// of -path), then "- " and the line of each group lost as the earlier review had it.
void AppendTextChanges(std::string& lines, const AccountChanges& changes,
                       const EarlierReview& earlier,
                       const std::function<std::string(const std::string& key)>& afterLine);

// The rows of an account, each with its change first: "added" or "removed" for each group
// gained or lost; an account the earlier review lacks gets an "added" row with the group's
// fields empty before those of its groups, one that only the earlier review has a "removed" row
// so, and one not compared a "not compared" row whose groupName is the reason. A group lost has
// the chain's fields empty. `chainOf` is asked only when `columns` has the chains.
void AppendCsvChanges(std::string& rows, const CsvAccount& account, CsvColumns columns,
                      const AccountChanges& changes, const EarlierReview& earlier,
                      const CsvChainOf& chainOf);

// The change as a document on one line, with a line end: "change" ("changed", "added",
// "removed" or "notCompared"), "account" (its name and DN), "added" (each group gained as the
// groups of a -json report are: `gained` writes them over `graph`), "removed" (each group lost:
// DN, name, scope and kind as the earlier review had them) and "reason" (null for "changed").
// `gained` and `graph` may be nullptr when nothing was gained.
void AppendJsonChanges(std::string& out, std::string_view name, std::string_view dn,
                       const AccountChanges& changes, const EarlierReview& earlier,
                       JsonGroups* gained, const MembershipGraph* graph);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_CHANGE_REPORT_H_
