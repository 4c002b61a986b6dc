// The end of a run that got to the report: the text report, with the chains under -path and the
// token estimate under -token, or the JSON document under -json; then the warning line when part
// of the answer fell short.
#ifndef NESTWALK_DRIVER_RUN_REPORT_H_
#define NESTWALK_DRIVER_RUN_REPORT_H_

#include "cmdline/run_settings.h"
#include "driver/security_principal.h"
#include "membership/account_lookup.h"
#include "membership/group_details.h"
#include "platform/console.h"

namespace nestwalk {

// Writes nothing but output; closes no connection.
void WriteRunReport(Console& console, const RunSettings& settings,
                    const SecurityPrincipal& principal, const AccountObject& account,
                    const GroupDetailsMap& groups);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_RUN_REPORT_H_
