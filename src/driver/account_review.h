// Many accounts in one run (-in, -under): every account is walked through one forest session, so
// a group is read once whatever the number of accounts that reach it, and each account's report
// is written as soon as the account is done, in input order.
#ifndef NESTWALK_DRIVER_ACCOUNT_REVIEW_H_
#define NESTWALK_DRIVER_ACCOUNT_REVIEW_H_

#include <istream>

#include "cmdline/run_settings.h"
#include "driver/since_report.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace nestwalk {

// The statuses of a review beyond 0 (every account reported) and -1 (the run could not start:
// the list cannot be read, no server of the first account's domain).
inline constexpr int kSomeAccountsUnreported = 8;  // a line, a domain or an account failed
inline constexpr int kInterrupted = 130;           // SIGINT: stopped after a whole account
inline constexpr int kOutputClosed = 141;          // standard output's reader went away

// The accounts are those of `settings.inputFile` ("-": `in`), then those under
// `settings.underDn`. The banner has been written; `console` carries the run's lines. With
// -since, `since` takes the place of the reports and closes a review that was not stopped
// (nullptr without it).
int RunAccountReview(Console& console, std::istream& in, platform::Platform& platform,
                     const RunSettings& settings, SinceReport* since = nullptr);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_ACCOUNT_REVIEW_H_
