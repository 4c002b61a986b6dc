// The end of each account's walk: the text report, with the chains under -path and the token
// estimate under -token, or the JSON document under -json, or CSV rows under -csv; then the
// warning line when part of the answer fell short.
#ifndef NESTWALK_DRIVER_RUN_REPORT_H_
#define NESTWALK_DRIVER_RUN_REPORT_H_

#include <optional>
#include <string>

#include "cmdline/run_settings.h"
#include "driver/security_principal.h"
#include "driver/since_report.h"
#include "membership/account_lookup.h"
#include "membership/group_details.h"
#include "platform/console.h"
#include "report/json_report.h"
#include "report/membership_graph.h"
#include "report/token_estimate.h"

namespace nestwalk {

// The token estimate of a user or computer over `graph`; nullopt for a group, which has none.
std::optional<TokenEstimate> TokenOf(const SecurityPrincipal& principal,
                                     const AccountObject& account, const MembershipGraph& graph);

// With -csv, the header row of the columns the settings ask for ("change," before it with
// -since); nothing without it. A review of many accounts writes it once it has started, so that
// a review that reports no account still has it; a run of one account's ReportWriter before its
// rows.
void WriteCsvHeader(Console& console, const RunSettings& settings);

class ReportWriter {
 public:
  // `settings` must outlive the writer, and `since` (-since; nullptr without it) too.
  explicit ReportWriter(const RunSettings& settings, SinceReport* since = nullptr)
      : settings_(settings), since_(since) {}

  // Writes one account's report: a JSON document is indented, or on one line of its own when
  // the run reviews many accounts (JSON Lines); the CSV header comes before the rows of a run
  // of one account. With -since, what changed since takes the report's place.
  // Writes nothing but output; closes no connection.
  void Write(Console& console, const SecurityPrincipal& principal, const AccountObject& account,
             const GroupDetailsMap& groups);

 private:
  const RunSettings& settings_;
  SinceReport* since_;
  std::string document_;   // an account's CSV rows or JSON document, its memory reused
  JsonGroups jsonGroups_;  // likewise
};

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_RUN_REPORT_H_
