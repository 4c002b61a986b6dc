// The report as one JSON document (-json), laid out as doc/nestwalk-report.schema.json says.
#ifndef NESTWALK_REPORT_JSON_REPORT_H_
#define NESTWALK_REPORT_JSON_REPORT_H_

#include <optional>
#include <string>

#include "membership/group_details.h"
#include "report/membership_chains.h"
#include "report/membership_graph.h"
#include "report/token_estimate.h"

namespace nestwalk {

struct ReportedAccount {
  std::string kind;       // "user", "computer" or "group"
  std::string name;       // domain\name, as the principal line shows it
  std::string dn;
  std::string objectSid;  // binary; empty when it was not read
};

// The document, indented (or on one line when `oneLine`, for JSON Lines), with a line end. Every text from the directory passes through
// EscapeInvalidUtf8, so the document is valid UTF-8 whatever the directory holds. `token` is
// written as null when absent (a group principal).
std::string JsonReport(const ReportedAccount& account, const GroupDetailsMap& groups,
                       const MembershipGraph& graph, const MembershipChains& chains,
                       const std::optional<TokenEstimate>& token, bool oneLine = false);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_JSON_REPORT_H_
