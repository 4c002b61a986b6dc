#include "driver/program.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <string_view>
#include <variant>

#include "cmdline/command_line.h"
#include "cmdline/run_settings.h"
#include "cmdline/run_settings_reader.h"
#include "cmdline/usage.h"
#include "driver/account_review.h"
#include "driver/bind_identity.h"
#include "driver/members_run.h"
#include "driver/run_phases.h"
#include "driver/security_principal.h"
#include "driver/since_report.h"
#include "platform/console.h"

namespace nestwalk {

namespace {

constexpr std::string_view kBanner =
    "\nNestwalk V02.03.00LNX by the Nestwalk developers (nestwalk-developers@example.org) June "
    "2006\n\n";

}  // namespace

int RunProgram(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, platform::Platform& platform) {
  CCmdLine commandLine(args, /*caseSensitive=*/false);
  RunSettings settings;
  // quiet and debug are fixed before the first line is written.
  ReadOutputSwitches(commandLine, settings);
  Console console(out, err, settings.quiet, settings.debug);

  if (!settings.quiet) console.Err(kBanner);
  if (AsksForUsage(commandLine)) return ShowUsage(console);

  if (!ReadPrincipalSwitches(commandLine, settings)) {
    console.Err("Error: Must specify group name with -group option.\n");
    return -1;
  }
  ReadAdditionSwitches(commandLine, settings);
  if (const std::string error = ReadAccountListSwitches(commandLine, settings); !error.empty()) {
    console.Err(error);
    return -1;
  }
  if (const std::string error = ReadMembersSwitch(commandLine, settings); !error.empty()) {
    console.Err(error);
    return -1;
  }
  if (const std::string error = ReadPingWaitSwitch(commandLine, settings); !error.empty()) {
    console.Err(error);
    return -1;
  }
  if (settings.pingWaitSeconds > 0) {
    platform.SetPingWait(std::chrono::seconds(settings.pingWaitSeconds));
  }
  if (settings.csv && settings.json) {
    console.Err("Error: -csv and -json cannot be combined.\n");
    return -1;
  }
  if (const std::string error = ReadIdentitySwitches(commandLine, settings); !error.empty()) {
    console.Err(error);
    return -1;
  }
  if (!settings.bindAs.empty() && !UseBindIdentity(console, platform, settings)) return -1;
  // The earlier review is read whole before any server is asked.
  std::optional<SinceReport> since;
  if (!settings.sinceFile.empty()) {
    std::optional<EarlierReview> earlier = LoadEarlierReview(console, settings);
    if (!earlier) return -1;
    since.emplace(settings, std::move(*earlier));
  }
  SinceReport* const sinceReport = since ? &*since : nullptr;
  // With -json or -csv standard output carries the report alone; the trace lines that would go
  // there join the others on standard error.
  const bool reportOnly = settings.json || settings.csv;
  Console runConsole(out, err, settings.quiet, settings.debug, reportOnly);
  if (settings.reviewsAccounts()) {
    ReadServerSwitch(commandLine, settings);
    return RunAccountReview(runConsole, in, platform, settings, sinceReport);
  }
  if (!settings.membersOf.empty()) {
    ReadServerSwitch(commandLine, settings);
    return RunMembersOf(runConsole, platform, settings);
  }

  // The principal line goes nowhere when standard output carries the report alone, nor with
  // -since, whose changes have headings of their own.
  std::ostream discarded(nullptr);
  Console principalConsole(reportOnly || since ? discarded : out, err, settings.quiet,
                           settings.debug);
  std::variant<SecurityPrincipal, PrincipalFailure> resolved =
      ResolvePrincipal(principalConsole, platform.host(), settings);
  if (const auto* failure = std::get_if<PrincipalFailure>(&resolved)) return failure->status;

  ReadServerSwitch(commandLine, settings);
  return RunDirectoryPhases(runConsole, platform, settings, std::get<SecurityPrincipal>(resolved),
                            sinceReport);
}

int ExitCodeForStatus(int status) {
  int low = static_cast<int>(static_cast<unsigned>(status) & 0xffU);
  // The host keeps only eight bits; a failure must not read as success there.
  if (status != 0 && low == 0) return 255;
  return low;
}

}  // namespace nestwalk
