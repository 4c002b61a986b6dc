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

class ReportWriter {
 public:
  // `settings` must outlive the writer.
  explicit ReportWriter(const RunSettings& settings) : settings_(settings) {}

  // Writes one account's report: a JSON document is indented, or on one line of its own when
  // the run reviews many accounts (JSON Lines); the CSV header comes before the first rows.
  // Writes nothing but output; closes no connection.
  void Write(Console& console, const SecurityPrincipal& principal, const AccountObject& account,
             const GroupDetailsMap& groups);

 private:
  const RunSettings& settings_;
  bool csvHeaderWritten_ = false;
  std::string csvRows_;
};

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_RUN_REPORT_H_
