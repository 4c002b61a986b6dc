// The end of each account's walk: the text report, with the chains under -path and the token
// estimate under -token, or the JSON document under -json, or CSV rows under -csv; then the
// warning line when part of the answer fell short.
#ifndef NESTWALK_DRIVER_RUN_REPORT_H_
#define NESTWALK_DRIVER_RUN_REPORT_H_

#include <string>

#include "cmdline/run_settings.h"
#include "driver/security_principal.h"
#include "membership/account_lookup.h"
#include "membership/group_details.h"
#include "platform/console.h"

namespace nestwalk {

// With -csv, the header row of the columns the settings ask for; nothing without it. A review
// of many accounts writes it once it has started, so that a review that reports no account
// still has it; a run of one account's ReportWriter before its rows.
void WriteCsvHeader(Console& console, const RunSettings& settings);

class ReportWriter {
 public:
  // `settings` must outlive the writer.
  explicit ReportWriter(const RunSettings& settings) : settings_(settings) {}

  // Writes one account's report: a JSON document is indented, or on one line of its own when
  // the run reviews many accounts (JSON Lines); the CSV header comes before the rows of a run
  // of one account.
  // Writes nothing but output; closes no connection.
  void Write(Console& console, const SecurityPrincipal& principal, const AccountObject& account,
             const GroupDetailsMap& groups);

 private:
  const RunSettings& settings_;
  std::string document_;  // an account's CSV rows or JSON document, its memory reused
};

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_RUN_REPORT_H_
